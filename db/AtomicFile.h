// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a file whole or not at all: the one writer of the settings file,
// the saved report images, the importer's output and the encoder's. The
// bytes go to a file that has no name until it is complete and on disk
// (O_TMPFILE); a new file is then linked in place, and a file replacing
// another gets a temporary name "<name>.XXXXXX" beside it and is renamed
// over it. The file is locked before it gets that name and until the
// rename, so a run killed in between leaves a temporary file that nothing
// holds locked: the next write of the same name in that folder removes such
// files of the same user. Where the file system offers no unnamed files the
// temporary name is made first.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvex {

// A write that failed: what() is "Unable to write to <path>", Reason() says
// why in words ("No space left on device", "it is a folder").
class WriteError : public std::runtime_error {
  public:
    WriteError(const std::string& path, std::string reason);
    const std::string& Reason() const { return reason_; }

  private:
    std::string reason_;
};

// Who may do what with a file: what a file replacing another takes over.
struct FileAccess {
    uid_t owner = static_cast<uid_t>(-1);  // -1: the writing user's
    gid_t group = static_cast<gid_t>(-1);  // -1: the folder's usual one
    mode_t mode = 0;
    // system.posix_acl_access, empty when none; nothing to leave what a new
    // file takes over from its folder's default ACL.
    std::optional<std::string> acl;
    std::optional<std::string> defaultAcl;  // system.posix_acl_default, folders
};

// The access of the file or folder open at fd (O_PATH is enough), whose
// fstat is info: owner, group, ACLs and the permission bits; a folder keeps
// its set-ID and sticky bits, a file never does.
FileAccess AccessOf(int fd, const struct stat& info);

// The access of a new file where none stood: mode 0644 less the umask, the
// given owner and group, and the ACL its folder's default ACL gives it.
FileAccess NewFileAccess(uid_t owner = static_cast<uid_t>(-1),
                         gid_t group = static_cast<gid_t>(-1));

// Gives the file open at fd (not O_PATH) the access, as far as the user
// may: a user other than root who may not give the owner or group keeps
// their own. Returns 0 or the errno of the step that failed.
int GiveAccess(int fd, const FileAccess& access);

// What a write may replace at its path. Nothing but a regular file of the
// writing user, or anything but a folder and a symbolic link that another
// user owns or that lies in a sticky folder anyone may write (the link is
// replaced, never written through).
enum class Replacing { kOwnFileOnly, kAnyButOthersLinks };

// Writes bytes as the file at path, then flushes path's folder. Creates a
// file where nothing stands and replaces what `replacing` allows; anything
// else (for kOwnFileOnly another user's file, a symbolic link, a folder, a
// FIFO) is left untouched and the write fails, so a file planted in a
// shared folder is never written over or through. A file of the user's
// own that it replaces hands on its group, permission bits (never set-ID
// or sticky) and ACL; any other file gets NewFileAccess(). Throws
// WriteError on any failure, with whatever stood at path as it was.
void WriteFileAtomically(const std::string& path, std::string_view bytes,
                         Replacing replacing = Replacing::kOwnFileOnly);

// Writes bytes as the new file name in the folder open at folder, where
// nothing may stand, with the access given. The file is on disk on return,
// its folder entry is not (fsync the folder). Throws WriteError naming
// shownPath.
void WriteNewFile(int folder, const std::string& name, std::string_view bytes,
                  const FileAccess& access, const std::string& shownPath);

// Six random letters and digits: the varying part of every temporary name.
std::string RandomSuffix();

}  // namespace quorvex
