// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/Loaders.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/FieldView.h"
#include "db/Lines.h"
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

// Appends the lines of text to lines: ForEachLine without its search for a
// NUL, which a text ReadWholeText gives holds none of.
void AppendLines(std::string_view text, std::vector<std::string_view>& lines) {
    LineWalker walker(text);
    while (const std::optional<LineView> line = walker.Next()) lines.push_back(line->text);
}

FileLines ReadFileLines(const std::string& path) {
    FileLines file{std::make_shared<FileBytes>(ReadWholeText(path)), {}};
    AppendLines(file.bytes->View(), file.lines);
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
    // sortHasShare: a table found out of order gives the sort a share of
    // the bar, as large tables take longer to sort than to decode.
    LoadBar(ProgressShowing& showing, int count, bool sortHasShare)
        : showing_(showing), count_(count), large_(sortHasShare) {}

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

// Decodes lines, views into bytes whose first has file position first,
// calling onLine(i) before the line at position i, and tells whether they
// stand in table order; as long as they do, keys receives their index keys
// (AddKey). Each line is compared with the one before it while both are
// fresh in the cache; once any run sets outOfOrder, the lines are sorted
// afterwards and the index built then, so the checks stop.
template <class OnLine>
bool DecodeRun(char* bytes, std::span<const std::string_view> lines, size_t first,
               std::atomic<bool>& outOfOrder, std::vector<std::string_view>& keys,
               const OnLine& onLine) {
    keys.clear();
    bool inOrder = true;
    std::string_view previousKey;
    for (size_t n = 0; n < lines.size(); ++n) {
        const size_t i = first + n;
        onLine(i);
        const std::string_view line = lines[n];
        DecodeLineInPlace(static_cast<int>(i), bytes + (line.data() - bytes), line.size());
        if (!inOrder || outOfOrder.load(std::memory_order_relaxed)) continue;
        const std::string_view key = IndexKey(line, true);
        // A key ends at its line's first bar, which weighs less than every
        // other byte, so two keys that differ order their lines alike: the
        // lines themselves are compared only where the keys tell nothing.
        const int order =
            n == 0 || previousKey.empty() || key.empty() ? 0 : CompareText(previousKey, key);
        if (order > 0 || (order == 0 && n > 0 && CompareText(lines[n - 1], line) > 0)) {
            inOrder = false;
            outOfOrder.store(true, std::memory_order_relaxed);
        } else if (order < 0) {
            keys.push_back(key);
        } else {
            AddKey(keys, key);
        }
        previousKey = key;
    }
    return inOrder;
}

// Appends to keys, the index keys of lines in table order, the keys of the
// lines that follow them, as AddKey would have gathered them over both;
// false when a key of more would go before the last of keys (a line
// without a bar), which the index built afterwards places.
bool AppendKeys(std::vector<std::string_view>& keys, std::span<const std::string_view> more) {
    if (more.empty()) return true;
    const int order = keys.empty() ? -1 : CompareText(keys.back(), more.front());
    if (order > 0) return false;
    keys.insert(keys.end(), more.begin() + (order == 0 ? 1 : 0), more.end());
    return true;
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

// The progress window of a load, shown from the first position on, and its
// bar over count units of decoding.
class LoadProgress {
  public:
    explicit LoadProgress(ProgressSink& sink) : sink_(sink) {}

    LoadBar& Bar(size_t count, bool sortHasShare) {
        if (!showing_) showing_.emplace(sink_, 100);
        return bar_.emplace(*showing_, static_cast<int>(count), sortHasShare);
    }
    LoadBar& Bar() { return *bar_; }

  private:
    ProgressSink& sink_;
    std::optional<ProgressShowing> showing_;
    std::optional<LoadBar> bar_;
};

// Decodes the lines of file in place, each with its file position, while
// the bar shows how far it has got.
Decoded DecodeLines(FileLines& file, LoadBar& bar) {
    std::atomic<bool> outOfOrder{false};
    bool barToldOutOfOrder = false;
    std::vector<std::string_view> keys;
    keys.reserve(file.lines.size());
    const bool inOrder =
        DecodeRun(file.bytes->data(), file.lines, 0, outOfOrder, keys, [&](size_t i) {
            if (!barToldOutOfOrder && outOfOrder.load(std::memory_order_relaxed)) {
                barToldOutOfOrder = true;
                bar.OutOfOrder(static_cast<int>(i));
            }
            bar.Decoding(static_cast<int>(i));
        });
    if (inOrder) return {true, std::move(keys)};
    if (!barToldOutOfOrder) bar.OutOfOrder(static_cast<int>(file.lines.size()) - 1);
    return {false, std::nullopt};
}

// A large foods file split into lines and decoded a step at a time, as
// ReadTextInSteps reads it, while each step is fresh in the cache. The
// lines of step k are those after the last LF before it, up to and with
// its own last LF (the last step's run to the end), so every line lies
// whole in the step that has it, a CR LF is never parted, and a step
// without an LF has no lines. So a step waits only for the step before it
// to tell where its lines end, and once it has split its own, how many
// lines stand up to there, from which its file positions count on; it
// tells as much as soon as it knows. Once decoded, its lines join the
// table and their keys the index, each step after the one before.
class StepDecoder final : public TextSteps {
  public:
    explicit StepDecoder(LoadProgress& progress) : progress_(progress) {}

    void Begin(size_t count) override {
        marks_ = std::make_unique<Mark[]>(count);
        count_ = count;
    }

    void Step(const TextStep& step) override {
        Mark& mark = marks_[step.index];
        const Mark* before = step.index > 0 ? &marks_[step.index - 1] : nullptr;
        try {
            if (!step.read) throw GivenUp();
            const auto* lastEnd = static_cast<const char*>(
                memrchr(step.text + step.begin, '\n', step.end - step.begin));
            if (before && !Await(before->ended)) throw GivenUp();
            const size_t from = before ? before->end : 0;
            mark.end = step.index + 1 == count_ ? step.end
                       : lastEnd != nullptr     ? static_cast<size_t>(lastEnd + 1 - step.text)
                                                : from;
            Tell(mark.ended, true);

            auto& [lines, keys] = runs_[std::this_thread::get_id() == shownBy_ ? 0 : 1];
            lines.clear();
            AppendLines(std::string_view(step.text + from, mark.end - from), lines);
            if (before && !Await(before->counted)) throw GivenUp();
            const size_t first = before ? before->count : 0;
            mark.count = first + lines.size();
            Tell(mark.counted, true);

            DecodeRun(step.text, lines, first, outOfOrder_, keys, [](size_t) {});
            if (before && !Await(before->keys)) throw GivenUp();
            // The first step's lines tell about how many the whole holds.
            if (step.index == 0) Reserve(lines.size() * count_ * 9 / 8 + 16);
            Join(lines, keys);
            Tell(mark.keys, true);
            // The bar once no step waits for this one: a paint waits for
            // the window system.
            if (std::this_thread::get_id() == shownBy_) ShowDecoded(step.index + 1);
        } catch (const GivenUp&) {
            GiveUp(mark);
        } catch (...) {
            {
                const std::lock_guard<std::mutex> lock(failureMutex_);
                if (!failure_) failure_ = std::current_exception();
            }
            GiveUp(mark);
        }
    }

    // The lines of bytes, whose steps were all read, in file order, and
    // whether they stand in table order with their keys. Rethrows what
    // failed in a step.
    std::pair<FileLines, Decoded> Finish(FileBytes bytes) {
        if (failure_) std::rethrow_exception(failure_);
        const bool inOrder = !outOfOrder_;
        ShowDecoded(count_);
        std::optional<std::vector<std::string_view>> keys;
        if (inOrder && keysHold_) keys = std::move(index_);
        return {FileLines{std::make_shared<FileBytes>(std::move(bytes)), std::move(table_)},
                Decoded{inOrder, std::move(keys)}};
    }

  private:
    static constexpr int kPending = 0;
    static constexpr int kDone = 1;
    static constexpr int kGivenUp = 2;

    // What a step has told the next, each in turn: where its lines end,
    // how many lines stand up to there, and that its lines and keys are in
    // the table and the index. A step that could not be read, or came
    // after one, gives up, and so do the steps after it.
    struct Mark {
        std::atomic<int> ended{kPending};
        std::atomic<int> counted{kPending};
        std::atomic<int> keys{kPending};
        size_t end = 0;
        size_t count = 0;
    };
    struct GivenUp {};

    // Waits until told; whether what was told is done.
    static bool Await(const std::atomic<int>& told) {
        told.wait(kPending, std::memory_order_acquire);
        return told.load(std::memory_order_acquire) == kDone;
    }
    static void Tell(std::atomic<int>& told, bool done) {
        told.store(done ? kDone : kGivenUp, std::memory_order_release);
        told.notify_all();
    }

    // Moves the bar to done steps of count_, showing it first; from where
    // the steps were found out of order, decoding fills only its share.
    void ShowDecoded(size_t done) {
        if (!bar_) bar_ = &progress_.Bar(count_, true);
        if (outOfOrder_.load(std::memory_order_relaxed) && !barToldOutOfOrder_) {
            barToldOutOfOrder_ = true;
            bar_->OutOfOrder(static_cast<int>(done));
        }
        bar_->Decoding(static_cast<int>(done));
    }

    static void GiveUp(Mark& mark) {
        for (std::atomic<int>* told : {&mark.ended, &mark.counted, &mark.keys}) {
            if (told->load(std::memory_order_relaxed) == kPending) Tell(*told, false);
        }
    }

    void Reserve(size_t count) {
        table_.reserve(count);
        index_.reserve(count);
    }

    // Adds a step's decoded lines to the table and their keys to the
    // index, after checking its first line against the last line of the
    // steps before.
    void Join(std::span<const std::string_view> lines, std::span<const std::string_view> keys) {
        if (lines.empty()) return;
        table_.insert(table_.end(), lines.begin(), lines.end());
        if (lastLine_ && CompareText(*lastLine_, lines.front()) > 0) {
            outOfOrder_.store(true, std::memory_order_relaxed);
        }
        lastLine_ = lines.back();
        if (keysHold_ && !outOfOrder_) keysHold_ = AppendKeys(index_, keys);
    }

    LoadProgress& progress_;
    LoadBar* bar_ = nullptr;
    size_t count_ = 0;
    // Only the thread that shows the progress window moves its bar.
    const std::thread::id shownBy_ = std::this_thread::get_id();
    bool barToldOutOfOrder_ = false;
    std::unique_ptr<Mark[]> marks_;
    // A step's lines and keys, for each of the two threads, kept for its
    // next steps: no fresh memory for each step.
    std::pair<std::vector<std::string_view>, std::vector<std::string_view>> runs_[2];
    std::atomic<bool> outOfOrder_{false};
    // Filled a step at a time, in file order.
    std::vector<std::string_view> table_;
    std::vector<std::string_view> index_;
    std::optional<std::string_view> lastLine_;
    bool keysHold_ = true;
    std::mutex failureMutex_;
    std::exception_ptr failure_;
};

// The foods file's lines, decoded, then put in table order unless they
// stand in it already, progress ending once they do. The lines are decoded
// where they lie in the file's bytes and the table keeps views into those
// bytes, so no line is copied. A large file is read, split and decoded a
// step at a time; one that cannot be read so is read whole, then split and
// decoded.
DecodedFoods DecodeFoodsInTableOrder(const std::string& path, ProgressSink& progress) {
    LoadProgress shown(progress);
    StepDecoder steps(shown);
    std::optional<FileBytes> bytes = ReadTextInSteps(path, steps);
    auto [file, decoded] = bytes ? steps.Finish(std::move(*bytes)) : [&] {
        FileLines whole = ReadFileLines(path);
        const size_t count = whole.lines.size();
        Decoded result = DecodeLines(whole, shown.Bar(count, SortsByWeights(count)));
        return std::pair(std::move(whole), std::move(result));
    }();
    if (!decoded.inOrder) {
        LoadBar& bar = shown.Bar();
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
