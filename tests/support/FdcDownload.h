// SPDX-License-Identifier: GPL-3.0-or-later
// FoodData Central CSV downloads made up for the importer's tests and
// benchmark, in USDA's layout: every field quoted, LF line ends, UTF-8.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::test {

enum FdcFile : int {
    kFoodCsv,
    kFoodCategoryCsv,
    kFoodNutrientCsv,
    kFoodPortionCsv,
    kMeasureUnitCsv,
    kFoodAttributeCsv,
    kBrandedFoodCsv,
    kSurveyFoodCsv,
    kWweiaCategoryCsv,
};
inline constexpr int kFdcFileCount = 9;

// File name and header line (with its LF) of each FdcFile.
const char* FdcFileName(FdcFile file);
const std::string& FdcHeader(FdcFile file);

// One record: every field in double quotes, quotes doubled, LF at the end.
std::string CsvRecord(const std::vector<std::string>& fields);

// Writes a download into a folder: every file with its header, then the
// records added. Closes the files when it goes.
class FdcDownloadWriter {
  public:
    explicit FdcDownloadWriter(const std::string& directory);
    ~FdcDownloadWriter();
    FdcDownloadWriter(const FdcDownloadWriter&) = delete;
    FdcDownloadWriter& operator=(const FdcDownloadWriter&) = delete;

    void Add(FdcFile file, const std::vector<std::string>& fields);
    // A record already in CSV form, LF included.
    void AddRecord(FdcFile file, std::string_view record);

  private:
    std::array<std::FILE*, kFdcFileCount> files_{};
};

// The fdc_id given to the i-th food (0-based) of FOOD_DES.txt.
inline unsigned Sr28FdcId(int i) { return 100000u + static_cast<unsigned>(i); }

// Adds the SR28 files of sr28Directory as FoodData Central's SR Legacy
// foods: their groups, foods, common names, household weights and
// nutrient values, texts turned into UTF-8 and numbers into their shortest
// form. Returns the number of foods.
int AddSr28(FdcDownloadWriter& writer, const std::string& sr28Directory);

}  // namespace quorvex::test
