// SPDX-License-Identifier: GPL-3.0-or-later
// What the import tools share: exit statuses, usage, progress on a
// terminal, the summary line, and which failure gives which message and
// status.
#pragma once

#include <functional>
#include <string>

namespace quorvex {

class ProgressSink;

inline constexpr int kExitDone = 0;
inline constexpr int kExitWriteFailure = 1;  // the output could not be written
inline constexpr int kExitRefused = 2;       // wrong usage or bad input
inline constexpr int kExitOutOfMemory = 3;

// For "--help" (asked): the usage line "usage: <program> <arguments>" on
// standard output and kExitDone; otherwise on standard error and
// kExitRefused.
int PrintUsage(const char* program, const char* arguments, bool asked);

// Runs import with a progress sink showing a percentage on standard error
// when it is a terminal (null otherwise). import returns what it wrote,
// e.g. "12 foods, 3 groups"; printed as "<program>: <what>; written to
// <output> in <seconds> s". Returns the exit status: ImportError gives
// kExitRefused, NotEnoughMemory and std::bad_alloc kExitOutOfMemory (the
// message names input), any other failure kExitWriteFailure; each failure
// is printed "<program>: <message>" on standard error.
int RunImport(const char* program, const std::string& input, const std::string& output,
              const std::function<std::string(ProgressSink* progress)>& import);

}  // namespace quorvex
