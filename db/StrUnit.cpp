// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/StrUnit.h"

#include <algorithm>
#include <utility>

namespace quorvex {

std::string RepeatText(const std::string& text, int n) {
    std::string result;
    if (n <= 0) return result;
    result.reserve(text.size() * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) result += text;
    return result;
}

std::string FitText(const std::string& text, int n) {
    if (n <= 0) return std::string();
    const size_t width = static_cast<size_t>(n);
    if (text.size() < width) return text + std::string(width - text.size(), ' ');
    return text.substr(0, width);
}

namespace {

// Moves the blanks just before position end to the front of text; an
// all-blank run [0, end) first gets "0" as its last character.
std::string AlignBefore(std::string text, size_t end) {
    if (end == 0) return text;
    if (std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end),
                    [](char c) { return c == ' '; })) {
        text[end - 1] = '0';
    }
    size_t last = end;
    while (last > 0 && text[last - 1] == ' ') --last;
    std::rotate(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(last),
                text.begin() + static_cast<std::ptrdiff_t>(end));
    return text;
}

}  // namespace

std::string AlignRightText(std::string text) {
    const size_t end = text.size();
    return AlignBefore(std::move(text), end);
}

std::string AlignDecimalText(std::string text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return AlignRightText(std::move(text));
    return AlignBefore(std::move(text), comma);
}

std::string ZeroFillDecimals(std::string text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return text;
    std::replace(text.begin() + static_cast<std::ptrdiff_t>(comma), text.end(), ' ', '0');
    return text;
}

std::string ReplaceChar(char newChar, char oldChar, std::string text) {
    std::replace(text.begin(), text.end(), oldChar, newChar);
    return text;
}

std::string MaskBlankText(const std::string& mask) {
    return ReplaceChar(' ', '9', mask.substr(0, mask.find(';')));
}

}  // namespace quorvex
