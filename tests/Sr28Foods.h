// SPDX-License-Identifier: GPL-3.0-or-later
// The real SR28 foods (../shared/usda-sr28 beside the project) as the
// importer turns them into the viewer's plain food lines. Shared by the
// list's real-data test and benchmark.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/SrImport.h"

namespace quorvex::test {

// Beside the project, or beside the folder of a work tree that holds it.
inline std::string Sr28Directory() {
    const std::string beside = QUORVEX_SOURCE_DIR "/../shared/usda-sr28/";
    const std::string besideParent = QUORVEX_SOURCE_DIR "/../../shared/usda-sr28/";
    return std::filesystem::exists(beside) || !std::filesystem::exists(besideParent) ? beside
                                                                                     : besideParent;
}

// One plain food line per SR28 food, in FOOD_DES order; empty when the
// files are absent.
inline std::vector<std::string> Sr28FoodLines() {
    if (!std::filesystem::exists(Sr28Directory() + "FOOD_DES.txt")) return {};
    return ConvertSr(ReadSrFiles(Sr28Directory())).foodLines;
}

}  // namespace quorvex::test
