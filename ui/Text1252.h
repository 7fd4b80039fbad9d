// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion between the core's Windows-1252 byte strings and the widgets'
// QString, done only at the widgets, one table look-up per character.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quorvex {

// Every byte has a character: the five bytes Windows-1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same code.
QString FromWin1252(std::string_view text);

// Characters that Windows-1252 cannot hold become "?" (a surrogate pair
// becomes one "?").
std::string ToWin1252(const QString& text);

// True when every character of text has a Windows-1252 byte.
bool FitsWin1252(const QString& text);

}  // namespace quorvex
