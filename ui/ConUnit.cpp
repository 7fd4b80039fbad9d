// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ConUnit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWindow>

#include "ui/WindowFrame.h"

namespace quorvex {

TConForm::TConForm(QWidget* parent) : QDialog(parent, FixedFrame(Qt::Dialog, TitleButtons::None)) {
    setWindowTitle("Please wait...");
    setModal(false);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ProgressBar);
    setFixedSize(436, 30);
}

void TConForm::BeginProgress(int maximum) {
    maximum_ = maximum;
    ProgressBar->setRange(0, maximum);
    ProgressBar->setValue(0);
    shownWidth_ = FilledWidth(0);
    paintedAt_ = std::chrono::steady_clock::now();
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr || owner == this) owner = parentWidget();
    // The window handle, to take its owner before it is mapped. Not
    // winId(), which would make the owner's child widgets native windows.
    create();
    windowHandle()->setTransientParent(owner ? owner->windowHandle() : nullptr);
    windowHandle()->installEventFilter(this);
    show();
    raise();
    // A load runs inside one event without yielding, so the X server's word
    // that the window is on screen (its expose event) is read only after
    // it, and until then Qt drops every paint. Drawing into a mapped X
    // window needs no such word: taken as mapped, the paints below reach the
    // screen as soon as the window manager has put it there.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) setAttribute(Qt::WA_Mapped);
    repaint();
}

long long TConForm::FilledWidth(int position) const {
    if (maximum_ <= 0) return 0;
    return static_cast<long long>(position) * ProgressBar->width() / maximum_;
}

void TConForm::SetPosition(int position) {
    const long long width = FilledWidth(position);
    if (width == shownWidth_ && position != 0 && position < maximum_ - 1) return;
    shownWidth_ = width;
    ProgressBar->setValue(position);
    // Painted at once, as no event is processed until the work is done,
    // but no more often than a screen shows frames: each paint waits for
    // the window system, which for a short scan would cost more than the
    // scan.
    const auto now = std::chrono::steady_clock::now();
    if (now - paintedAt_ < kFrame) return;
    paintedAt_ = now;
    ProgressBar->repaint();
}

void TConForm::EndProgress() { hide(); }

bool TConForm::eventFilter(QObject* watched, QEvent* event) {
    // A window manager that handles the map request only after the window
    // was hidden again maps it all the same (weston's X11 window manager
    // does when a load is short), and the window would stay on show.
    if (watched == windowHandle() && event->type() == QEvent::Expose && !isVisible() &&
        windowHandle()->isExposed()) {
        TakeOffScreen(*this);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quorvex
