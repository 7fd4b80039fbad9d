#include "ui/MaskField.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "ui/Text1252.h"

namespace quorvex {

namespace {

// Literal cells count as filled, with their literal.
std::vector<bool> LiteralCells(const std::string& blank) {
    std::vector<bool> literal;
    for (const char c : blank) literal.push_back(c != ' ');
    return literal;
}

}  // namespace

MaskField::MaskField(std::string blank, QWidget* parent)
    : QWidget(parent), blank_(std::move(blank)), cells_(blank_), filled_(LiteralCells(blank_)) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
}

bool MaskField::IsLiteral(int position) const {
    return blank_[static_cast<std::size_t>(position)] != ' ';
}

int MaskField::FillableFrom(int position) const {
    while (position < Length() && IsLiteral(position)) ++position;
    return position;
}

void MaskField::SetFilled(int position, char byte) {
    cells_[static_cast<std::size_t>(position)] = byte;
    filled_[static_cast<std::size_t>(position)] = true;
}

void MaskField::Unfill(int position) {
    cells_[static_cast<std::size_t>(position)] = ' ';
    filled_[static_cast<std::size_t>(position)] = false;
}

void MaskField::SetCells(const std::string& text) {
    cells_ = blank_;
    filled_ = LiteralCells(blank_);
    for (int i = 0; i < Length() && i < static_cast<int>(text.size()); ++i) {
        if (!IsLiteral(i) && Holds(text[static_cast<std::size_t>(i)])) {
            SetFilled(i, text[static_cast<std::size_t>(i)]);
        }
    }
    selectionStart_ = selectionEnd_ = 0;
    update();
}

void MaskField::SelectAll() {
    selectionStart_ = 0;
    selectionEnd_ = Length();
    caret_ = Length();
    update();
}

void MaskField::SetKeyPressHandler(std::function<void(char& key)> handler) {
    keyPressHandler_ = std::move(handler);
}

void MaskField::SetExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

int MaskField::EditPosition() const { return HasSelection() ? selectionStart_ : caret_; }

void MaskField::BlankSelection() {
    for (int i = selectionStart_; i < selectionEnd_; ++i) {
        if (!IsLiteral(i)) Unfill(i);
    }
    caret_ = selectionStart_;
    selectionStart_ = selectionEnd_ = 0;
}

void MaskField::Type(char key) {
    key = TypedByte(key);
    const int position = EditPosition();
    const int target = FillableFrom(position);
    if (target < Length() && Holds(key)) {
        if (HasSelection()) BlankSelection();
        SetFilled(target, key);
        MoveCaret(FillableFrom(target + 1));
        return;
    }
    for (int i = position; i < Length(); ++i) {
        if (IsLiteral(i) && blank_[static_cast<std::size_t>(i)] == key) return MoveCaret(i + 1);
    }
    QApplication::beep();
}

void MaskField::Backspace() {
    if (HasSelection()) {
        BlankSelection();
    } else {
        int position = caret_ - 1;
        while (position >= 0 && IsLiteral(position)) --position;
        if (position >= 0) {
            Unfill(position);
            caret_ = position;
        }
    }
    update();
}

void MaskField::Delete() {
    if (HasSelection()) {
        BlankSelection();
    } else if (FillableFrom(caret_) < Length()) {
        Unfill(FillableFrom(caret_));
    }
    update();
}

void MaskField::MoveCaret(int position) {
    caret_ = std::clamp(position, 0, Length());
    selectionStart_ = selectionEnd_ = 0;
    update();
}

void MaskField::TypeText(const QString& text) {
    for (const QChar c : text) {
        if (!c.isPrint() || !FitsWin1252(QString(c))) continue;
        char key = ToWin1252(QString(c)).front();
        if (keyPressHandler_) keyPressHandler_(key);
        Type(key);
    }
}

void MaskField::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) return TypeText(QApplication::clipboard()->text());
    if (event->matches(QKeySequence::SelectAll)) return SelectAll();
    switch (event->key()) {
        case Qt::Key_Backspace:
            return Backspace();
        case Qt::Key_Delete:
            return Delete();
        case Qt::Key_Left:
            return MoveCaret(caret_ - 1);
        case Qt::Key_Right:
            return MoveCaret(caret_ + 1);
        case Qt::Key_Home:
            return MoveCaret(0);
        case Qt::Key_End:
            return MoveCaret(Length());
        default:
            break;
    }
    const QString typed = event->text();
    if (typed.size() != 1 || !typed.at(0).isPrint() || !FitsWin1252(typed)) {
        event->ignore();
        return;
    }
    TypeText(typed);
}

void MaskField::inputMethodEvent(QInputMethodEvent* event) {
    TypeText(event->commitString());
    event->accept();
}

void MaskField::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // Switching to another window, or opening a popup, takes the focus
    // only for a while: it comes back to this field, which the user never
    // left.
    const bool away =
        event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
    if (exitHandler_ && !away) exitHandler_();
    update();
}

void MaskField::mousePressEvent(QMouseEvent* event) {
    const QFontMetrics metrics(font());
    const QString shown = ShownText();
    int position = 0;
    while (position < Length() && metrics.horizontalAdvance(shown.left(position + 1)) -
                                          metrics.horizontalAdvance(shown.at(position)) / 2 <
                                      event->position().x()) {
        ++position;
    }
    setFocus(Qt::MouseFocusReason);
    MoveCaret(position);
}

QString MaskField::ShownText() const {
    QString shown = FromWin1252(cells_);
    for (int i = 0; i < Length(); ++i) {
        if (!IsFilled(i)) shown[i] = QLatin1Char('_');
    }
    return shown;
}

QSize MaskField::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(ShownText()) + 2, metrics.height()};
}

void MaskField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics(font());
    const QString shown = ShownText();
    const int baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
    if (HasSelection()) {
        const int left = metrics.horizontalAdvance(shown.left(selectionStart_));
        const int right = metrics.horizontalAdvance(shown.left(selectionEnd_));
        painter.fillRect(left, 0, right - left, height(), palette().highlight());
    }
    for (int i = 0; i < Length(); ++i) {
        const bool selected = i >= selectionStart_ && i < selectionEnd_;
        painter.setPen(selected ? palette().highlightedText().color() : palette().text().color());
        painter.drawText(metrics.horizontalAdvance(shown.left(i)), baseline, shown.at(i));
    }
    if (hasFocus() && !HasSelection()) {
        const int x = metrics.horizontalAdvance(shown.left(caret_));
        painter.fillRect(x, 0, 1, height(), palette().text());
    }
}

}  // namespace quorvex
