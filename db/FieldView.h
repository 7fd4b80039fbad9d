// SPDX-License-Identifier: GPL-3.0-or-later
// Field access on plain data lines, without copying: fields are separated
// by "|" and numbered from 1.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace quorvex {

// Field n of line, a view into line (valid while line's bytes are). Past
// the last field the last field is returned again; n <= 0 gives the empty
// text. Reads eight bytes at a time: the list scan calls it on every food
// line for field 38.
std::string_view FieldView(std::string_view line, int n);

// Fields 1 to count of line in one pass over it: element n - 1 is field
// n, as FieldView(line, n) gives it. For a line read field by field, so
// that no lookup passes a long field again. Precondition: count >= 1.
std::vector<std::string_view> SplitFields(std::string_view line, int count);

// The key of a data line: its text before its first bar (field 1), a view
// into line. A line without a bar has no key; the indexes enter it as the
// empty text.
std::optional<std::string_view> LineKey(std::string_view line);

}  // namespace quorvex
