// SPDX-License-Identifier: GPL-3.0-or-later
// quorvex-encode-foods (built as encode-foods): prepares the stored
// (scrambled) foods file from a plain one, or turns a stored one back into
// plain text for inspection.
//
//   quorvex-encode-foods PLAIN STORED
//   quorvex-encode-foods --decode STORED PLAIN
//   quorvex-encode-foods --help
//
// The plain file is split into lines exactly as the viewer splits the
// stored one, so line n of the plain file is stored as line n. Messages
// count lines from 1. Exit status: 0 written (warnings may have been
// printed), 1 a file could not be read or written, 2 wrong usage or a plain
// file that cannot be stored. On any failure the output file is not
// written; the whole file is checked before anything is written. --help
// prints the usage on standard output with status 0; wrong usage prints it
// on standard error with status 2.
#include <algorithm>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/AtomicFile.h"
#include "db/CriUnit.h"
#include "db/DBUnit.h"
#include "db/FieldView.h"
#include "db/Fields.h"
#include "tools/EqualTexts.h"
#include "tools/FoodEncoder.h"

namespace {

using quorvex::SplitLines;

constexpr int kDone = 0;
constexpr int kFileFailure = 1;
constexpr int kRefused = 2;

// Messages name the installed command, whatever name the program is run by.
constexpr const char* kProgram = "quorvex-encode-foods";

void PrintUsage(std::ostream& out) {
    out << "usage: " << kProgram << " PLAIN STORED\n"
        << "       " << kProgram << " --decode STORED PLAIN\n";
}

// The 1-based number and the bytes (line end excluded) of the line that
// holds the byte at offset, lines counted as the viewer splits them.
// Precondition: offset < bytes.size().
std::pair<int, std::string_view> LineAt(std::string_view bytes, std::size_t offset) {
    quorvex::LineWalker lines(bytes);
    int number = 1;
    for (std::optional<quorvex::LineView> line = lines.Next(); line; line = lines.Next()) {
        const std::size_t past =
            static_cast<std::size_t>(line->end.data() - bytes.data()) + line->end.size();
        if (past > offset) return {number, line->text};
        ++number;
    }
    return {number, {}};
}

// The reader would silently cut the text at a NUL (and lose every later
// line), so a plain file holding one is refused rather than truncated.
// CR and LF cannot be inside a line once the file is split.
bool RefuseUnstorable(const std::string& path, std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos) return false;
    const auto [number, line] = LineAt(bytes, nul);
    std::cerr << kProgram << ": " << path << ": line " << number << " "
              << quorvex::StoreProblem(line) << "; nothing written\n";
    return true;
}

void WarnAboutFieldCounts(const std::string& path, const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto fields = std::count(lines[i].begin(), lines[i].end(), '|') + 1;
        if (fields == quorvex::kFoodFieldCount) continue;
        std::cerr << kProgram << ": warning: " << path << ": line " << i + 1 << ": " << fields
                  << " field(s) instead of " << quorvex::kFoodFieldCount << " (stored as it is)\n";
    }
}

// True when the bytes above 127 all form well-formed UTF-8 sequences and
// there is at least one: Windows-1252 text with accents almost never does.
bool LooksLikeUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80                    ? 0
                          : lead >= 0xC2 && lead <= 0xDF ? 1
                          : lead >= 0xE0 && lead <= 0xEF ? 2
                          : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                         : -1;
        if (extra < 0 || bytes.size() - i <= static_cast<std::size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        multiByte = multiByte || extra > 0;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return multiByte;
}

void WarnAboutUtf8(const std::string& path, std::string_view bytes) {
    if (!LooksLikeUtf8(bytes)) return;
    std::cerr << kProgram << ": warning: " << path
              << " reads as UTF-8, but the viewer shows Windows-1252; its accented letters will "
                 "come out wrong (stored as it is)\n";
}

// Foods whose descriptions compare equal share one index entry in the
// viewer, which shifts every later food in the list.
void WarnAboutRepeatedKeys(const std::string& path, const std::vector<std::string>& lines) {
    std::vector<std::string_view> keys;
    keys.reserve(lines.size());
    // A line without a key is indexed by the empty text.
    for (const std::string& line : lines) keys.push_back(quorvex::LineKey(line).value_or(""));
    for (const auto& [first, again] : quorvex::EqualTextPairs(keys)) {
        std::cerr << kProgram << ": warning: " << path << ": line " << again + 1
                  << " has the same description as line " << first + 1
                  << " (case ignored); the viewer can show only one of them\n";
    }
}

int Encode(const std::string& plainPath, const std::string& storedPath) {
    const std::string bytes = quorvex::ReadWholeFile(plainPath);
    if (RefuseUnstorable(plainPath, bytes)) return kRefused;
    WarnAboutUtf8(plainPath, bytes);
    const std::vector<std::string> lines = SplitLines(bytes);
    WarnAboutFieldCounts(plainPath, lines);
    WarnAboutRepeatedKeys(plainPath, lines);
    quorvex::WriteFileAtomically(storedPath, quorvex::EncodeFoodsFile(lines));
    return kDone;
}

int Decode(const std::string& storedPath, const std::string& plainPath) {
    const std::vector<std::string> lines = SplitLines(quorvex::ReadWholeFile(storedPath));
    std::string plain;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        plain += quorvex::DecodeLine(static_cast<int>(i), lines[i]);
        plain += "\r\n";
    }
    quorvex::WriteFileAtomically(plainPath, plain);
    return kDone;
}

int Run(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(std::cout);
        return kDone;
    }
    if (args.size() == 3 && args[0] == "--decode") return Decode(args[1], args[2]);
    if (args.size() == 2 && !args[0].starts_with("-")) return Encode(args[0], args[1]);
    PrintUsage(std::cerr);
    return kRefused;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& failure) {
        std::cerr << kProgram << ": " << failure.what() << "\n";
        return kFileFailure;
    }
}
