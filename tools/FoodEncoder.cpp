// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/FoodEncoder.h"

#include <array>

#include "db/CriUnit.h"

namespace quorvex {

namespace {

// Alphabet k holds at position v the stored byte of plain byte v, so each
// alphabet is already the 256-entry encoding table. The choice of alphabet
// repeats with this period in b = line index + position, so each phase's
// alphabet is found once, not once per byte.
constexpr int kAlphabetPeriod = 60;

const std::array<const std::string*, kAlphabetPeriod>& EncodeTables() {
    static const auto tables = [] {
        std::array<const std::string*, kAlphabetPeriod> byPhase{};
        for (int phase = 0; phase < kAlphabetPeriod; ++phase) {
            byPhase[static_cast<std::size_t>(phase)] = &DecodeAlphabet(AlphabetFor(phase));
        }
        return byPhase;
    }();
    return tables;
}

}  // namespace

std::string EncodeLine(int lineIndex, std::string_view plain) {
    std::string stored;
    AppendEncodedLine(lineIndex, plain, stored);
    return stored;
}

void AppendEncodedLine(int lineIndex, std::string_view plain, std::string& out) {
    const auto& tables = EncodeTables();
    const std::size_t at = out.size();
    out.resize(at + plain.size());
    auto phase =
        static_cast<std::size_t>((static_cast<long long>(lineIndex) + 1) % kAlphabetPeriod);
    for (std::size_t i = 0; i < plain.size(); ++i) {
        out[at + i] = (*tables[phase])[static_cast<unsigned char>(plain[i])];
        if (++phase == kAlphabetPeriod) phase = 0;
    }
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
        AppendEncodedLine(static_cast<int>(i), plainLines[i], file);
        file += "\r\n";
    }
    return file;
}

}  // namespace quorvex
