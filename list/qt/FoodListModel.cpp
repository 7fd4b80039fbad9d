// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/qt/FoodListModel.h"

#include <string_view>

#include "ui/Text1252.h"

namespace quorvex {

void FoodListModel::Show(const TextTable& foodTable, std::vector<int> positions) {
    beginResetModel();
    foodTable_ = &foodTable;
    positions_ = std::move(positions);
    endResetModel();
}

void FoodListModel::Clear() {
    beginResetModel();
    foodTable_ = nullptr;
    positions_.clear();
    endResetModel();
}

void FoodListModel::SetShownCharacters(int characters) {
    if (characters == shownCharacters_) return;
    shownCharacters_ = characters;
    if (!positions_.empty()) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
}

int FoodListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(positions_.size());
}

QVariant FoodListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    std::string_view line = foodTable_->Items()[static_cast<size_t>(Position(index.row()))];
    if (shownCharacters_ >= 0) line = line.substr(0, static_cast<size_t>(shownCharacters_));
    return FromWin1252(line.substr(0, line.find('|')));
}

}  // namespace quorvex
