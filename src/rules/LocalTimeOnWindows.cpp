// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/LocalTime.h"

namespace zarviki {

std::tm localTime(std::time_t moment)
{
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

}  // namespace zarviki
