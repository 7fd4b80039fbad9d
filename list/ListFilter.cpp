#include "list/ListFilter.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "db/Fields.h"
#include "list/WordFilter.h"

namespace quorvex {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

// The number of bytes of word that are bars: a high bit is set in each
// such byte, and only there; the multiplication adds the bits up.
int CountBars(std::uint64_t word) {
    const std::uint64_t x = word ^ (kOnes * '|');
    const std::uint64_t bars = ~(((x & kLow7) + kLow7) | x | kLow7);
    return static_cast<int>(((bars >> 7) * kOnes) >> 56);
}

// Position of the count-th bar (from 1) of line, or npos. Eight bytes at a
// time: a food line's group code lies behind 37 bars.
std::size_t NthBar(std::string_view line, int count) {
    std::size_t i = 0;
    for (; i + 8 <= line.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, line.data() + i, 8);
        const int bars = CountBars(word);
        if (bars >= count) break;
        count -= bars;
    }
    for (; i < line.size(); ++i) {
        if (line[i] == '|' && --count == 0) return i;
    }
    return std::string_view::npos;
}

// Field n (from 1) of line as GetField gives it, without copying: past the
// last field, the last field again.
std::string_view FieldView(std::string_view line, int n) {
    if (n <= 0) return {};
    const std::size_t start = n == 1 ? 0 : NthBar(line, n - 1);
    if (start == std::string_view::npos) {
        const std::size_t lastBar = line.rfind('|');
        return lastBar == std::string_view::npos ? line : line.substr(lastBar + 1);
    }
    const std::size_t from = n == 1 ? 0 : start + 1;
    const std::size_t end = line.find('|', from);
    return line.substr(from, end == std::string_view::npos ? line.size() - from : end - from);
}

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
