// SPDX-License-Identifier: GPL-3.0-or-later
// Filling the food list: which food lines the list window shows for its
// group filter and word filter, and the title that names them.
#pragma once

#include <string>
#include <vector>

#include "db/DBUnit.h"

namespace quorvex {

// The group filter: off while index is negative.
struct GroupFilter {
    int index = -1;    // position of the group's item in the "Group Filter" submenu
    std::string name;  // group name (field 2 of its group line); "TODOS" once switched off
    std::string code;  // group code, compared with field 38 of each food line

    bool On() const { return index >= 0; }
};

// The word filter: on with no words lets every food pass.
struct WordFilterState {
    bool on = false;
    std::vector<std::string> words;  // as MatchWords takes them
};

// "USDA R14 - USE DOUBLE CLICK TO SELECT", then " - GROUP : " and the group
// name without its trailing blanks and control characters while the group
// filter is on, then " - WORD : " and wordText unchanged while the word
// filter is on.
std::string ListTitle(const GroupFilter& group, const WordFilterState& words,
                      const std::string& wordText);

// True when a fill scans the food table line by line (a group filter, or a
// word filter with at least one word); otherwise every food is listed.
bool ScansFoodTable(const GroupFilter& group, const WordFilterState& words);

// Replaces filtered's content by the positions in foodTable of the food
// lines that pass both filters, in CompareText order of their lines (the
// food table's own order when it is sorted). A group filter keeps the lines
// whose field 38 equals its code byte for byte. While scanning, progress is
// shown with the food count as maximum and each line's index as position,
// and closed at the end; a fill that lists every food shows no progress.
void FillFilteredList(const TextTable& foodTable, const GroupFilter& group,
                      const WordFilterState& words, std::vector<int>& filtered,
                      ProgressSink& progress);

}  // namespace quorvex
