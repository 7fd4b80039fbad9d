// The frame every window of the program has: a fixed border under a
// caption, with only the title-bar buttons the window names.
#pragma once

#include <Qt>

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

}  // namespace quorvex
