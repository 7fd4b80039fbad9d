// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "db/DBUnit.h"
#include "db/Fields.h"
#include "tests/Sr28Foods.h"
#include "tests/support/FdcDownload.h"
#include "tests/support/TestSupport.h"
#include "tools/CsvReader.h"
#include "tools/FdcImport.h"
#include "tools/SrImport.h"
#include "tools/Windows1252.h"

namespace quorvex {
namespace {

using test::FdcFile;
using test::MakeFoodLine;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Rows = std::vector<std::vector<std::string>>;

// ---- The CSV reader and the text conversion ---------------------------------------

struct CsvCase {
    std::string bytes;
    std::vector<std::vector<std::string>> records;  // after the header "a,b"
    std::string error;                              // "" when none
};

const CsvCase kCsvCases[] = {
    {"a,b\n1,2\n", {{"1", "2"}}, ""},
    {"\xEF\xBB\xBF\"a\",\"b\"\r\n\"x, y\",\"say \"\"hi\"\"\"\r\n", {{"x, y", "say \"hi\""}}, ""},
    {"a,b\n\"two\nlines\",\n\n,\"\"\nlast,one",
     {{"two\nlines", ""}, {"", ""}, {"last", "one"}},
     ""},
    {"a,b\n1,2\n\"open,3\n", {{"1", "2"}}, "x.csv:3: column 1 \"a\": a quote that is never closed"},
    {"a,b\n\"x\"y,2\n", {}, "x.csv:2: column 1 \"a\": text after the closing quote"},
    {"", {}, "x.csv: no header line"},
};

TEST(CsvReader, ReadsRecordsAndRefusesBrokenQuoting) {
    for (const CsvCase& c : kCsvCases) {
        std::vector<std::vector<std::string>> records;
        std::string error;
        try {
            CsvReader csv("x.csv", c.bytes);
            EXPECT_EQ(csv.Column({"b"}), 1) << c.bytes;
            while (csv.Next()) {
                records.emplace_back();
                for (int i = 0; i < csv.FieldCount(); ++i)
                    records.back().emplace_back(csv.Field(i));
            }
        } catch (const ImportError& e) {
            error = e.what();
        }
        EXPECT_EQ(records, c.records) << c.bytes;
        EXPECT_EQ(error, c.error) << c.bytes;
    }
}

TEST(Windows1252, WritesStandInsAndCountsThem) {
    const std::pair<std::string, std::string> kCases[] = {
        {"Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D", "Caf\xE9 \x80 \x93q\x94"},
        {"\xC5\x81\xC3\xB3"
         "d\xC5\xBA \xE2\x85\x93 \xE6\xBC\xA2",
         "L\xF3"
         "dz 1/3 ?"},  // 4 stand-ins
        {"a|b~c\td\xFF"
         "e\xC0\xAF",
         "a/b-c d?e??"},  // 2 replacements, 3 stand-ins
    };
    TextCounts counts;
    for (const auto& [utf8, expected] : kCases) {
        std::string out;
        AppendWindows1252(utf8, out, counts);
        EXPECT_EQ(out, expected);
    }
    EXPECT_EQ(counts.standIns, 7);
    EXPECT_EQ(counts.replacements, 2);
}

// ---- Made-up downloads ------------------------------------------------------------

std::vector<std::string> Branded(const std::string& id, const std::string& owner,
                                 const std::string& brand, const std::string& gtin,
                                 const std::string& size, const std::string& unit,
                                 const std::string& household, const std::string& category) {
    return {id,   owner,     brand,    "",   gtin, "MILK, SALT", "",           size,
            unit, household, category, "LI", "",   "2021-01-01", "2021-01-01", "US",
            "",   "",        "",       ""};
}

std::vector<std::string> Value(const std::string& food, const std::string& nutrient,
                               const std::string& amount) {
    static int id = 0;
    return {std::to_string(++id), food, nutrient, amount, "", "", "", "", "", "", ""};
}

std::vector<std::string> Portion(const std::string& food, const std::string& seq,
                                 const std::string& amount, const std::string& unit,
                                 const std::string& description, const std::string& modifier,
                                 const std::string& grams) {
    return {"1", food, seq, amount, unit, description, modifier, grams, "", "", ""};
}

// One food of every data type, a repeated GTIN, a sampling record and two
// descriptions equal apart from case.
struct FdcInput {
    std::map<FdcFile, Rows> rows = {
        {test::kFoodCategoryCsv,
         {{"1", "0100", "Dairy and Egg Products"}, {"2", "1100", "Vegetables"}}},
        {test::kMeasureUnitCsv, {{"1000", "cup"}, {"9999", "undetermined"}}},
        {test::kFoodCsv,
         {{"1001", "sr_legacy_food", "Butter, salted", "1", "2019-04-01"},
          {"1002", "foundation_food", "Beans, \"green\", raw", "2", "4/1/2021"},
          {"1003", "survey_fndds_food", "Milk, whole", "", "2020-10-30"},
          {"1004", "branded_food", "CHEDDAR CHEESE", "Cheese", "2021-10-28"},
          {"1005", "branded_food", "CHEDDAR CHEESE", "Cheese", "2020-01-01"},
          {"1006", "branded_food", "Cheddar cheese", "", "2021-01-01"},
          {"1007", "sample_food", "Sample of butter", "", "2019-04-01"},
          {"1008", "foundation_food", "Milk, Whole", "1", "2021-04-01"}}},
        {test::kBrandedFoodCsv,
         {Branded("1004", "Tillamook County Creamery", "TILLAMOOK", "072830000000", "28", "g",
                  "1 oz", "Cheese"),
          Branded("1005", "Tillamook", "TILLAMOOK", "072830000000", "30", "g", "1 oz", "Cheese"),
          Branded("1006", "\xC5\x81ukasz, \"Fine\" Foods", "", "00012345", "240.0", "MLT",
                  "1 cup\n(240 ml)", "Cheese  ")}},
        {test::kSurveyFoodCsv, {{"1003", "11111000", "1002", "2019-01-01", "2020-12-31"}}},
        {test::kWweiaCategoryCsv, {{"1002", "Milk, whole"}}},
        {test::kFoodAttributeCsv,
         {{"1", "1001", "1", "1000", "Common Name", "Butter"},
          {"2", "1002", "1", "1001", "Additional Description", "not a name"}}},
        {test::kFoodPortionCsv,
         {Portion("1001", "2", "1", "9999", "", "tbsp", "14.2"),
          Portion("1001", "1", "0.5", "9999", "", "pat", "5.0"),
          Portion("1002", "1", "1", "1000", "", "chopped", "125"),
          Portion("1003", "1", "", "", "1 cup", "", "244"),
          Portion("1002", "0", "1", "1000", "", "sliced", "110")}},
        {test::kFoodNutrientCsv,
         {Value("1001", "1051", "15.87"),
          Value("1001", "1008", "717"),
          Value("1001", "1103", "1"),
          Value("1001", "1253", "215"),
          Value("1001", "1258", "51.368"),
          Value("1001", "1005", "0.06"),
          Value("1001", "1079", "0"),
          Value("1001", "1009", "3"),
          Value("1002", "1051", "89.6"),
          Value("1002", "1003", "1.835"),
          Value("1002", "1162", "12.2"),
          Value("1002", "2047", "30.6"),
          Value("1002", "2048", "31.5"),
          Value("1008", "2047", "61.5"),
          Value("1001", "2048", "700"),
          Value("1003", "255", "88.1"),
          Value("1003", "203", "3.28"),
          Value("1003", "328", "1.3"),
          Value("1004", "1008", "393"),
          Value("1004", "1114", "0.25"),
          Value("1004", "1093", "643"),
          Value("1005", "1008", "400"),
          Value("1006", "1008", "100"),
          Value("1006", "1110", "40"),
          Value("1006", "1114", "1"),
          Value("1007", "1008", "1"),
          Value("1001", "1003", ""),
          {"99", "1002", "1079", "2.5", "", "", "", "", "", "a \"b\",\nc", ""}}},
    };

