// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the amount dialog's field text as a number.
#pragma once

#include <string>

namespace quorvex {

// Reads fieldText as blanks, digits, an optional "," with more digits, and
// blanks, the comma being the decimal point whatever the locale. A lone
// comma reads as 0. True with amount set when the text is such a number;
// false, amount untouched, when it is not (nothing at all, a blank between
// digits, any other character).
bool ReadAmountText(const std::string& fieldText, double& amount);

}  // namespace quorvex
