// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Windows1252.h"

#include <array>
#include <cstdint>

namespace quorvex {

namespace {

// Code points of Windows-1252's bytes 0x80 to 0x9F (0 where it has none).
constexpr std::array<std::uint16_t, 32> kHighBytes = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Plain letters of U+0100 to U+017F (Latin Extended-A), by code point.
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "IiJjJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOo"
    "OoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";
static_assert(kLatinExtendedA.size() == 0x80);

struct StandIn {
    char32_t code;
    std::string_view text;
};

constexpr StandIn kStandIns[] = {
    {0x2010, "-"},   {0x2011, "-"},   {0x2012, "-"},   {0x2015, "-"},   {0x2212, "-"},
    {0x2032, "'"},   {0x2033, "\""},  {0x2044, "/"},   {0x2153, "1/3"}, {0x2154, "2/3"},
    {0x215B, "1/8"}, {0x215C, "3/8"}, {0x215D, "5/8"}, {0x215E, "7/8"},
};

// The Windows-1252 byte of a code point, 0 when it has none.
unsigned char ByteOf(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<unsigned char>(code);
    for (std::size_t i = 0; i < kHighBytes.size(); ++i) {
        if (kHighBytes[i] != 0 && kHighBytes[i] == code)
            return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

std::string_view StandInOf(char32_t code) {
    if (code >= 0x100 && code < 0x180) return kLatinExtendedA.substr(code - 0x100, 1);
    for (const StandIn& standIn : kStandIns) {
        if (standIn.code == code) return standIn.text;
    }
    return "?";
}

// Decodes the UTF-8 sequence at text[i]; returns its length, 0 when it is
// not valid UTF-8 (overlong forms and surrogates included).
std::size_t Decode(std::string_view text, std::size_t i, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC2 ? 2
                                        : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return 0;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0;
    return length;
}

}  // namespace

char SeparatorStandIn(char c) { return c == '|' ? '/' : c == '~' ? '-' : 0; }

void AppendWindows1252(std::string_view utf8, std::string& out, TextCounts& counts) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t code = 0;
        const std::size_t length = Decode(utf8, i, code);
        i += length == 0 ? 1 : length;
        const unsigned char byte = length == 0 ? 0 : ByteOf(code);
        if (length == 0 || (byte == 0 && code != 0)) {
            out += length == 0 ? std::string_view("?") : StandInOf(code);
            ++counts.standIns;
            continue;
        }
        const char c = static_cast<char>(byte);
        if (const char standIn = SeparatorStandIn(c)) {
            out += standIn;
            ++counts.replacements;
        } else {
            out += byte < 0x20 || byte == 0x7F ? ' ' : c;
        }
    }
}

}  // namespace quorvex
