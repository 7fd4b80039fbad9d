// Writing a file whole or not at all: the one writer of the settings file,
// the importer's output and the encoder's. The bytes go to a file that has
// no name until it is complete and on disk (O_TMPFILE, then linkat), so a
// crash, a kill or a full disk never leaves a half-written file or a
// temporary one behind; where the file system offers no unnamed files a
// named temporary beside the target takes its place.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace quorvex {

// Writes bytes as the file at path, then flushes path's folder. Replaces
// only a regular file that the current user owns, and creates one where
// nothing stands; anything else at path (another user's file, a symbolic
// link, a folder, a FIFO, also one put there while the bytes were being
// written) is left untouched and the write fails, so a file planted in a
// shared folder is never written over or through. The file gets
// ReplacementMode(path). Throws std::runtime_error "Unable to write to
// <path>" on any failure, with whatever stood at path as it was.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The permission bits a file replacing path gets: those of the regular
// file at path when the current user owns it, else 0644 less the umask;
// never set-user-ID, set-group-ID or sticky.
mode_t ReplacementMode(const std::string& path);

// Writes bytes as a new file at path, where nothing may stand, with the
// permission bits mode (masked to 0777). The file is on disk on return,
// its folder entry is not (see SyncFolder). Throws like
// WriteFileAtomically, also when something stands at path.
void WriteNewFile(const std::string& path, std::string_view bytes, mode_t mode);

// The process's file mode creation mask.
mode_t CurrentUmask();

// Flushes the entries of folder (links and renames in it) to disk. A
// failure is ignored: the files themselves are on disk already.
void SyncFolder(const std::string& folder);

}  // namespace quorvex
