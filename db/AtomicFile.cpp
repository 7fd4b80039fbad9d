#include "db/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <stdexcept>

namespace quorvex {

namespace {

constexpr mode_t kPermissionBits = 0777;

mode_t NewFileMode() { return 0644 & ~CurrentUmask(); }

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// path + "." and six random hexadecimal digits.
std::string TemporaryName(const std::string& path) {
    static std::mt19937 random{std::random_device{}()};
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%06x", static_cast<unsigned>(random() & 0xFFFFFF));
    return path + suffix;
}

// The bytes of a file being written, in a file of path's folder that has
// no name (or a temporary one) until it is linked in place.
class PendingFile {
  public:
    // Throws failure when the folder cannot take a new file.
    PendingFile(const std::string& path, mode_t mode, const std::runtime_error& failure) {
        fd_ = open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            name_ = path + ".XXXXXX";
            fd_ = mkostemp(name_.data(), O_CLOEXEC);
        }
        if (fd_ < 0 || fchmod(fd_, mode & kPermissionBits) != 0) {
            Discard();
            throw failure;
        }
    }
    ~PendingFile() { Discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Gives the file group, as far as the current user may.
    void SetGroup(gid_t group) {
        if (fchown(fd_, static_cast<uid_t>(-1), group) != 0) return;  // keeps the user's group
    }

    // All the bytes, flushed to disk.
    bool Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(written));
        }
        return fsync(fd_) == 0;
    }

    // Gives the file the name path, which must be free.
    bool LinkAs(const std::string& path) {
        const bool linked =
            name_.empty() ? LinkUnnamed(path) : link(name_.c_str(), path.c_str()) == 0;
        if (linked) Discard();
        return linked;
    }

    // Puts the file in place of the one at path in one step.
    bool ReplaceAt(const std::string& path) {
        // An unnamed file cannot be renamed: it gets a temporary name first,
        // for as short a time as two calls take.
        for (int attempt = 0; name_.empty() && attempt < 100; ++attempt) {
            const std::string name = TemporaryName(path);
            if (LinkUnnamed(name))
                name_ = name;
            else if (errno != EEXIST)
                return false;
        }
        if (name_.empty() || rename(name_.c_str(), path.c_str()) != 0) return false;
        name_.clear();
        Discard();
        return true;
    }

  private:
    bool LinkUnnamed(const std::string& path) const {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }

    void Discard() {
        if (!name_.empty()) unlink(name_.c_str());
        name_.clear();
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    int fd_ = -1;
    std::string name_;  // the temporary name, empty while the file has none
};

}  // namespace

mode_t CurrentUmask() {
    // Reading the mask means setting it; nothing runs in between.
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

mode_t ReplacementMode(const std::string& path) {
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        existing.st_uid == geteuid()) {
        return existing.st_mode & kPermissionBits;
    }
    return NewFileMode();
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::runtime_error failure("Unable to write to " + path);
    struct stat existing {};
    const bool exists = lstat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) throw failure;
    if (exists && (!S_ISREG(existing.st_mode) || existing.st_uid != geteuid())) throw failure;
    // Only the user's own regular file gets this far, so its bits are kept.
    PendingFile file(path, exists ? existing.st_mode & kPermissionBits : NewFileMode(), failure);
    if (exists && existing.st_gid != getegid()) file.SetGroup(existing.st_gid);
    if (!file.Write(bytes) || !(exists ? file.ReplaceAt(path) : file.LinkAs(path))) throw failure;
    SyncFolder(FolderOf(path));
}

void WriteNewFile(const std::string& path, std::string_view bytes, mode_t mode) {
    const std::runtime_error failure("Unable to write to " + path);
    PendingFile file(path, mode, failure);
    if (!file.Write(bytes) || !file.LinkAs(path)) throw failure;
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace quorvex
