// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as USDA's files write them, read and written again as decimal
// text, never through a binary float.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvex {

// A decimal number as USDA writes it: optional sign, digits, optional point
// and digits; at least one digit in all. Views into the record, which must
// outlive it.
struct Decimal {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

// Whether every character of text is a digit 0-9 (true for the empty text).
bool AllDigits(std::string_view text);

// A string of digits: at least one, and nothing else.
inline bool IsDigits(std::string_view text) { return !text.empty() && AllDigits(text); }

// text as a Decimal; nothing when it is not one.
std::optional<Decimal> ParseDecimal(std::string_view text);

// Appends value / 10^shift with exactly `decimals` decimals, rounding half
// away from zero, exactly on the digits.
void AppendRounded(const Decimal& value, int shift, int decimals, std::string& out);

// Appends the value without leading zeros (one kept before the point) and
// without trailing zeros after it: 5.0 -> 5, .25 -> 0.25.
void AppendTrimmed(const Decimal& value, std::string& out);

}  // namespace quorvex
