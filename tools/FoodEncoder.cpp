#include "tools/FoodEncoder.h"

#include <array>

#include "db/CriUnit.h"

namespace quorvex {

namespace {

// Alphabet k holds at position v the stored byte of plain byte v, so each
// alphabet is already the 256-entry encoding table; this only saves the
// lookup of the alphabet itself per byte.
const std::array<const std::string*, 5>& EncodeTables() {
    static const std::array<const std::string*, 5> tables = {&DecodeAlphabet(1), &DecodeAlphabet(2),
                                                             &DecodeAlphabet(3), &DecodeAlphabet(4),
                                                             &DecodeAlphabet(5)};
    return tables;
}

}  // namespace

std::string EncodeLine(int lineIndex, std::string_view plain) {
    const auto& tables = EncodeTables();
    std::string stored(plain.size(), '\0');
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const long long b = static_cast<long long>(lineIndex) + static_cast<long long>(i) + 1;
        const std::string& alphabet = *tables[AlphabetFor(b) - 1];
        stored[i] = alphabet[static_cast<unsigned char>(plain[i])];
    }
    return stored;
}

std::string StoreProblem(std::string_view plain) {
    // The alphabets map 0, 10 and 13 to themselves and no other byte to
    // them, so exactly these plain bytes would come out as NUL or line ends.
    const std::size_t at = plain.find_first_of(std::string_view("\0\n\r", 3));
    if (at == std::string_view::npos) return {};
    const char* what = plain[at] == '\0'   ? "a NUL byte"
                       : plain[at] == '\n' ? "a line feed (LF)"
                                           : "a carriage return (CR)";
    return std::string("holds ") + what + " at position " + std::to_string(at + 1);
}

std::string EncodeFoodsFile(const std::vector<std::string>& plainLines) {
    std::string file;
    for (std::size_t i = 0; i < plainLines.size(); ++i) {
        file += EncodeLine(static_cast<int>(i), plainLines[i]);
        file += "\r\n";
    }
    return file;
}

}  // namespace quorvex
