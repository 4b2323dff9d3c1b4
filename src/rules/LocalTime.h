// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>

namespace zarviki {

// The local time of day of a moment, by the system's own thread-safe conversion; each platform
// names it differently, so it has a file of its own per platform.
std::tm localTime(std::time_t moment);

}  // namespace zarviki
