// SPDX-License-Identifier: GPL-3.0-or-later
// The INI layer and the list settings kept in it: reading, rewriting in
// place, numbers, the group restored by name, and writing the file whole.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdint>

#include <filesystem>
#include <stdexcept>

#include "db/DBUnit.h"
#include "list/IniFile.h"
#include "list/ListSettings.h"
#include "tests/support/TestSupport.h"

namespace quorvex {
namespace {

TEST(IniFile, ReadsCaseInsensitiveFirstMatchTrimmed) {
    const IniFile file = IniFile::Parse(
        "; a comment=with equals\r\n"
        "[Other]\r\n"
        "AtiFil=7\r\n"
        "[lista INGREDIENTES]\r\n"
        " \tatifil =\t 3 \t\r\n"
        "ATIFIL=9\r\n"
        "GruFil=Dairy and Egg Products\r\n"
        "PalCha=\r\n"
        "[Lista Ingredientes]\r\n"
        "PosFilOrd=5");
    EXPECT_EQ(file.Get("Lista Ingredientes", "AtiFil"), "3");
    EXPECT_EQ(file.Get("other", "atifil"), "7");
    EXPECT_EQ(file.Get("Lista Ingredientes", "GruFil"), "Dairy and Egg Products");
    EXPECT_EQ(file.Get("Lista Ingredientes", "PalCha"), "");
    // A key is looked up in the first section of that name only.
    EXPECT_EQ(file.Get("Lista Ingredientes", "PosFilOrd"), std::nullopt);
    EXPECT_EQ(file.Get("Missing", "AtiFil"), std::nullopt);
    EXPECT_EQ(file.Get("Lista Ingredientes", "; a comment"), std::nullopt);
}

TEST(IniFile, WritingKeepsEveryOtherLine) {
    IniFile file = IniFile::Parse(
        "; settings\r\n"
        "[Lista Ingredientes]\r\n"
        "GRUFIL=old\r\n"
        "Other=kept\r\n"
        "\r\n"
        "[Next]\r\n"
        "Key=value");
    file.Set("lista ingredientes", "GruFil", "Fruits");
    file.Set("Lista Ingredientes", "AtiFil", "2");
    file.Set("Lista Ingredientes", "PalCha", "RICE");
    file.Set("New Section", "A", "1");
    file.Set("Next", "Added", "x");
    EXPECT_EQ(file.Serialize(),
              "; settings\r\n"
              "[Lista Ingredientes]\r\n"
              "GruFil=Fruits\r\n"
              "Other=kept\r\n"
              "AtiFil=2\r\n"
              "PalCha=RICE\r\n"
              "\r\n"
              "[Next]\r\n"
              "Key=value\r\n"
              "Added=x\r\n"
              "[New Section]\r\n"
              "A=1\r\n");
}

TEST(IniFile, KeyAddedToMixedLineEndsTakesTheFirstEnd) {
    IniFile file = IniFile::Parse("[Lista Ingredientes]\r\nAtiFil=1\nGruFil=x\rPalCha=A");
    file.Set("Lista Ingredientes", "PosFilOrd", "12");
    EXPECT_EQ(file.Serialize(),
              "[Lista Ingredientes]\r\nAtiFil=1\nGruFil=x\rPalCha=A\r\nPosFilOrd=12\r\n");
    EXPECT_EQ(ReadIniInteger(file.Get("Lista Ingredientes", "PosFilOrd"), -1), 12);
    EXPECT_EQ(file.Get("Lista Ingredientes", "GruFil"), "x");
}

TEST(IniFile, UntouchedFileSerializesToItsOwnBytes) {
    const std::string bytes = "[A]\nx = 1 \r\n\n;c\r[B]\ny=2";
    EXPECT_EQ(IniFile::Parse(bytes).Serialize(), bytes);
    EXPECT_EQ(IniFile::Parse("").Serialize(), "");
}

TEST(ReadIniInteger, DecimalOrLongHexElseDefault) {
    EXPECT_EQ(ReadIniInteger("3", -1), 3);
    EXPECT_EQ(ReadIniInteger("12", -1), 12);
    EXPECT_EQ(ReadIniInteger("-305", 0), -305);
    EXPECT_EQ(ReadIniInteger("-1", 5), -1);
    EXPECT_EQ(ReadIniInteger("+4", -1), 4);
    EXPECT_EQ(ReadIniInteger("0x2", -1), 2);
    EXPECT_EQ(ReadIniInteger("0XfF", -1), 255);
    EXPECT_EQ(ReadIniInteger("2147483647", -1), INT32_MAX);
    EXPECT_EQ(ReadIniInteger("-2147483648", -1), INT32_MIN);
    for (const char* bad :
         {"", "two", "0x", "0X", "0xg", "3a", "1.5", "- 1", "0x-1", "++1", "+-5", "-+5", "--5",
          "99999999999", "0x100000000", "2147483648", "-2147483649"}) {
        EXPECT_EQ(ReadIniInteger(std::string(bad), -1), -1) << bad;
    }
    EXPECT_EQ(ReadIniInteger(std::nullopt, -7), -7);
}

TEST(ListSettings, EmptyFileGivesDefaultsAndWritesFiveKeysInOrder) {
    IniFile file;
    const ListSettings read = ReadListSettings(file);
    EXPECT_EQ(read.groupFilterIndex, -1);
    EXPECT_EQ(read.groupFilterName, "");
    EXPECT_FALSE(read.wordFilterOn);
    EXPECT_EQ(read.wordText, "");

    WriteListSettings(file, ListSettings{-1, "TODOS", true, "RICE"}, -1);
    EXPECT_EQ(file.Serialize(),
              "[Lista Ingredientes]\n"
              "AtiFil=-1\n"
              "GruFil=TODOS\n"
              "AtiFilPalCha=1\n"
              "PalCha=RICE\n"
              "PosFilOrd=-1\n");
    const ListSettings back = ReadListSettings(file);
    EXPECT_EQ(back.groupFilterName, "TODOS");
    EXPECT_TRUE(back.wordFilterOn);
    EXPECT_EQ(back.wordText, "RICE");
}

TEST(ListSettings, HandWrittenValues) {
    const ListSettings hex = ReadListSettings(
        IniFile::Parse("[Lista Ingredientes]\nAtiFil=0x2\nAtiFilPalCha=7\nPalCha=rice \xE9\n"));
    EXPECT_EQ(hex.groupFilterIndex, 2);
    EXPECT_TRUE(hex.wordFilterOn);  // any number but 0
    EXPECT_EQ(hex.wordText, "rice \xE9");
    for (const char* atiFil : {"two", ""}) {
        const ListSettings bad = ReadListSettings(IniFile::Parse(
            std::string("[Lista Ingredientes]\nAtiFil=") + atiFil + "\nAtiFilPalCha=yes\n"));
        EXPECT_EQ(bad.groupFilterIndex, -1) << atiFil;
        EXPECT_FALSE(bad.wordFilterOn) << atiFil;
    }
}

class RestoreGroupFilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        groups.Assign({"0100|Dairy", "0900|Fruits", "1100|Vegetables", "2000|Cereal  "});
    }
    TextList groups;
    int found = -2;
};

