// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Text1252.h"

#include <array>

namespace quorvex {

namespace {

// Where Windows-1252 differs from Latin-1: bytes 0x80 to 0x9F. The five
// bytes the code page leaves unassigned keep their C1 control character.
constexpr char16_t kHighControls[32] = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

constexpr std::array<char16_t, 256> MakeCharacters() {
    std::array<char16_t, 256> characters{};
    for (int byte = 0; byte < 256; ++byte) {
        characters[byte] =
            byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return characters;
}

// The character of every byte: the whole conversion, with no converter to
// build per text.
constexpr std::array<char16_t, 256> kCharacters = MakeCharacters();

// The byte of a character, or -1 when the code page has none.
int ByteOf(char16_t character) {
    if (character < 0x80 || (character >= 0xA0 && character < 0x100)) return character;
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == character) return 0x80 + i;
    }
    return -1;
}

}  // namespace

QString FromWin1252(std::string_view text) {
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char byte : text) *out++ = QChar(kCharacters[static_cast<unsigned char>(byte)]);
    return result;
}

std::string ToWin1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar character = text[i];
        // A pair of surrogates is one character, with no byte either.
        if (character.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        }
        const int byte = ByteOf(character.unicode());
        bytes += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return bytes;
}

bool FitsWin1252(const QString& text) {
    for (const QChar character : text) {
        if (ByteOf(character.unicode()) < 0) return false;
    }
    return true;
}

}  // namespace quorvex
