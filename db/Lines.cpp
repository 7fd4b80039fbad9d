// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/Lines.h"

#include "db/FieldView.h"

namespace quorvex {

std::vector<std::string> SplitLines(std::string_view fileBytes) {
    std::vector<std::string> lines;
    ForEachLine(fileBytes, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::string GetField(int n, std::string_view line) { return std::string(FieldView(line, n)); }

}  // namespace quorvex
