#include "tools/StagedFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "db/AtomicFile.h"

namespace quorvex {

namespace {

namespace fs = std::filesystem;

// Siblings of runs that were killed part-way hold no lock any more; those
// of runs still going do.
void RemoveAbandoned(const fs::path& parent, const std::string& prefix) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(parent, error)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0 || !entry.is_directory(error)) continue;
        const int fd = open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) fs::remove_all(entry.path(), error);
        close(fd);
    }
}

}  // namespace

StagedFolder::StagedFolder(const std::string& folder,
                           std::initializer_list<std::string_view> replaced)
    : current_(folder) {
    try {
        Prepare(replaced);
    } catch (...) {
        Discard();
        throw;
    }
}

void StagedFolder::Prepare(std::initializer_list<std::string_view> replaced) {
    const auto fail = [this](const std::string& why) {
        throw std::runtime_error("Unable to write to " + current_ + ": " + why);
    };
    std::error_code error;
    fs::path real = fs::path(current_).lexically_normal();
    if (!real.has_filename()) real = real.parent_path();
    exists_ = fs::exists(real, error);
    if (exists_) {
        real = fs::canonical(real, error);
        if (error || !fs::is_directory(real)) fail("not a folder");
    }
    fs::path parent = real.parent_path();
    if (parent.empty()) parent = ".";
    fs::create_directories(parent, error);
    folder_ = real.string();
    const std::string prefix = "." + real.filename().string() + ".importing-";
    RemoveAbandoned(parent, prefix);
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) fail("cannot make a folder beside it");
    staged_ = pattern;
    lock_ = open(staged_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock_ < 0 || flock(lock_, LOCK_EX) != 0) fail("cannot lock " + staged_);
    struct stat info {};
    if (exists_ && stat(folder_.c_str(), &info) != 0) fail("cannot read its permissions");
    const mode_t mode = exists_ ? info.st_mode & 07777 : 0777 & ~CurrentUmask();
    if (chmod(staged_.c_str(), mode) != 0) fail("cannot set the permissions of " + staged_);
    if (!exists_) return;
    // Root importing into a user's folder gives it back to the user; any
    // other user can only give it to themselves, as a folder they make.
    if (chown(staged_.c_str(), info.st_uid, info.st_gid) != 0 && geteuid() == 0) {
        fail("cannot give " + staged_ + " the folder's owner");
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(real, error)) {
        const std::string name = entry.path().filename().string();
        if (std::find(replaced.begin(), replaced.end(), name) != replaced.end()) continue;
        if (entry.is_directory(error) && !entry.is_symlink(error)) {
            fail("it holds the folder " + name);
        }
        const std::string kept = staged_ + "/" + name;
        if (linkat(AT_FDCWD, entry.path().c_str(), AT_FDCWD, kept.c_str(), 0) != 0) {
            fail("cannot keep " + name);
        }
    }
    if (error) fail("cannot list it");
}

StagedFolder::~StagedFolder() { Discard(); }

void StagedFolder::Discard() {
    std::error_code ignored;
    if (!staged_.empty()) fs::remove_all(staged_, ignored);
    staged_.clear();
    if (lock_ >= 0) close(lock_);
    lock_ = -1;
}

void StagedFolder::Write(const std::string& name, std::string_view bytes) {
    WriteNewFile(staged_ + "/" + name, bytes, ReplacementMode(folder_ + "/" + name));
}

void StagedFolder::Commit() {
    SyncFolder(staged_);
    const unsigned flags = exists_ ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    if (renameat2(AT_FDCWD, staged_.c_str(), AT_FDCWD, folder_.c_str(), flags) != 0) {
        throw std::runtime_error("Unable to write to " + current_ + ": " +
                                 (exists_ ? "cannot exchange it with " : "cannot rename ") +
                                 staged_);
    }
    if (!exists_) staged_.clear();
    SyncFolder(fs::path(folder_).parent_path().string());
}

}  // namespace quorvex
