// A fixed-position field for an amount of up to six integer digits and one
// decimal: eight positions, a comma fixed at the seventh. Unlike Qt's
// input masks it never moves the other digits: typing fills the position
// under the caret and deleting leaves a blank in place.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

namespace quorvex {

class AmountField : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kLength = 8;
    static constexpr int kCommaPosition = 6;  // 0-based

    explicit AmountField(QWidget* parent = nullptr);

    // Eight characters with spaces in blank positions and the comma at
    // position 7, "      , " when empty.
    const std::string& Text() const { return text_; }

    // Takes text as the field's content: digits stay in digit positions,
    // anything else there becomes a blank, the comma is put back in its
    // place. Drops the selection and keeps the caret where it was.
    void SetText(const std::string& text);

    void SelectAll();
    bool HasSelection() const { return selectionEnd_ > selectionStart_; }
    int CaretPosition() const { return caret_; }

    // Runs for every character key before the field handles it and may
    // change the character.
    void SetKeyPressHandler(std::function<void(char& key)> handler);
    // Runs whenever the focus leaves the field.
    void SetExitHandler(std::function<void()> handler);

    // Handles one typed character: a digit fills a digit position, a comma
    // at an integer position moves the caret to the decimal, anything else
    // is refused with a beep.
    void Type(char key);

    QSize sizeHint() const override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // Where typing or deleting acts: the selection's start or the caret.
    int EditPosition() const;
    void BlankSelection();
    void Backspace();
    void Delete();
    void MoveCaret(int position);
    QString ShownText() const;

    std::string text_;
    int caret_ = 0;
    int selectionStart_ = 0;
    int selectionEnd_ = 0;
    std::function<void(char&)> keyPressHandler_;
    std::function<void()> exitHandler_;
};

}  // namespace quorvex
