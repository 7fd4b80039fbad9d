// The food database: data file paths, line splitting, field access, the
// text list and the loaders of the food and group tables.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/WholeFile.h"

namespace quorvex {

// ---- Directories and paths -------------------------------------------------

// The process-wide application directory (with its trailing separator) and
// the data directory, application directory + "Dados/". Set by the windows
// when they are created.
void SetApplicationDirectory(const std::string& applicationDirectory);
const std::string& ApplicationDirectory();
const std::string& DataDirectory();

// Makes sure the directory part of path (up to its last separator) and the
// file exist, creating them empty. Never reports anything: a later open
// fails instead. A missing file is created without following a symbolic
// link, so a link planted at a shared path cannot redirect the creation,
// and gets mode 0644 less the umask, as WriteFileAtomically gives it.
void EnsureFileExists(const std::string& path);

// directory + "ArqIng.dad" / directory + "ArqGruIng.dad", created if missing.
std::string FoodFilePath(const std::string& directory);
std::string GroupFilePath(const std::string& directory);

// The machine-wide settings file, whatever directory is passed:
// "c:\VARDELO.ini" on Windows, /var/tmp/VARDELO.ini elsewhere. Created
// empty if missing.
std::string SettingsFilePath(const std::string& directory);

// ---- Lines and fields ------------------------------------------------------

// Splits file bytes into lines: CR LF, lone CR and lone LF each end a line
// (LF CR is two ends); a final line end adds no empty line; a NUL ends the
// text.
std::vector<std::string> SplitLines(std::string_view fileBytes);

// Field n (from 1) of a plain line, fields separated by "|". Past the last
// field the last field is returned again; n <= 0 gives the empty text.
std::string GetField(int n, std::string_view line);

// ---- Text list ---------------------------------------------------------------

// An ordered list of single-byte texts with a sorted mode. In sorted mode
// the entries stay in CompareText order, adding inserts at the sorted place
// and a text equal to an entry already there is not added.
//
// Entries are views: texts handed over as strings are kept by the list
// itself, and a loader can hand over one buffer of bytes with views into
// it, so a large table costs its file's bytes once rather than a string
// per line. A view (from Get or Items) lasts until the next Put, Add,
// AddView, Assign, AssignViews, Clear or SetSorted, or the list's
// destruction.
class TextList {
  public:
    // Not copyable: a copy's views would point into the original's texts.
    TextList() = default;
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;
    TextList(TextList&&) = default;
    TextList& operator=(TextList&&) = default;

    int Count() const { return static_cast<int>(items_.size()); }
    bool IsSorted() const { return sorted_; }

    // Entry i. Throws std::out_of_range("List index out of bounds (i)")
    // unless 0 <= i < Count().
    std::string_view Get(int i) const;

    // Replaces entry i (unsorted mode only: throws std::logic_error in
    // sorted mode). Same bounds rule as Get.
    void Put(int i, std::string text);

    // Unsorted: appends. Sorted: inserts in order unless an equal entry
    // exists.
    void Add(std::string text);

    // Adds a view as Add adds a text, without keeping a copy. Precondition:
    // text lies within the bytes the list shares (AssignViews).
    void AddView(std::string_view text);
    void Clear();

    // Switching sorted mode on sorts the entries present (equal entries
    // already there are kept).
    void SetSorted(bool on);

    // Binary search (sorted mode). True with the entry's position when an
    // equal entry exists; otherwise false with the insertion position.
    bool Find(std::string_view key, int& position) const;

    // Replaces the content by lines in the given order (unsorted mode), as
    // reading a file into the list does.
    void Assign(std::vector<std::string> lines);

    // Replaces the content by views into bytes in the given order
    // (unsorted mode); the list shares the bytes while it holds them.
    // Precondition: every view lies within *bytes.
    void AssignViews(std::shared_ptr<const std::string> bytes, std::vector<std::string_view> lines);

    // Switches sorted mode on without sorting. Precondition: the entries
    // are in CompareText order already (a loader that sorted them itself).
    void MarkSorted();

    // All entries, for scans. The reference and the views last as Get's do.
    const std::vector<std::string_view>& Items() const { return items_; }

  private:
    void CheckIndex(int i) const;
    // Where Add puts text, or nothing when sorted mode keeps it out.
    std::optional<size_t> InsertPosition(std::string_view text) const;
    // A view of text, kept by the list until Clear (or Assign/AssignViews).
    std::string_view Keep(std::string text);

    std::vector<std::string_view> items_;
    // Where the views point: texts the list was given one by one (a deque,
    // so keeping one more moves none), and a shared buffer of a loader.
    std::deque<std::string> texts_;
    std::shared_ptr<const std::string> bytes_;
    bool sorted_ = false;
};

// ---- Loading -----------------------------------------------------------------

// Where a long load or scan reports how far it has got. A user calls Show
// once with the maximum position (>= 0), then SetPosition any number of
// times with positions from 0 to maximum, never going back, then Close
// once; work too short to report calls none of them. The next piece of work
// starts again with Show. A failure between Show and Close may leave Close
// out, so a sink must accept Show in any state.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void Show(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void Close() = 0;
};

// i * 100 / count rounded to nearest, ties to even. Precondition: count > 0.
int ProgressPercent(int i, int count);

// Reads the foods file, decodes each line with its file position while the
// sink shows the percentage, sorts the table and builds the key index
// (field 1 and its bar for every line). Absent lists are created, present
// ones cleared. If the file cannot be opened, throws std::runtime_error
// "Cannot open file <path>" with the table cleared, the index untouched and
// the sink never shown. Running out of memory throws std::runtime_error
// "Not enough memory to read file <path>".
void LoadFoodTable(const std::string& path, std::unique_ptr<TextList>& table,
                   std::unique_ptr<TextList>& index, ProgressSink& progress);

// Reads the groups file (plain), sorts it and builds the code index (field
// 1 without its bar). Same error rules as LoadFoodTable.
void LoadGroupTable(const std::string& path, std::unique_ptr<TextList>& table,
                    std::unique_ptr<TextList>& index);

// Field n of line i of table; "Erro! Codigo não existe!" (Windows-1252) for
// every n when i < 0. Throws like TextList::Get when i >= Count().
std::string GetItemField(const TextList& table, int i, int n);

// The text GetItemField gives for a negative line index.
extern const char* const kNoSuchCodeText;

}  // namespace quorvex
