// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal rounding done on digit strings, so a number read from a text is
// cut exactly, with no binary fraction in between.
#pragma once

#include <string>

namespace quorvex {

// A non-negative number as its decimal digits, intDigits of them before the
// point. Leading zeros are allowed; intDigits >= 1.
struct DecimalDigits {
    std::string digits;
    int intDigits = 1;
};

// The text of the number (negated when negative) with exactly `decimals`
// decimals (>= 0): the first dropped digit rounds the last kept one up when
// it is 5 or more (half away from zero), missing decimals are zeros. No
// leading zeros but the one before the point, "." as the point, and a "-"
// only when a non-zero digit is left, so nothing reads "-0".
std::string CutDecimalText(bool negative, DecimalDigits number, int decimals);

}  // namespace quorvex
