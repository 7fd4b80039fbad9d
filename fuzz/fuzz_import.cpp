// SPDX-License-Identifier: GPL-3.0-or-later
// The importer on five SR files, its output then loaded by the viewer's
// loaders. Input parts: FOOD_DES, FD_GROUP, WEIGHT, NUT_DATA, NUTR_DEF.
#include <algorithm>
#include <memory>

#include "db/DBUnit.h"
#include "db/Fields.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/SrImport.h"

using namespace quorvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const test::TempDir scratch;
    const std::vector<std::string> parts = fuzz::SplitParts(data, size, 5);
    const SrFiles files{{"FOOD_DES.txt", parts[0]},
                        {"FD_GROUP.txt", parts[1]},
                        {"WEIGHT.txt", parts[2]},
                        {"NUT_DATA.txt", parts[3]},
                        {"NUTR_DEF.txt", parts[4]}};
    ImportedDatabase database;
    try {
        database = ConvertSr(files);
    } catch (const ImportError&) {
        return 0;
    }
    for (const std::string& line : database.foodLines) {
        fuzz::Require(std::count(line.begin(), line.end(), '|') == kFoodFieldCount - 1,
                      "43 fields per food line");
    }

    const std::string foodsPath = scratch.Path() + "ArqIng.dad";
    const std::string groupsPath = scratch.Path() + "ArqGruIng.dad";
    test::WriteFile(foodsPath, FoodsFileBytes(database));
    test::WriteFile(groupsPath, GroupsFileBytes(database));
    test::NoProgress progress;
    std::unique_ptr<LoadedTable> foods, keys, groups, codes;
    LoadFoodTable(foodsPath, foods, keys, progress);
    LoadGroupTable(groupsPath, groups, codes);
    fuzz::Require(foods->Count() == static_cast<int>(database.foodLines.size()) &&
                      keys->Count() == foods->Count(),
                  "one table line and one key index entry per food");
    fuzz::Require(test::TableOrderFault(foodsPath, database.foodLines).empty(),
                  "the foods file is written in table order");
    for (const std::string& line : database.foodLines) {
        int position = 0;
        fuzz::Require(foods->Find(line, position), "every food line is loaded as written");
    }
    fuzz::Require(groups->Count() == static_cast<int>(database.groupLines.size()),
                  "one table line per group");
    return 0;
}
