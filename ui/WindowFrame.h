// SPDX-License-Identifier: GPL-3.0-or-later
// The frame every window of the program has: a fixed border under a
// caption, with only the title-bar buttons the window names.
#pragma once

#include <Qt>

class QApplication;
class QWidget;

namespace quorvex {

enum class TitleButtons {
    // Caption only: no system menu and no close box. Such a window ends
    // through its own commands alone, so it must also ignore the window
    // manager's close request (QDialog sends that to reject()).
    None,
    // System menu, minimise and close; never maximise.
    MenuMinimiseClose,
};

// The flags to create a window of type (Qt::Window or Qt::Dialog) with.
// The window still fixes its own size: a fixed size is what tells the
// window manager not to offer resizing and maximising.
constexpr Qt::WindowFlags FixedFrame(Qt::WindowType type, TitleButtons buttons) {
    // Without CustomizeWindowHint Qt adds the buttons it thinks the type
    // deserves, and on X11 the title bar goes with it unless asked for.
    Qt::WindowFlags flags =
        type | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
    if (buttons == TitleButtons::MenuMinimiseClose) {
        flags |=
            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    }
    return flags;
}

// True for the program's own windows, made with FixedFrame; false for
// message boxes and file dialogs.
bool HasFixedFrame(const QWidget& window);

// The X11 window manager hints (_MOTIF_WM_HINTS) for a window with flags:
// flags, functions, decorations, input mode and status, as the property
// holds them. Both the functions and the decorations are given, since
// window managers draw their buttons from one or the other.
struct MotifHints {
    unsigned long flags, functions, decorations, inputMode, status;
};
MotifHints MotifHintsFor(Qt::WindowFlags flags);

// Takes window, which Qt already counts as hidden, off the screen of an
// X11 server where a window manager mapped it anyway. Does nothing on other
// window systems.
void TakeOffScreen(QWidget& window);

// From now on every window of application made with FixedFrame tells the
// X11 window manager, before it is mapped, the buttons and border its
// flags give (MotifHintsFor): Qt's own hints for a caption without buttons
// carry no decorations, which window managers take as "decorate fully".
// Such a window without a minimise button that gets minimised anyway
// (window managers that draw every button) is shown again at once. The
// hints do nothing on other window systems.
void KeepFixedFrames(QApplication& application);

}  // namespace quorvex
