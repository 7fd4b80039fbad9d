// SPDX-License-Identifier: GPL-3.0-or-later
// A window whose set-up runs when it becomes the active window.
#pragma once

#include <QEvent>

#include "ui/ErrorReport.h"

namespace quorvex {

// Window is the Qt window class (QMainWindow, QDialog) the form derives
// from. FormActivate runs, through RunGuarded, every time the window becomes
// active, after Window itself has handled the activation; a form whose
// set-up must run once keeps its own one-shot flag.
template <class Window>
class ActivatedWindow : public Window {
  public:
    using Window::Window;

    // Public so that tests can drive it directly.
    virtual void FormActivate() = 0;

  protected:
    bool event(QEvent* event) override {
        const bool handled = Window::event(event);
        if (event->type() == QEvent::WindowActivate) RunGuarded([this] { FormActivate(); });
        return handled;
    }
};

}  // namespace quorvex
