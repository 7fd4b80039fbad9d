// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/Loaders.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/FieldView.h"
#include "db/HugePages.h"
#include "db/Lines.h"
#include "db/TableOrder.h"
#include "db/WholeFile.h"

namespace quorvex {

const char* const kNoSuchCodeText = "Erro! Codigo n\xE3o existe!";

namespace {

// A file's bytes, shared by the tables and indexes that hold views into
// them, and its lines as views. Made shared before the views are taken:
// moving a short string would move its bytes.
struct FileLines {
    std::shared_ptr<std::string> bytes;
    std::vector<std::string_view> lines;
};

// About how many lines bytes hold, a little more, judged by the LFs in
// their first part: room reserved before the first line is stored saves
// growing the vector, and every growth copies it into fresh memory.
size_t ExpectedLines(std::string_view bytes) {
    const std::string_view sample = bytes.substr(0, size_t{256} << 10);
    const auto ends = static_cast<size_t>(std::count(sample.begin(), sample.end(), '\n'));
    return sample.empty() ? 1 : (ends + 1) * (bytes.size() / sample.size()) * 9 / 8 + 1;
}

FileLines ReadFileLines(const std::string& path) {
    FileLines file{std::make_shared<std::string>(ReadWholeText(path)), {}};
    ReserveLarge(file.lines, ExpectedLines(*file.bytes));
    ForEachLine(*file.bytes, [&file](std::string_view line) { file.lines.push_back(line); });
    return file;
}

// The table, created when absent, emptied.
LoadedTable& EmptyTable(std::unique_ptr<LoadedTable>& table) {
    if (!table) table = std::make_unique<LoadedTable>();
    *table = LoadedTable();
    return *table;
}

// Fills the index, created when absent, with the key of every line of the
// sorted table, followed by its bar when withBar, each once; a line
// without a key adds the empty text. The keys are views into the table's
// bytes, which the index shares.
void BuildIndex(const LoadedTable& table, std::unique_ptr<LoadedTable>& index, bool withBar) {
    const std::vector<std::string_view>& lines = table.Items();
    std::vector<std::string_view> keys;
    ReserveLarge(keys, lines.size());
    // The lines lie in file order, so table order jumps through memory:
    // fetching a few lines ahead hides most of the wait for each.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + kAhead < lines.size()) __builtin_prefetch(lines[i + kAhead].data());
        const std::string_view line = lines[i];
        const std::optional<std::string_view> key = LineKey(line);
        const std::string_view text = line.substr(0, !key ? 0 : key->size() + (withBar ? 1 : 0));
        if (const std::optional<size_t> at = SortedPosition(keys, text)) {
            keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(*at), text);
        }
    }
    EmptyTable(index) = LoadedTable(table.Bytes(), std::move(keys));
}

// The part of the bar that decoding a large table fills, by the times
// db_bench measures for decoding and sorting.
constexpr int kDecodingShareOfLargeLoads = 15;

// Where the bar stands while a foods file is decoded and sorted. The
// importers write lines in table order, and such a file needs no sort, so
// decoding fills the whole bar as long as the lines decoded so far stand in
// order. When a large table turns out of order, decoding fills only its
// share of the rest of the bar from there on and the sort the remainder.
class LoadBar {
  public:
    LoadBar(ProgressShowing& showing, int count)
        : showing_(showing), count_(count), large_(SortsByWeights(static_cast<size_t>(count))) {}

    void Decoding(int line) {
        const int done = ProgressPercent(line, count_);
        showing_.SetPosition(outOfOrderAt_ + (done - outOfOrderAt_) * (sortFrom_ - outOfOrderAt_) /
                                                 (100 - outOfOrderAt_));
    }
    void OutOfOrder(int line) {
        if (!large_) return;
        outOfOrderAt_ = ProgressPercent(line, count_);
        sortFrom_ = outOfOrderAt_ + (100 - outOfOrderAt_) * kDecodingShareOfLargeLoads / 100;
    }
    void Sorting(int percent) {
        showing_.SetPosition(sortFrom_ + percent * (100 - sortFrom_) / 100);
    }

  private:
    ProgressShowing& showing_;
    int count_;
    bool large_;
    int outOfOrderAt_ = 0;
    int sortFrom_ = 100;
};

// The foods file's lines, each decoded with its file position while
// progress shows the percentage, then put in table order, progress ending
// once they are. The lines are decoded where they lie in the file's bytes
// and the table keeps views into those bytes, so no line is copied. Each
// line is compared with the one before it while both are fresh in the
// cache, and lines found in order are not sorted again.
LoadedTable LoadDecodedLinesInTableOrder(const std::string& path, ProgressSink& progress) {
    FileLines file = ReadFileLines(path);
    {
        ProgressShowing showing(progress, 100);
        const int count = static_cast<int>(file.lines.size());
        LoadBar bar(showing, count);
        bool inOrder = true;
        for (int i = 0; i < count; ++i) {
            bar.Decoding(i);
            const std::string_view line = file.lines[static_cast<size_t>(i)];
            DecodeLineInPlace(i, file.bytes->data() + (line.data() - file.bytes->data()),
                              line.size());
            if (inOrder && i > 0 && CompareText(file.lines[static_cast<size_t>(i) - 1], line) > 0) {
                inOrder = false;
                bar.OutOfOrder(i);
            }
        }
        if (!inOrder) PutInTableOrder(file.lines, [&bar](int percent) { bar.Sorting(percent); });
    }
    return LoadedTable(std::move(file.bytes), std::move(file.lines));
}

}  // namespace

void LoadFoodTable(const std::string& path, std::unique_ptr<LoadedTable>& table,
                   std::unique_ptr<LoadedTable>& index, ProgressSink& progress) try {
    LoadedTable& loaded = EmptyTable(table);
    loaded = LoadDecodedLinesInTableOrder(path, progress);
    BuildIndex(loaded, index, true);
} catch (const std::bad_alloc&) {
    ThrowNotEnoughMemory(path);
}

void LoadGroupTable(const std::string& path, std::unique_ptr<LoadedTable>& table,
                    std::unique_ptr<LoadedTable>& index) try {
    EmptyTable(table);
    FileLines file = ReadFileLines(path);
    std::sort(file.lines.begin(), file.lines.end(),
              [](std::string_view a, std::string_view b) { return CompareText(a, b) < 0; });
    *table = LoadedTable(std::move(file.bytes), std::move(file.lines));
    BuildIndex(*table, index, false);
} catch (const std::bad_alloc&) {
    ThrowNotEnoughMemory(path);
}

std::string GetItemField(const TextTable& table, int i, int n) {
    if (i < 0) return kNoSuchCodeText;
    return GetField(n, table.Get(i));
}

}  // namespace quorvex
