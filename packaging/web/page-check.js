// SPDX-License-Identifier: GPL-3.0-or-later
// The game's page in headless Chromium, as a player meets it: the registration window at its size,
// Enter passing it, the table throwing by a click and setting a die aside by its key, the file menu
// opening the last hero, and a hero record in the browser's storage read back after a reload.
//   node page-check.js SITE
const assert = require('assert/strict');
const zlib = require('zlib');
const Browser = require('./Browser.js');
const serve = require('./serve.js');

// Chromium's pictures are 8-bit RGB or RGBA PNGs: their pixels, unfiltered, as 0xRRGGBB.
function pixels(png) {
    const width = png.readUInt32BE(16), height = png.readUInt32BE(20), step = png[25] === 6 ? 4 : 3;
    const row = width * step;
    const chunks = [];
    for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at))
        if (png.toString('latin1', at + 4, at + 8) === 'IDAT')
            chunks.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
    const raw = zlib.inflateSync(Buffer.concat(chunks)), out = Buffer.alloc(row * height);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (row + 1)];
        for (let x = 0; x < row; ++x) {
            const a = x >= step ? out[y * row + x - step] : 0, b = y ? out[(y - 1) * row + x] : 0;
            const c = x >= step && y ? out[(y - 1) * row + x - step] : 0, p = a + b - c;
            const near = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a
                       : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
            const base = [0, a, b, (a + b) >> 1, near][filter];
            out[y * row + x] = (raw[y * (row + 1) + 1 + x] + base) & 255;
        }
    }
    return { width, height, at: (x, y) => out.readUIntBE((y * width + x) * step, 3) };
}

// The active window's title bar, the classic look's navy: where it is and how wide.
async function activeTitleBar(browser) {
    const picture = pixels(await browser.picture());
    let left = Infinity, top = Infinity, right = -1;
    for (let y = 0; y < picture.height; ++y)
        for (let x = 0; x < picture.width; ++x)
            if (picture.at(x, y) === 0x000080) {
                left = Math.min(left, x), top = Math.min(top, y), right = Math.max(right, x);
            }
    return right < 0 ? null : { left, top, width: right - left + 1 };
}

module.exports = { pixels, activeTitleBar };
if (require.main !== module)
    return;
