// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the stored (scrambled) form of foods-file lines: the inverse of
// DecodeLine. Shared by the data tools and the tests; never part of the
// viewer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// The stored form of a plain line written at lineIndex (0-based position
// in the file); same length as plain. DecodeLine(lineIndex, result) gives
// plain back.
std::string EncodeLine(int lineIndex, std::string_view plain);
// The same, appended to out.
void AppendEncodedLine(int lineIndex, std::string_view plain, std::string& out);

// Why a plain line cannot be stored, or empty when it can: a CR, LF or NUL
// would end the line or the text when the file is read back. The message
// names the first such byte and its 1-based position, e.g. "holds a NUL
// byte at position 7".
std::string StoreProblem(std::string_view plain);

// The stored file for these plain lines: each encoded with its index,
// each followed by CR LF. Precondition: StoreProblem is empty for each.
std::string EncodeFoodsFile(const std::vector<std::string>& plainLines);

}  // namespace quorvex
