// SPDX-License-Identifier: GPL-3.0-or-later
// Shared test helpers: progress sinks, temporary folders, file bytes,
// made-up food lines and runs of the command-line tools.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "db/DBUnit.h"

namespace quorvex::test {

// A progress sink that shows nothing.
class NoProgress : public ProgressSink {
  public:
    void BeginProgress(int) override {}
    void SetPosition(int) override {}
    void EndProgress() override {}
};

// A progress sink that records what it was told: "show <maximum>" and
// "close" in events, every position in positions.
class RecordingProgress : public ProgressSink {
  public:
    void BeginProgress(int maximum) override {
        events.push_back("show " + std::to_string(maximum));
    }
    void SetPosition(int position) override { positions.push_back(position); }
    void EndProgress() override { events.push_back("close"); }

    std::vector<std::string> events;
    std::vector<int> positions;
};

// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes. Path() ends with "/".
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// A user of the test's own, with a group of the same name, made by
// useradd and removed by userdel when the object goes. Only root can make
// one: Made() is false otherwise, and the test skips saying so.
class SecondUser {
  public:
    SecondUser();
    ~SecondUser();
    SecondUser(const SecondUser&) = delete;
    SecondUser& operator=(const SecondUser&) = delete;

    bool Made() const { return uid != static_cast<uid_t>(-1); }
    static constexpr const char* kWhyNot = "a second user can be made only by root";
    uid_t uid = static_cast<uid_t>(-1);
    gid_t gid = static_cast<gid_t>(-1);

  private:
    std::string name_;
};

// Gives the file at path an access ACL (system.posix_acl_access) for
// mode's owner, group and others that also lets user read, and returns its
// bytes; empty where the file system takes no ACLs. AclOf reads one back.
std::string GiveAclLettingRead(const std::string& path, mode_t mode, uid_t user);
std::string AclOf(const std::string& path);

// The message of the std::runtime_error that run throws; "" for none.
std::string FailureOf(const std::function<void()>& run);

// The exit status of body run in a child process whose resource limit
// (RLIMIT_AS or RLIMIT_DATA) leaves room bytes beyond what it uses, or
// with kControlGroup that runs in a memory control group of its own whose
// limit is room (made where root may): -1 when the child did not exit, -2
// when the limit could not be set.
constexpr int kControlGroup = -1;
int ExitStatusWithRoom(int resource, std::size_t room, const std::function<int()>& body);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// A plain food line of exactly 43 fields: field 1 is description, the
// others empty unless given in fields (field number -> text).
std::string MakeFoodLine(const std::string& description,
                         const std::map<int, std::string>& fields = {});

// Writes the stored (scrambled) foods file for these plain lines.
void WriteStoredFoods(const std::string& path, const std::vector<std::string>& plainLines);

// Why the stored foods file at path is not in table order, or "": each
// line, decoded with its place, must not sort before the one above it and
// must be, as the table loaded from the file must be, the table the viewer
// loads from sourceLines written in their own order.
std::string TableOrderFault(const std::string& path, const std::vector<std::string>& sourceLines);

// Lays out an application folder: dir/Dados/ArqIng.dad (stored) and
// dir/Dados/ArqGruIng.dad (plain, one "code|name" line each).
void WriteDatabase(const std::string& applicationDirectory,
                   const std::vector<std::string>& plainFoodLines,
                   const std::vector<std::string>& groupLines);

// What a run of a command-line tool gave: its exit status (-1 when it did
// not exit normally), its standard output and its standard error.
struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the program at toolPath with arguments, quoted as the shell needs
// them; its output goes through files in dir.
ToolRun RunTool(const std::string& toolPath, const std::string& arguments, const TempDir& dir);

// A parameterised test's name for a case described in words: every
// character but letters and digits becomes "_".
std::string CaseName(std::string words);

}  // namespace quorvex::test
