// SPDX-License-Identifier: GPL-3.0-or-later
// The list window's filters as the settings file keeps them between
// openings and between runs: section "Lista Ingredientes", keys AtiFil,
// GruFil, AtiFilPalCha, PalCha and PosFilOrd.
#pragma once

#include <string>

#include "db/DBUnit.h"
#include "list/IniFile.h"
#include "list/ListFilter.h"

namespace quorvex {

inline constexpr char kListSettingsSection[] = "Lista Ingredientes";

struct ListSettings {
    int groupFilterIndex = -1;    // AtiFil
    std::string groupFilterName;  // GruFil
    bool wordFilterOn = false;    // AtiFilPalCha
    std::string wordText;         // PalCha, as stored
};

// The stored values; a missing key or an unreadable number gives the
// default (-1, empty, false, empty).
ListSettings ReadListSettings(const IniFile& file);

// Sets the five keys in the order AtiFil, GruFil, AtiFilPalCha, PalCha,
// PosFilOrd (selectedRow, -1 for none).
void WriteListSettings(IniFile& file, const ListSettings& settings, int selectedRow);

// The group filter for a stored index and name. With a non-negative index
// the group is found by name (first group line whose field 2 equals it
// byte for byte), which gives the code; when none carries it the filter is
// off with an empty name. With a negative index the filter is off and
// keeps the stored name. foundPosition gets the found group's line (its
// submenu position), -1 when the filter is off.
GroupFilter RestoreGroupFilter(int storedIndex, const std::string& storedName,
                               const TextTable& groupTable, int& foundPosition);

}  // namespace quorvex