TEST_F(RestoreGroupFilterTest, FoundByNameGivesItsCode) {
    const GroupFilter filter = RestoreGroupFilter(1, "Fruits", groups, found);
    EXPECT_EQ(filter.index, 1);
    EXPECT_EQ(filter.name, "Fruits");
    EXPECT_EQ(filter.code, "0900");
    EXPECT_EQ(found, 1);
    // The stored position is kept even when the groups file moved the group.
    const GroupFilter moved = RestoreGroupFilter(0, "Vegetables", groups, found);
    EXPECT_EQ(moved.index, 0);
    EXPECT_EQ(moved.code, "1100");
    EXPECT_EQ(found, 2);
}

TEST_F(RestoreGroupFilterTest, UnknownNameSwitchesTheFilterOff) {
    for (const char* name : {"fruits", "Nuts", ""}) {
        const GroupFilter filter = RestoreGroupFilter(0, name, groups, found);
        EXPECT_FALSE(filter.On()) << name;
        EXPECT_EQ(filter.name, "") << name;
        EXPECT_EQ(filter.code, "") << name;
        EXPECT_EQ(found, -1);
    }
    const GroupFilter none = RestoreGroupFilter(0, "Fruits", TextList(), found);
    EXPECT_FALSE(none.On());
}

TEST_F(RestoreGroupFilterTest, NegativeIndexKeepsTheStoredName) {
    const GroupFilter filter = RestoreGroupFilter(-1, "TODOS", groups, found);
    EXPECT_FALSE(filter.On());
    EXPECT_EQ(filter.name, "TODOS");
    EXPECT_EQ(found, -1);
}

// Writing the settings file: whole or not at all, never through a link.
class SettingsFileTest : public ::testing::Test {
  protected:
    std::string Settings() const { return dir.Path() + "settings/VARDELO.ini"; }
    void WriteSettings(const std::string& path) const {
        IniFile file = IniFile::Load(path);
        WriteListSettings(file, ListSettings{3, "Fruits", false, ""}, 0);
        file.Save(path);
    }
    test::TempDir dir;
};

TEST_F(SettingsFileTest, MissingFileReadsEmptyAndSaveCreatesIt) {
    EXPECT_EQ(IniFile::Load(Settings()).Serialize(), "");
    std::filesystem::create_directories(dir.Path() + "settings");
    WriteSettings(Settings());
    EXPECT_EQ(ReadListSettings(IniFile::Load(Settings())).groupFilterName, "Fruits");
}

// A file size limit makes the write fail part-way, as a full disk does
// (also for root, whom folder permissions do not stop).
TEST_F(SettingsFileTest, WriteFailingPartWayLeavesTheOldFileWhole) {
    const std::string old = "[Lista Ingredientes]\r\nAtiFil=1\r\nGruFil=Dairy\r\n";
    test::WriteFile(Settings(), old);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        WriteSettings(Settings());
    } catch (const std::runtime_error& failure) {
        message = failure.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedSignal);
    EXPECT_EQ(message, "Unable to write to " + Settings());
    EXPECT_EQ(test::ReadFile(Settings()), old);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() + "settings"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SettingsFileTest, FailedWriteIntoMissingFolderReportsThePath) {
    try {
        WriteSettings(dir.Path() + "no/such/VARDELO.ini");
        ADD_FAILURE() << "write into a missing folder succeeded";
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "Unable to write to " + dir.Path() + "no/such/VARDELO.ini");
    }
}

}  // namespace
}  // namespace quorvex
