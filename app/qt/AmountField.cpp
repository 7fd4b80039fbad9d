#include "app/qt/AmountField.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "ui/Text1252.h"

namespace quorvex {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digit positions are every position but the comma's.
int DigitPositionFrom(int position) {
    return position == AmountField::kCommaPosition ? position + 1 : position;
}

}  // namespace

AmountField::AmountField(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setCursor(Qt::IBeamCursor);
    SetText("");
}

void AmountField::SetText(const std::string& text) {
    std::string fitted(kLength, ' ');
    for (int i = 0; i < kLength && i < static_cast<int>(text.size()); ++i) {
        if (IsDigit(text[static_cast<std::size_t>(i)])) {
            fitted[static_cast<std::size_t>(i)] = text[static_cast<std::size_t>(i)];
        }
    }
    fitted[kCommaPosition] = ',';
    text_ = fitted;
    selectionStart_ = selectionEnd_ = 0;
    update();
}

void AmountField::SelectAll() {
    selectionStart_ = 0;
    selectionEnd_ = kLength;
    caret_ = kLength;
    update();
}

void AmountField::SetKeyPressHandler(std::function<void(char& key)> handler) {
    keyPressHandler_ = std::move(handler);
}

void AmountField::SetExitHandler(std::function<void()> handler) {
    exitHandler_ = std::move(handler);
}

int AmountField::EditPosition() const { return HasSelection() ? selectionStart_ : caret_; }

void AmountField::BlankSelection() {
    for (int i = selectionStart_; i < selectionEnd_; ++i) {
        if (i != kCommaPosition) text_[static_cast<std::size_t>(i)] = ' ';
    }
    caret_ = selectionStart_;
    selectionStart_ = selectionEnd_ = 0;
}

void AmountField::Type(char key) {
    const int position = EditPosition();
    if (IsDigit(key) && DigitPositionFrom(position) < kLength) {
        if (HasSelection()) BlankSelection();
        const int target = DigitPositionFrom(position);
        text_[static_cast<std::size_t>(target)] = key;
        MoveCaret(DigitPositionFrom(target + 1));
    } else if (key == ',' && position <= kCommaPosition) {
        MoveCaret(kCommaPosition + 1);
    } else {
        QApplication::beep();
    }
}

void AmountField::Backspace() {
    if (HasSelection()) {
        BlankSelection();
    } else if (caret_ > 0) {
        caret_ = caret_ - 1 == kCommaPosition ? kCommaPosition - 1 : caret_ - 1;
        text_[static_cast<std::size_t>(caret_)] = ' ';
    }
    update();
}

void AmountField::Delete() {
    if (HasSelection()) {
        BlankSelection();
    } else if (DigitPositionFrom(caret_) < kLength) {
        text_[static_cast<std::size_t>(DigitPositionFrom(caret_))] = ' ';
    }
    update();
}

void AmountField::MoveCaret(int position) {
    caret_ = std::clamp(position, 0, kLength);
    selectionStart_ = selectionEnd_ = 0;
    update();
}

void AmountField::keyPressEvent(QKeyEvent* event) {
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
            return MoveCaret(kLength);
        default:
            break;
    }
    const QString typed = event->text();
    if (typed.size() != 1 || !typed.at(0).isPrint() || !FitsWin1252(typed)) {
        event->ignore();
        return;
    }
    char key = ToWin1252(typed).front();
    if (keyPressHandler_) keyPressHandler_(key);
    Type(key);
}

void AmountField::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (exitHandler_) exitHandler_();
    update();
}

void AmountField::mousePressEvent(QMouseEvent* event) {
    const QFontMetrics metrics(font());
    const QString shown = ShownText();
    int position = 0;
    while (position < kLength && metrics.horizontalAdvance(shown.left(position + 1)) -
                                         metrics.horizontalAdvance(shown.at(position)) / 2 <
                                     event->position().x()) {
        ++position;
    }
    setFocus(Qt::MouseFocusReason);
    MoveCaret(position);
}

QString AmountField::ShownText() const {
    QString shown = FromWin1252(text_);
    shown.replace(QLatin1Char(' '), QLatin1Char('_'));
    return shown;
}

QSize AmountField::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(ShownText()) + 2, metrics.height()};
}

void AmountField::paintEvent(QPaintEvent*) {
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
    for (int i = 0; i < kLength; ++i) {
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
