// A new version of a folder, prepared beside it and put in its place in
// one step, so that whoever reads the folder sees either every file of the
// old version or every file of the new one, whatever happens meanwhile: a
// failure, a full disk or a kill.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace quorvex {

class StagedFolder {
  public:
    // Prepares the new version of folder (which need not exist yet; a
    // symbolic link to a folder stands for the folder it names) in a
    // hidden sibling ".<name>.importing-XXXXXX" with the folder's
    // permission bits (and owner, where the user may give it), removing
    // the siblings that earlier runs killed part-way left behind. Every
    // entry of the current folder is carried over (hard-linked) except the
    // files named in replaced. Throws std::runtime_error naming the folder when it is not
    // a folder, holds a folder of its own, or the sibling cannot be made.
    StagedFolder(const std::string& folder, std::initializer_list<std::string_view> replaced);
    // Removes the sibling: the unused new version, or after Commit the old
    // one.
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    // Writes the file name of the new version, with the permission bits of
    // the current file of that name as ReplacementMode gives them. Throws
    // std::runtime_error "Unable to write to <path>".
    void Write(const std::string& name, std::string_view bytes);

    // Exchanges the new version with the folder (renameat2 with
    // RENAME_EXCHANGE; a new folder is renamed into place) and flushes the
    // parent folder. Throws std::runtime_error naming the folder, which is
    // then as it was, e.g. on a file system that cannot exchange folders.
    void Commit();

  private:
    void Prepare(std::initializer_list<std::string_view> replaced);
    void Discard();

    std::string folder_;   // the real path, links resolved
    std::string current_;  // the folder's path as given, for messages
    std::string staged_;   // the sibling
    int lock_ = -1;        // held on the sibling while this object lives
    bool exists_ = false;  // whether the folder stood before
};

}  // namespace quorvex
