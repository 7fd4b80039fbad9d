// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/ListFilter.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "db/Collation.h"
#include "db/FieldView.h"
#include "db/Fields.h"
#include "list/WordFilter.h"

namespace quorvex {

namespace {

std::string WithoutTrailingControls(std::string text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    return text;
}

}  // namespace

std::string ListTitle(const GroupFilter& group, const WordFilterState& words,
                      const std::string& wordText) {
    std::string title = "USDA R14 - USE DOUBLE CLICK TO SELECT";
    if (group.On()) title += " - GROUP : " + WithoutTrailingControls(group.name);
    if (words.on) title += " - WORD : " + wordText;
    return title;
}

bool ScansFoodTable(const GroupFilter& group, const WordFilterState& words) {
    return group.On() || (words.on && !words.words.empty());
}

void FillFilteredList(const TextTable& foodTable, const GroupFilter& group,
                      const WordFilterState& words, std::vector<int>& filtered,
                      ProgressSink& progress) {
    filtered.clear();
    const std::vector<std::string_view>& lines = foodTable.Items();
    if (!ScansFoodTable(group, words)) {
        filtered.resize(lines.size());
        std::iota(filtered.begin(), filtered.end(), 0);
    } else {
        // Without a word filter the matcher has no words and passes every food.
        static const std::vector<std::string> kNoWords;
        WordMatcher matcher(words.on ? words.words : kNoWords);
        ProgressShowing showing(progress, foodTable.Count());
        // A loaded table's lines lie in file order, so table order jumps
        // through memory: fetching a few lines ahead hides most of the wait
        // for each.
        constexpr size_t kAhead = 16;
        for (int i = 0; i < foodTable.Count(); ++i) {
            showing.SetPosition(i);
            if (i + kAhead < lines.size()) __builtin_prefetch(lines[i + kAhead].data());
            const std::string_view line = lines[i];
            if (group.On() && FieldView(line, kFoodGroupCode) != group.code) continue;
            if (matcher.Matches(FieldView(line, kFoodDescription))) filtered.push_back(i);
        }
    }
    // Positions taken in order from a sorted table are in order already.
    if (!foodTable.IsSorted()) {
        std::stable_sort(filtered.begin(), filtered.end(),
                         [&lines](int a, int b) { return CompareText(lines[a], lines[b]) < 0; });
    }
}

}  // namespace quorvex
