// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the food list: row r shows field 1 (the food description) of
// the food table line at the r-th listed position. The model holds
// positions only; the lines stay in the food table.
#pragma once

#include <QAbstractListModel>
#include <vector>

#include "db/DBUnit.h"

namespace quorvex {

class FoodListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Lists the lines at positions of foodTable, which is borrowed: it must
    // outlive the listing (until the next Show or Clear) and not change.
    // Every position must lie in the table.
    void Show(const TextTable& foodTable, std::vector<int> positions);
    void Clear();

    // The food table position of row r (0 <= r < rowCount()).
    int Position(int row) const { return positions_[static_cast<size_t>(row)]; }

    // Rows are cut to their first characters bytes for display: no more
    // than can reach the right edge of the view, so a description of any
    // length costs no more to show than a short one. Negative: uncut.
    void SetShownCharacters(int characters);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    const TextTable* foodTable_ = nullptr;
    std::vector<int> positions_;
    int shownCharacters_ = -1;
};

}  // namespace quorvex
