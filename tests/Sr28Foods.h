// Food lines for the food list made from USDA's real SR28 descriptions
// (FOOD_DES.txt): field 1 the description, field 38 the group code, the
// other fields empty. Shared by the list's real-data test and benchmark.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "db/Fields.h"
#include "tests/support/TestSupport.h"

namespace quorvex::test {

// The SR28 folder beside the project, or where QUORVEX_SOURCE_DIR points.
inline std::string Sr28Directory() { return QUORVEX_SOURCE_DIR "/../shared/usda-sr28/"; }

// One line per FOOD_DES record ("~NDB~^~group~^~description~^..."), in
// file order; empty when the file is absent.
inline std::vector<std::string> Sr28FoodLines() {
    std::ifstream in(Sr28Directory() + "FOOD_DES.txt", std::ios::binary);
    std::vector<std::string> lines;
    std::string record;
    while (std::getline(in, record)) {
        std::vector<std::string> fields(1);
        for (const char c : record) {
            if (c == '^') {
                fields.emplace_back();
            } else if (c != '~' && c != '\r') {
                fields.back() += c == '|' ? '/' : c;
            }
        }
        if (fields.size() < 3) continue;
        lines.push_back(MakeFoodLine(fields[2], {{kFoodGroupCode, fields[1]}}));
    }
    return lines;
}

}  // namespace quorvex::test
