// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/WordFilter.h"

#include <array>

namespace quorvex {

namespace {

using ByteMap = std::array<unsigned char, 256>;

constexpr ByteMap IdentityMap() {
    ByteMap map{};
    for (int c = 0; c < 256; ++c) map[c] = static_cast<unsigned char>(c);
    return map;
}

constexpr void MapRange(ByteMap& map, int first, int last, char plain) {
    for (int c = first; c <= last; ++c) map[c] = static_cast<unsigned char>(plain);
}

// Windows-1252 codes of the folded letters, capitals then small letters.
constexpr ByteMap BuildFoldMap() {
    ByteMap map = IdentityMap();
    for (int small = 0; small <= 0x20; small += 0x20) {
        const char caseShift = static_cast<char>(small);
        MapRange(map, 0xC0 + small, 0xC3 + small, static_cast<char>('A' + caseShift));
        MapRange(map, 0xC7 + small, 0xC7 + small, static_cast<char>('C' + caseShift));
        MapRange(map, 0xC8 + small, 0xCA + small, static_cast<char>('E' + caseShift));
        MapRange(map, 0xCC + small, 0xCD + small, static_cast<char>('I' + caseShift));
        MapRange(map, 0xD2 + small, 0xD5 + small, static_cast<char>('O' + caseShift));
        MapRange(map, 0xD9 + small, 0xDA + small, static_cast<char>('U' + caseShift));
    }
    return map;
}

// Fold, then a-z to A-Z, then blank to "-": the whole preparation of a
// description in one lookup per byte.
constexpr ByteMap BuildPrepareMap() {
    ByteMap map = BuildFoldMap();
    for (unsigned char& c : map) {
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c == ' ') c = '-';
    }
    return map;
}

constexpr ByteMap kFoldMap = BuildFoldMap();
constexpr ByteMap kPrepareMap = BuildPrepareMap();

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

}  // namespace

std::string FoldAccents(std::string text) {
    for (char& c : text) c = static_cast<char>(kFoldMap[Byte(c)]);
    return text;
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && Byte(text[end - 1]) <= ' ') --end;
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < end) {
        std::size_t blank = text.find(' ', start);
        if (blank == std::string::npos || blank > end) blank = end;
        if (blank > start) words.push_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    return words;
}

bool MatchWords(const std::vector<std::string>& words, const std::string& description) {
    return WordMatcher(words).Matches(description);
}

WordMatcher::WordMatcher(const std::vector<std::string>& words) : words_(words) {}

bool WordMatcher::Matches(std::string_view description) {
    prepared_.resize(description.size());
    for (std::size_t i = 0; i < description.size(); ++i) {
        prepared_[i] = static_cast<char>(kPrepareMap[Byte(description[i])]);
    }
    const std::string_view prepared(prepared_);
    for (const std::string& word : words_) {
        if (prepared.find(word) == std::string_view::npos) return false;
    }
    return true;
}

}  // namespace quorvex
