// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/qt/WordEdit.h"

#include <algorithm>

#include "ui/Text1252.h"

namespace quorvex {

WordEdit::WordEdit(QWidget* parent) : MaskField(std::string(kLength, ' '), parent) {
    // Accented letters may come composed by an input method.
    setAttribute(Qt::WA_InputMethodEnabled, true);
}

std::string WordEdit::Text() const {
    int end = Length();
    while (end > 0 && !IsFilled(end - 1)) --end;
    return Cells().substr(0, static_cast<std::size_t>(end));
}

void WordEdit::SetText(const std::string& text) {
    SetCells(text);
    MoveCaret(std::min(static_cast<int>(text.size()), Length()));
}

bool WordEdit::Holds(char) const { return true; }

char WordEdit::TypedByte(char key) const {
    const QString capital = FromWin1252(std::string(1, key)).toUpper();
    return capital.size() == 1 && FitsWin1252(capital) ? ToWin1252(capital).front() : key;
}

}  // namespace quorvex
