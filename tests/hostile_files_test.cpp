// SPDX-License-Identifier: GPL-3.0-or-later
// What another local user can plant at the settings path, and data files
// that are not plain files or are too large: each case in the test's own
// folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <tuple>

#include "db/AtomicFile.h"
#include "db/DBUnit.h"
#include "db/WholeFile.h"
#include "list/IniFile.h"
#include "tests/support/TestSupport.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;  // nobody

// Something planted at path by the time the program looks.
struct Planted {
    const char* name;
    std::function<void(const std::string& dir, const std::string& path)> plant;
};

const Planted kOddThings[] = {
    {"FIFO", [](const std::string&, const std::string& path) { mkfifo(path.c_str(), 0666); }},
    {"link to /dev/zero",
     [](const std::string&, const std::string& path) { fs::create_symlink("/dev/zero", path); }},
    {"folder", [](const std::string&, const std::string& path) { fs::create_directory(path); }},
    {"link to a private file",
     [](const std::string& dir, const std::string& path) {
         test::WriteFile(dir + "secret", "[Lista Ingredientes]\nPalCha=SECRET\n");
         chmod((dir + "secret").c_str(), 0600);
         fs::create_symlink(dir + "secret", path);
     }},
};

std::string Kind(const std::string& path) {
    const fs::file_status status = fs::symlink_status(path);
    return std::to_string(static_cast<int>(status.type())) + " " +
           std::to_string(static_cast<int>(status.permissions()));
}

// ---- The settings file --------------------------------------------------------

class PlantedSettings : public testing::TestWithParam<Planted> {
  protected:
    void SetUp() override { GetParam().plant(dir.Path(), path); }
    test::TempDir dir;
    const std::string path = dir.Path() + "VARDELO.ini";
};

