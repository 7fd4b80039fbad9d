#include "db/DBUnit.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/FieldView.h"
#include "db/HugePages.h"
#include "db/TableOrder.h"

namespace quorvex {

const char* const kNoSuchCodeText = "Erro! Codigo n\xE3o existe!";

// ---- Directories and paths -------------------------------------------------

namespace {

std::string& ApplicationDirectoryValue() {
    static std::string value;
    return value;
}

std::string& DataDirectoryValue() {
    static std::string value;
    return value;
}

}  // namespace

void SetApplicationDirectory(const std::string& applicationDirectory) {
    ApplicationDirectoryValue() = applicationDirectory;
    DataDirectoryValue() = applicationDirectory + "Dados/";
}

const std::string& ApplicationDirectory() { return ApplicationDirectoryValue(); }

const std::string& DataDirectory() { return DataDirectoryValue(); }

void EnsureFileExists(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        std::error_code ignored;
        std::filesystem::create_directories(path.substr(0, slash + 1), ignored);
    }
    // O_EXCL | O_NOFOLLOW: an existing file is left alone, and a symbolic
    // link (even a dangling one) is never followed to create its target.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
}

std::string FoodFilePath(const std::string& directory) {
    std::string path = directory + "ArqIng.dad";
    EnsureFileExists(path);
    return path;
}

std::string GroupFilePath(const std::string& directory) {
    std::string path = directory + "ArqGruIng.dad";
    EnsureFileExists(path);
    return path;
}

std::string SettingsFilePath(const std::string& /*directory*/) {
#ifdef _WIN32
    std::string path = "c:\\VARDELO.ini";
#else
    // The machine-wide folder that survives reboots, as the root of drive C
    // does on Windows.
    std::string path = "/var/tmp/VARDELO.ini";
#endif
    EnsureFileExists(path);
    return path;
}

// ---- Lines and fields ------------------------------------------------------

namespace {

// Calls line(view) for every line of fileBytes, as SplitLines splits them.
template <class Line>
void ForEachLine(std::string_view fileBytes, Line line) {
    const size_t nul = fileBytes.find('\0');
    if (nul != std::string_view::npos) fileBytes = fileBytes.substr(0, nul);
    const char* start = fileBytes.data();
    const char* const end = start + fileBytes.size();
    // The first LF at or after start, or end; kept while lone CRs end the
    // lines before it, so that CR-only text is not searched again per line.
    const char* lf = nullptr;
    while (start < end) {
        // Most line ends are CR LF or LF: find the LF, then a CR before it.
        if (lf == nullptr || lf < start) {
            lf = static_cast<const char*>(
                std::memchr(start, '\n', static_cast<size_t>(end - start)));
            if (lf == nullptr) lf = end;
        }
        const char* cr =
            static_cast<const char*>(std::memchr(start, '\r', static_cast<size_t>(lf - start)));
        const char* stop = cr != nullptr ? cr : lf;
        line(std::string_view(start, static_cast<size_t>(stop - start)));
        if (stop == end) break;
        start = stop + 1;
        if (stop == cr && start == lf && lf != end) ++start;  // CR LF
    }
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view fileBytes) {
    std::vector<std::string> lines;
    ForEachLine(fileBytes, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::string GetField(int n, std::string_view line) { return std::string(FieldView(line, n)); }

// ---- Text list ---------------------------------------------------------------

namespace {

bool Less(std::string_view a, std::string_view b) { return CompareText(a, b) < 0; }

}  // namespace

void TextList::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
    }
}

std::string_view TextList::Get(int i) const {
    CheckIndex(i);
    return items_[static_cast<size_t>(i)];
}

std::string_view TextList::Keep(std::string text) { return texts_.emplace_back(std::move(text)); }

void TextList::Put(int i, std::string text) {
    if (sorted_) throw std::logic_error("Operation not allowed on sorted list");
    CheckIndex(i);
    items_[static_cast<size_t>(i)] = Keep(std::move(text));
}

std::optional<size_t> TextList::InsertPosition(std::string_view text) const {
    // In sorted mode texts mostly arrive in order (an index built from a
    // sorted table), so appending is tried before the search.
    if (!sorted_ || items_.empty() || CompareText(items_.back(), text) < 0) return items_.size();
    int position = 0;
    if (Find(text, position)) return std::nullopt;
    return static_cast<size_t>(position);
}

void TextList::Add(std::string text) {
    if (const std::optional<size_t> at = InsertPosition(text)) {
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(*at), Keep(std::move(text)));
    }
}

void TextList::AddView(std::string_view text) {
    if (const std::optional<size_t> at = InsertPosition(text)) {
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(*at), text);
    }
}

void TextList::Clear() {
    items_.clear();
    texts_.clear();
    bytes_.reset();
}

