// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/SrDecimal.h"

#include <algorithm>
#include <utility>

#include "db/DecimalText.h"

namespace quorvex {

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<Decimal> ParseDecimal(std::string_view text) {
    Decimal value;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        value.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    value.whole = text.substr(0, point);
    if (point != std::string_view::npos) value.fraction = text.substr(point + 1);
    if (value.whole.empty() && value.fraction.empty()) return std::nullopt;
    if (!AllDigits(value.whole) || !AllDigits(value.fraction)) return std::nullopt;
    return value;
}

// Appends value / 10^shift with exactly `decimals` decimals, rounding half
// away from zero. Done on the digits, so it is exact decimal rounding of the
// text, with no binary fraction in between.
void AppendRounded(const Decimal& value, int shift, int decimals, std::string& out) {
    DecimalDigits number;
    const long whole = static_cast<long>(value.whole.size()) - shift;
    if (whole < 1) number.digits.assign(static_cast<std::size_t>(1 - whole), '0');
    number.intDigits = static_cast<int>(std::max(whole, 1L));
    number.digits.append(value.whole).append(value.fraction);
    out += CutDecimalText(value.negative, std::move(number), decimals);
}

// Appends the value without leading zeros (one kept before the point) and
// without trailing zeros after it: 5.0 -> 5, .25 -> 0.25.
void AppendTrimmed(const Decimal& value, std::string& out) {
    std::string_view whole = value.whole;
    std::string_view fraction = value.fraction;
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    if (value.negative && (!whole.empty() || !fraction.empty())) out += '-';
    out.append(whole.empty() ? std::string_view("0") : whole);
    if (!fraction.empty()) out.append(".").append(fraction);
}

}  // namespace quorvex
