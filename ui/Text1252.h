// Conversion between the core's Windows-1252 byte strings and the widgets'
// QString, done only at the widgets.
#pragma once

#include <QString>
#include <string>

namespace quorvex {

QString FromWin1252(const std::string& text);

// Characters that Windows-1252 cannot hold become "?".
std::string ToWin1252(const QString& text);

// True when every character of text has a Windows-1252 byte.
bool FitsWin1252(const QString& text);

}  // namespace quorvex
