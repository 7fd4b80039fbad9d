// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/Collation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quorvex {

namespace {

struct Accented {
    char base;
    unsigned char upper;  // 0 when the letter has no capital form here
    unsigned char lower;
};

// Windows-1252 letters with a diacritic (or a ligature), each sorting right
// after its plain letter, in this order.
constexpr Accented kAccented[] = {
    {'A', 0xC0, 0xE0}, {'A', 0xC1, 0xE1}, {'A', 0xC2, 0xE2}, {'A', 0xC3, 0xE3}, {'A', 0xC4, 0xE4},
    {'A', 0xC5, 0xE5}, {'A', 0xC6, 0xE6}, {'C', 0xC7, 0xE7}, {'D', 0xD0, 0xF0}, {'E', 0xC8, 0xE8},
    {'E', 0xC9, 0xE9}, {'E', 0xCA, 0xEA}, {'E', 0xCB, 0xEB}, {'I', 0xCC, 0xEC}, {'I', 0xCD, 0xED},
    {'I', 0xCE, 0xEE}, {'I', 0xCF, 0xEF}, {'N', 0xD1, 0xF1}, {'O', 0xD2, 0xF2}, {'O', 0xD3, 0xF3},
    {'O', 0xD4, 0xF4}, {'O', 0xD5, 0xF5}, {'O', 0xD6, 0xF6}, {'O', 0xD8, 0xF8}, {'O', 0x8C, 0x9C},
    {'S', 0x8A, 0x9A}, {'S', 0, 0xDF},    {'T', 0xDE, 0xFE}, {'U', 0xD9, 0xF9}, {'U', 0xDA, 0xFA},
    {'U', 0xDB, 0xFB}, {'U', 0xDC, 0xFC}, {'Y', 0xDD, 0xFD}, {'Y', 0x9F, 0xFF}, {'Z', 0x8E, 0x9E},
};

constexpr bool IsControl(int c) { return c < 32 || c == 127; }
constexpr bool IsDigit(int c) { return c >= '0' && c <= '9'; }
constexpr bool IsPlainLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr bool IsAccented(int c) {
    for (const Accented& letter : kAccented) {
        if (letter.upper == c || letter.lower == c) return true;
    }
    return false;
}

constexpr std::array<std::uint16_t, 256> MakeWeights() {
    std::array<std::uint16_t, 256> weights{};
    std::uint16_t next = 1;
    for (int c = 0; c < 256; ++c) {
        if (IsControl(c)) weights[c] = next++;
    }
    weights['|'] = next++;
    weights[' '] = next++;
    // Punctuation and symbols, ASCII and high bytes alike, in code order.
    for (int c = 33; c < 256; ++c) {
        if (c != '|' && !IsControl(c) && !IsDigit(c) && !IsPlainLetter(c) && !IsAccented(c)) {
            weights[c] = next++;
        }
    }
    for (int c = '0'; c <= '9'; ++c) weights[c] = next++;
    for (char base = 'A'; base <= 'Z'; ++base) {
        weights[static_cast<unsigned char>(base)] = next;
        weights[static_cast<unsigned char>(base - 'A' + 'a')] = next++;
        for (const Accented& letter : kAccented) {
            if (letter.base != base) continue;
            if (letter.upper != 0) weights[letter.upper] = next;
            weights[letter.lower] = next++;
        }
    }
    return weights;
}

constexpr std::array<std::uint16_t, 256> kWeights = MakeWeights();
static_assert(*std::max_element(kWeights.begin(), kWeights.end()) < 256,
              "a weight must fit in one byte of a collation prefix");

}  // namespace

int CollationWeight(unsigned char c) { return kWeights[c]; }

std::uint64_t CollationPrefix(std::string_view text) {
    const size_t size = text.size() < 8 ? text.size() : 8;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::uint64_t prefix = 0;
    // No test per byte on the usual whole 8, so the loop unrolls.
    if (size == 8) {
        for (size_t i = 0; i < 8; ++i) prefix = prefix << 8 | kWeights[bytes[i]];
        return prefix;
    }
    for (size_t i = 0; i < size; ++i) prefix = prefix << 8 | kWeights[bytes[i]];
    // Shifting by all 64 bits would be undefined.
    return size == 0 ? 0 : prefix << 8 * (8 - size);
}

int CompareText(std::string_view a, std::string_view b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        // Equal bytes have equal weights: long equal runs (sorted lines that
        // share their start) are passed eight bytes at a time.
        std::uint64_t wordA = 0, wordB = 0;
        if (i + 8 <= common) {
            std::memcpy(&wordA, a.data() + i, 8);
            std::memcpy(&wordB, b.data() + i, 8);
            if (wordA == wordB) {
                i += 7;
                continue;
            }
        }
        const int difference =
            kWeights[static_cast<unsigned char>(a[i])] - kWeights[static_cast<unsigned char>(b[i])];
        if (difference != 0) return difference;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace quorvex
