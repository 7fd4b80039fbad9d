// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <random>

#include "db/FileIdentity.h"

namespace quorvex {

namespace {

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";

mode_t CurrentUmask() {
    // Reading the mask means setting it; nothing runs in between.
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

std::string ReadAttribute(int fd, const char* name) {
    std::string value(256, '\0');
    for (;;) {
        const ssize_t size = getxattr(DescriptorPath(fd).c_str(), name, value.data(), value.size());
        if (size >= 0) return value.substr(0, static_cast<size_t>(size));
        if (errno != ERANGE) return {};  // none, or a file system without ACLs
        value.resize(value.size() * 4);
    }
}

// An empty value removes the attribute, such as an ACL the file took over
// from its folder's default ACL.
int SetAttribute(int fd, const char* name, const std::string& value) {
    if (value.empty()) return fremovexattr(fd, name) == 0 || errno != EPERM ? 0 : errno;
    return fsetxattr(fd, name, value.data(), value.size(), 0) == 0 ? 0 : errno;
}

// Owner and group as far as the user may give them: anyone but root keeps
// their own where the owner or the group cannot be given.
int GiveOwner(int fd, uid_t owner, gid_t group) {
    if (fchown(fd, owner, group) == 0) return 0;
    if (errno != EPERM || geteuid() == 0) return errno;
    if (fchown(fd, static_cast<uid_t>(-1), group) == 0 || errno == EPERM) return 0;
    return errno;
}

// Whether entry is one of name's temporary names, "<name>.XXXXXX".
bool IsTemporaryName(std::string_view entry, std::string_view name) {
    const size_t length = name.size() + 1 + RandomSuffix().size();
    if (entry.size() != length || entry.substr(0, name.size()) != name) return false;
    if (entry[name.size()] != '.') return false;
    for (const char c : entry.substr(name.size() + 1)) {
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// Removes entry when it is a regular file of the user's that no writer
// holds locked: one left by a write killed between naming and renaming.
void RemoveIfAbandoned(int folder, const char* entry) {
    struct stat seen {
    }, opened{};
    if (fstatat(folder, entry, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode) ||
        seen.st_uid != geteuid()) {
        return;
    }
    const int fd = openat(folder, entry, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    if (fstat(fd, &opened) == 0 && SameFile(seen, opened) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        fstatat(folder, entry, &seen, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(seen, opened)) {
        unlinkat(folder, entry, 0);
    }
    close(fd);
}

void RemoveAbandonedTemporaries(int folder, const std::string& name) {
    const int listed = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* const dir = listed >= 0 ? fdopendir(listed) : nullptr;
    if (dir == nullptr) {
        if (listed >= 0) close(listed);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        if (IsTemporaryName(entry->d_name, name)) RemoveIfAbandoned(folder, entry->d_name);
    }
    closedir(dir);
}

// The bytes of a file being written into a folder, in a file that has no
// name (or a temporary one) until it is put in place. Every step returns 0
// or the errno that stopped it.
class PendingFile {
  public:
    PendingFile(int folder, std::string name) : folder_(folder), name_(std::move(name)) {
        fd_ = openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        for (int attempt = 0; fd_ < 0 && IsUnnamedUnsupported() && attempt < 100; ++attempt) {
            temporary_ = name_ + "." + RandomSuffix();
            fd_ = openat(folder_, temporary_.c_str(),
                         O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd_ < 0) temporary_.clear();
        }
        error_ = fd_ < 0 ? errno : flock(fd_, LOCK_EX) == 0 ? 0 : errno;
    }
    ~PendingFile() { Discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int Prepare(const FileAccess& access) { return error_ != 0 ? error_ : GiveAccess(fd_, access); }

    // All the bytes, flushed to disk.
    int Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return written < 0 ? errno : ENOSPC;
            bytes.remove_prefix(static_cast<size_t>(written));
        }
        return fsync(fd_) == 0 ? 0 : errno;
    }

    // Gives the file its name, where nothing may stand.
    int Link() {
        if (temporary_.empty()) return LinkUnnamed(name_);
        return linkat(folder_, temporary_.c_str(), folder_, name_.c_str(), 0) == 0 ? 0 : errno;
    }

    // Puts the file in place of whatever has its name, in one step.
    int Replace() {
        for (int attempt = 0; temporary_.empty() && attempt < 100; ++attempt) {
            const std::string candidate = name_ + "." + RandomSuffix();
            const int error = LinkUnnamed(candidate);
            if (error == 0) temporary_ = candidate;
            if (error != 0 && error != EEXIST) return error;
        }
        if (temporary_.empty()) return EEXIST;
        if (renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) return errno;
        temporary_.clear();
        return 0;
    }

  private:
    static bool IsUnnamedUnsupported() {
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == EEXIST;
    }

    int LinkUnnamed(const std::string& name) const {
        return linkat(AT_FDCWD, DescriptorPath(fd_).c_str(), folder_, name.c_str(),
                      AT_SYMLINK_FOLLOW) == 0
                   ? 0
                   : errno;
    }

    void Discard() {
        if (!temporary_.empty()) unlinkat(folder_, temporary_.c_str(), 0);
        temporary_.clear();
        if (fd_ >= 0) close(fd_);  // also releases the lock
        fd_ = -1;
    }

    int folder_;
    std::string name_;
    std::string temporary_;  // empty while the file has no name of its own
    int fd_ = -1;
    int error_ = 0;
};

void Require(int error, const std::string& path) {
    if (error != 0) throw WriteError(path, std::strerror(error));
}

// Why what stands at name (described by existing) may not be replaced, or
// nothing when it may.
const char* RefusalOf(const struct stat& existing, const struct stat& folder, Replacing replacing) {
    if (S_ISDIR(existing.st_mode)) return "it is a folder";
    if (replacing == Replacing::kOwnFileOnly) {
        if (!S_ISREG(existing.st_mode)) return "it is not a regular file";
        return existing.st_uid == geteuid() ? nullptr : "it is another user's file";
    }
    if (!S_ISLNK(existing.st_mode)) return nullptr;
    if (existing.st_uid != geteuid()) return "it is a symbolic link of another user";
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return shared ? "it is a symbolic link in a folder that anyone may write" : nullptr;
}

// The access the file written at name gets, given what stands there.
FileAccess ReplacementAccess(int folder, const std::string& name, const struct stat& existing) {
    if (!S_ISREG(existing.st_mode) || existing.st_uid != geteuid()) return NewFileAccess();
    const int fd = openat(folder, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened {};
    FileAccess access = NewFileAccess();
    if (fd >= 0 && fstat(fd, &opened) == 0 && SameFile(opened, existing)) {
        access = AccessOf(fd, opened);
    }
    if (fd >= 0) close(fd);
    return access;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

WriteError::WriteError(const std::string& path, std::string reason)
    : std::runtime_error("Unable to write to " + path), reason_(std::move(reason)) {}

std::string RandomSuffix() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

FileAccess AccessOf(int fd, const struct stat& info) {
    const bool folder = S_ISDIR(info.st_mode);
    return FileAccess{info.st_uid, info.st_gid, info.st_mode & (folder ? 07777 : 0777),
                      ReadAttribute(fd, kAccessAcl),
                      folder ? std::optional(ReadAttribute(fd, kDefaultAcl)) : std::nullopt};
}

FileAccess NewFileAccess(uid_t owner, gid_t group) {
    return FileAccess{owner, group, 0644 & ~CurrentUmask(), std::nullopt, std::nullopt};
}

int GiveAccess(int fd, const FileAccess& access) {
    const uid_t none = static_cast<uid_t>(-1);
    int error = access.owner == none && access.group == static_cast<gid_t>(-1)
                    ? 0
                    : GiveOwner(fd, access.owner, access.group);
    if (error == 0 && access.acl) error = SetAttribute(fd, kAccessAcl, *access.acl);
    if (error == 0 && access.defaultAcl) error = SetAttribute(fd, kDefaultAcl, *access.defaultAcl);
    // Last: giving a file away clears its set-ID bits, and the ACL's mask
    // is the mode's group bits.
    if (error == 0 && fchmod(fd, access.mode) != 0) error = errno;
    return error;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, Replacing replacing) {
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") throw WriteError(path, "not a file name");
    const int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Require(folder < 0 ? errno : 0, path);
    struct stat folderInfo {
    }, existing{};
    try {
        Require(fstat(folder, &folderInfo) != 0 ? errno : 0, path);
        const bool exists = fstatat(folder, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
        Require(!exists && errno != ENOENT ? errno : 0, path);
        const char* refusal = exists ? RefusalOf(existing, folderInfo, replacing) : nullptr;
        if (refusal != nullptr) throw WriteError(path, refusal);
        RemoveAbandonedTemporaries(folder, name);
        PendingFile file(folder, name);
        Require(file.Prepare(exists ? ReplacementAccess(folder, name, existing) : NewFileAccess()),
                path);
        Require(file.Write(bytes), path);
        Require(exists ? file.Replace() : file.Link(), path);
        fsync(folder);  // a failure here leaves the file on disk all the same
    } catch (...) {
        close(folder);
        throw;
    }
    close(folder);
}

void WriteNewFile(int folder, const std::string& name, std::string_view bytes,
                  const FileAccess& access, const std::string& shownPath) {
    PendingFile file(folder, name);
    Require(file.Prepare(access), shownPath);
    Require(file.Write(bytes), shownPath);
    Require(file.Link(), shownPath);
}

}  // namespace quorvex
