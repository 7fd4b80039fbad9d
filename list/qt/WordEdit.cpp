#include "list/qt/WordEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>
#include <memory>

#include "ui/Text1252.h"

namespace quorvex {

TWordEdit::TWordEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(kMaxLength);
    // A drop would bypass the conversion of typed text.
    setAcceptDrops(false);
}

std::optional<QString> TWordEdit::TypedText(const QString& typed) {
    QString result;
    for (const QChar c : typed) {
        if (!FitsWin1252(QString(c))) return std::nullopt;
        const QChar capital = c.toUpper();
        result += FitsWin1252(QString(capital)) ? capital : c;
    }
    return result;
}

void TWordEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteTyped();
        return;
    }
    const QString text = event->text();
    const bool printable = !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                                          [](QChar c) { return c.isPrint(); });
    if (!printable) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (const auto typed = TypedText(text)) insert(*typed);
    event->accept();
}

void TWordEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent converted(event->preeditString(), event->attributes());
    converted.setCommitString(TypedText(event->commitString()).value_or(QString()),
                              event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&converted);
}

void TWordEdit::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste")) continue;
        disconnect(action, &QAction::triggered, this, nullptr);
        connect(action, &QAction::triggered, this, &TWordEdit::PasteTyped);
    }
    menu->exec(event->globalPos());
}

void TWordEdit::PasteTyped() {
    if (isReadOnly()) return;
    QString pasted;
    for (const QChar c : QApplication::clipboard()->text()) {
        if (c.isPrint() && FitsWin1252(QString(c))) pasted += c;
    }
    insert(TypedText(pasted).value_or(QString()));
}

}  // namespace quorvex
