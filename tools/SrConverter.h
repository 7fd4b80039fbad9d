// SPDX-License-Identifier: GPL-3.0-or-later
// Converting USDA's five files into the viewer's food and group lines.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "tools/Nutrients.h"
#include "tools/ProgressMeter.h"
#include "tools/RecordReader.h"
#include "tools/SrImport.h"

namespace quorvex {

// One conversion of one set of files: reads the nutrient definitions, the
// groups, the foods, their weights and their values, in that order, and
// builds the food lines.
class SrConverter {
  public:
    // files and progress (which may be null) must outlive the converter.
    SrConverter(const SrFiles& files, ProgressSink* progress);

    // Converts every record; call once. Throws ImportError at the first
    // bad record (see ConvertSr).
    ImportedDatabase Run();

  private:
    struct Food {
        std::string_view number;  // NDB_No, a view into FOOD_DES
        int line = 0;             // in FOOD_DES, for messages
        std::string description;
        std::string group;
        std::string refuse;
        std::string refuseDescription;
        std::string commonName;
        std::string scientificName;
        std::array<std::string, kNutrientCount> values;
        std::vector<std::pair<int, std::string>> weights;  // Seq, item
    };

    void ReadNutrients();
    void ReadGroups();
    void ReadFoods();

    // The food key index holds one entry per distinct description (letter
    // case ignored), so equal descriptions get their NDB_No to stay apart.
    void MakeDescriptionsUnique();
    std::vector<std::string_view> Descriptions() const;  // views into foods_
    void ReadWeights();
    void ReadValues();

    std::string FoodLine(Food& food);
    Food& FoodOf(const RecordReader& record, int field, const char* what);

    // Appends the field's text with the viewer's separators replaced: "|"
    // ends a field and "~" a household weight item.
    void AppendClean(const RecordReader& record, int field, std::string& out);

    std::string Clean(const RecordReader& record, int field);

    const SrFiles& files_;
    ProgressMeter meter_;
    std::array<int, kNutrientCount> decimals_{};  // Num_Dec per column, -1 undefined
    std::unordered_set<std::string> groupCodes_;
    std::vector<Food> foods_;
    std::unordered_map<std::string_view, std::size_t> foodOfNumber_;
    std::string_view lastNumber_;
    Food* lastFood_ = nullptr;
    ImportedDatabase database_;
};

}  // namespace quorvex
