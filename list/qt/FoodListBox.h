// SPDX-License-Identifier: GPL-3.0-or-later
// The food list box: a single-selection list view over a FoodListModel
// that behaves as the list box of the food list window should:
// - a double click anywhere, rows or blank area, emits DoubleClicked;
// - a click in the blank area below the rows leaves the selection alone;
// - with no row selected there is no current row either (no focus frame),
//   so the first Down or Home selects the first row and End the last;
// - rows are neither elided nor scrolled sideways: a wide row is clipped,
//   and the model is told how many characters can be seen at all.
#pragma once

#include <QListView>
#include <QString>

namespace quorvex {

class FoodListModel;

class FoodListBox : public QListView {
    Q_OBJECT
  public:
    explicit FoodListBox(QWidget* parent = nullptr);

    // The model the box shows, owned by the box.
    FoodListModel& Rows() const { return *rows_; }

    int count() const;
    // The row shown as row (its display text), for tests and the window.
    QString RowText(int row) const;
    // The selected row, -1 when none.
    int SelectedRow() const;
    // Selects row and makes it the current row (nothing for an invalid row).
    void setCurrentRow(int row);
    // Where row lies in the viewport.
    QRect RowRect(int row) const;

  signals:
    void DoubleClicked();

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void UpdateShownCharacters();

    FoodListModel* rows_;
};

}  // namespace quorvex
