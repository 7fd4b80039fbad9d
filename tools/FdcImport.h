// SPDX-License-Identifier: GPL-3.0-or-later
// Turning an unpacked FoodData Central CSV download into the viewer's two
// data files. Used by the import-fdc tool, its tests and its benchmark;
// never part of the viewer.
//
// Input: food.csv and food_nutrient.csv always; food_category.csv for
// Foundation and SR Legacy foods, branded_food.csv for Branded foods,
// survey_fndds_food.csv and wweia_food_category.csv for Survey foods,
// food_portion.csv for the household weights of all but Branded foods
// (with measure_unit.csv where a portion names a unit), and
// food_attribute.csv for common names when present. Columns are found by
// their header names; texts are UTF-8 and are written as Windows-1252.
//
// The food line: field 1 is the description (Branded: followed by
// " (<brand>, GTIN <gtin>)", so that the word filter finds a product by
// brand and barcode); the 36 nutrients get the Standard Reference's number
// of decimals for each nutrient (FoodData Central writes numbers in their
// shortest form), rounded half away from zero; vitamin D given only in µg
// becomes IU at 40 IU per µg; a food without energy (1008) gets its energy
// by specific Atwater factors (2048), else by general ones (2047). Group:
// the food category (Foundation, SR Legacy), the WWEIA category (Survey,
// codes "S<code>", names ending in " (Survey)") or the branded food
// category (codes "B0001" on in the order of their names, names ending in
// " (Branded)"); no two groups share a name. Refuse, refuse description
// and scientific name stay empty: the download has none. Common name:
// food_attribute's "Common Name" values (Branded: the brand owner, the
// data type and the FDC id). Household weights: each food's food_portion
// rows in seq_num order, wherever they stand in the file; Branded foods
// their serving, "<household text> = <grams>", or for a serving in ml
// "<household text> = <ml> ml, counted as <ml>", since the values of such
// a product are per 100 ml. Descriptions equal apart from letter case get
// " (FDC <fdc_id>)". A GTIN given to more than one Branded food keeps only
// its newest version (latest publication_date, then highest fdc_id).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

class ProgressSink;

enum FdcType : int { kFoundation, kSrLegacy, kSurvey, kBranded };
inline constexpr int kFdcTypeCount = 4;

// Which data types to import, by FdcType.
using FdcTypes = std::array<bool, kFdcTypeCount>;
inline constexpr FdcTypes kAllFdcTypes = {true, true, true, true};

// A comma-separated list of "foundation", "sr_legacy", "survey" and
// "branded"; throws std::invalid_argument naming an unknown or missing one.
FdcTypes ParseFdcTypes(std::string_view list);

struct FdcCounts {
    std::array<int, kFdcTypeCount> foods{};  // written, by FdcType
    int groups = 0;
    long values = 0;          // non-empty nutrient fields written
    int weights = 0;          // household weight items written
    int replacements = 0;     // "|" turned into "/" and "~" into "-"
    int standIns = 0;         // characters Windows-1252 lacks, written as a stand-in
    int renamedFoods = 0;     // descriptions given " (FDC <fdc_id>)"
    int olderVersions = 0;    // Branded foods left out for a newer one of the same GTIN
    int samplingRecords = 0;  // sample, sub-sample, acquisition and experimental records
    int vitaminDFromMicrograms = 0;

    int Foods() const { return foods[0] + foods[1] + foods[2] + foods[3]; }
};

// The converted download, held compactly: food lines are made on demand.
class FdcDatabase {
  public:
    struct Data;
    explicit FdcDatabase(std::unique_ptr<Data> data);
    ~FdcDatabase();
    FdcDatabase(const FdcDatabase&) = delete;
    FdcDatabase& operator=(const FdcDatabase&) = delete;

    // Calls line once per food written, 43 fields each, in food.csv order
    // (the foods file holds them in table order).
    void ForEachFoodLine(const std::function<void(std::string_view line)>& line) const;
    // "code|name", in code order; only groups that hold a food.
    const std::vector<std::string>& GroupLines() const;
    const FdcCounts& Counts() const;

    // The stored foods file: the lines in the viewer's table order
    // (FoodsInTableOrder), each scrambled by its place there, CR LF ends.
    // Throws NotEnoughMemory when sorting the foods or the file's bytes
    // would not fit in UsableMemory().
    std::string FoodsFileBytes() const;

  private:
    std::unique_ptr<Data> data_;
};

// Reads and converts the download in fdcDirectory. Throws ImportError at
// the first fault, "<path>:<line>: [column <n> "<name>": ]<what>": a
// missing file or column, an unterminated quote, an unreadable number or
// date, an id that must be digits and is not (fdc_id, nutrient_id, id, and
// food_category_id where it names a food_category row), a row for a food
// that is not in food.csv, a category that does not exist, a repeated
// fdc_id or nutrient value. Throws NotEnoughMemory as soon as what the
// tables hold no longer fits twice in UsableMemory() (with some room to
// spare), which the importer needs to write them; an allocation that fails
// throws std::bad_alloc.
// Progress, when given, shows the share of input bytes read.
std::unique_ptr<FdcDatabase> ConvertFdc(const std::string& fdcDirectory, const FdcTypes& types,
                                        ProgressSink* progress = nullptr);

// ConvertFdc, then both files written as one unit (as import-sr writes
// them); nothing is written when converting fails.
std::unique_ptr<FdcDatabase> ImportFdc(const std::string& fdcDirectory,
                                       const std::string& dadosDirectory, const FdcTypes& types,
                                       ProgressSink* progress = nullptr);

}  // namespace quorvex
