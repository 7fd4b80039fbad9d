// SPDX-License-Identifier: GPL-3.0-or-later
// Where the data files and the settings file lie, and the creation of a
// missing folder or file that asking for a path brings about.
#pragma once

#include <string>

namespace quorvex {

// The process-wide application directory (with its trailing separator) and
// the data directory, application directory + "Dados/". Set by the windows
// when they are created.
void SetApplicationDirectory(const std::string& applicationDirectory);
const std::string& ApplicationDirectory();
const std::string& DataDirectory();

// Makes sure the directory part of path (up to its last separator) and the
// file exist, creating them empty. Never reports anything: a later open
// fails instead. A missing file is created without following a symbolic
// link, so a link planted at a shared path cannot redirect the creation,
// and gets mode 0644 less the umask, as WriteFileAtomically gives it.
void EnsureFileExists(const std::string& path);

// directory + "ArqIng.dad" / directory + "ArqGruIng.dad", created if missing.
std::string FoodFilePath(const std::string& directory);
std::string GroupFilePath(const std::string& directory);

// The machine-wide settings file, whatever directory is passed:
// "c:\VARDELO.ini" on Windows, /var/tmp/VARDELO.ini elsewhere. Created
// empty if missing.
std::string SettingsFilePath(const std::string& directory);

}  // namespace quorvex
