// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/support/Sr28Database.h"

#include <algorithm>
#include <filesystem>

#include "db/Collation.h"
#include "db/DBUnit.h"
#include "tests/Sr28Foods.h"

namespace quorvex::bench {

std::unique_ptr<Sr28Database> MakeSr28Database(int count, FileOrder order) {
    if (!std::filesystem::exists(test::Sr28Directory() + "FOOD_DES.txt")) return nullptr;
    const ImportedDatabase sr28 = ConvertSr(ReadSrFiles(test::Sr28Directory()));
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(count));
    for (int copy = 1; static_cast<int>(lines.size()) < count; ++copy) {
        for (const std::string& line : sr28.foodLines) {
            if (static_cast<int>(lines.size()) == count) break;
            if (copy == 1) {
                lines.push_back(line);
                continue;
            }
            const size_t bar = line.find('|');
            lines.push_back(line.substr(0, bar) + " #" + std::to_string(copy) + line.substr(bar));
        }
    }
    if (order == FileOrder::kTableOrder) {
        std::stable_sort(
            lines.begin(), lines.end(),
            [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    }
    auto database = std::make_unique<Sr28Database>();
    database->applicationDirectory = database->dir.Path() + "app/";
    test::WriteDatabase(database->applicationDirectory, lines, sr28.groupLines);
    database->foodsFile = database->applicationDirectory + "Dados/ArqIng.dad";
    database->foodsFileBytes =
        static_cast<long long>(std::filesystem::file_size(database->foodsFile));
    std::string plain;
    for (const std::string& line : lines) plain += line + "\n";
    database->plainFoods = database->dir.Path() + "foods.txt";
    test::WriteFile(database->plainFoods, plain);
    database->foods = count;
    return database;
}

}  // namespace quorvex::bench
