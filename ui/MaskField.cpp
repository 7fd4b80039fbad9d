// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MaskField.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>

#include "ui/AccessibleFactory.h"
#include "ui/Text1252.h"

namespace quorvex {

namespace {

// What a screen reader sees of a field: editable single-line text with
// the cells as read, its caret and its selection.
class MaskFieldAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface {
  public:
    explicit MaskFieldAccessible(MaskField* field)
        : QAccessibleWidget(field, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.selectableText = true;
        state.focusable = true;
        return state;
    }

    // Named by the label whose buddy the field is; a field no label names
    // (the word field) by its window's title.
    QString text(QAccessible::Text kind) const override {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty()) text = Field()->window()->windowTitle();
        if (kind == QAccessible::Value) text = Read();
        return text;
    }

    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        auto relations = QAccessibleWidget::relations(match);
        const bool labelled = std::any_of(relations.begin(), relations.end(), [](const auto& r) {
            return r.second & QAccessible::Label;
        });
        if ((match & QAccessible::Label) && !labelled && Field()->window() != Field()) {
            relations.append(
                {QAccessible::queryAccessibleInterface(Field()->window()), QAccessible::Label});
        }
        return relations;
    }

    // Text.
    void selection(int index, int* start, int* end) const override {
        const bool any = index == 0 && Field()->HasSelection();
        *start = any ? Field()->SelectionStart() : 0;
        *end = any ? Field()->SelectionEnd() : 0;
    }
    int selectionCount() const override { return Field()->HasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { Field()->Select(start, end); }
    void removeSelection(int) override { Field()->MoveCaret(Field()->CaretPosition()); }
    void setSelection(int, int start, int end) override { Field()->Select(start, end); }
    int cursorPosition() const override { return Field()->CaretPosition(); }
    void setCursorPosition(int position) override { Field()->MoveCaret(position); }
    QString text(int start, int end) const override { return Read().mid(start, end - start); }
    int characterCount() const override { return Field()->Length(); }
    QRect characterRect(int offset) const override {
        const QFontMetrics metrics(Field()->font());
        const QString shown = Field()->ShownText();
        if (offset < 0 || offset >= shown.size()) return {};
        const QPoint left =
            Field()->mapToGlobal(QPoint(metrics.horizontalAdvance(shown.left(offset)), 0));
        return {left, QSize(metrics.horizontalAdvance(shown.at(offset)), Field()->height())};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = Field()->mapFromGlobal(point);
        return Field()->rect().contains(local) ? Field()->PositionAt(local.x()) : -1;
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Editable text, through the same paths as the keyboard.
    void deleteText(int start, int end) override {
        Field()->Select(start, end);
        Field()->Delete();
    }
    void insertText(int offset, const QString& text) override {
        Field()->MoveCaret(offset);
        Field()->TypeText(text);
    }
    void replaceText(int start, int end, const QString& text) override {
        Field()->Select(start, end);
        Field()->TypeText(text);
    }

  private:
    MaskField* Field() const { return static_cast<MaskField*>(widget()); }
    QString Read() const { return FromWin1252(Field()->Cells()); }
};

}  // namespace

MaskField::MaskField(const std::string& blank, QWidget* parent) : QWidget(parent) {
    InstallAccessible<MaskField, MaskFieldAccessible>();
    for (const char c : blank) cells_.push_back({c != ' ', false, c});
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
}

std::string MaskField::Cells() const {
    std::string read;
    read.reserve(cells_.size());
    for (const Cell& cell : cells_) read += cell.literal || cell.filled ? cell.byte : ' ';
    return read;
}

int MaskField::FillableFrom(int position) const {
    while (position < Length() && CellAt(position).literal) ++position;
    return position;
}

void MaskField::Fill(int position, char byte) {
    Cell& cell = CellAt(position);
    cell.byte = byte;
    cell.filled = true;
}

void MaskField::Unfill(int position) {
    Cell& cell = CellAt(position);
    if (cell.literal) return;
    cell.byte = ' ';
    cell.filled = false;
}

void MaskField::SetCells(const std::string& text) {
    const std::string before = Cells();
    for (int i = 0; i < Length(); ++i) {
        Unfill(i);
        const auto at = static_cast<std::size_t>(i);
        if (!CellAt(i).literal && at < text.size() && Holds(text[at])) Fill(i, text[at]);
    }
    selectionStart_ = selectionEnd_ = 0;
    Changed(before);
}

void MaskField::SelectAll() { Select(0, Length()); }

void MaskField::Select(int start, int end) {
    selectionStart_ = std::clamp(std::min(start, end), 0, Length());
    selectionEnd_ = std::clamp(std::max(start, end), 0, Length());
    caret_ = selectionEnd_;
    if (!HasSelection()) selectionStart_ = selectionEnd_ = 0;
    Changed(Cells());
}

void MaskField::SetKeyPressHandler(std::function<void(char& key)> handler) {
    keyPressHandler_ = std::move(handler);
}

void MaskField::SetExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

int MaskField::EditPosition() const { return HasSelection() ? selectionStart_ : caret_; }

void MaskField::BlankSelection() {
    for (int i = selectionStart_; i < selectionEnd_; ++i) Unfill(i);
    caret_ = selectionStart_;
    selectionStart_ = selectionEnd_ = 0;
}

void MaskField::Type(char key) {
    if (keyPressHandler_) keyPressHandler_(key);
    const std::string before = Cells();
    key = TypedByte(key);
    const int position = EditPosition();
    const int target = FillableFrom(position);
    if (target < Length() && Holds(key)) {
        if (HasSelection()) BlankSelection();
        Fill(target, key);
        caret_ = FillableFrom(target + 1);
        return Changed(before);
    }
    for (int i = position; i < Length(); ++i) {
        if (CellAt(i).literal && CellAt(i).byte == key) return MoveCaret(i + 1);
    }
    QApplication::beep();
}

void MaskField::Backspace() {
    const std::string before = Cells();
    if (HasSelection()) {
        BlankSelection();
    } else {
        int position = caret_ - 1;
        while (position >= 0 && CellAt(position).literal) --position;
        if (position >= 0) {
            Unfill(position);
            caret_ = position;
        }
    }
    Changed(before);
}

void MaskField::Delete() {
    const std::string before = Cells();
    if (HasSelection()) {
        BlankSelection();
    } else if (FillableFrom(caret_) < Length()) {
        Unfill(FillableFrom(caret_));
    }
    Changed(before);
}

void MaskField::MoveCaret(int position) {
    caret_ = std::clamp(position, 0, Length());
    selectionStart_ = selectionEnd_ = 0;
    Changed(Cells());
}

void MaskField::Changed(const std::string& before) {
    update();
    if (!QAccessible::isActive()) return;
    const std::string now = Cells();
    if (now != before) {
        QAccessibleTextUpdateEvent event(this, 0, FromWin1252(before), FromWin1252(now));
        QAccessible::updateAccessibility(&event);
    }
    if (HasSelection()) {
        QAccessibleTextSelectionEvent event(this, selectionStart_, selectionEnd_);
        event.setCursorPosition(caret_);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextCursorEvent event(this, caret_);
        QAccessible::updateAccessibility(&event);
    }
}

void MaskField::TypeText(const QString& text) {
    for (const QChar c : text) {
        if (c.isPrint() && FitsWin1252(QString(c))) Type(ToWin1252(QString(c)).front());
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

int MaskField::PositionAt(int x) const {
    const QFontMetrics metrics(font());
    const QString shown = ShownText();
    int position = 0;
    while (position < Length() && metrics.horizontalAdvance(shown.left(position + 1)) -
                                          metrics.horizontalAdvance(shown.at(position)) / 2 <
                                      x) {
        ++position;
    }
    return position;
}

void MaskField::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    MoveCaret(PositionAt(static_cast<int>(event->position().x())));
}

QString MaskField::ShownText() const {
    // One character per cell: converted whole, then the empty cells marked.
    QString shown = FromWin1252(Cells());
    for (int i = 0; i < Length(); ++i) {
        const Cell& cell = cells_[static_cast<size_t>(i)];
        if (!cell.literal && !cell.filled) shown[i] = QLatin1Char('_');
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
