// SPDX-License-Identifier: GPL-3.0-or-later
// CTest's emulator for the browser build's suites: each program is built as a module that a page
// starts, so this starts it under node with the suite's arguments; it ends with the suite's code.
const path = require('path');
const [program, ...args] = process.argv.slice(2);
require(path.resolve(program))({ arguments: args });
