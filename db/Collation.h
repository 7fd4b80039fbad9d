// SPDX-License-Identifier: GPL-3.0-or-later
// The one comparison that sorts every table and index and drives find.
//
// Case-insensitive, deciding at the first byte whose weights differ; a text
// that is a prefix of another sorts first. Weights: control characters,
// then the bar "|" (below every other printable character, so a key sorts
// before its own longer extensions), blank and punctuation, digits, then
// letters with small and capital equal and each Windows-1252 accented
// letter right after its plain letter.
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvex {

// < 0, 0 or > 0 as a sorts before, equal to or after b.
int CompareText(std::string_view a, std::string_view b);

// Sort weight of one byte: 1 to 255, so that a weight fits in a byte and 0
// can stand for "no byte".
int CollationWeight(unsigned char c);

// The weights of text's first 8 bytes, the first in the highest byte, 0 for
// each byte past the end. Comparing two prefixes as numbers gives the sign
// CompareText gives for the texts, except where the prefixes are equal:
// then the texts agree on their first 8 bytes' weights (and, when either is
// shorter than 8 bytes, are equal), and what follows decides.
std::uint64_t CollationPrefix(std::string_view text);

}  // namespace quorvex
