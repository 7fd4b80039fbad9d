// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/SrConverter.h"

#include <algorithm>

#include "db/FieldView.h"
#include "tools/EqualTexts.h"
#include "tools/Windows1252.h"

namespace quorvex {

namespace {

// USDA nutrient numbers have three digits.
constexpr int kNutrientNumbers = 1000;

// ---- Conversion ------------------------------------------------------------------

// Field positions (0-based) of the USDA records used here.
namespace foodDes {
constexpr int kFields = 14, kNumber = 0, kGroup = 1, kLongDesc = 2, kComName = 4, kRefDesc = 7,
              kRefuse = 8, kSciName = 9;
}
namespace fdGroup {
constexpr int kFields = 2, kCode = 0, kName = 1;
}
namespace weight {
constexpr int kFields = 7, kNumber = 0, kSeq = 1, kAmount = 2, kMeasure = 3, kGrams = 4;
}
namespace nutData {
constexpr int kFields = 18, kNumber = 0, kNutrient = 1, kValue = 2;
}
namespace nutrDef {
constexpr int kFields = 6, kNutrient = 0, kDecimals = 4;
}

// Room for every decimal count USDA uses, and then some.
constexpr int kMaxDecimals = 15;

std::size_t TotalBytes(const SrFiles& files) {
    return files.foods.bytes.size() + files.groups.bytes.size() + files.weights.bytes.size() +
           files.nutrientValues.bytes.size() + files.nutrients.bytes.size();
}

}  // namespace

SrConverter::SrConverter(const SrFiles& files, ProgressSink* progress)
    : files_(files), meter_(progress, TotalBytes(files)) {
    decimals_.fill(-1);
}

ImportedDatabase SrConverter::Run() {
    ReadNutrients();
    ReadGroups();
    ReadFoods();
    MakeDescriptionsUnique();
    ReadWeights();
    ReadValues();
    database_.foodLines.reserve(foods_.size());
    for (Food& food : foods_) database_.foodLines.push_back(FoodLine(food));
    database_.counts.foods = static_cast<int>(foods_.size());
    database_.counts.groups = static_cast<int>(database_.groupLines.size());
    return std::move(database_);
}

void SrConverter::ReadNutrients() {
    RecordReader record(files_.nutrients, nutrDef::kFields, meter_);
    std::array<bool, kNutrientNumbers> defined{};
    while (record.Next()) {
        const int number = record.Integer(nutrDef::kNutrient, "Nutr_No");
        const int decimals = record.Integer(nutrDef::kDecimals, "Num_Dec");
        if (decimals > kMaxDecimals) {
            record.Fail("Num_Dec " + std::to_string(decimals) + " is more than " +
                        std::to_string(kMaxDecimals));
        }
        if (number >= kNutrientNumbers) continue;
        if (std::exchange(defined[static_cast<std::size_t>(number)], true)) {
            record.Fail("nutrient " + std::to_string(number) + " is defined twice");
        }
        const int column = ColumnOfNumber(number);
        if (column >= 0) decimals_[static_cast<std::size_t>(column)] = decimals;
    }
}

void SrConverter::ReadGroups() {
    RecordReader record(files_.groups, fdGroup::kFields, meter_);
    std::vector<int> lines;
    while (record.Next()) {
        std::string code(record.Key(fdGroup::kCode, "FdGrp_Cd"));
        std::string line = code + "|" + Clean(record, fdGroup::kName);
        groupCodes_.insert(std::move(code));
        database_.groupLines.push_back(std::move(line));
        lines.push_back(record.Line());
    }
    std::vector<std::string_view> codes;
    for (const std::string& line : database_.groupLines) codes.push_back(*LineKey(line));
    const auto repeated = EqualTextPairs(codes);
    if (!repeated.empty()) {
        const std::size_t again = repeated.front().second;
        FailAt(files_.groups, lines[again],
               "group code \"" + std::string(codes[again]) +
                   "\" is already used (letter case ignored)");
    }
}

void SrConverter::ReadFoods() {
    RecordReader record(files_.foods, foodDes::kFields, meter_);
    while (record.Next()) {
        Food food;
        food.number = record.Key(foodDes::kNumber, "NDB_No");
        food.line = record.Line();
        food.description = Clean(record, foodDes::kLongDesc);
        food.group = record.Key(foodDes::kGroup, "FdGrp_Cd");
        if (groupCodes_.count(food.group) == 0) {
            record.Fail("food group \"" + food.group + "\" is not in " + files_.groups.path);
        }
        if (!record.Field(foodDes::kRefuse).empty()) {
            AppendRounded(record.Number(foodDes::kRefuse, "Refuse"), 0, 0, food.refuse);
        }
        food.refuseDescription = Clean(record, foodDes::kRefDesc);
        food.commonName = Clean(record, foodDes::kComName);
        food.scientificName = Clean(record, foodDes::kSciName);
        if (!foodOfNumber_.emplace(food.number, foods_.size()).second) {
            record.Fail("food " + std::string(food.number) + " is already defined");
        }
        foods_.push_back(std::move(food));
    }
}

std::vector<std::string_view> SrConverter::Descriptions() const {
    std::vector<std::string_view> descriptions;
    descriptions.reserve(foods_.size());
    for (const Food& food : foods_) descriptions.push_back(food.description);
    return descriptions;
}

void SrConverter::MakeDescriptionsUnique() {
    std::vector<bool> rename(foods_.size());
    for (const auto& [first, again] : EqualTextPairs(Descriptions())) {
        rename[first] = true;
        rename[again] = true;
    }
    for (std::size_t i = 0; i < foods_.size(); ++i) {
        if (!rename[i]) continue;
        foods_[i].description += " (NDB " + std::string(foods_[i].number) + ")";
        ++database_.counts.renamedFoods;
    }
    const auto still = EqualTextPairs(Descriptions());
    if (!still.empty()) {
        const Food& food = foods_[still.front().second];
        FailAt(files_.foods, food.line,
               "description \"" + food.description +
                   "\" is the same as another food's, even with its NDB_No added");
    }
}

void SrConverter::ReadWeights() {
    RecordReader record(files_.weights, weight::kFields, meter_);
    while (record.Next()) {
        Food& food = FoodOf(record, weight::kNumber, "household weight");
        const int seq = record.Integer(weight::kSeq, "Seq");
        std::string item;
        AppendTrimmed(record.Number(weight::kAmount, "Amount"), item);
        item += ' ';
        AppendClean(record, weight::kMeasure, item);
        item += " = ";
        AppendTrimmed(record.Number(weight::kGrams, "Gm_Wgt"), item);
        item += '~';
        food.weights.emplace_back(seq, std::move(item));
    }
}

void SrConverter::ReadValues() {
    RecordReader record(files_.nutrientValues, nutData::kFields, meter_);
    while (record.Next()) {
        Food& food = FoodOf(record, nutData::kNumber, "nutrient value");
        const int number = record.Integer(nutData::kNutrient, "Nutr_No");
        if (record.Field(nutData::kValue).empty()) continue;
        const Decimal value = record.Number(nutData::kValue, "Nutr_Val");
        const int column = ColumnOfNumber(number);
        if (column < 0) continue;
        const int decimals = decimals_[static_cast<std::size_t>(column)];
        if (decimals < 0) {
            record.Fail("nutrient " + std::to_string(number) + " is not in " +
                        files_.nutrients.path);
        }
        std::string& text = food.values[static_cast<std::size_t>(column)];
        if (!text.empty()) {
            record.Fail("second value of nutrient " + std::to_string(number) + " for food " +
                        std::string(food.number));
        }
        const NutrientColumn& nutrient = kNutrientColumns[static_cast<std::size_t>(column)];
        AppendRounded(value, nutrient.shift, decimals + nutrient.shift, text);
        ++database_.counts.values;
    }
}

std::string SrConverter::FoodLine(Food& food) {
    std::stable_sort(food.weights.begin(), food.weights.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    FoodLineFields fields;
    std::copy(food.values.begin(), food.values.end(), fields.values.begin());
    fields.group = food.group;
    fields.refuse = food.refuse;
    fields.refuseDescription = food.refuseDescription;
    fields.commonName = food.commonName;
    fields.scientificName = food.scientificName;
    std::string line;
    line.reserve(512);
    line.append(food.description);
    AppendFoodLineFields(fields, line);
    for (const auto& [seq, item] : food.weights) line.append(item);
    database_.counts.weights += static_cast<int>(food.weights.size());
    return line;
}

SrConverter::Food& SrConverter::FoodOf(const RecordReader& record, int field, const char* what) {
    const std::string_view number = record.Key(field, "NDB_No");
    if (number != lastNumber_ || lastFood_ == nullptr) {
        const auto found = foodOfNumber_.find(number);
        if (found == foodOfNumber_.end()) {
            record.Fail(std::string(what) + " for food " + std::string(number) +
                        ", which is not in " + files_.foods.path);
        }
        lastNumber_ = number;
        lastFood_ = &foods_[found->second];
    }
    return *lastFood_;
}

void SrConverter::AppendClean(const RecordReader& record, int field, std::string& out) {
    for (const char c : record.Field(field)) {
        if (const char standIn = SeparatorStandIn(c)) {
            out += standIn;
            ++database_.counts.replacements;
            continue;
        }
        if (c == '\0') record.Fail("a NUL byte in a text");
        out += c;
    }
}

std::string SrConverter::Clean(const RecordReader& record, int field) {
    std::string text;
    AppendClean(record, field, text);
    return text;
}

}  // namespace quorvex
