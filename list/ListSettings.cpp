// SPDX-License-Identifier: GPL-3.0-or-later
#include "list/ListSettings.h"

#include "db/Fields.h"

namespace quorvex {

namespace {
constexpr char kAtiFil[] = "AtiFil";
constexpr char kGruFil[] = "GruFil";
constexpr char kAtiFilPalCha[] = "AtiFilPalCha";
constexpr char kPalCha[] = "PalCha";
constexpr char kPosFilOrd[] = "PosFilOrd";
}  // namespace

ListSettings ReadListSettings(const IniFile& file) {
    const auto get = [&file](const char* key) { return file.Get(kListSettingsSection, key); };
    ListSettings settings;
    settings.groupFilterIndex = ReadIniInteger(get(kAtiFil), -1);
    settings.groupFilterName = get(kGruFil).value_or("");
    settings.wordFilterOn = ReadIniInteger(get(kAtiFilPalCha), 0) != 0;
    settings.wordText = get(kPalCha).value_or("");
    return settings;
}

void WriteListSettings(IniFile& file, const ListSettings& settings, int selectedRow) {
    const auto set = [&file](const char* key, const std::string& value) {
        file.Set(kListSettingsSection, key, value);
    };
    set(kAtiFil, std::to_string(settings.groupFilterIndex));
    set(kGruFil, settings.groupFilterName);
    set(kAtiFilPalCha, settings.wordFilterOn ? "1" : "0");
    set(kPalCha, settings.wordText);
    set(kPosFilOrd, std::to_string(selectedRow));
}

GroupFilter RestoreGroupFilter(int storedIndex, const std::string& storedName,
                               const TextTable& groupTable, int& foundPosition) {
    foundPosition = -1;
    GroupFilter filter{storedIndex, storedName, ""};
    if (!filter.On()) return filter;
    for (int i = 0; i < groupTable.Count(); ++i) {
        if (GetItemField(groupTable, i, kGroupName) == storedName) {
            foundPosition = i;
            filter.code = GetItemField(groupTable, i, kGroupCode);
            return filter;
        }
    }
    return GroupFilter{};
}

}  // namespace quorvex
