// The entry field of the word filter: at most 40 characters of Windows-1252
// text, every letter the user types or pastes turned to its capital. Text
// the program puts in with setText is shown as it is.
#pragma once

#include <QLineEdit>
#include <optional>

namespace quorvex {

class TWordEdit : public QLineEdit {
    Q_OBJECT
  public:
    static constexpr int kMaxLength = 40;

    explicit TWordEdit(QWidget* parent = nullptr);

    // typed as the field takes it: each letter replaced by its capital when
    // that capital has a Windows-1252 byte (é gives É, ÿ gives Ÿ, while the
    // capital of µ does not fit and µ stays). Nothing when a character has
    // no Windows-1252 byte: such input is refused whole.
    static std::optional<QString> TypedText(const QString& typed);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Clipboard text on one line, characters without a Windows-1252 byte
    // dropped, letters capitalised.
    void PasteTyped();
};

}  // namespace quorvex
