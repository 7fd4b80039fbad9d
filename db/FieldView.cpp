// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/FieldView.h"

#include <cstdint>
#include <cstring>

namespace quorvex {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

// The number of bytes of word that are bars: a high bit is set in each
// such byte, and only there; the multiplication adds the bits up.
int CountBars(std::uint64_t word) {
    const std::uint64_t x = word ^ (kOnes * '|');
    const std::uint64_t bars = ~(((x & kLow7) + kLow7) | x | kLow7);
    return static_cast<int>(((bars >> 7) * kOnes) >> 56);
}

// Position of the count-th bar (from 1) of line, or npos. Eight bytes at a
// time: a food line's group code lies behind 37 bars.
std::size_t NthBar(std::string_view line, int count) {
    std::size_t i = 0;
    for (; i + 8 <= line.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, line.data() + i, 8);
        const int bars = CountBars(word);
        if (bars >= count) break;
        count -= bars;
    }
    for (; i < line.size(); ++i) {
        if (line[i] == '|' && --count == 0) return i;
    }
    return std::string_view::npos;
}

}  // namespace

std::string_view FieldView(std::string_view line, int n) {
    if (n <= 0) return {};
    const std::size_t start = n == 1 ? 0 : NthBar(line, n - 1);
    if (start == std::string_view::npos) {
        const std::size_t lastBar = line.rfind('|');
        return lastBar == std::string_view::npos ? line : line.substr(lastBar + 1);
    }
    const std::size_t from = n == 1 ? 0 : start + 1;
    const std::size_t end = line.find('|', from);
    return line.substr(from, end == std::string_view::npos ? line.size() - from : end - from);
}

std::vector<std::string_view> SplitFields(std::string_view line, int count) {
    std::vector<std::string_view> fields;
    fields.reserve(static_cast<std::size_t>(count));
    std::size_t start = 0;
    while (static_cast<int>(fields.size()) < count) {
        const std::size_t bar = line.find('|', start);
        if (bar == std::string_view::npos) {
            // Past the last field, the last field again.
            fields.resize(static_cast<std::size_t>(count), line.substr(start));
            break;
        }
        fields.push_back(line.substr(start, bar - start));
        start = bar + 1;
    }
    return fields;
}

std::optional<std::string_view> LineKey(std::string_view line) {
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) return std::nullopt;
    return line.substr(0, bar);
}

}  // namespace quorvex
