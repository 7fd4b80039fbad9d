// SPDX-License-Identifier: GPL-3.0-or-later
// Whose rights the tools answer to when root runs them for someone else
// (sudo): a tool run as root may read files that the user who called it
// may not, and must not pass their content on in its messages.
#pragma once

#include <sys/stat.h>

#include <string>

namespace quorvex {

// Whether the user who ran the program could read the file at path that
// the program read (its fstat is info): the same file reached through the
// same path, with that user's own rights, folders on the way included.
// True at once for a program not running as root, and for root acting for
// itself; under sudo the user is SUDO_UID (with SUDO_GID), else the real
// user.
bool InvokingUserMayRead(const std::string& path, const struct stat& info);

}  // namespace quorvex
