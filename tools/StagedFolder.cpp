// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/StagedFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "db/FileIdentity.h"

namespace quorvex {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel allows in one path

std::string Reason(int error) { return std::strerror(error); }

// A path's folder and last name, trailing slashes ignored: "a/b/" gives
// "a" and "b", "b" gives "." and "b".
std::pair<std::string, std::string> SplitPath(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The names in the folder open at folder, "." and ".." left out; 0 or the
// errno that stopped the listing.
int ListFolder(int folder, std::vector<std::string>& names) {
    const int listed = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* const dir = listed >= 0 ? fdopendir(listed) : nullptr;
    if (dir == nullptr) {
        const int error = errno;
        if (listed >= 0) close(listed);
        return error;
    }
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
        errno = 0;
    }
    const int error = errno;
    closedir(dir);
    return error;
}

// Removes name from the folder open at parent with all it holds, never
// following a symbolic link.
void RemoveTree(int parent, const std::string& name) {
    if (unlinkat(parent, name.c_str(), 0) == 0 || errno != EISDIR) return;
    const int folder =
        openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return;
    std::vector<std::string> names;
    ListFolder(folder, names);
    for (const std::string& inner : names) RemoveTree(folder, inner);
    close(folder);
    unlinkat(parent, name.c_str(), AT_REMOVEDIR);
}

std::vector<uid_t> GroupMembers(gid_t gid) {
    std::vector<uid_t> members;
    if (const group* entry = getgrgid(gid)) {
        for (char** name = entry->gr_mem; *name != nullptr; ++name) {
            if (const passwd* user = getpwnam(*name)) members.push_back(user->pw_uid);
        }
    }
    setpwent();
    while (const passwd* user = getpwent()) {
        if (user->pw_gid == gid) members.push_back(user->pw_uid);
    }
    endpwent();
    return members;
}

// Who besides root and the running user may rename or remove the entries
// of the folder described by info: its owner, and unless the sticky bit
// keeps everyone else off entries they do not own, the members of its
// group where the group may write and anyone where anyone may.
struct OtherWriters {
    explicit OtherWriters(const struct stat& info) {
        Add(info.st_uid);
        if (info.st_mode & S_ISVTX) return;
        anyone = (info.st_mode & S_IWOTH) != 0;
        if (info.st_mode & S_IWGRP) {
            for (const uid_t member : GroupMembers(info.st_gid)) Add(member);
        }
    }
    void Add(uid_t user) {
        if (user != 0 && user != geteuid()) users.insert(user);
    }

    std::set<uid_t> users;
    bool anyone = false;
};

// Whether a symbolic link owned by owner in a folder owned by holder may be
// followed: root's, the running user's and the holder's may, the rule the
// kernel's protected_symlinks applies in sticky folders.
bool MayFollow(uid_t owner, uid_t holder) {
    return owner == 0 || owner == geteuid() || owner == holder;
}

// What the link name in folder holds; empty when it cannot be read.
std::string ReadLink(int folder, const std::string& name) {
    std::string target(PATH_MAX, '\0');
    const ssize_t size = readlinkat(folder, name.c_str(), target.data(), target.size());
    target.resize(size > 0 ? static_cast<size_t>(size) : 0);
    return target;
}

// Puts the names of path on top of names, its first name on top.
void PushNames(const std::string& path, std::vector<std::string>& names) {
    std::vector<std::string> inOrder;
    for (size_t start = 0; start <= path.size();) {
        const size_t slash = std::min(path.find('/', start), path.size());
        inOrder.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    names.insert(names.end(), inOrder.rbegin(), inOrder.rend());
}

// Opens the folder at path (relative to the folder open at start) a name
// at a time, following only the links MayFollow allows. Returns the
// descriptor, or -1 with why said.
int OpenFolderPath(int start, const std::string& path, std::string& why) {
    std::vector<std::string> names;
    PushNames(path, names);
    const auto openTop = [](int from, const std::string& within) {
        return openat(from, within.starts_with('/') ? "/" : ".",
                      O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    };
    int folder = openTop(start, path);
    for (int links = 0; folder >= 0 && !names.empty();) {
        const std::string name = std::move(names.back());
        names.pop_back();
        if (name.empty() || name == ".") continue;
        struct stat info {
        }, holder{};
        int next = -1;
        if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            why = name + ": " + Reason(errno);
        } else if (!S_ISLNK(info.st_mode)) {
            next = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0) why = name + ": " + Reason(errno);
        } else if (fstat(folder, &holder) != 0 || !MayFollow(info.st_uid, holder.st_uid)) {
            why = name + " is a symbolic link of another user";
        } else if (++links > kMaxLinks) {
            why = "too many symbolic links";
        } else if (const std::string target = ReadLink(folder, name); !target.empty()) {
            PushNames(target, names);
            next = openTop(folder, target);
        }
        close(folder);
        folder = next;
    }
    if (folder < 0 && why.empty()) why = Reason(errno);
    return folder;
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "a device";
}

}  // namespace

