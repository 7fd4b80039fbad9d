// SPDX-License-Identifier: GPL-3.0-or-later
// A fixed-position entry field: a row of cells, each a literal with a
// fixed character that the caret skips, or a cell to fill, unfilled or
// holding one Windows-1252 byte. Unlike Qt's input masks it never moves a
// cell: typing fills the cell at the caret, overwriting it, and deleting
// leaves an unfilled cell in place. Unfilled cells are drawn as "_".
//
// Screen readers see it as editable text: its cells as read (an unfilled
// cell as a blank), its caret and selection, named by the label whose
// buddy it is or else by its window's title.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace quorvex {

class MaskField : public QWidget {
    Q_OBJECT
  public:
    // The number of cells.
    int Length() const { return static_cast<int>(cells_.size()); }

    void SelectAll();
    bool HasSelection() const { return selectionEnd_ > selectionStart_; }
    // The selected cells are [SelectionStart(), SelectionEnd()); both 0
    // when nothing is selected.
    int SelectionStart() const { return selectionStart_; }
    int SelectionEnd() const { return selectionEnd_; }
    // 0 to Length(): the caret stands before that cell.
    int CaretPosition() const { return caret_; }
    // Puts the caret before position (clamped to the cells) and drops the
    // selection.
    void MoveCaret(int position);
    // Selects the cells [start, end) (clamped), the caret after them.
    void Select(int start, int end);

    // Runs for every character typed, pasted or given to Type() before the
    // field handles it, and may change the character.
    void SetKeyPressHandler(std::function<void(char& key)> handler);
    // Runs whenever the focus leaves the field within its window, as by Tab
    // or a click on a button; not when another window is activated or a
    // popup opens, since the focus then comes back to the field.
    void SetExitHandler(std::function<void()> handler);

    // One character typed by the user: the key press handler runs first
    // and may change it; then, turned into TypedByte(key), it fills the
    // first cell to fill from the caret (or from the selection's start,
    // the selection blanked first) when Holds() it; a literal's own
    // character moves the caret past that literal; anything else is
    // refused with a beep.
    void Type(char key);
    // Characters typed one after another, as from the clipboard or an
    // input method: each printable one with a Windows-1252 byte through
    // Type(), the others dropped.
    void TypeText(const QString& text);
    // As the Delete key: blanks the selection, or else the first cell to
    // fill from the caret; the caret stays.
    void Delete();
    // The caret position nearest to x, in the field's pixels.
    int PositionAt(int x) const;

    // Every cell as read: an unfilled cell as a blank, a literal as its
    // character.
    std::string Cells() const;
    // The cells as drawn: an unfilled cell as "_".
    QString ShownText() const;

    QSize sizeHint() const override;

  protected:
    // blank: the empty field, one character per cell: a blank for a cell
    // to fill, the literal character for a literal cell.
    MaskField(const std::string& blank, QWidget* parent);

    bool IsFilled(int position) const { return CellAt(position).filled; }

    // Takes text as the content, byte by byte: a byte that Holds() fills
    // its cell to fill; a literal keeps its character whatever byte stands
    // at its place; any other byte and every cell past the text's end are
    // left unfilled. Drops the selection and keeps the caret where it was.
    void SetCells(const std::string& text);

    // Whether a cell to fill may hold byte.
    virtual bool Holds(char byte) const = 0;
    // What a typed byte becomes before it fills a cell.
    virtual char TypedByte(char key) const { return key; }

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Cell {
        bool literal = false;
        bool filled = false;  // never for a literal
        char byte = ' ';      // the literal's character, or the byte held
    };

    const Cell& CellAt(int position) const { return cells_[static_cast<std::size_t>(position)]; }
    Cell& CellAt(int position) { return cells_[static_cast<std::size_t>(position)]; }
    // The first cell to fill at or after position; Length() when none.
    int FillableFrom(int position) const;
    // Where typing or deleting acts: the selection's start or the caret.
    int EditPosition() const;
    void Fill(int position, char byte);
    void Unfill(int position);
    void BlankSelection();
    void Backspace();
    // Repaints and tells screen readers what changed since before (the
    // text as read then), the caret and the selection.
    void Changed(const std::string& before);

    std::vector<Cell> cells_;
    int caret_ = 0;
    int selectionStart_ = 0;
    int selectionEnd_ = 0;
    std::function<void(char&)> keyPressHandler_;
    std::function<void()> exitHandler_;
};

}  // namespace quorvex
