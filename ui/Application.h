// SPDX-License-Identifier: GPL-3.0-or-later
// The application object of the viewer and of the widget tests.
#pragma once

#include <QApplication>

namespace quorvex {

// The desktop entry's name without ".desktop": the Wayland app_id, and the
// name docks group the program's windows under.
extern const char* const kDesktopFileName;

// Sets the application title, the desktop entry's name and the program's
// icon (built in from the package's own), opens every window centred
// (Centring.h) with the frame it asks for (WindowFrame.h), shows the menu
// bar item that has the keyboard focus, and routes every exception that
// leaves an event handler to ShowErrorReport. Exactly one may exist,
// created before any window, as QApplication requires; argc and argv must
// outlive it.
class QuorvexApplication : public QApplication {
  public:
    QuorvexApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quorvex
