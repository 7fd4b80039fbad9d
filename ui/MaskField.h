// A fixed-position entry field: a row of cells, each unfilled or holding
// one Windows-1252 byte, some of them literal cells with a fixed character
// that the caret skips. Unlike Qt's input masks it never moves a cell:
// typing fills the cell at the caret, overwriting it, and deleting leaves
// an unfilled cell in place. Unfilled cells are drawn as "_".
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
    int Length() const { return static_cast<int>(blank_.size()); }

    void SelectAll();
    bool HasSelection() const { return selectionEnd_ > selectionStart_; }
    // 0 to Length(): the caret stands before that cell.
    int CaretPosition() const { return caret_; }

    // Runs for every typed or pasted character before the field handles it
    // and may change the character.
    void SetKeyPressHandler(std::function<void(char& key)> handler);
    // Runs whenever the focus leaves the field within its window, as by Tab
    // or a click on a button; not when another window is activated, since
    // the focus comes back to the field with its window.
    void SetExitHandler(std::function<void()> handler);

    // Handles one typed character, after the key press handler: turned
    // into TypedByte(key), it fills the first cell from the caret (or the
    // selection, which it blanks) that is not a literal, when Holds() it;
    // a literal cell's own character moves the caret past that literal;
    // anything else is refused with a beep.
    void Type(char key);

    // The cells as drawn: an unfilled cell as "_".
    QString ShownText() const;

    QSize sizeHint() const override;

  protected:
    // blank: the empty field, one character per cell: a blank for a cell
    // to fill, the literal character for a literal cell.
    MaskField(std::string blank, QWidget* parent);

    // Every cell, an unfilled one read as a blank.
    const std::string& Cells() const { return cells_; }
    bool IsFilled(int position) const { return filled_[static_cast<std::size_t>(position)]; }

    // Takes text as the content, byte by byte: a byte that Holds() fills
    // its cell, any other byte and every cell past the text's end are left
    // unfilled, literal cells keep their literal. Drops the selection and
    // keeps the caret where it was.
    void SetCells(const std::string& text);
    void MoveCaret(int position);

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
    bool IsLiteral(int position) const;
    // The first cell to fill at or after position; Length() when none.
    int FillableFrom(int position) const;
    // Where typing or deleting acts: the selection's start or the caret.
    int EditPosition() const;
    void SetFilled(int position, char byte);
    void Unfill(int position);
    void BlankSelection();
    void Backspace();
    void Delete();
    // Characters typed one after another, as from the clipboard or an
    // input method: the printable ones with a Windows-1252 byte.
    void TypeText(const QString& text);

    const std::string blank_;
    std::string cells_;
    std::vector<bool> filled_;
    int caret_ = 0;
    int selectionStart_ = 0;
    int selectionEnd_ = 0;
    std::function<void(char&)> keyPressHandler_;
    std::function<void()> exitHandler_;
};

}  // namespace quorvex