TEST_P(PlantedSettings, ReadsAsEmptyAndIsNeverWritten) {
    EXPECT_EQ(IniFile::Load(path).Serialize(), "");
    const std::string before = Kind(path);
    IniFile file;
    file.Set("Lista Ingredientes", "AtiFil", "1");
    try {
        file.Save(path);
        ADD_FAILURE() << "written over a " << GetParam().name;
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(std::string(failure.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(Kind(path), before);
    if (fs::exists(dir.Path() + "secret")) {
        EXPECT_EQ(test::ReadFile(dir.Path() + "secret"), "[Lista Ingredientes]\nPalCha=SECRET\n");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
              fs::exists(dir.Path() + "secret") ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlantedSettings, testing::ValuesIn(kOddThings),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(SettingsFile, OnlyUpTo64KiBIsRead) {
    test::TempDir dir;
    const std::string path = dir.Path() + "VARDELO.ini";
    const std::string header = "[Lista Ingredientes]\nPalCha=";
    test::WriteFile(path, header + std::string(IniFile::kMaxBytes - header.size(), 'A'));
    EXPECT_EQ(IniFile::Load(path).Get("Lista Ingredientes", "PalCha")->size(),
              IniFile::kMaxBytes - header.size());
    test::WriteFile(path, header + std::string(IniFile::kMaxBytes, 'A'));
    EXPECT_EQ(IniFile::Load(path).Serialize(), "");
    // A huge sparse file is refused by its size, not read.
    ASSERT_EQ(truncate(path.c_str(), 1LL << 40), 0);
    EXPECT_EQ(IniFile::Load(path).Serialize(), "");
}

// Mode of the file found -> mode of the file written over it; its group
// (another user's where root can make one) and ACL stay.
TEST(SettingsFile, KeepsGroupPermissionBitsAndAclButNeverSetIdOrSticky) {
    const test::SecondUser user;
    const std::pair<mode_t, mode_t> kModes[] = {
        {0640, 0640}, {0600, 0600}, {04755, 0755}, {02770, 0770}, {01666, 0666}};
    for (const auto& [found, written] : kModes) {
        test::TempDir dir;
        const std::string path = dir.Path() + "VARDELO.ini";
        test::WriteFile(path, "[A]\nx=1\n");
        ASSERT_EQ(chmod(path.c_str(), found), 0);
        ASSERT_EQ(chown(path.c_str(), -1, user.Made() ? user.gid : getegid()), 0);
        const std::string acl = found == 0640 ? test::GiveAclLettingRead(path, found, 0) : "";
        WriteFileAtomically(path, "[A]\nx=2\n");
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, written) << std::oct << found;
        EXPECT_EQ(info.st_gid, user.Made() ? user.gid : getegid());
        EXPECT_EQ(test::AclOf(path), acl);
        EXPECT_EQ(test::ReadFile(path), "[A]\nx=2\n");
    }
}

// Created empty at an opening, or written at a closing.
TEST(SettingsFile, NewFileGets0644LessTheUmask) {
    for (const mode_t mask : {022, 077, 0}) {
        test::TempDir dir;
        const mode_t saved = umask(mask);
        WriteFileAtomically(dir.Path() + "written.ini", "x");
        EnsureFileExists(dir.Path() + "created.ini");
        umask(saved);
        for (const char* name : {"written.ini", "created.ini"}) {
            struct stat info {};
            ASSERT_EQ(stat((dir.Path() + name).c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0644 & ~mask) << name << " " << std::oct << mask;
        }
    }
}

// The first user of the machine owns the file; the second reads it and is
// told that it cannot be written, and the first user's file stays whole.
// The planted set-user-ID program is such another user's file.
TEST(SettingsFile, AnotherUsersFileIsReadButNeverReplaced) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    for (const mode_t mode : {0644, 04755}) {
        test::TempDir dir;
        const std::string path = dir.Path() + "VARDELO.ini";
        test::WriteFile(path, "[Lista Ingredientes]\nAtiFil=2\n");
        ASSERT_EQ(chown(path.c_str(), kOtherUser, kOtherUser), 0);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        IniFile file = IniFile::Load(path);
        EXPECT_EQ(file.Get("Lista Ingredientes", "AtiFil"), "2");
        file.Set("Lista Ingredientes", "AtiFil", "5");
        EXPECT_THROW(file.Save(path), std::runtime_error);
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, kOtherUser);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(test::ReadFile(path), "[Lista Ingredientes]\nAtiFil=2\n");
    }
}

// A process killed part-way through the write (here by the signal a file
// size limit sends) leaves the old file and nothing else.
TEST(SettingsFile, KillDuringTheWriteLeavesNoTemporaryFile) {
    test::TempDir dir;
    const std::string path = dir.Path() + "VARDELO.ini";
    test::WriteFile(path, "old");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_DFL);
        const rlimit small{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &small);
        try {
            WriteFileAtomically(path, std::string(1 << 20, 'x'));
        } catch (...) {
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

// What writes killed before their rename leave -> whether the next write
// removes it: only the user's own regular files that no writer holds.
TEST(SettingsFile, NextWriteRemovesWhatKilledWritesLeft) {
    enum Kind { kMine, kLocked, kLink, kTheirs };
    const std::tuple<const char*, Kind, bool> kLeftovers[] = {
        {"VARDELO.ini.Ab3xY9", kMine, true},  {"VARDELO.ini.Zz0000", kLocked, false},
        {"VARDELO.ini.Ab3xY", kMine, false},  {"VARDELO.ini.Ab3xY9z", kMine, false},
        {"VARDELO.ini.Q1w2e3", kLink, false}, {"VARDELO.ini.R4t5y6", kTheirs, false},
        {"VARDELO.inI.Ab3xY9", kMine, false}};
    test::TempDir dir;
    std::vector<int> held;
    for (const auto& [name, kind, removed] : kLeftovers) {
        const std::string path = dir.Path() + name;
        if (kind == kLink) {
            fs::create_symlink(dir.Path() + "VARDELO.ini", path);
            continue;
        }
        test::WriteFile(path, "[A]\nx=1\n");
        if (kind == kTheirs && chown(path.c_str(), kOtherUser, kOtherUser) != 0) continue;
        if (kind == kLocked) {
            held.push_back(open(path.c_str(), O_RDONLY | O_CLOEXEC));
            ASSERT_EQ(flock(held.back(), LOCK_EX), 0);
        }
    }
    WriteFileAtomically(dir.Path() + "VARDELO.ini", "[A]\nx=2\n");
    for (const auto& [name, kind, removed] : kLeftovers) {
        EXPECT_EQ(fs::exists(fs::symlink_status(dir.Path() + name)), !removed) << name;
    }
    for (const int fd : held) close(fd);
}

// ---- The data files -------------------------------------------------------------

class PlantedDataFile : public testing::TestWithParam<Planted> {};

TEST_P(PlantedDataFile, FailsAtOnceNamingTheFile) {
    test::TempDir dir;
    const std::string path = dir.Path() + "ArqIng.dad";
    GetParam().plant(dir.Path(), path);
    std::unique_ptr<LoadedTable> table, index;
    test::NoProgress progress;
    try {
        LoadFoodTable(path, table, index, progress);
        // Only the link to a readable private file may load.
        EXPECT_EQ(std::string(GetParam().name), "link to a private file");
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot open file " + path);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlantedDataFile, testing::ValuesIn(kOddThings),
                         [](const auto& info) { return std::to_string(info.index); });

// A text ends at its first NUL and nothing after it is read: 4 TiB of NULs
// after one line load at once. A text larger than half of what the
// process may use (here by its address-space or data-size limit, or its
// control group's) is named instead of running into the kernel's kill.
TEST(DataFile, ReadUpToItsNulOnlyAndWithinWhatMayBeUsed) {
    test::TempDir dir;
    const std::string path = dir.Path() + "ArqGruIng.dad", large = dir.Path() + "large.dad";
    test::WriteFile(path, "0100|Dairy\r\n");
    ASSERT_EQ(truncate(path.c_str(), 1LL << 42), 0);
    std::unique_ptr<LoadedTable> table, index;
    LoadGroupTable(path, table, index);
    EXPECT_EQ(table->Count(), 1);
    test::WriteFile(large, std::string(48 << 20, 'x'));
    const auto load = [&] {
        const std::string failure = test::FailureOf([&] { LoadGroupTable(large, table, index); });
        return UsableMemory() <= (64u << 20) &&
               failure == "Not enough memory to read file " + large;
    };
    for (const int resource : {int{RLIMIT_AS}, int{RLIMIT_DATA}, test::kControlGroup}) {
        const int status = test::ExitStatusWithRoom(resource, 64 << 20, load);
        if (status == -2) std::cout << "no control group of its own: not run as root\n";
        EXPECT_EQ(status, status == -2 ? -2 : 1) << resource;
    }
}

// A large file is read in two halves at once past its first step: every
// byte lands in its place, and a NUL in the first step or in either half
// ends a text there.
TEST(DataFile, LargeFileReadInTwoHalves) {
    test::TempDir dir;
    const std::string path = dir.Path() + "large.dad";
    std::string bytes(40 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 23);
    test::WriteFile(path, bytes);
    EXPECT_TRUE(ReadWholeFile(path) == bytes);
    EXPECT_TRUE(ReadWholeText(path).View() == bytes);
    for (const size_t nul : {size_t{5} << 20, size_t{20} << 20, size_t{35} << 20}) {
        std::string cut = bytes;
        cut[nul] = '\0';
        test::WriteFile(path, cut);
        EXPECT_TRUE(ReadWholeText(path).View() == bytes.substr(0, nul)) << nul;
        EXPECT_TRUE(ReadWholeFile(path) == cut) << nul;
    }
}

// A file that grows while it is read moves its bytes to a larger room.
TEST(DataFile, BytesKeptAsTheirRoomGrows) {
    FileBytes bytes;
    bytes.reserve(4);
    bytes.resize(3);
    std::memcpy(bytes.data(), "abc", 3);
    bytes.resize(1000);
    EXPECT_EQ(bytes.View().substr(0, 3), "abc");
    bytes.resize(2);
    EXPECT_EQ(bytes.View(), "ab");
}

}  // namespace
}  // namespace quorvex
