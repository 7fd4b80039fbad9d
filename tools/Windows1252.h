// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer's texts are Windows-1252 bytes without its two separators;
// USDA's texts come as Windows-1252 (the Standard Reference) or UTF-8
// (FoodData Central).
#pragma once

#include <string>
#include <string_view>

namespace quorvex {

// What stands for a byte that the viewer's lines use as a separator: "/"
// for "|" (ends a field), "-" for "~" (ends a household weight item); 0 for
// any other byte.
char SeparatorStandIn(char c);

struct TextCounts {
    int replacements = 0;  // separators replaced
    int standIns = 0;      // characters Windows-1252 lacks, or bytes not UTF-8
};

// Appends UTF-8 text as Windows-1252, with separators replaced and control
// characters (line breaks, tabs) as blanks. A character Windows-1252 lacks
// is written as a readable stand-in: the plain letter of a Latin letter
// with a diacritic (ł -> l), an ASCII form of a dash, prime or vulgar
// fraction (⅓ -> 1/3), else "?"; a byte that is not part of valid UTF-8
// is written "?". Both are counted.
void AppendWindows1252(std::string_view utf8, std::string& out, TextCounts& counts);

}  // namespace quorvex
