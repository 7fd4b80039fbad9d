// SPDX-License-Identifier: GPL-3.0-or-later
// A menu item whose click runs a window's handler under the general error
// report.
#pragma once

#include <QAction>
#include <QMenuBar>

#include "ui/ErrorReport.h"

namespace quorvex {

// Appends a top-level item with caption (ASCII) to menu, running
// (window->*handler)() through RunGuarded when it is triggered. The item
// belongs to menu.
template <class Window>
QAction* AddCommand(QMenuBar* menu, Window* window, const char* caption,
                    void (Window::*handler)()) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    QObject::connect(action, &QAction::triggered, window,
                     [window, handler] { RunGuarded([&] { (window->*handler)(); }); });
    return action;
}

}  // namespace quorvex
