// The general error report: a failure that escapes an event handler is
// shown in a message box titled with the application title, with an error
// icon and one OK button, and the program goes on.
#pragma once

#include <exception>
#include <new>
#include <string>

namespace quorvex {

// The message as shown: "." appended when its last character sorts after
// ".".
std::string ErrorReportText(const std::string& message);

// Shows the error box for message (Windows-1252).
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
