// SPDX-License-Identifier: GPL-3.0-or-later
// Reaching a file by what it is rather than by where it stands, so that
// nothing swapped in at its path between two steps is taken for it.
#pragma once

#include <sys/stat.h>

#include <string>

namespace quorvex {

// The path that names an open descriptor's own file (/proc/self/fd/N), for
// calls that take only a path but must reach that very file: reopening an
// O_PATH descriptor, the extended-attribute calls, giving an unnamed file a
// name.
inline std::string DescriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Whether a and b describe one file (the same device and inode).
inline bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace quorvex
