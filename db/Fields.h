// SPDX-License-Identifier: GPL-3.0-or-later
// Field numbers of a food line and of a group line (fields count from 1).
#pragma once

namespace quorvex {

enum FoodField : int {
    kFoodDescription = 1,
    // Proximates, per 100 g.
    kWater = 2,
    kEnergy,
    kProtein,
    kTotalLipid,
    kAsh,
    kCarbohydrate,
    kFiber,
    // Minerals, mg.
    kCalcium = 9,
    kIron,
    kMagnesium,
    kPhosphorus,
    kPotassium,
    kSodium,
    kZinc,
    kCopper,
    kManganese,
    kSelenium,
    // Vitamins.
    kAscorbicAcid = 19,
    kThiamin,
    kRiboflavin,
    kNiacin,
    kPantothenicAcid,
    kVitaminB6,
    kFolateTotal,
    kFolicAcid,
    kFoodFolate,
    kFolateDfe,
    kVitaminB12,
    kVitaminAIu,
    kVitaminARe,
    kVitaminE,
    kVitaminD,
    // Lipids, g.
    kSaturated = 34,
    kMonounsaturated,
    kPolyunsaturated,
    kCholesterol,
    kFoodGroupCode = 38,
    kRefusePercentage,
    kRefuseDescription,
    kCommonName,
    kScientificName,
    kHouseholdWeights,
};

inline constexpr int kFoodFieldCount = 43;
inline constexpr int kFirstNutrientField = kWater;
inline constexpr int kLastNutrientField = kCholesterol;

enum GroupField : int {
    kGroupCode = 1,
    kGroupName = 2,
};

}  // namespace quorvex
