// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/TextList.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "db/Collation.h"

namespace quorvex {

namespace {

bool Less(std::string_view a, std::string_view b) { return CompareText(a, b) < 0; }

}  // namespace

void TextTable::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
    }
}

std::string_view TextTable::Get(int i) const {
    CheckIndex(i);
    return items_[static_cast<size_t>(i)];
}

bool TextTable::Find(std::string_view key, int& position) const {
    const auto found = std::lower_bound(items_.begin(), items_.end(), key, Less);
    position = static_cast<int>(found - items_.begin());
    return found != items_.end() && CompareText(*found, key) == 0;
}

std::optional<size_t> SortedPosition(const std::vector<std::string_view>& items,
                                     std::string_view text) {
    // Texts mostly arrive in order (an index built from a sorted table), so
    // appending is tried before the search.
    if (items.empty() || CompareText(items.back(), text) < 0) return items.size();
    const auto at = std::lower_bound(items.begin(), items.end(), text, Less);
    if (CompareText(*at, text) == 0) return std::nullopt;
    return static_cast<size_t>(at - items.begin());
}

LoadedTable::LoadedTable(std::shared_ptr<const void> owner, std::vector<std::string_view> lines)
    : owner_(std::move(owner)) {
    items_ = std::move(lines);
    sorted_ = true;
}

std::string_view TextList::Keep(std::string text) { return texts_.emplace_back(std::move(text)); }

void TextList::Put(int i, std::string text) {
    if (sorted_) throw std::logic_error("Operation not allowed on sorted list");
    CheckIndex(i);
    items_[static_cast<size_t>(i)] = Keep(std::move(text));
}

void TextList::Add(std::string text) {
    const std::optional<size_t> at = sorted_ ? SortedPosition(items_, text) : items_.size();
    if (at) items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(*at), Keep(std::move(text)));
}

void TextList::Clear() {
    items_.clear();
    texts_.clear();
}

void TextList::SetSorted(bool on) {
    if (on && !sorted_) std::sort(items_.begin(), items_.end(), Less);
    sorted_ = on;
}

void TextList::Assign(std::vector<std::string> lines) {
    Clear();
    sorted_ = false;
    items_.reserve(lines.size());
    for (std::string& line : lines) items_.push_back(Keep(std::move(line)));
}

}  // namespace quorvex
