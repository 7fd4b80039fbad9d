// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/qt/FoodListBox.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "list/qt/FoodListModel.h"

namespace quorvex {

FoodListBox::FoodListBox(QWidget* parent) : QListView(parent), rows_(new FoodListModel(this)) {
    setModel(rows_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    UpdateShownCharacters();
}

int FoodListBox::count() const { return rows_->rowCount(); }

QString FoodListBox::RowText(int row) const {
    return rows_->data(rows_->index(row), Qt::DisplayRole).toString();
}

int FoodListBox::SelectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void FoodListBox::setCurrentRow(int row) { setCurrentIndex(rows_->index(row)); }

QRect FoodListBox::RowRect(int row) const { return visualRect(rows_->index(row)); }

QModelIndex FoodListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Without a current row the view would go to the first row for every
    // key, End included.
    if (action == MoveEnd && !currentIndex().isValid() && count() > 0) {
        return rows_->index(count() - 1);
    }
    return QListView::moveCursor(action, modifiers);
}

void FoodListBox::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    // The view makes the first row current when it gets the focus; with
    // nothing selected that row would carry a focus frame like a selection,
    // and the first Down would go to the second row.
    if (!selectionModel()->hasSelection()) selectionModel()->clearCurrentIndex();
}

void FoodListBox::mousePressEvent(QMouseEvent* event) {
    if (indexAt(event->position().toPoint()).isValid()) {
        QListView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void FoodListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QListView::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    emit DoubleClicked();
}

void FoodListBox::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    UpdateShownCharacters();
}

void FoodListBox::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateShownCharacters();
}

void FoodListBox::UpdateShownCharacters() {
    // The font is fixed-pitch, but should a fallback font be used the
    // narrowest printable character still bounds how many can be seen.
    const QFontMetricsF metrics(font());
    qreal narrowest = metrics.horizontalAdvance(QLatin1Char('x'));
    for (char c = ' '; c < '~'; ++c) {
        narrowest = std::min(narrowest, metrics.horizontalAdvance(QLatin1Char(c)));
    }
    // One more than fit whole: the one cut by the right edge.
    rows_->SetShownCharacters(
        narrowest > 0 ? static_cast<int>(std::ceil(viewport()->width() / narrowest)) + 1 : -1);
}

}  // namespace quorvex
