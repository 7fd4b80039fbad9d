#include "db/DBUnit.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
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

std::vector<std::string> SplitLines(std::string_view fileBytes) {
    const size_t nul = fileBytes.find('\0');
    if (nul != std::string_view::npos) fileBytes = fileBytes.substr(0, nul);

    std::vector<std::string> lines;
    size_t start = 0;
    const size_t size = fileBytes.size();
    while (start < size) {
        size_t end = start;
        while (end < size && fileBytes[end] != '\r' && fileBytes[end] != '\n') ++end;
        lines.emplace_back(fileBytes.substr(start, end - start));
        if (end == size) break;
        const bool crlf = fileBytes[end] == '\r' && end + 1 < size && fileBytes[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

std::string GetField(int n, const std::string& line) { return std::string(FieldView(line, n)); }

// ---- Text list ---------------------------------------------------------------

namespace {

bool Less(const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }

}  // namespace

void TextList::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
    }
}

const std::string& TextList::Get(int i) const {
    CheckIndex(i);
    return items_[static_cast<size_t>(i)];
}

void TextList::Put(int i, std::string text) {
    if (sorted_) throw std::logic_error("Operation not allowed on sorted list");
    CheckIndex(i);
    items_[static_cast<size_t>(i)] = std::move(text);
}

void TextList::Add(std::string text) {
    // In sorted mode lines mostly arrive in order (an index built from a
    // sorted table), so appending is tried before the search.
    if (!sorted_ || items_.empty() || CompareText(items_.back(), text) < 0) {
        items_.push_back(std::move(text));
        return;
    }
    int position = 0;
    if (Find(text, position)) return;
    items_.insert(items_.begin() + position, std::move(text));
}

void TextList::Clear() { items_.clear(); }

void TextList::SetSorted(bool on) {
    if (on && !sorted_) std::sort(items_.begin(), items_.end(), Less);
    sorted_ = on;
}

bool TextList::Find(const std::string& key, int& position) const {
    const auto found = std::lower_bound(items_.begin(), items_.end(), key, Less);
    position = static_cast<int>(found - items_.begin());
    return found != items_.end() && CompareText(*found, key) == 0;
}

void TextList::Assign(std::vector<std::string> lines) {
    sorted_ = false;
    items_ = std::move(lines);
}

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
    for (const std::string& line : table.Items()) {
        const std::optional<std::string_view> key = LineKey(line);
        index->Add(!key ? std::string() : withBar ? std::string(*key) + "|" : std::string(*key));
    }
}

}  // namespace

void LoadFoodTable(const std::string& path, std::unique_ptr<TextList>& table,
                   std::unique_ptr<TextList>& index, ProgressSink& progress) try {
    ReadLinesInto(path, table);
    progress.Show(100);
    std::vector<std::string>& lines = table->Items();
    const int count = table->Count();
    for (int i = 0; i < count; ++i) {
        progress.SetPosition(ProgressPercent(i, count));
        DecodeLineInPlace(i, lines[static_cast<size_t>(i)]);
    }
    progress.Close();
    table->SetSorted(true);
    // The sort moved only the lines' handles, so their texts still lie in
    // memory in file order. Copied afresh in table order they lie in that
    // order, and every later scan of the table reads memory sequentially,
    // whatever the order of the file.
    std::vector<std::string> inTableOrder(lines.begin(), lines.end());
    lines.swap(inTableOrder);
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
