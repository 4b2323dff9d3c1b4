// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/TableState.h"

#include <limits>

namespace zarviki {

long long leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    long long value = 0;
    constexpr long long limit = std::numeric_limits<long long>::max() / 10 - 9;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > limit)
            return std::numeric_limits<long long>::max();
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string decimalText(long long value)
{
    return std::to_string(value < 0 ? 0 : value);
}

bool dieTakeable(const TableState &s, int index)
{
    return index >= 0 && index < DiceCount && s.Command1[index].Enabled && s.Command1[index].Top != SetAside;
}

}  // namespace zarviki