StagedFolder::StagedFolder(const std::string& folder,
                           std::initializer_list<std::string_view> replaced)
    : shown_(folder) {
    try {
        // What the folder is can change while the lock is awaited: a run
        // that held it may have made the folder.
        while (!OpenAndLock()) Discard();
        CheckOtherWriters();
        Step();
        MakeSibling();
        CarryOver(replaced);
    } catch (...) {
        Discard();
        throw;
    }
}

StagedFolder::~StagedFolder() { Discard(); }

void StagedFolder::Fail(const std::string& why) const {
    throw std::runtime_error("Unable to write to " + shown_ + ": " + why);
}

void StagedFolder::Step() const {
    if (betweenSteps) betweenSteps(stagedName_.empty() ? "" : parentPath_ + "/" + stagedName_);
}

// Opens the parent, then follows the folder's name through symbolic links
// that may be followed, each one looked up once, relative to the folder
// descriptor that holds it.
void StagedFolder::OpenFolder() {
    auto [parent, name] = SplitPath(shown_);
    std::error_code ignored;
    std::filesystem::create_directories(parent, ignored);
    for (int links = 0;; ++links) {
        if (name.empty() || name == "." || name == ".." || name == "/") Fail("not a folder name");
        std::string why;
        const int opened = OpenFolderPath(parent_ < 0 ? AT_FDCWD : parent_, parent, why);
        if (opened < 0) Fail("cannot open the folder " + parent + ": " + why);
        if (parent_ >= 0) close(parent_);
        parent_ = opened;
        parentPath_ =
            parent.front() == '/' || parentPath_.empty() ? parent : parentPath_ + "/" + parent;
        name_ = name;
        struct stat info {};
        if (fstat(parent_, &parentInfo_) != 0) Fail("cannot look at " + parentPath_);
        if (fstatat(parent_, name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) Fail("cannot look at it: " + Reason(errno));
            return;
        }
        if (S_ISDIR(info.st_mode)) {
            folder_ =
                openat(parent_, name_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (folder_ < 0 || fstat(folder_, &folderInfo_) != 0 || !SameFile(info, folderInfo_)) {
                Fail("cannot open it: " + Reason(folder_ < 0 ? errno : ESTALE));
            }
            exists_ = true;
            return;
        }
        if (!S_ISLNK(info.st_mode)) Fail(std::string("it is ") + KindOf(info.st_mode));
        if (links == kMaxLinks) Fail("too many symbolic links");
        const std::string target = LinkTarget(info);
        std::tie(parent, name) = SplitPath(target);
    }
}

bool StagedFolder::OpenAndLock() {
    exists_ = false;
    parentPath_.clear();
    OpenFolder();
    Step();
    if (flock(parent_, LOCK_EX) != 0) {
        Fail("cannot lock the folder " + parentPath_ + ": " + Reason(errno));
    }
    struct stat now {};
    const bool stands = fstatat(parent_, name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
    return stands == exists_ && (!exists_ || SameFile(now, folderInfo_));
}

// What the link at the folder's name holds, where it may be followed.
std::string StagedFolder::LinkTarget(const struct stat& link) const {
    if (!MayFollow(link.st_uid, parentInfo_.st_uid)) Fail("it is a symbolic link of another user");
    const std::string target = ReadLink(parent_, name_);
    if (target.empty()) Fail("cannot read the link: " + Reason(errno));
    return target;
}

// Where someone else may rename entries of the parent, they could put a
// link to a folder of root's in place of the sibling between two steps.
void StagedFolder::CheckOtherWriters() const {
    const OtherWriters others(parentInfo_);
    if (others.users.empty() && !others.anyone) return;
    const bool theirs = !others.anyone && others.users.size() == 1 && exists_ &&
                        folderInfo_.st_uid == *others.users.begin();
    if (!theirs) Fail("other users may change the folder " + parentPath_ + " that holds it");
}

void StagedFolder::MakeSibling() {
    const std::string prefix = "." + name_ + ".importing-";
    // Every run holds the lock while its sibling stands: any other is a
    // killed run's.
    std::vector<std::string> names;
    ListFolder(parent_, names);
    for (const std::string& name : names) {
        struct stat info {};
        if (name.size() == prefix.size() + RandomSuffix().size() && name.starts_with(prefix) &&
            fstatat(parent_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(info.st_mode)) {
            RemoveTree(parent_, name);
        }
    }
    Step();
    for (int attempt = 0; staged_ < 0 && attempt < 100; ++attempt) {
        const std::string name = prefix + RandomSuffix();
        // A new folder is made as any other; a new version starts closed
        // until it has the folder's owner and permissions.
        if (mkdirat(parent_, name.c_str(), exists_ ? 0700 : 0777) != 0) {
            if (errno == EEXIST) continue;
            Fail("cannot make a folder beside it: " + Reason(errno));
        }
        stagedName_ = name;
        staged_ = openat(parent_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (staged_ < 0 || fstat(staged_, &stagedInfo_) != 0) {
            Fail("cannot open the folder made beside it: " + Reason(errno));
        }
    }
    if (staged_ < 0) Fail("cannot make a folder beside it: " + Reason(EEXIST));
    Step();
    if (!exists_) return;
    if (const int error = GiveAccess(staged_, AccessOf(folder_, folderInfo_))) {
        Fail("cannot give the new version the folder's owner and permissions: " + Reason(error));
    }
    Step();
}

void StagedFolder::CarryOver(std::initializer_list<std::string_view> replaced) {
    if (!exists_) return;
    std::vector<std::string> names;
    if (const int error = ListFolder(folder_, names)) Fail("cannot list it: " + Reason(error));
    for (const std::string& name : names) {
        struct stat info {};
        if (fstatat(folder_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            Fail("cannot look at " + name + ": " + Reason(errno));
        }
        if (std::find(replaced.begin(), replaced.end(), name) != replaced.end()) {
            TakeReplaced(name.c_str(), info);
        } else if (S_ISDIR(info.st_mode)) {
            Fail("it holds the folder " + name);
        } else if (linkat(folder_, name.c_str(), staged_, name.c_str(), 0) != 0) {
            Fail("cannot keep " + name + ": " + Reason(errno));
        }
    }
    Step();
}

// Only a regular file's place is taken; its access goes to the new file.
void StagedFolder::TakeReplaced(const char* name, const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        Fail(std::string(name) + " is " + KindOf(info.st_mode) + ", not a file");
    }
    const int fd = openat(folder_, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened {};
    const bool same = fd >= 0 && fstat(fd, &opened) == 0 && SameFile(opened, info);
    if (same) replacedAccess_.emplace(name, AccessOf(fd, opened));
    if (fd >= 0) close(fd);
    if (!same) Fail("cannot look at " + std::string(name) + ": " + Reason(fd < 0 ? errno : ESTALE));
}

void StagedFolder::Write(const std::string& name, std::string_view bytes) {
    Step();
    const auto found = replacedAccess_.find(name);
    const FileAccess access = found != replacedAccess_.end() ? found->second
                              : exists_ ? NewFileAccess(folderInfo_.st_uid, folderInfo_.st_gid)
                                        : NewFileAccess();
    try {
        WriteNewFile(staged_, name, bytes, access, name);
    } catch (const WriteError& error) {
        Fail("cannot write " + name + ": " + error.Reason());
    }
}

void StagedFolder::Commit() {
    Step();
    if (fsync(staged_) != 0) Fail("cannot flush the new version: " + Reason(errno));
    // The sibling's name still has to lead to the sibling, or the exchange
    // would put whatever took its place into the folder's.
    struct stat now {};
    if (fstatat(parent_, stagedName_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(now, stagedInfo_)) {
        Fail("the new version was moved away from " + parentPath_ + "/" + stagedName_);
    }
    const unsigned flags = exists_ ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    if (renameat2(parent_, stagedName_.c_str(), parent_, name_.c_str(), flags) != 0) {
        const int error = errno;
        Fail((exists_ ? "cannot exchange it with the new version: "
                      : "cannot put the new version in its place: ") +
             Reason(error) + (error == EINVAL ? " (the file system cannot exchange folders)" : ""));
    }
    if (!exists_) stagedName_.clear();
    fsync(parent_);
    Step();
    if (fstatat(parent_, name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(now, stagedInfo_)) {
        Fail("the folder was replaced by someone else while it was written");
    }
}

void StagedFolder::Discard() {
    if (staged_ >= 0 && !stagedName_.empty()) RemoveTree(parent_, stagedName_);
    stagedName_.clear();
    for (int* fd : {&staged_, &folder_, &parent_}) {
        if (*fd >= 0) close(*fd);  // the parent last: that releases the lock
        *fd = -1;
    }
}

}  // namespace quorvex
