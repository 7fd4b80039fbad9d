// SPDX-License-Identifier: GPL-3.0-or-later
// A new version of a folder, prepared beside it and put in its place in
// one step, so that whoever reads the folder sees either every file of the
// old version or every file of the new one, whatever happens meanwhile: a
// failure, a full disk or a kill.
//
// Safe where root writes into a folder that other users reach: the
// folder's parent is opened once, a name at a time, following symbolic
// links only where root, the running user or the owner of the folder
// holding them owns them; every later step works on folder descriptors
// (mkdirat, openat without following links, fchmod and fchown, linkat,
// O_TMPFILE, renameat2), so no path is looked up twice and nothing put in
// place of the staged folder meanwhile is changed or filled.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

#include "db/AtomicFile.h"

namespace quorvex {

class StagedFolder {
  public:
    // Prepares the new version of folder (which need not exist yet) in a
    // hidden sibling ".<name>.importing-XXXXXX" with the folder's owner,
    // group, permission bits and ACLs, as far as the user may give them.
    // Every entry of the current folder is carried over (hard-linked)
    // except the files named in replaced.
    //
    // A symbolic link as folder is followed only when root, the user or
    // the owner of the folder holding it owns it. The folder's parent is
    // locked from here until the object goes, so a second run into the
    // same folder waits for the first; siblings left by runs killed
    // part-way are removed under that lock.
    //
    // Throws std::runtime_error "Unable to write to <folder>: <why>" when
    // the folder is not a folder or is another user's link, when a user
    // other than root and the running one may change its parent (unless
    // that one user owns the folder), when it holds a folder of its own or
    // anything but a regular file under a name in replaced, or when the
    // sibling cannot be made; nothing is changed then.
    StagedFolder(const std::string& folder, std::initializer_list<std::string_view> replaced);
    // Removes the sibling: the unused new version, or after Commit the old
    // one; then releases the lock.
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    // Writes the file name of the new version with the owner, group,
    // permission bits and ACL of the file it replaces; where none stood,
    // with the folder's owner and group and 0644 less the umask. Throws
    // std::runtime_error naming the folder and the system's reason.
    void Write(const std::string& name, std::string_view bytes);

    // Exchanges the new version with the folder (renameat2 with
    // RENAME_EXCHANGE; a new folder is renamed into place) and flushes the
    // parent folder. Throws std::runtime_error naming the folder and the
    // reason, the folder then as it was, e.g. on a file system that cannot
    // exchange folders.
    void Commit();

    // Called between every two steps with the path of the sibling (empty
    // before it is made), so that tests can change the file system there.
    static inline std::function<void(const std::string& staged)> betweenSteps;

  private:
    bool OpenAndLock();
    void OpenFolder();
    std::string LinkTarget(const struct stat& link) const;
    void CheckOtherWriters() const;
    void MakeSibling();
    void CarryOver(std::initializer_list<std::string_view> replaced);
    void TakeReplaced(const char* name, const struct stat& info);
    [[noreturn]] void Fail(const std::string& why) const;
    void Step() const;
    void Discard();

    std::string shown_;       // the folder as given, for messages
    std::string parentPath_;  // the parent as opened, for the step hook
    std::string name_;        // the folder's name in its parent
    std::string stagedName_;  // the sibling's name there
    int parent_ = -1;         // locked while this object lives
    int folder_ = -1;         // the current version, when it stands
    int staged_ = -1;         // the new version
    struct stat parentInfo_ {};
    struct stat folderInfo_ {};
    struct stat stagedInfo_ {};
    bool exists_ = false;  // whether the folder stood before
    std::map<std::string, FileAccess, std::less<>> replacedAccess_;  // by file name
};

}  // namespace quorvex
