// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/Loaders.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/FieldView.h"
#include "db/Lines.h"
#include "db/SecondThread.h"
#include "db/TableOrder.h"
#include "db/WholeFile.h"

namespace quorvex {

const char* const kNoSuchCodeText = "Erro! Codigo n\xE3o existe!";

namespace {

// A file's bytes, shared by the tables and indexes that hold views into
// them, and its lines as views.
struct FileLines {
    std::shared_ptr<FileBytes> bytes;
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

// Appends the lines of text to lines: ForEachLine without its search for a
// NUL, which a text ReadWholeText gives holds none of.
void AppendLines(std::string_view text, std::vector<std::string_view>& lines) {
    LineWalker walker(text);
    while (const std::optional<LineView> line = walker.Next()) lines.push_back(line->text);
}

// From this many bytes on a file's second half is split into lines on a
// thread of its own while this one splits the first.
constexpr size_t kSplitInHalvesFrom = size_t{1} << 20;

FileLines ReadFileLines(const std::string& path) {
    FileLines file{std::make_shared<FileBytes>(ReadWholeText(path)), {}};
    const std::string_view text = file.bytes->View();
    file.lines.reserve(ExpectedLines(text));
    // Lines end at an LF whatever stands before it, so the lines after the
    // first LF past the middle are the lines of the rest on its own.
    const size_t middle =
        text.size() < kSplitInHalvesFrom ? text.npos : text.find('\n', text.size() / 2);
    if (middle == text.npos) {
        AppendLines(text, file.lines);
        return file;
    }
    std::future<std::vector<std::string_view>> later = OnSecondThread([text, middle] {
        std::vector<std::string_view> lines;
        lines.reserve(ExpectedLines(text.substr(middle + 1)));
        AppendLines(text.substr(middle + 1), lines);
        return lines;
    });
    AppendLines(text.substr(0, middle + 1), file.lines);
    const std::vector<std::string_view> rest = later.get();
    file.lines.insert(file.lines.end(), rest.begin(), rest.end());
    return file;
}

// The table, created when absent, emptied.
LoadedTable& EmptyTable(std::unique_ptr<LoadedTable>& table) {
    if (!table) table = std::make_unique<LoadedTable>();
    *table = LoadedTable();
    return *table;
}

// The index key of a line: the text before its first bar, followed by the
// bar when withBar; the empty text for a line without a bar.
std::string_view IndexKey(std::string_view line, bool withBar) {
    const std::optional<std::string_view> key = LineKey(line);
    return line.substr(0, !key ? 0 : key->size() + (withBar ? 1 : 0));
}

// Adds the index key of a line that comes next in table order to keys,
// unless an equal key is there.
void AddKey(std::vector<std::string_view>& keys, std::string_view key) {
    if (const std::optional<size_t> at = SortedPosition(keys, key)) {
        keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(*at), key);
    }
}

// The index, created when absent, filled with keys, views into the bytes
// of table, which it shares.
void SetIndex(const LoadedTable& table, std::unique_ptr<LoadedTable>& index,
              std::vector<std::string_view> keys) {
    EmptyTable(index) = LoadedTable(table.Owner(), std::move(keys));
}

// Fills the index, created when absent, with the key of every line of the
// sorted table (AddKey).
void BuildIndex(const LoadedTable& table, std::unique_ptr<LoadedTable>& index, bool withBar) {
    const std::vector<std::string_view>& lines = table.Items();
    std::vector<std::string_view> keys;
    keys.reserve(lines.size());
    // The lines lie in file order, so table order jumps through memory:
    // fetching a few lines ahead hides most of the wait for each.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + kAhead < lines.size()) __builtin_prefetch(lines[i + kAhead].data());
        AddKey(keys, IndexKey(lines[i], withBar));
    }
    SetIndex(table, index, std::move(keys));
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

// Lines of a foods file decoded in place, and whether they stand in table
// order; as long as they do, their index keys (AddKey).
struct DecodedRange {
    bool inOrder = true;
    std::vector<std::string_view> keys;
};

// Decodes lines [from, to) of file, each with its line index, calling
// onLine(i) before line i. Each line is compared with the one before it
// while both are fresh in the cache; once any range sets outOfOrder, the
// lines are sorted afterwards and the index built then, so the checks stop.
// Room for keysRoom keys is reserved, so that keys of later lines can be
// added without moving these.
template <class OnLine>
DecodedRange DecodeRange(FileLines& file, size_t from, size_t to, size_t keysRoom,
                         std::atomic<bool>& outOfOrder, const OnLine& onLine) {
    DecodedRange range;
    range.keys.reserve(keysRoom);
    char* const bytes = file.bytes->data();
    std::string_view previousKey;
    for (size_t i = from; i < to; ++i) {
        onLine(i);
        const std::string_view line = file.lines[i];
        DecodeLineInPlace(static_cast<int>(i), bytes + (line.data() - bytes), line.size());
        if (!range.inOrder || outOfOrder.load(std::memory_order_relaxed)) continue;
        const std::string_view key = IndexKey(line, true);
        // A key ends at its line's first bar, which weighs less than every
        // other byte, so two keys that differ order their lines alike: the
        // lines themselves are compared only where the keys tell nothing.
        const int order =
            i == from || previousKey.empty() || key.empty() ? 0 : CompareText(previousKey, key);
        if (order > 0 || (order == 0 && i > from && CompareText(file.lines[i - 1], line) > 0)) {
            range.inOrder = false;
            outOfOrder.store(true, std::memory_order_relaxed);
        } else if (order < 0) {
            range.keys.push_back(key);
        } else {
            AddKey(range.keys, key);
        }
        previousKey = key;
    }
    return range;
}

// The keys of two ranges of lines in table order, the second following the
// first, as AddKey would have gathered them over both; nothing when a key
// of the second would go before the end of the first (a line without a
// bar), which the index built afterwards places.
std::optional<std::vector<std::string_view>> JoinKeys(DecodedRange first, DecodedRange second) {
    if (first.keys.empty() || second.keys.empty()) {
        return std::move(first.keys.empty() ? second.keys : first.keys);
    }
    const int order = CompareText(first.keys.back(), second.keys.front());
    if (order > 0) return std::nullopt;
    first.keys.insert(first.keys.end(), second.keys.begin() + (order == 0 ? 1 : 0),
                      second.keys.end());
    return std::move(first.keys);
}

// The food table, and its index keys when the file held its lines in
// table order: then they are gathered while the lines are fresh in the
// cache, and the index needs no pass of its own.
struct DecodedFoods {
    LoadedTable table;
    std::optional<std::vector<std::string_view>> keys;
};

// Whether a file's lines stood in table order, and then their index keys,
// unless a line without a bar leaves them to the index built afterwards.
struct Decoded {
    bool inOrder;
    std::optional<std::vector<std::string_view>> keys;
};

// Decodes the lines of file in place, each with its file position, while
// the bar shows how far it has got. A large file is decoded in two halves
// at once, the second on a thread of its own; the bar follows the first.
Decoded DecodeLines(FileLines& file, LoadBar& bar) {
    const size_t count = file.lines.size();
    const bool large = SortsByWeights(count);
    const size_t half = large ? count / 2 : count;
    std::atomic<bool> outOfOrder{false};
    std::future<DecodedRange> secondHalf;
    if (large) {
        secondHalf = OnSecondThread([&file, half, count, &outOfOrder] {
            return DecodeRange(file, half, count, count - half, outOfOrder, [](size_t) {});
        });
    }
    bool barToldOutOfOrder = false;
    // The first half's line i stands for count / half lines of the whole.
    const auto whole = [count, half](size_t i) { return static_cast<int>(i * count / half); };
    DecodedRange first = DecodeRange(file, 0, half, count, outOfOrder, [&](size_t i) {
        if (!barToldOutOfOrder && outOfOrder.load(std::memory_order_relaxed)) {
            barToldOutOfOrder = true;
            bar.OutOfOrder(whole(i));
        }
        bar.Decoding(whole(i));
    });
    DecodedRange second = large ? secondHalf.get() : DecodedRange();
    if (!outOfOrder && half < count && CompareText(file.lines[half - 1], file.lines[half]) > 0)
        outOfOrder = true;
    if (!outOfOrder) return {true, JoinKeys(std::move(first), std::move(second))};
    if (!barToldOutOfOrder) bar.OutOfOrder(static_cast<int>(count) - 1);
    return {false, std::nullopt};
}

// The foods file's lines, decoded, then put in table order unless they
// stand in it already, progress ending once they do. The lines are decoded
// where they lie in the file's bytes and the table keeps views into those
// bytes, so no line is copied.
DecodedFoods DecodeFoodsInTableOrder(const std::string& path, ProgressSink& progress) {
    FileLines file = ReadFileLines(path);
    ProgressShowing showing(progress, 100);
    LoadBar bar(showing, static_cast<int>(file.lines.size()));
    Decoded decoded = DecodeLines(file, bar);
    if (!decoded.inOrder) {
        PutInTableOrder(file.lines, [&bar](int percent) { bar.Sorting(percent); });
    }
    return {LoadedTable(std::move(file.bytes), std::move(file.lines)), std::move(decoded.keys)};
}

}  // namespace

void LoadFoodTable(const std::string& path, std::unique_ptr<LoadedTable>& table,
                   std::unique_ptr<LoadedTable>& index, ProgressSink& progress) try {
    LoadedTable& loaded = EmptyTable(table);
    DecodedFoods foods = DecodeFoodsInTableOrder(path, progress);
    loaded = std::move(foods.table);
    if (foods.keys) {
        SetIndex(loaded, index, std::move(*foods.keys));
    } else {
        BuildIndex(loaded, index, true);
    }
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
