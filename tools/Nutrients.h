// SPDX-License-Identifier: GPL-3.0-or-later
// The 36 nutrients of a food line, as USDA's releases number them, and the
// fields of the line that the importers fill.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "db/Fields.h"

namespace quorvex {

// The nutrient fields of a food line, one per nutrient the report shows.
inline constexpr int kNutrientCount = kLastNutrientField - kFirstNutrientField + 1;

struct NutrientColumn {
    int number;    // the Standard Reference's nutrient number (Nutr_No)
    int fdcId;     // FoodData Central's nutrient id
    int field;     // of the food line
    int shift;     // 3 where USDA's unit is a thousandth of the report's
    int decimals;  // the Standard Reference's Num_Dec, for sources that lose it
};

// In field order: kNutrientColumns[i].field == kFirstNutrientField + i.
// Selenium (µg) and cholesterol (mg) come in a thousandth of the report's
// unit. Vitamin A in RE and vitamin E in ATE have no Num_Dec of their own
// in the last releases; they take those of their successors, vitamin A RAE
// (0) and alpha-tocopherol (2).
inline constexpr std::array<NutrientColumn, kNutrientCount> kNutrientColumns = {{
    {255, 1051, kWater, 0, 2},
    {208, 1008, kEnergy, 0, 0},
    {203, 1003, kProtein, 0, 2},
    {204, 1004, kTotalLipid, 0, 2},
    {207, 1007, kAsh, 0, 2},
    {205, 1005, kCarbohydrate, 0, 2},
    {291, 1079, kFiber, 0, 1},
    {301, 1087, kCalcium, 0, 0},
    {303, 1089, kIron, 0, 2},
    {304, 1090, kMagnesium, 0, 0},
    {305, 1091, kPhosphorus, 0, 0},
    {306, 1092, kPotassium, 0, 0},
    {307, 1093, kSodium, 0, 0},
    {309, 1095, kZinc, 0, 2},
    {312, 1098, kCopper, 0, 3},
    {315, 1101, kManganese, 0, 3},
    {317, 1103, kSelenium, 3, 1},
    {401, 1162, kAscorbicAcid, 0, 1},
    {404, 1165, kThiamin, 0, 3},
    {405, 1166, kRiboflavin, 0, 3},
    {406, 1167, kNiacin, 0, 3},
    {410, 1170, kPantothenicAcid, 0, 3},
    {415, 1175, kVitaminB6, 0, 3},
    {417, 1177, kFolateTotal, 0, 0},
    {431, 1186, kFolicAcid, 0, 0},
    {432, 1187, kFoodFolate, 0, 0},
    {435, 1190, kFolateDfe, 0, 0},
    {418, 1178, kVitaminB12, 0, 2},
    {318, 1104, kVitaminAIu, 0, 0},
    {392, 1156, kVitaminARe, 0, 0},
    {394, 1158, kVitaminE, 0, 2},
    {324, 1110, kVitaminD, 0, 0},
    {606, 1258, kSaturated, 0, 3},
    {645, 1292, kMonounsaturated, 0, 3},
    {646, 1293, kPolyunsaturated, 0, 3},
    {601, 1253, kCholesterol, 3, 0},
}};

// Index into kNutrientColumns for a Standard Reference nutrient number, -1
// for the nutrients the report does not show.
int ColumnOfNumber(int number);
// The same for a FoodData Central nutrient id.
int ColumnOfFdcId(int fdcId);

// Vitamin D in µg, which the report shows in IU only.
inline constexpr int kVitaminDMicrogramNumber = 328;
inline constexpr int kVitaminDMicrogramFdcId = 1114;
inline constexpr int kIuPerMicrogramVitaminD = 40;

// Energy in kcal worked out with Atwater factors, specific to the food or
// general, which FoodData Central gives some foods (most Foundation foods)
// instead of the energy the report shows; that energy falls back on the
// specific, then the general one.
inline constexpr int kAtwaterSpecificEnergyNumber = 958;
inline constexpr int kAtwaterSpecificEnergyFdcId = 2048;
inline constexpr int kAtwaterGeneralEnergyNumber = 957;
inline constexpr int kAtwaterGeneralEnergyFdcId = 2047;

// A food line's fields 2 to 42.
struct FoodLineFields {
    std::array<std::string_view, kNutrientCount> values{};
    std::string_view group;
    std::string_view refuse;
    std::string_view refuseDescription;
    std::string_view commonName;
    std::string_view scientificName;
};

// Appends "|" and each of fields 2 to 42, then the "|" that starts field
// 43: a line is its description, this, and its household weight items.
void AppendFoodLineFields(const FoodLineFields& fields, std::string& line);

}  // namespace quorvex
