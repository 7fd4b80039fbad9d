#include "list/ListFilter.h"

#include <string_view>

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

void FillFilteredList(const TextList& foodTable, const GroupFilter& group,
                      const WordFilterState& words, TextList& filtered, ProgressSink& progress) {
    filtered.SetSorted(false);
    filtered.Clear();
    const std::vector<std::string>& lines = foodTable.Items();
    if (!ScansFoodTable(group, words)) {
        filtered.Assign(lines);
    } else {
        // Without a word filter the matcher has no words and passes every food.
        static const std::vector<std::string> kNoWords;
        WordMatcher matcher(words.on ? words.words : kNoWords);
        progress.Show(foodTable.Count());
        for (int i = 0; i < foodTable.Count(); ++i) {
            progress.SetPosition(i);
            const std::string& line = lines[i];
            if (group.On() && FieldView(line, kFoodGroupCode) != group.code) continue;
            if (matcher.Matches(FieldView(line, kFoodDescription))) filtered.Add(line);
        }
        progress.Close();
    }
    // Lines taken in order from a sorted table are in order already.
    if (!foodTable.IsSorted()) filtered.SetSorted(true);
}

}  // namespace quorvex
