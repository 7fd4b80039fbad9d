// Replacing a file whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace quorvex {

// Writes bytes to a new temporary file in path's folder (created
// exclusively, never through a symbolic link), flushes it to disk and
// renames it over path. A crash or a full disk leaves the old file as it
// was; a symbolic link at path is replaced, never written through. The new
// file gets the old file's permissions, or 0666 less the umask. Throws
// std::runtime_error with "Unable to write to <path>" on failure, leaving
// no temporary file behind.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace quorvex
