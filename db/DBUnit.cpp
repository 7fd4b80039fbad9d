#include "db/DBUnit.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/FieldView.h"

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

void TextList::Add(std::string text) {
    // In sorted mode lines mostly arrive in order (an index built from a
    // sorted table), so appending is tried before the search.
    if (!sorted_ || items_.empty() || CompareText(items_.back(), text) < 0) {
        items_.push_back(Keep(std::move(text)));
        return;
    }
    int position = 0;
    if (Find(text, position)) return;
    items_.insert(items_.begin() + position, Keep(std::move(text)));
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

// Clears the list (creating it when absent) and fills it with the file's
// lines in file order, unsorted.
void ReadLinesInto(const std::string& path, std::unique_ptr<TextList>& list) {
    if (!list) list = std::make_unique<TextList>();
    list->Clear();
    list->SetSorted(false);
    list->Assign(SplitLines(ReadWholeFile(path)));
}

// The index, created when absent, cleared and filled in sorted mode with
// the key of every line of the sorted table, followed by its bar when
// withBar; a line without a key adds the empty text.
void BuildIndex(const TextList& table, std::unique_ptr<TextList>& index, bool withBar) {
    if (!index) index = std::make_unique<TextList>();
    index->Clear();
    index->SetSorted(true);
    for (const std::string_view line : table.Items()) {
        const std::optional<std::string_view> key = LineKey(line);
        index->Add(!key ? std::string() : withBar ? std::string(*key) + "|" : std::string(*key));
    }
}

// One decoded line waiting for its place in the table: the weights of its
// first 16 bytes, which order most pairs without touching the line again,
// and its position in the file.
struct SortKey {
    std::uint64_t first;
    std::uint64_t second;
    std::uint32_t line;
};

// The file's lines in table order: CompareText order of the whole lines,
// equal lines in file order.
std::vector<SortKey> TableOrder(const std::vector<std::string_view>& lines) {
    std::vector<SortKey> keys(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        keys[i] =
            SortKey{CollationPrefix(line), line.size() > 8 ? CollationPrefix(line.substr(8)) : 0,
                    static_cast<std::uint32_t>(i)};
    }
    std::sort(keys.begin(), keys.end(), [&lines](const SortKey& a, const SortKey& b) {
        if (a.first != b.first) return a.first < b.first;
        if (a.second != b.second) return a.second < b.second;
        const std::string_view lineA = lines[a.line];
        const std::string_view lineB = lines[b.line];
        // Equal keys of lines shorter than 16 bytes mean equal lines.
        const int rest = lineA.size() < 16 || lineB.size() < 16
                             ? 0
                             : CompareText(lineA.substr(16), lineB.substr(16));
        return rest != 0 ? rest < 0 : a.line < b.line;
    });
    return keys;
}

// Fills table with the foods file's lines, each decoded with its file
// position while progress shows the percentage, in table order. The lines
// are decoded where they lie in the file's bytes and the table keeps views
// into those bytes, so no line is copied.
void LoadDecodedLinesInTableOrder(const std::string& path, TextList& table,
                                  ProgressSink& progress) {
    // Made shared before the views are taken: moving a short string would
    // move its bytes.
    const auto bytes = std::make_shared<std::string>(ReadWholeFile(path));
    std::vector<std::string_view> lines;
    ForEachLine(*bytes, [&lines](std::string_view line) { lines.push_back(line); });
    progress.Show(100);
    const int count = static_cast<int>(lines.size());
    for (int i = 0; i < count; ++i) {
        progress.SetPosition(ProgressPercent(i, count));
        const std::string_view line = lines[static_cast<size_t>(i)];
        DecodeLineInPlace(i, bytes->data() + (line.data() - bytes->data()), line.size());
    }
    progress.Close();
    std::vector<std::string_view> sorted;
    sorted.reserve(lines.size());
    for (const SortKey& key : TableOrder(lines)) sorted.push_back(lines[key.line]);
    table.AssignViews(bytes, std::move(sorted));
}

}  // namespace

void LoadFoodTable(const std::string& path, std::unique_ptr<TextList>& table,
                   std::unique_ptr<TextList>& index, ProgressSink& progress) try {
    if (!table) table = std::make_unique<TextList>();
    table->Clear();
    table->SetSorted(false);
    LoadDecodedLinesInTableOrder(path, *table, progress);
    table->MarkSorted();
    BuildIndex(*table, index, true);
} catch (const std::bad_alloc&) {
    ThrowNotEnoughMemory(path);
}

void LoadGroupTable(const std::string& path, std::unique_ptr<TextList>& table,
                    std::unique_ptr<TextList>& index) try {
    ReadLinesInto(path, table);
    table->SetSorted(true);
    BuildIndex(*table, index, false);
} catch (const std::bad_alloc&) {
    ThrowNotEnoughMemory(path);
}

std::string GetItemField(const TextList& table, int i, int n) {
    if (i < 0) return kNoSuchCodeText;
    return GetField(n, table.Get(i));
}

}  // namespace quorvex
