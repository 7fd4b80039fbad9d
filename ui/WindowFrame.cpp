// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowFrame.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace quorvex {

namespace {

// The Motif window manager hints, as window managers read them.
enum : unsigned long {
    kHintFunctions = 1,
    kHintDecorations = 2,
    kFunctionMove = 4,
    kFunctionMinimise = 8,
    kFunctionClose = 32,
    kDecorBorder = 2,
    kDecorTitle = 8,
    kDecorMenu = 16,
    kDecorMinimise = 32,
};

xcb_connection_t* X11Connection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->connection();
}

// The X11 window of a window already created. QWidget::winId() would make
// every child of the window's parent a native window of its own.
xcb_window_t WindowId(const QWidget& window) {
    return static_cast<xcb_window_t>(window.windowHandle()->winId());
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void WriteMotifHints(QWidget& window) {
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr || window.windowHandle() == nullptr) return;
    static const xcb_atom_t hintsAtom = Atom(connection, "_MOTIF_WM_HINTS");
    if (hintsAtom == XCB_ATOM_NONE) return;
    const MotifHints hints = MotifHintsFor(window.windowFlags());
    const std::array<std::uint32_t, 5> values = {
        static_cast<std::uint32_t>(hints.flags), static_cast<std::uint32_t>(hints.functions),
        static_cast<std::uint32_t>(hints.decorations), static_cast<std::uint32_t>(hints.inputMode),
        static_cast<std::uint32_t>(hints.status)};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, WindowId(window), hintsAtom, hintsAtom,
                        32, values.size(), values.data());
}

// Sees a window's show event, sent after its native window exists and
// before it is mapped, which is when a window manager reads the hints; and
// its state changes, since some window managers offer minimising anyway.
class FrameKeeper : public QObject {
  public:
    explicit FrameKeeper(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        // Every event of the program passes here: the cheap test first.
        if (event->type() != QEvent::Show && event->type() != QEvent::WindowStateChange) {
            return false;
        }
        if (!watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || !HasFixedFrame(*widget)) return false;
        if (event->type() == QEvent::Show && !event->spontaneous()) WriteMotifHints(*widget);
        // A window without a minimise button has no way back from the
        // task bar on a desktop without one: a minimised modal dialog
        // would leave the program blocked with nothing on show.
        if (event->type() == QEvent::WindowStateChange && widget->isMinimized() &&
            !(widget->windowFlags() & Qt::WindowMinimizeButtonHint)) {
            QTimer::singleShot(0, widget, [widget] { widget->showNormal(); });
        }
        return false;
    }
};

}  // namespace

bool HasFixedFrame(const QWidget& window) {
    const Qt::WindowFlags flags = window.windowFlags();
    return flags.testFlags(Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
}

MotifHints MotifHintsFor(Qt::WindowFlags flags) {
    MotifHints hints{kHintFunctions | kHintDecorations, kFunctionMove, kDecorBorder | kDecorTitle,
                     0, 0};
    if (flags & Qt::WindowSystemMenuHint) hints.decorations |= kDecorMenu;
    if (flags & Qt::WindowMinimizeButtonHint) {
        hints.functions |= kFunctionMinimise;
        hints.decorations |= kDecorMinimise;
    }
    if (flags & Qt::WindowCloseButtonHint) hints.functions |= kFunctionClose;
    return hints;
}

void TakeOffScreen(QWidget& window) {
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr || window.windowHandle() == nullptr) return;
    xcb_unmap_window(connection, WindowId(window));
    xcb_flush(connection);
}

void KeepFixedFrames(QApplication& application) {
    application.installEventFilter(new FrameKeeper(&application));
}

}  // namespace quorvex
