// SPDX-License-Identifier: GPL-3.0-or-later
// The general error report: a failure that escapes an event handler is
// shown in a message box titled with the application title, with an error
// icon and one OK button, and the program goes on.
#pragma once

#include <exception>
#include <new>
#include <string>

class QWidget;

namespace quorvex {

// The message as shown: "." appended when its last character sorts after
// ".".
std::string ErrorReportText(const std::string& message);

// The window a message box belongs to: the modal window on top, else the
// active window, else the first main window on show (a window system may
// leave every window inactive), else none.
QWidget* MessageOwner();

// Shows the error box for message (Windows-1252), over MessageOwner().
void ShowErrorReport(const std::string& message);

// What the error box says when a command runs out of memory: the library's
// own text ("std::bad_alloc") tells a user nothing.
extern const char* const kOutOfMemoryText;

// Runs one event handler; a failure it throws ends the handler and goes to
// ShowErrorReport. Every handler connected to a widget signal runs through
// this, because Qt's own frames between the signal and the event loop are
// not built to pass exceptions on.
template <class Handler>
void RunGuarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        ShowErrorReport(kOutOfMemoryText);
    } catch (const std::exception& failure) {
        ShowErrorReport(failure.what());
    } catch (...) {
        ShowErrorReport("Unknown failure");
    }
}

}  // namespace quorvex
