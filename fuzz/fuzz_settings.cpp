// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: any file comes back byte for byte, and the list
// settings written into it read back as written. Input parts: the file as
// found, then the group filter index, the group name and the word text.
#include <algorithm>

#include "fuzz/FuzzSupport.h"
#include "list/IniFile.h"
#include "list/ListSettings.h"

using namespace quorvex;

namespace {

// A value as the file can keep it: one line, without the blanks around it
// that reading trims.
std::string Storable(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, '_');
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = fuzz::SplitParts(data, size, 4);
    IniFile file = IniFile::Parse(parts[0]);
    fuzz::Require(file.Serialize() == parts[0], "an unchanged file is kept byte for byte");
    ReadListSettings(file);

    ListSettings written;
    written.groupFilterIndex = ReadIniInteger(parts[1], -1);
    written.groupFilterName = Storable(parts[2]);
    written.wordFilterOn = parts[1].size() % 2 == 1;
    written.wordText = Storable(parts[3]);
    const int selectedRow = static_cast<int>(parts[3].size()) - 1;
    WriteListSettings(file, written, selectedRow);

    const IniFile reread = IniFile::Parse(file.Serialize());
    const ListSettings read = ReadListSettings(reread);
    fuzz::Require(read.groupFilterIndex == written.groupFilterIndex &&
                      read.groupFilterName == written.groupFilterName &&
                      read.wordFilterOn == written.wordFilterOn &&
                      read.wordText == written.wordText,
                  "the list settings read back as written");
    fuzz::Require(ReadIniInteger(reread.Get(kListSettingsSection, "PosFilOrd"), -2) == selectedRow,
                  "the selected row reads back as written");
    return 0;
}
