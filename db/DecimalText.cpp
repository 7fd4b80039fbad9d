// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/DecimalText.h"

namespace quorvex {

std::string CutDecimalText(bool negative, DecimalDigits number, int decimals) {
    std::string& digits = number.digits;
    const std::size_t keep = static_cast<std::size_t>(number.intDigits + decimals);
    if (digits.size() <= keep) {
        digits.resize(keep, '0');
    } else {
        const bool roundUp = digits[keep] >= '5';
        digits.resize(keep);
        if (roundUp) {
            std::size_t i = keep;
            while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
            if (i > 0) {
                ++digits[i - 1];
            } else {
                digits.insert(digits.begin(), '1');
                ++number.intDigits;
            }
        }
    }
    const auto intDigits = static_cast<std::size_t>(number.intDigits);
    const std::size_t firstSignificant = digits.find_first_not_of('0');
    std::string text;
    if (negative && firstSignificant != std::string::npos) text += '-';
    text += firstSignificant < intDigits
                ? digits.substr(firstSignificant, intDigits - firstSignificant)
                : "0";
    if (decimals > 0) text += '.' + digits.substr(intDigits, static_cast<std::size_t>(decimals));
    return text;
}

}  // namespace quorvex
