// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AmountText.h"

#include <charconv>
#include <system_error>

namespace quorvex {

namespace {

std::size_t Skip(const std::string& text, std::size_t i, bool (*match)(char)) {
    while (i < text.size() && match(text[i])) ++i;
    return i;
}

// The space alone: the amount field puts spaces in its blank positions,
// and a tab (pasted, say) makes the text no number. The settings file's
// reader (list/IniFile.cpp) also trims tabs, which hand-edited INI files
// hold; the two rules differ on purpose.
bool IsBlank(char c) { return c == ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ReadAmountText(const std::string& fieldText, double& amount) {
    const std::size_t integerStart = Skip(fieldText, 0, IsBlank);
    const std::size_t integerEnd = Skip(fieldText, integerStart, IsDigit);
    std::size_t end = integerEnd;
    std::string fraction;
    if (end < fieldText.size() && fieldText[end] == ',') {
        const std::size_t fractionEnd = Skip(fieldText, end + 1, IsDigit);
        fraction = fieldText.substr(end + 1, fractionEnd - end - 1);
        end = fractionEnd;
    }
    if (end == integerStart) return false;
    if (Skip(fieldText, end, IsBlank) != fieldText.size()) return false;

    const std::string integer = fieldText.substr(integerStart, integerEnd - integerStart);
    const std::string number =
        (integer.empty() ? "0" : integer) + "." + (fraction.empty() ? "0" : fraction);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc()) return false;
    amount = value;
    return true;
}

}  // namespace quorvex
