// SPDX-License-Identifier: GPL-3.0-or-later
// Ordered lists of single-byte texts: the tables the loaders build, which
// never change, and the plain list for texts that come and go.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// Read access to an ordered list of texts, whichever kind holds them. In
// sorted mode the entries stand in CompareText order and Find searches
// them.
class TextTable {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool IsSorted() const { return sorted_; }

    // Entry i. Throws std::out_of_range("List index out of bounds (i)")
    // unless 0 <= i < Count().
    std::string_view Get(int i) const;

    // Binary search (sorted mode). True with the entry's position when an
    // equal entry exists; otherwise false with the insertion position.
    bool Find(std::string_view key, int& position) const;

    // All entries, for scans.
    const std::vector<std::string_view>& Items() const { return items_; }

  protected:
    TextTable() = default;
    ~TextTable() = default;
    TextTable(const TextTable&) = default;
    TextTable& operator=(const TextTable&) = default;
    TextTable(TextTable&&) = default;
    TextTable& operator=(TextTable&&) = default;

    void CheckIndex(int i) const;

    std::vector<std::string_view> items_;
    bool sorted_ = false;
};

// Where text goes among items kept in CompareText order, or nothing when
// an equal entry is there already. Cheapest when texts come in order.
std::optional<size_t> SortedPosition(const std::vector<std::string_view>& items,
                                     std::string_view text);

// What the loaders build: lines in CompareText order as views over one
// buffer of bytes. The buffer is shared by every table made over it (a
// table and its index), so a view lasts while any of them lives. Nothing
// changes a loaded table; a loader replaces one whole.
class LoadedTable : public TextTable {
  public:
    // An empty table.
    LoadedTable() { sorted_ = true; }

    // Precondition: every view lies within the bytes that owner keeps, and
    // the views stand in CompareText order.
    LoadedTable(std::shared_ptr<const void> owner, std::vector<std::string_view> lines);

    // Moved, never copied: a copy of two million views is never wanted.
    LoadedTable(const LoadedTable&) = delete;
    LoadedTable& operator=(const LoadedTable&) = delete;
    LoadedTable(LoadedTable&&) = default;
    LoadedTable& operator=(LoadedTable&&) = default;

    // What keeps the bytes the lines lie in; empty for an empty table.
    const std::shared_ptr<const void>& Owner() const { return owner_; }

  private:
    std::shared_ptr<const void> owner_;
};

// The plain list, whose texts come and go. In sorted mode adding inserts
// at the sorted place and a text equal to an entry already there is not
// added. The list keeps its own copy of every text: a view from Get lasts
// until Clear, Assign or the list's end, the Items reference until the
// next change.
class TextList : public TextTable {
  public:
    // Not copyable: a copy's views would point into the original's texts.
    TextList() = default;
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;
    TextList(TextList&&) = default;
    TextList& operator=(TextList&&) = default;

    // Replaces entry i (unsorted mode only: throws std::logic_error in
    // sorted mode). Same bounds rule as Get.
    void Put(int i, std::string text);

    // Unsorted: appends. Sorted: inserts in order unless an equal entry
    // exists.
    void Add(std::string text);
    void Clear();

    // Switching sorted mode on sorts the entries present (equal entries
    // already there are kept).
    void SetSorted(bool on);

    // Replaces the content by lines in the given order (unsorted mode), as
    // reading a file into the list does.
    void Assign(std::vector<std::string> lines);

  private:
    // A view of text, kept by the list until Clear or Assign (a deque, so
    // keeping one more moves none).
    std::string_view Keep(std::string text);

    std::deque<std::string> texts_;
};

}  // namespace quorvex
