// The one comparison that sorts every table and index and drives find.
//
// Case-insensitive, deciding at the first byte whose weights differ; a text
// that is a prefix of another sorts first. Weights: control characters,
// then the bar "|" (below every other printable character, so a key sorts
// before its own longer extensions), blank and punctuation, digits, then
// letters with small and capital equal and each Windows-1252 accented
// letter right after its plain letter.
#pragma once

#include <string_view>

namespace quorvex {

// < 0, 0 or > 0 as a sorts before, equal to or after b.
int CompareText(std::string_view a, std::string_view b);

// Sort weight of one byte.
int CollationWeight(unsigned char c);

}  // namespace quorvex