void TextList::SetSorted(bool on) {
    if (on && !sorted_) std::sort(items_.begin(), items_.end(), Less);
    sorted_ = on;
}

bool TextList::Find(std::string_view key, int& position) const {
    const auto found = std::lower_bound(items_.begin(), items_.end(), key, Less);
    position = static_cast<int>(found - items_.begin());
    return found != items_.end() && CompareText(*found, key) == 0;
}

void TextList::Assign(std::vector<std::string> lines) {
    Clear();
    sorted_ = false;
    items_.reserve(lines.size());
    for (std::string& line : lines) items_.push_back(Keep(std::move(line)));
}

void TextList::AssignViews(std::shared_ptr<const std::string> bytes,
                           std::vector<std::string_view> lines) {
    Clear();
    sorted_ = false;
    bytes_ = std::move(bytes);
    items_ = std::move(lines);
}

void TextList::MarkSorted() { sorted_ = true; }

// ---- Loading -----------------------------------------------------------------

int ProgressPercent(int i, int count) {
    const long long scaled = static_cast<long long>(i) * 100;
    long long quotient = scaled / count;
    const long long twiceRemainder = 2 * (scaled % count);
    if (twiceRemainder > count || (twiceRemainder == count && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(quotient);
}

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

// The table, created when absent, cleared and unsorted.
TextList& EmptyTable(std::unique_ptr<TextList>& table) {
    if (!table) table = std::make_unique<TextList>();
    table->Clear();
    table->SetSorted(false);
    return *table;
}

// The index, created when absent, cleared and filled in sorted mode with
// the key of every line of the sorted table, followed by its bar when
// withBar; a line without a key adds the empty text. The keys are views
// into bytes, where the table's lines lie.
void BuildIndex(const TextList& table, std::shared_ptr<const std::string> bytes,
                std::unique_ptr<TextList>& index, bool withBar) {
    const std::vector<std::string_view>& lines = table.Items();
    // At most a key per line: room for them all, handed over empty.
    std::vector<std::string_view> room;
    ReserveLarge(room, lines.size());
    EmptyTable(index).AssignViews(std::move(bytes), std::move(room));
    index->SetSorted(true);
    // The lines lie in file order, so table order jumps through memory:
    // fetching a few lines ahead hides most of the wait for each.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + kAhead < lines.size()) __builtin_prefetch(lines[i + kAhead].data());
        const std::string_view line = lines[i];
        const std::optional<std::string_view> key = LineKey(line);
        index->AddView(line.substr(0, !key ? 0 : key->size() + (withBar ? 1 : 0)));
    }
}

// Fills table with the foods file's lines, each decoded with its file
// position while progress shows the percentage, in table order, and
// returns the bytes they lie in. The lines are decoded where they lie in
// the file's bytes and the table keeps views into those bytes, so no line
// is copied.
std::shared_ptr<const std::string> LoadDecodedLinesInTableOrder(const std::string& path,
                                                                TextList& table,
                                                                ProgressSink& progress) {
    FileLines file = ReadFileLines(path);
    progress.Show(100);
    const int count = static_cast<int>(file.lines.size());
    for (int i = 0; i < count; ++i) {
        progress.SetPosition(ProgressPercent(i, count));
        const std::string_view line = file.lines[static_cast<size_t>(i)];
        DecodeLineInPlace(i, file.bytes->data() + (line.data() - file.bytes->data()), line.size());
    }
    progress.Close();
    PutInTableOrder(file.lines);
    table.AssignViews(file.bytes, std::move(file.lines));
    table.MarkSorted();
    return file.bytes;
}

}  // namespace

void LoadFoodTable(const std::string& path, std::unique_ptr<TextList>& table,
                   std::unique_ptr<TextList>& index, ProgressSink& progress) try {
    std::shared_ptr<const std::string> bytes =
        LoadDecodedLinesInTableOrder(path, EmptyTable(table), progress);
    BuildIndex(*table, std::move(bytes), index, true);
} catch (const std::bad_alloc&) {
    ThrowNotEnoughMemory(path);
}

void LoadGroupTable(const std::string& path, std::unique_ptr<TextList>& table,
                    std::unique_ptr<TextList>& index) try {
    EmptyTable(table);
    FileLines file = ReadFileLines(path);
    table->AssignViews(file.bytes, std::move(file.lines));
    table->SetSorted(true);
    BuildIndex(*table, std::move(file.bytes), index, false);
} catch (const std::bad_alloc&) {
    ThrowNotEnoughMemory(path);
}

std::string GetItemField(const TextList& table, int i, int n) {
    if (i < 0) return kNoSuchCodeText;
    return GetField(n, table.Get(i));
}

}  // namespace quorvex