    std::map<FdcFile, std::string> raw;  // bytes after the records

    void WriteTo(const std::string& directory) const {
        {
            test::FdcDownloadWriter writer(directory);
            for (const auto& [file, records] : rows) {
                for (const auto& record : records) writer.Add(file, record);
            }
        }
        for (const auto& [file, bytes] : raw) {
            const std::string path = directory + test::FdcFileName(file);
            WriteFile(path, ReadFile(path) + bytes);
        }
    }
};

std::vector<std::string> Lines(const FdcDatabase& database) {
    std::vector<std::string> lines;
    database.ForEachFoodLine([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::unique_ptr<FdcDatabase> Convert(const FdcInput& input, const FdcTypes& types = kAllFdcTypes) {
    TempDir folder;
    input.WriteTo(folder.Path());
    return ConvertFdc(folder.Path(), types);
}

// ---- Conversion ---------------------------------------------------------------

TEST(FdcImport, WritesEveryDataType) {
    const auto database = Convert(FdcInput());
    const std::string branded = " (Branded Foods, FDC ";
    EXPECT_EQ(
        Lines(*database),
        (std::vector<std::string>{
            MakeFoodLine("Butter, salted", {{kWater, "15.87"},
                                            {kEnergy, "717"},
                                            {kSelenium, "0.0010"},
                                            {kCholesterol, "0.215"},
                                            {kSaturated, "51.368"},
                                            {kCarbohydrate, "0.06"},
                                            {kFiber, "0.0"},
                                            {kFoodGroupCode, "0100"},
                                            {kCommonName, "Butter"},
                                            {kHouseholdWeights, "0.5 pat = 5~1 tbsp = 14.2~"}}),
            MakeFoodLine("Beans, \"green\", raw",
                         {{kWater, "89.60"},
                          {kProtein, "1.84"},
                          {kFiber, "2.5"},
                          {kAscorbicAcid, "12.2"},
                          {kEnergy, "32"},
                          {kFoodGroupCode, "1100"},
                          {kHouseholdWeights, "1 cup sliced = 110~1 cup chopped = 125~"}}),
            MakeFoodLine("Milk, whole (FDC 1003)", {{kWater, "88.10"},
                                                    {kProtein, "3.28"},
                                                    {kVitaminD, "52"},
                                                    {kFoodGroupCode, "S1002"},
                                                    {kHouseholdWeights, "1 cup = 244~"}}),
            MakeFoodLine("CHEDDAR CHEESE (TILLAMOOK, GTIN 072830000000)",
                         {{kEnergy, "393"},
                          {kSodium, "643"},
                          {kVitaminD, "10"},
                          {kFoodGroupCode, "B0001"},
                          {kCommonName, "Tillamook County Creamery" + branded + "1004)"},
                          {kHouseholdWeights, "1 oz = 28~"}}),
            MakeFoodLine("Cheddar cheese (Lukasz, \"Fine\" Foods, GTIN 00012345)",
                         {{kEnergy, "100"},
                          {kVitaminD, "40"},
                          {kFoodGroupCode, "B0001"},
                          {kCommonName, "Lukasz, \"Fine\" Foods" + branded + "1006)"},
                          {kHouseholdWeights, "1 cup (240 ml) = 240 ml, counted as 240~"}}),
            MakeFoodLine("Milk, Whole (FDC 1008)", {{kEnergy, "62"}, {kFoodGroupCode, "0100"}}),
        }));
    EXPECT_EQ(database->GroupLines(),
              (std::vector<std::string>{"0100|Dairy and Egg Products", "1100|Vegetables",
                                        "B0001|Cheese (Branded)", "S1002|Milk, whole (Survey)"}));
    const FdcCounts& counts = database->Counts();
    EXPECT_EQ(counts.foods, (std::array<int, kFdcTypeCount>{2, 1, 1, 2}));
    EXPECT_EQ(counts.values, 21);
    EXPECT_EQ(counts.vitaminDFromMicrograms, 2);
    EXPECT_EQ(counts.weights, 7);
    EXPECT_EQ(counts.standIns, 1);
    EXPECT_EQ(counts.renamedFoods, 2);
    EXPECT_EQ(counts.olderVersions, 1);
    EXPECT_EQ(counts.samplingRecords, 1);
}

TEST(FdcImport, ImportsOnlyTheTypesAsked) {
    const auto database = Convert(FdcInput(), ParseFdcTypes("survey,foundation"));
    const std::vector<std::string> lines = Lines(*database);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(GetField(kFoodDescription, lines[1]), "Milk, whole (FDC 1003)");
    EXPECT_EQ(database->GroupLines().size(), 3u);
    EXPECT_THROW(ParseFdcTypes("survey,sample"), std::invalid_argument);
    EXPECT_THROW(ParseFdcTypes(""), std::invalid_argument);
}

// A description that begins another, case, accents and Branded suffixes.
TEST(FdcImport, WritesTheFoodsFileInTableOrder) {
    FdcInput input;
    Rows& foods = input.rows[test::kFoodCsv];
    for (const char* description :
         {"Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
          "e",
          "BEANS, \"GREEN\", RAW", "Beans", "creme, sour", "Beans, \"green\""}) {
        foods.push_back({std::to_string(2000 + foods.size()), "foundation_food", description, "2",
                         "2021-04-01"});
    }
    TempDir folder;
    input.WriteTo(folder.Path());
    const auto database = ImportFdc(folder.Path(), folder.Path() + "Dados", kAllFdcTypes);
    const std::vector<std::string> lines = Lines(*database);
    EXPECT_EQ(test::TableOrderFault(folder.Path() + "Dados/ArqIng.dad", lines), "");
    EXPECT_EQ(GetField(kFoodDescription, lines[0]), "Butter, salted");  // food.csv order kept
}

// FoodData Central's id of each nutrient the report shows.
TEST(FdcImport, EveryNutrientIdFillsItsOwnField) {
    const std::pair<const char*, int> kIds[] = {
        {"1051", kWater},          {"1008", kEnergy},       {"1003", kProtein},
        {"1004", kTotalLipid},     {"1007", kAsh},          {"1005", kCarbohydrate},
        {"1079", kFiber},          {"1087", kCalcium},      {"1089", kIron},
        {"1090", kMagnesium},      {"1091", kPhosphorus},   {"1092", kPotassium},
        {"1093", kSodium},         {"1095", kZinc},         {"1098", kCopper},
        {"1101", kManganese},      {"1162", kAscorbicAcid}, {"1165", kThiamin},
        {"1166", kRiboflavin},     {"1167", kNiacin},       {"1170", kPantothenicAcid},
        {"1175", kVitaminB6},      {"1177", kFolateTotal},  {"1186", kFolicAcid},
        {"1187", kFoodFolate},     {"1190", kFolateDfe},    {"1178", kVitaminB12},
        {"1104", kVitaminAIu},     {"1156", kVitaminARe},   {"1158", kVitaminE},
        {"1110", kVitaminD},       {"1258", kSaturated},    {"1292", kMonounsaturated},
        {"1293", kPolyunsaturated}};
    FdcInput input;
    Rows& values = input.rows[test::kFoodNutrientCsv];
    values.clear();
    for (const auto& [id, field] : kIds) values.push_back(Value("1001", id, std::to_string(field)));
    const std::string line = Lines(*Convert(input))[0];
    for (const auto& [id, field] : kIds) {
        EXPECT_EQ(std::stoi(GetField(field, line)), field) << id;
    }
}

// ---- Bad input ----------------------------------------------------------------

struct BadInput {
    const char* name;
    std::function<void(FdcInput&)> spoil;
    std::string message;  // after the folder's path
};

const BadInput kBadInputs[] = {
    {"unterminated quote",
     [](FdcInput& in) { in.raw[test::kFoodPortionCsv] = "\"5\",\"1001\",\"3\",\"1\n"; },
     "food_portion.csv:7: column 4 \"amount\": a quote that is never closed"},
    {"unreadable amount",
     [](FdcInput& in) { in.rows[test::kFoodNutrientCsv][2] = Value("1001", "1103", "1,5"); },
     "food_nutrient.csv:4: column 4 \"amount\": unreadable number \"1,5\""},
    {"fdc_id not digits", [](FdcInput& in) { in.rows[test::kFoodCsv][1][0] = "10|2"; },
     "food.csv:3: column 1 \"fdc_id\": \"10|2\" is not a string of digits"},
    {"nutrient_id not digits",
     [](FdcInput& in) { in.rows[test::kFoodNutrientCsv][0][2] = "1051.0"; },
     "food_nutrient.csv:2: column 3 \"nutrient_id\": \"1051.0\" is not a string of digits"},
    {"id not digits", [](FdcInput& in) { in.rows[test::kFoodNutrientCsv][1][0] = "x"; },
     "food_nutrient.csv:3: column 1 \"id\": \"x\" is not a string of digits"},
    {"food_category_id not digits", [](FdcInput& in) { in.rows[test::kFoodCsv][0][3] = "Dairy"; },
     "food.csv:2: column 4 \"food_category_id\": \"Dairy\" is not a string of digits"},
    {"unknown food category", [](FdcInput& in) { in.rows[test::kFoodCsv][1][3] = "7"; },
     "food.csv:3: column 4 \"food_category_id\": food category 7 is not in food_category.csv"},
    {"value for an unknown food",
     [](FdcInput& in) { in.rows[test::kFoodNutrientCsv].push_back(Value("999", "1008", "1")); },
     "food_nutrient.csv:31: column 2 \"fdc_id\": nutrient value for food 999, which is not in "
     "food.csv"},
    {"second value",
     [](FdcInput& in) { in.rows[test::kFoodNutrientCsv].push_back(Value("1004", "1008", "1")); },
     "food_nutrient.csv:31: column 3 \"nutrient_id\": second value of nutrient 1008 for food 1004"},
    {"unreadable date", [](FdcInput& in) { in.rows[test::kFoodCsv][2][4] = "2020-13-01"; },
     "food.csv:4: column 5 \"publication_date\": unreadable date \"2020-13-01\""},
    {"unknown WWEIA category", [](FdcInput& in) { in.rows[test::kSurveyFoodCsv][0][2] = "9"; },
     "survey_fndds_food.csv:2: column 3 \"wweia_category_code\": WWEIA category 9 is not in "
     "wweia_food_category.csv"},
    {"repeated fdc_id", [](FdcInput& in) { in.rows[test::kFoodCsv][7][0] = "1001"; },
     "food.csv: fdc_id 1001 is given to more than one food"},
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class FdcImportBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(FdcImportBadInput, NamesFileLineAndColumnAndWritesNothing) {
    TempDir folder;
    FdcInput input;
    GetParam().spoil(input);
    input.WriteTo(folder.Path());
    WriteFile(folder.Path() + "Dados/ArqIng.dad", "old foods");
    try {
        ImportFdc(folder.Path(), folder.Path() + "Dados", kAllFdcTypes);
        FAIL() << "no error";
    } catch (const ImportError& error) {
        EXPECT_EQ(error.what(), folder.Path() + GetParam().message);
    }
    EXPECT_EQ(ReadFile(folder.Path() + "Dados/ArqIng.dad"), "old foods");
}

INSTANTIATE_TEST_SUITE_P(Cases, FdcImportBadInput, testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return test::CaseName(info.param.name); });

// Files that are missing, and files that lack a column, whole.
TEST(FdcImport, NamesAMissingFileOrColumn) {
    const std::pair<std::string, std::string> kCases[] = {
        {"food_nutrient.csv", "food_nutrient.csv: cannot open the file"},
        {"food_category.csv", "food_category.csv: cannot open the file"},
        {"branded_food.csv", "branded_food.csv: cannot open the file"},
        {"measure_unit.csv", "measure_unit.csv: cannot open the file"},
    };
    for (const auto& [file, message] : kCases) {
        TempDir folder;
        FdcInput().WriteTo(folder.Path());
        std::filesystem::remove(folder.Path() + file);
        try {
            ConvertFdc(folder.Path(), kAllFdcTypes);
            ADD_FAILURE() << file;
        } catch (const ImportError& error) {
            EXPECT_EQ(error.what(), folder.Path() + message);
        }
    }
    TempDir folder;
    FdcInput().WriteTo(folder.Path());
    std::filesystem::remove(folder.Path() + "food_attribute.csv");
    ASSERT_EQ(mkfifo((folder.Path() + "food_attribute.csv").c_str(), 0600), 0);
    EXPECT_THROW(ConvertFdc(folder.Path(), kAllFdcTypes), ImportError);  // not waited on
    std::filesystem::remove(folder.Path() + "food_attribute.csv");
    WriteFile(folder.Path() + "branded_food.csv", "\"fdc_id\",\"brand_owner\"\n");
    EXPECT_THROW(
        try { ConvertFdc(folder.Path(), kAllFdcTypes); } catch (const ImportError& error) {
            EXPECT_EQ(error.what(), folder.Path() + "branded_food.csv:1: no column \"gtin_upc\"");
            throw;
        },
        ImportError);
}

// ---- The tool -----------------------------------------------------------------

TEST(ImportFdcTool, SummaryUsageAndExitStatuses) {
    TempDir folder;
    FdcInput().WriteTo(folder.Path());
    const std::string dirs = "'" + folder.Path() + "' '" + folder.Path() + "Dados'";
    const struct {
        std::string arguments;
        int status;
        std::string out;  // the start of standard output
        std::string err;  // the start of standard error
    } kRuns[] = {
        {dirs, 0,
         "quorvex-import-fdc: 6 foods (2 Foundation, 1 SR Legacy, 1 Survey, 2 Branded), 4 groups",
         ""},
        {"--types branded " + dirs, 0, "quorvex-import-fdc: 2 foods (0 Foundation", ""},
        {"--help", 0, "usage: quorvex-import-fdc [--types", ""},
        {"--types sample " + dirs, 2, "",
         "quorvex-import-fdc: --types: unknown data type \"sample\"\nusage:"},
        {"'" + folder.Path() + "nowhere' x", 2, "",
         "quorvex-import-fdc: " + folder.Path() + "nowhere/food.csv: cannot open"},
        {"'" + folder.Path() + "' '" + folder.Path() + "food.csv/Dados'", 1, "",
         "quorvex-import-fdc: "},
    };
    for (const auto& run : kRuns) {
        const test::ToolRun result = test::RunTool(IMPORT_FDC_PATH, run.arguments, folder);
        EXPECT_EQ(result.status, run.status) << run.arguments << result.err;
        EXPECT_EQ(result.out.substr(0, run.out.size()), run.out) << run.arguments;
        EXPECT_EQ(result.err.substr(0, run.err.size()), run.err) << run.arguments;
    }
    std::unique_ptr<LoadedTable> foods, keys;
    test::NoProgress progress;
    LoadFoodTable(folder.Path() + "Dados/ArqIng.dad", foods, keys, progress);
    EXPECT_EQ(foods->Count(), 2);
}

TEST(ImportFdcTool, ExitsThreeWithoutMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer cannot run in a small address space";
#endif
    TempDir folder;
    FdcInput().WriteTo(folder.Path());
    const test::ToolRun run = test::RunTool("/bin/sh",
                                            "-c 'ulimit -v 20000; exec " IMPORT_FDC_PATH " " +
                                                folder.Path() + " " + folder.Path() + "Dados'",
                                            folder);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "quorvex-import-fdc: not enough memory to convert the files in " +
                           folder.Path() + "\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "Dados"));
}

// Foods whose texts need more than the room left stop the import with its
// message, whether an address-space limit or a control group's (whose
// kernel would kill it instead of failing an allocation) sets the room;
// a file read through that is larger than the room does not.
TEST(FdcImport, StopsBeforeItsTablesOutgrowTheMemoryLeft) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer cannot run in a small address space";
#endif
    for (const bool longTexts : {true, false}) {
        TempDir folder;
        {
            test::FdcDownloadWriter writer(folder.Path());
            const std::string text(4000, 'a');
            writer.Add(test::kFoodCsv, {"1", "sr_legacy_food", "Salt", "", ""});
            for (int id = 2; id <= 30000; ++id) {
                const std::string key = std::to_string(id);
                if (longTexts)
                    writer.Add(test::kFoodCsv, {key, "sr_legacy_food", text + key, "", ""});
                if (!longTexts)
                    writer.Add(test::kFoodAttributeCsv, {key, "1", "1", "1001", "", text});
            }
        }
        const auto convert = [&] {
            const std::string failure =
                test::FailureOf([&] { ConvertFdc(folder.Path(), kAllFdcTypes); });
            return failure ==
                   (longTexts ? "not enough memory to convert the files in " + folder.Path() : "");
        };
        for (const int resource : {int{RLIMIT_AS}, test::kControlGroup}) {
            // Out of the cache, so that the group that reads it holds its pages.
            const int attributes = open((folder.Path() + "food_attribute.csv").c_str(), O_RDONLY);
            fdatasync(attributes);
            posix_fadvise(attributes, 0, 0, POSIX_FADV_DONTNEED);
            close(attributes);
            const int status = test::ExitStatusWithRoom(resource, 96 << 20, convert);
            if (status == -2) std::cout << "no control group of its own: not run as root\n";
            EXPECT_EQ(status, status == -2 ? -2 : 1) << resource << longTexts;
        }
    }
}

// ---- The SR28 foods through FoodData Central's layout ---------------------------------

// Field 1 without the suffix that tells equal descriptions apart.
std::string WithoutSuffix(std::string description, const char* prefix) {
    const std::size_t suffix = description.rfind(prefix);
    if (suffix != std::string::npos) description.erase(suffix);
    return description;
}

TEST(FdcImport, Sr28AsSrLegacyGivesTheLinesOfTheSr28Import) {
    const std::vector<std::string> expected = test::Sr28FoodLines();
    if (expected.empty()) GTEST_SKIP() << "USDA SR28 files not found at " << test::Sr28Directory();
    TempDir folder;
    {
        test::FdcDownloadWriter writer(folder.Path());
        ASSERT_EQ(test::AddSr28(writer, test::Sr28Directory()), 8789);
    }
    const auto database = ImportFdc(folder.Path(), folder.Path() + "Dados", kAllFdcTypes);
    const std::vector<std::string> lines = Lines(*database);
    ASSERT_EQ(lines.size(), expected.size());
    // The viewer loads every food under its own key, each in a group.
    std::unique_ptr<LoadedTable> foods, keys, groups, codes;
    test::NoProgress progress;
    LoadFoodTable(folder.Path() + "Dados/ArqIng.dad", foods, keys, progress);
    LoadGroupTable(folder.Path() + "Dados/ArqGruIng.dad", groups, codes);
    EXPECT_EQ(keys->Count(), 8789);
    EXPECT_EQ(test::TableOrderFault(folder.Path() + "Dados/ArqIng.dad", lines), "");
    EXPECT_EQ(codes->Count(), 25);
    for (const std::string& line : lines) {
        int group = -1;
        EXPECT_TRUE(codes->Find(GetField(kFoodGroupCode, line), group)) << line;
    }
    int compared = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(WithoutSuffix(GetField(1, lines[i]), " (FDC "),
                  WithoutSuffix(GetField(1, expected[i]), " (NDB "));
        for (int field = 2; field <= kFoodFieldCount; ++field) {
            if (field == kRefusePercentage || field == kRefuseDescription ||
                field == kScientificName) {
                EXPECT_EQ(GetField(field, lines[i]), "");
                continue;
            }
            ASSERT_EQ(GetField(field, lines[i]), GetField(field, expected[i]))
                << "field " << field << " of " << expected[i];
            ++compared;
        }
    }
    EXPECT_EQ(compared, 8789 * 39);
}

}  // namespace
}  // namespace quorvex
