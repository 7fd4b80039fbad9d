// SPDX-License-Identifier: GPL-3.0-or-later
// Descrambling of the stored lines of the foods file.
//
// A stored line is turned back into plain text byte by byte: the byte at
// 1-based position p of the line at 0-based index a is looked up in one of
// five alphabets, chosen by b = a + p (divisible by 5 -> 5, else by 4 -> 4,
// by 3 -> 3, by 2 -> 2, else 1); its position in that alphabet is the plain
// byte. Every alphabet keeps 0, 10 and 13 in place, so no plain byte is
// ever stored as a NUL or a line end.
#pragma once

#include <cstddef>
#include <string>

namespace quorvex {

// Number of the alphabet (1..5) that serves b = lineIndex + position.
int AlphabetFor(long long b);

// Alphabet k, 256 bytes, a permutation of every byte value. Precondition:
// 1 <= k <= 5 (other k throw std::out_of_range).
const std::string& DecodeAlphabet(int k);

// Plain text of a stored line; same length as stored. lineIndex is the
// line's 0-based position in the foods file. Precondition: lineIndex >= 0;
// a negative one throws std::out_of_range and decodes nothing, since it
// would select no alphabet.
std::string DecodeLine(int lineIndex, const std::string& stored);

// Decodes in place: the buffer holds the stored line on entry and the plain
// line on return. Same precondition and failure as DecodeLine; line is
// untouched when it throws.
void DecodeLineInPlace(int lineIndex, std::string& line);

// The same on size bytes at line, which may lie inside a larger buffer.
// Same precondition and failure.
void DecodeLineInPlace(int lineIndex, char* line, std::size_t size);

// The same, always by a table lookup per byte: the path of processors
// without the byte permutes DecodeLineInPlace uses where it finds them, kept
// callable so that both paths are checked on any machine.
void DecodeLineInPlaceByTables(int lineIndex, char* line, std::size_t size);

}  // namespace quorvex
