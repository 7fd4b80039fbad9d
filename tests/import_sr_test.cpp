// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/DBUnit.h"
#include "db/Fields.h"
#include "tests/support/TestSupport.h"
#include "tools/SrImport.h"
#include "tools/StagedFolder.h"

namespace quorvex {
namespace {

using test::MakeFoodLine;
using test::ReadFile;
using test::TempDir;
using test::ToolRun;
using test::WriteFile;

// Under sudo too, the tests are root's own imports, quoting their input.
const bool kForOneself = unsetenv("SUDO_UID") == 0 && unsetenv("SUDO_GID") == 0;

// ---- Made-up input in USDA's format ---------------------------------------------

std::string Record(std::vector<std::string> fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "^" : "") + fields[i];
    return line;
}

std::string Quoted(const std::string& text) { return "~" + text + "~"; }

std::string FoodRow(const std::string& number, const std::string& group,
                    const std::string& description, const std::map<int, std::string>& more = {}) {
    std::vector<std::string> fields(14);
    fields[0] = Quoted(number);
    fields[1] = Quoted(group);
    fields[2] = Quoted(description);
    for (const auto& [i, text] : more) fields[static_cast<std::size_t>(i)] = text;
    return Record(fields);
}

std::string WeightRow(const std::string& number, const std::string& seq, const std::string& amount,
                      const std::string& measure, const std::string& grams) {
    return Record({Quoted(number), seq, amount, Quoted(measure), grams, "", ""});
}

std::string ValueRow(const std::string& number, const std::string& nutrient,
                     const std::string& value) {
    std::vector<std::string> fields(18);
    fields[0] = Quoted(number);
    fields[1] = Quoted(nutrient);
    fields[2] = value;
    fields[5] = Quoted("1");
    return Record(fields);
}

std::string NutrientRow(const std::string& number, const std::string& decimals) {
    return Record({Quoted(number), Quoted("g"), Quoted("TAG"), Quoted("Name"), Quoted(decimals),
                   Quoted("100")});
}

// A small, valid set of the five files; tests change single lines.
struct SrInput {
    std::vector<std::string> foods = {
        FoodRow("01001", "0100", "Butter, salted",
                {{4, Quoted("Common")}, {7, Quoted("Wrapper")}, {8, "25"}, {9, Quoted("Bos")}}),
        FoodRow("11001", "1100", "Beans, raw", {{8, "12.5"}}),
    };
    std::vector<std::string> groups = {Record({Quoted("0100"), Quoted("Dairy and Egg Products")}),
                                       Record({Quoted("1100"), Quoted("Vegetables")})};
    std::vector<std::string> weights = {WeightRow("01001", "2", "1", "tbsp", "14.20"),
                                        WeightRow("01001", "1", ".5", "pat", "5.0")};
    std::vector<std::string> values = {
        ValueRow("01001", "255", "15.87"),  ValueRow("01001", "208", "717"),
        ValueRow("01001", "317", "12.35"),  ValueRow("01001", "601", "215"),
        ValueRow("01001", "606", "51.368"), ValueRow("01001", "999", "4.4"),
        ValueRow("11001", "255", "1.005"),  ValueRow("11001", "208", "5"),
        ValueRow("11001", "606", "9.9996"), ValueRow("11001", "601", "1234567"),
        ValueRow("11001", "317", ".4"),     ValueRow("11001", "203", ""),
    };
    std::vector<std::string> nutrients = {NutrientRow("255", "2"), NutrientRow("208", "0"),
                                          NutrientRow("317", "1"), NutrientRow("601", "0"),
                                          NutrientRow("606", "3"), NutrientRow("203", "2"),
                                          NutrientRow("999", "1")};
    std::string lineEnd = "\r\n";

    void WriteTo(const std::string& directory) const {
        Write(directory + "FOOD_DES.txt", foods);
        Write(directory + "FD_GROUP.txt", groups);
        Write(directory + "WEIGHT.txt", weights);
        Write(directory + "NUT_DATA.txt", values);
        Write(directory + "NUTR_DEF.txt", nutrients);
    }

  private:
    void Write(const std::string& path, const std::vector<std::string>& lines) const {
        std::string bytes;
        for (const std::string& line : lines) bytes += line + lineEnd;
        WriteFile(path, bytes);
    }
};

ImportedDatabase ConvertInput(const SrInput& input) {
    TempDir sr;
    input.WriteTo(sr.Path());
    return ConvertSr(ReadSrFiles(sr.Path()));
}

// ---- Conversion ---------------------------------------------------------------

TEST(SrImport, WritesEveryFieldOfAFoodLine) {
    const ImportedDatabase database = ConvertInput(SrInput());
    ASSERT_EQ(database.foodLines.size(), 2u);
    EXPECT_EQ(database.foodLines[0],
              MakeFoodLine("Butter, salted", {{kWater, "15.87"},
                                              {kEnergy, "717"},
                                              {kSelenium, "0.0124"},
                                              {kSaturated, "51.368"},
                                              {kCholesterol, "0.215"},
                                              {kFoodGroupCode, "0100"},
                                              {kRefusePercentage, "25"},
                                              {kRefuseDescription, "Wrapper"},
                                              {kCommonName, "Common"},
                                              {kScientificName, "Bos"},
                                              {kHouseholdWeights, "0.5 pat = 5~1 tbsp = 14.2~"}}));
    EXPECT_EQ(database.counts.foods, 2);
    EXPECT_EQ(database.counts.groups, 2);
    EXPECT_EQ(database.counts.weights, 2);
    EXPECT_EQ(database.counts.replacements, 0);
}

TEST(SrImport, RoundsTheDecimalTextExactlyToUsdaPrecision) {
    const ImportedDatabase database = ConvertInput(SrInput());
    const std::string& beans = database.foodLines[1];
    EXPECT_EQ(GetField(kWater, beans), "1.01");  // the double nearest 1.005 lies below it
    EXPECT_EQ(GetField(kEnergy, beans), "5");
    EXPECT_EQ(GetField(kSaturated, beans), "10.000");  // carry through the nines
    EXPECT_EQ(GetField(kCholesterol, beans), "1234.567");
    EXPECT_EQ(GetField(kSelenium, beans), "0.0004");
    EXPECT_EQ(GetField(kProtein, beans), "");  // a row without a value
    EXPECT_EQ(GetField(kAsh, beans), "");      // no row at all
    EXPECT_EQ(GetField(kRefusePercentage, beans), "13");
    EXPECT_EQ(GetField(kHouseholdWeights, beans), "");
    EXPECT_EQ(database.counts.values, 10);
}

TEST(SrImport, AddsMissingDecimalsAndDropsNothingElse) {
    SrInput input;
    input.values = {ValueRow("01001", "255", "7"), ValueRow("01001", "606", "0.5"),
                    ValueRow("01001", "317", "0"), ValueRow("01001", "203", "1.5")};
    input.nutrients[5] = NutrientRow("203", "15");  // the most decimals accepted
    const std::string line = ConvertInput(input).foodLines[0];
    EXPECT_EQ(GetField(kWater, line), "7.00");
    EXPECT_EQ(GetField(kProtein, line), "1.500000000000000");
    EXPECT_EQ(GetField(kSaturated, line), "0.500");
    EXPECT_EQ(GetField(kSelenium, line), "0.0000");
}

TEST(SrImport, WritesWeightsInSeqOrderWithoutTrailingZeros) {
    SrInput input;
    input.weights = {WeightRow("11001", "10", "2.50", "cups", "250.00"),
                     WeightRow("11001", "9", "0.333", "cup", "100"),
                     WeightRow("11001", "1", "1", "oz", "28.35")};
    EXPECT_EQ(GetField(kHouseholdWeights, ConvertInput(input).foodLines[1]),
              "1 oz = 28.35~0.333 cup = 100~2.5 cups = 250~");
}

TEST(SrImport, ReplacesSeparatorsInTextsAndCountsThem) {
    SrInput input;
    input.foods[1] = FoodRow("11001", "1100", "Beans|raw~dry", {{4, Quoted("a|b")}, {7, "~"}});
    input.groups[1] = Record({Quoted("1100"), Quoted("Vegetables|Roots")});
    input.weights = {WeightRow("11001", "1", "1", "cup~heaped", "99")};
    const ImportedDatabase database = ConvertInput(input);
    const std::string& line = database.foodLines[1];
    EXPECT_EQ(GetField(kFoodDescription, line), "Beans/raw-dry");
    EXPECT_EQ(GetField(kCommonName, line), "a/b");
    EXPECT_EQ(GetField(kRefuseDescription, line), "-");  // a lone "~" encloses nothing
    EXPECT_EQ(GetField(kHouseholdWeights, line), "1 cup-heaped = 99~");
    EXPECT_EQ(database.groupLines[1], "1100|Vegetables/Roots");
    EXPECT_EQ(database.counts.replacements, 6);
}

TEST(SrImport, KeepsWindows1252BytesAsRead) {
    SrInput input;
    input.foods[1] = FoodRow("11001", "1100", "Caf\xE9 \x91noir\x92");
    EXPECT_EQ(GetField(kFoodDescription, ConvertInput(input).foodLines[1]), "Caf\xE9 \x91noir\x92");
}

TEST(SrImport, GivesDescriptionsEqualButForCaseTheirNdbNumber) {
    SrInput input;
    input.foods.push_back(FoodRow("01002", "0100", "BUTTER, SALTED"));
    input.foods.push_back(FoodRow("01003", "0100", "Butter, salted, light"));
    const ImportedDatabase database = ConvertInput(input);
    EXPECT_EQ(GetField(kFoodDescription, database.foodLines[0]), "Butter, salted (NDB 01001)");
    EXPECT_EQ(GetField(kFoodDescription, database.foodLines[2]), "BUTTER, SALTED (NDB 01002)");
    EXPECT_EQ(GetField(kFoodDescription, database.foodLines[3]), "Butter, salted, light");
    EXPECT_EQ(database.counts.renamedFoods, 2);
}

TEST(SrImport, AcceptsLfLineEndsAndSkipsEmptyLines) {
    SrInput input;
    input.lineEnd = "\n";
    input.foods.insert(input.foods.begin() + 1, "");
    const ImportedDatabase database = ConvertInput(input);
    EXPECT_EQ(database.foodLines.size(), 2u);
    EXPECT_EQ(GetField(kWater, database.foodLines[0]), "15.87");
}

TEST(SrImport, WritesBothFilesThatTheViewerLoads) {
    TempDir folder;
    SrInput().WriteTo(folder.Path());
    const ImportedDatabase database = ImportSr(folder.Path(), folder.Path() + "Dados");
    EXPECT_EQ(ReadFile(folder.Path() + "Dados/ArqGruIng.dad"),
              "0100|Dairy and Egg Products\r\n1100|Vegetables\r\n");

    std::unique_ptr<LoadedTable> table, index;
    test::NoProgress progress;
    LoadFoodTable(folder.Path() + "Dados/ArqIng.dad", table, index, progress);
    ASSERT_EQ(table->Count(), 2);
    EXPECT_EQ(table->Get(0), database.foodLines[1]);  // "Beans" sorts first
    EXPECT_EQ(table->Get(1), database.foodLines[0]);
    EXPECT_EQ(index->Count(), 2);
}

// A description that begins another, case, accents, and a tab, which sorts
// below the bar that ends a description.
TEST(SrImport, WritesTheFoodsFileInTableOrder) {
    TempDir folder;
    SrInput input;
    for (const char* description :
         {"Caf\xE9 au lait", "BEANS, RAW", "Beans", "cafe, black", "Beans\tdry", "Cafe"}) {
        const std::string number = std::to_string(20000 + input.foods.size());
        input.foods.push_back(FoodRow(number, "1100", description));
    }
    input.WriteTo(folder.Path());
    const ImportedDatabase database = ImportSr(folder.Path(), folder.Path() + "Dados");
    EXPECT_EQ(test::TableOrderFault(folder.Path() + "Dados/ArqIng.dad", database.foodLines), "");
    EXPECT_EQ(GetField(kFoodDescription, database.foodLines[4]), "Beans");  // source order kept
}

TEST(SrImport, ShowsProgressOnlyForLongInput) {
    test::RecordingProgress progress;
    TempDir sr;
    SrInput().WriteTo(sr.Path());
    ConvertSr(ReadSrFiles(sr.Path()), &progress);
    EXPECT_TRUE(progress.events.empty());

    SrInput input;
    for (int i = 20000; i < 32000; ++i) {
        const std::string number = std::to_string(i);
        input.foods.push_back(FoodRow(number, "1100", "Food " + number));
        input.values.push_back(ValueRow(number, "255", "1.5"));
        input.weights.push_back(WeightRow(number, "1", "1", "cup", "240"));
    }
    input.WriteTo(sr.Path());
    ConvertSr(ReadSrFiles(sr.Path()), &progress);
    EXPECT_EQ(progress.events, (std::vector<std::string>{"show 100", "close"}));
    ASSERT_GT(progress.positions.size(), 50u);
    EXPECT_EQ(progress.positions.front(), 0);
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
}

// USDA's number of each nutrient the report shows, and its field.
TEST(SrImport, EveryNutrientNumberFillsItsOwnField) {
    const std::pair<const char*, int> kNumbers[] = {
        {"255", kWater},          {"208", kEnergy},       {"203", kProtein},
        {"204", kTotalLipid},     {"207", kAsh},          {"205", kCarbohydrate},
        {"291", kFiber},          {"301", kCalcium},      {"303", kIron},
        {"304", kMagnesium},      {"305", kPhosphorus},   {"306", kPotassium},
        {"307", kSodium},         {"309", kZinc},         {"312", kCopper},
        {"315", kManganese},      {"401", kAscorbicAcid}, {"404", kThiamin},
        {"405", kRiboflavin},     {"406", kNiacin},       {"410", kPantothenicAcid},
        {"415", kVitaminB6},      {"417", kFolateTotal},  {"431", kFolicAcid},
        {"432", kFoodFolate},     {"435", kFolateDfe},    {"418", kVitaminB12},
        {"318", kVitaminAIu},     {"392", kVitaminARe},   {"394", kVitaminE},
        {"324", kVitaminD},       {"606", kSaturated},    {"645", kMonounsaturated},
        {"646", kPolyunsaturated}};
    SrInput input;
    input.values.clear();
    input.nutrients.clear();
    for (const auto& [number, field] : kNumbers) {
        input.values.push_back(ValueRow("01001", number, std::to_string(field)));
        input.nutrients.push_back(NutrientRow(number, "0"));
    }
    const std::string line = ConvertInput(input).foodLines[0];
    for (const auto& [number, field] : kNumbers) {
        EXPECT_EQ(GetField(field, line), std::to_string(field)) << number;
    }
    EXPECT_EQ(std::size(kNumbers) + 2,
              static_cast<std::size_t>(kLastNutrientField - kFirstNutrientField + 1));
}

// "~~" is an empty text; numbers may carry a sign, and a value that rounds
// to zero loses its minus.
TEST(SrImport, EmptyTextsAndSignedNumbers) {
    SrInput input;
    input.foods[0] =
        FoodRow("01001", "0100", "Butter", {{4, "~~"}, {7, "~~"}, {8, "+12.5"}, {9, "~~"}});
    input.values = {ValueRow("01001", "255", "-1.005"), ValueRow("01001", "208", "+7"),
                    ValueRow("01001", "317", "-0.00004"), ValueRow("01001", "606", "-.5")};
    const std::string line = ConvertInput(input).foodLines[0];
    EXPECT_EQ(line, MakeFoodLine("Butter", {{kWater, "-1.01"},
                                            {kEnergy, "7"},
                                            {kSelenium, "0.0000"},
                                            {kSaturated, "-0.500"},
                                            {kFoodGroupCode, "0100"},
                                            {kRefusePercentage, "13"},
                                            {kHouseholdWeights, "0.5 pat = 5~1 tbsp = 14.2~"}}));
}

// ---- Bad input --------------------------------------------------------------------

struct BadInput {
    const char* name;
    std::function<void(SrInput&)> spoil;
    std::string where;  // "FILE:line"
    std::string what;
};

const BadInput kBadInputs[] = {
    {"wrong field count", [](SrInput& in) { in.foods[1] += "^"; }, "FOOD_DES.txt:2",
     "expected 14 fields, found 15"},
    {"short value record", [](SrInput& in) { in.values[3] = "~01001~^~601~^215"; },
     "NUT_DATA.txt:4", "expected 18 fields, found 3"},
    {"unreadable value", [](SrInput& in) { in.values[2] = ValueRow("01001", "317", "1.2.3"); },
     "NUT_DATA.txt:3", "unreadable number \"1.2.3\" in Nutr_Val"},
    {"unreadable grams",
     [](SrInput& in) { in.weights[1] = WeightRow("01001", "1", "1", "x", "5,0"); }, "WEIGHT.txt:2",
     "unreadable number \"5,0\" in Gm_Wgt"},
    {"unreadable decimals", [](SrInput& in) { in.nutrients[0] = NutrientRow("255", "two"); },
     "NUTR_DEF.txt:1", "unreadable number \"two\" in Num_Dec"},
    {"too many decimals", [](SrInput& in) { in.nutrients[1] = NutrientRow("208", "16"); },
     "NUTR_DEF.txt:2", "Num_Dec 16 is more than 15"},
    {"unreadable refuse",
     [](SrInput& in) {
         in.foods[0] = FoodRow("01001", "0100", "B", {{8, "1e2"}});
     },
     "FOOD_DES.txt:1", "unreadable number \"1e2\" in Refuse"},
    {"value for unknown food",
     [](SrInput& in) { in.values.push_back(ValueRow("99999", "255", "1")); }, "NUT_DATA.txt:13",
     "nutrient value for food 99999, which is not in"},
    {"weight for unknown food",
     [](SrInput& in) {
         in.weights.insert(in.weights.begin(), WeightRow("01010", "1", "1", "c", "9"));
     },
     "WEIGHT.txt:1", "household weight for food 01010, which is not in"},
    {"unknown group", [](SrInput& in) { in.foods[1] = FoodRow("11001", "2000", "Beans"); },
     "FOOD_DES.txt:2", "food group \"2000\" is not in"},
    {"repeated food", [](SrInput& in) { in.foods.push_back(FoodRow("01001", "0100", "Other")); },
     "FOOD_DES.txt:3", "food 01001 is already defined"},
    {"repeated group code",
     [](SrInput& in) {
         in.groups.push_back(Record({"~1100~", "~Again~"}));
     },
     "FD_GROUP.txt:3", "group code \"1100\" is already used"},
    {"repeated value", [](SrInput& in) { in.values.push_back(ValueRow("11001", "208", "6")); },
     "NUT_DATA.txt:13", "second value of nutrient 208 for food 11001"},
    {"undefined nutrient", [](SrInput& in) { in.nutrients.erase(in.nutrients.begin() + 2); },
     "NUT_DATA.txt:3", "nutrient 317 is not in"},
    {"NUL in a text",
     [](SrInput& in) { in.foods[1] = FoodRow("11001", "1100", std::string("Be\0an", 5)); },
     "FOOD_DES.txt:2", "a NUL byte in a text"},
    {"NDB_No that a description cannot carry",
     [](SrInput& in) { in.foods[1] = FoodRow("11|01", "1100", "Butter, salted"); },
     "FOOD_DES.txt:2", "NDB_No \"11|01\""},
    {"description equal to a renamed one",
     [](SrInput& in) {
         in.foods.push_back(FoodRow("01002", "0100", "butter, salted"));
         in.foods.push_back(FoodRow("01003", "0100", "Butter, Salted (NDB 01002)"));
     },
     "FOOD_DES.txt:", "is the same as another food's, even with its NDB_No added"},
    {"NUL in NDB_No",
     [](SrInput& in) { in.foods[1] = FoodRow(std::string("110\0001", 5), "1100", "Beans"); },
     "FOOD_DES.txt:2", "NDB_No \"110\\x001\" is not a string of digits"},
    {"bar in NDB_No", [](SrInput& in) { in.foods[0] = FoodRow("01|01", "0100", "Butter"); },
     "FOOD_DES.txt:1", "NDB_No \"01|01\" is not a string of digits"},
    {"bar in a weight's NDB_No",
     [](SrInput& in) { in.weights[1] = WeightRow("01|01", "1", "1", "x", "5"); }, "WEIGHT.txt:2",
     "NDB_No \"01|01\" is not a string of digits"},
    {"empty group code",
     [](SrInput& in) {
         in.groups[0] = Record({"~~", "~Dairy~"});
     },
     "FD_GROUP.txt:1", "FdGrp_Cd \"\" is not a string of digits"},
    {"control byte in a group code",
     [](SrInput& in) {
         in.foods[1] = FoodRow("11001",
                               "11\x1B"
                               "00",
                               "Beans");
     },
     "FOOD_DES.txt:2", "FdGrp_Cd \"11\\x1B00\" is not a string of digits"},
    {"signed nutrient number", [](SrInput& in) { in.values[0] = ValueRow("01001", "+255", "1"); },
     "NUT_DATA.txt:1", "unreadable number \"+255\" in Nutr_No"},
    {"byte-order mark", [](SrInput& in) { in.foods[0] = "\xEF\xBB\xBF" + in.foods[0]; },
     "FOOD_DES.txt:1", "a UTF-8 byte-order mark"},
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class SrImportBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(SrImportBadInput, NamesFileAndLineAndLeavesTheOldDatabase) {
    TempDir folder;
    SrInput input;
    GetParam().spoil(input);
    input.WriteTo(folder.Path());
    WriteFile(folder.Path() + "Dados/ArqIng.dad", "old foods");
    WriteFile(folder.Path() + "Dados/ArqGruIng.dad", "old groups");
    try {
        ImportSr(folder.Path(), folder.Path() + "Dados");
        FAIL() << "no error";
    } catch (const ImportError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(folder.Path() + GetParam().where), std::string::npos) << message;
        EXPECT_NE(message.find(GetParam().what), std::string::npos) << message;
    }
    EXPECT_EQ(ReadFile(folder.Path() + "Dados/ArqIng.dad"), "old foods");
    EXPECT_EQ(ReadFile(folder.Path() + "Dados/ArqGruIng.dad"), "old groups");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() + "Dados"),
                            std::filesystem::directory_iterator()),
              2);
}

INSTANTIATE_TEST_SUITE_P(Cases, SrImportBadInput, testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return test::CaseName(info.param.name); });

TEST(SrImport, NamesAMissingFile) {
    TempDir folder;
    SrInput().WriteTo(folder.Path());
    std::filesystem::remove(folder.Path() + "WEIGHT.txt");
    try {
        ReadSrFiles(folder.Path());
        FAIL() << "no error";
    } catch (const ImportError& error) {
        EXPECT_EQ(std::string(error.what()), folder.Path() + "WEIGHT.txt: cannot open the file");
    }
}

// ---- Replacing the pair -------------------------------------------------------------

// One food and many groups, so that the groups file is written second and
// is the larger one.
ImportedDatabase TwoSizedDatabase() {
    ImportedDatabase database;
    database.foodLines = {MakeFoodLine("New food")};
    for (int i = 0; i < 500; ++i) database.groupLines.push_back(std::to_string(1000 + i) + "|New");
    return database;
}

std::tuple<uid_t, gid_t, mode_t> OwnerGroupMode(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return {info.st_uid, info.st_gid, info.st_mode & 07777};
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A write cut short in the foods file or in the groups file, by a kill (the
// signal of a file size limit) or by a failure (the same limit with the
// signal ignored): the old pair stays, and the next import cleans up and
// writes the new pair.
TEST(SrImport, KillOrFailureAtAnyPointLeavesTheOldPair) {
    const ImportedDatabase database = TwoSizedDatabase();
    const rlim_t foodsSize = FoodsFileBytes(database).size();
    for (const rlim_t limit : {foodsSize / 2, foodsSize + 100}) {
        for (const bool killed : {true, false}) {
            TempDir folder;
            const std::string dados = folder.Path() + "Dados/";
            WriteFile(dados + "ArqIng.dad", "old foods");
            WriteFile(dados + "ArqGruIng.dad", "old groups");
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
                const rlimit small{limit, limit};
                setrlimit(RLIMIT_FSIZE, &small);
                try {
                    WriteImportedDatabase(dados, database);
                } catch (const std::runtime_error& error) {
                    // The folder given, the file and the system's reason.
                    const std::string name = limit < foodsSize ? "ArqIng.dad" : "ArqGruIng.dad";
                    _exit(std::string(error.what()) == "Unable to write to " + dados +
                                                           ": cannot write " + name +
                                                           ": File too large"
                              ? 1
                              : 2);
                }
                _exit(0);
            }
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            const std::string where = std::to_string(limit) + (killed ? " killed" : " failed");
            EXPECT_EQ(killed ? WIFSIGNALED(status) : WEXITSTATUS(status) == 1, true) << where;
            EXPECT_EQ(ReadFile(dados + "ArqIng.dad"), "old foods") << where;
            EXPECT_EQ(ReadFile(dados + "ArqGruIng.dad"), "old groups") << where;
            EXPECT_EQ(Entries(folder.Path()).size(), killed ? 2u : 1u) << where;

            WriteImportedDatabase(dados, database);
            EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"Dados"}) << where;
            EXPECT_EQ(ReadFile(dados + "ArqGruIng.dad"), GroupsFileBytes(database)) << where;
        }
    }
}

// Root importing into a user's folder keeps owners, groups, modes, ACLs
// and other entries (a link to a folder among them); a new file gets the
// folder's owner and group and 0644 less the umask.
TEST(SrImport, KeepsOwnersGroupsModesAclsAndOtherEntries) {
    TempDir folder;
    const test::SecondUser user;
    const std::string real = folder.Path() + "real/";
    WriteFile(real + "ArqIng.dad", "old foods");
    WriteFile(real + "notes.txt", "mine");
    std::filesystem::create_directory(folder.Path() + "elsewhere");
    std::filesystem::create_directory_symlink(folder.Path() + "elsewhere", real + "linked");
    chmod((real + "ArqIng.dad").c_str(), 0640);
    chmod(real.c_str(), 0750);
    const std::string acl =
        test::GiveAclLettingRead(real + "ArqIng.dad", 0640, user.Made() ? user.uid : geteuid());
    if (user.Made()) {
        ASSERT_EQ(chown(real.c_str(), user.uid, user.gid), 0);
        ASSERT_EQ(chown((real + "ArqIng.dad").c_str(), 0, user.gid), 0);
    }
    std::filesystem::create_symlink(real, folder.Path() + "Dados");
    const mode_t saved = umask(077);
    WriteImportedDatabase(folder.Path() + "Dados", TwoSizedDatabase());
    umask(saved);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() + "Dados"));
    EXPECT_TRUE(std::filesystem::is_symlink(real + "linked"));
    EXPECT_EQ(ReadFile(real + "notes.txt"), "mine");
    EXPECT_EQ(ReadFile(real + "ArqIng.dad"), FoodsFileBytes(TwoSizedDatabase()));
    EXPECT_EQ(Entries(folder.Path()), (std::vector<std::string>{"Dados", "elsewhere", "real"}));
    const uid_t owner = user.Made() ? user.uid : geteuid(), root = user.Made() ? 0 : owner;
    const gid_t group = user.Made() ? user.gid : getegid();
    EXPECT_EQ(OwnerGroupMode(real), std::make_tuple(owner, group, 0750u));
    EXPECT_EQ(OwnerGroupMode(real + "ArqIng.dad"), std::make_tuple(root, group, 0640u));
    EXPECT_EQ(OwnerGroupMode(real + "ArqGruIng.dad"), std::make_tuple(owner, group, 0600u));
    EXPECT_EQ(test::AclOf(real + "ArqIng.dad"), acl);
}

// What stands in the folder -> the refusal, with nothing changed.
TEST(SrImport, RefusesWhatIsNotAFileInAFilesPlace) {
    const std::pair<std::function<void(const std::string&)>, std::string> kPlaces[] = {
        {[](const std::string& dados) { WriteFile(dados + "keep/file", "x"); },
         "it holds the folder keep"},
        {[](const std::string& dados) { WriteFile(dados + "ArqGruIng.dad/file", "x"); },
         "ArqGruIng.dad is a folder, not a file"},
        {[](const std::string& dados) { mkfifo((dados + "ArqGruIng.dad").c_str(), 0644); },
         "ArqGruIng.dad is a FIFO, not a file"},
        {[](const std::string& dados) { symlink("/etc/passwd", (dados + "ArqIng.dad").c_str()); },
         "ArqIng.dad is a symbolic link, not a file"},
        {[](const std::string& dados) {  // only root makes one
             mknod((dados + "ArqGruIng.dad").c_str(), S_IFCHR | 0644, makedev(1, 3));
         },
         "ArqGruIng.dad is a device, not a file"}};
    for (const auto& [plant, refusal] : kPlaces) {
        if (refusal.find("device") != std::string::npos && geteuid() != 0) continue;
        TempDir folder;
        const std::string dados = folder.Path() + "Dados/";
        WriteFile(dados + "notes.txt", "mine");
        plant(dados);
        const std::vector<std::string> before = Entries(dados);
        EXPECT_EQ(test::FailureOf([&dados] { WriteImportedDatabase(dados, TwoSizedDatabase()); }),
                  "Unable to write to " + dados + ": " + refusal);
        EXPECT_EQ(Entries(dados), before) << refusal;
        EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"Dados"}) << refusal;
    }
}

// Between any two steps the staged sibling is put aside and a link to a
// folder of root's takes its name: that folder is neither changed nor
// filled, and the output folder holds the old pair or the new one.
TEST(SrImport, ALinkSwappedInForTheSiblingIsNeverFollowed) {
    int steps = 0;
    StagedFolder::betweenSteps = [&steps](const std::string& staged) { steps += !staged.empty(); };
    {
        TempDir counted;
        WriteFile(counted.Path() + "Dados/ArqIng.dad", "old foods");
        WriteImportedDatabase(counted.Path() + "Dados", TwoSizedDatabase());
    }
    for (int swapAt = 0; swapAt < steps; ++swapAt) {
        SCOPED_TRACE(swapAt);
        TempDir folder;
        const std::string dados = folder.Path() + "Dados/", victim = folder.Path() + "victim/";
        WriteFile(dados + "ArqIng.dad", "old foods");
        WriteFile(dados + "notes.txt", "theirs");
        WriteFile(victim + "profile.sh", "root's");
        chmod(victim.c_str(), 0700);
        if (geteuid() == 0) {  // the folder's owner is given to the sibling
            for (const char* name : {"", "ArqIng.dad", "notes.txt"}) {
                ASSERT_EQ(chown((dados + name).c_str(), 65534, 65534), 0);
            }
        }
        int step = 0;
        StagedFolder::betweenSteps = [&](const std::string& staged) {
            if (staged.empty() || step++ != swapAt) return;
            ASSERT_EQ(rename(staged.c_str(), (staged + "-aside").c_str()), 0);
            ASSERT_EQ(symlink(victim.c_str(), staged.c_str()), 0);
        };
        const bool written =
            test::FailureOf([&dados] { WriteImportedDatabase(dados, TwoSizedDatabase()); }).empty();
        EXPECT_EQ(Entries(victim), std::vector<std::string>{"profile.sh"});
        struct stat info {};
        ASSERT_EQ(stat(victim.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u);
        EXPECT_EQ(info.st_uid, geteuid());
        EXPECT_EQ(ReadFile(dados + "ArqIng.dad"),
                  written ? FoodsFileBytes(TwoSizedDatabase()) : "old foods");
        EXPECT_EQ(ReadFile(dados + "notes.txt"), "theirs");
    }
    StagedFolder::betweenSteps = nullptr;
    EXPECT_GE(steps, 6);
}

// What another user may change or own around the output folder -> the
// refusal, or "" where the pair is written.
TEST(SrImport, RefusesWhatAnotherUserMayChangeOrPlant) {
    const test::SecondUser user;
    if (!user.Made()) GTEST_SKIP() << test::SecondUser::kWhyNot;
    enum Out { kNone, kMine, kTheirs, kTheirLink, kMyLink, kBelowTheirLink };
    const std::string changeable = "other users may change the folder ";
    // Parent's mode, whether it is theirs, what stands as the folder.
    const std::tuple<mode_t, bool, Out, std::string> kPlacements[] = {
        {0755, false, kNone, ""},
        {0777, false, kMine, changeable},
        {0775, false, kMine, changeable},  // their group may write it
        {01777, false, kMine, ""},
        {01777, false, kTheirLink, "it is a symbolic link of another user"},
        {01777, false, kMyLink, ""},
        {0755, true, kTheirs, ""},
        {0755, true, kNone, changeable},
        {01777, false, kBelowTheirLink, "cannot open the folder "}};
    for (const auto& [mode, theirParent, out, refusal] : kPlacements) {
        SCOPED_TRACE(std::to_string(mode) + (theirParent ? " theirs " : " mine ") + refusal);
        TempDir folder;
        const std::string parent = folder.Path() + "parent";
        const std::string dados = parent + (out == kBelowTheirLink ? "/via/Dados" : "/Dados");
        const std::string target = folder.Path() + "target/Dados/";
        WriteFile(target + "ArqIng.dad", "old foods");
        std::filesystem::create_directory(parent);
        ASSERT_EQ(chmod(parent.c_str(), mode), 0);
        ASSERT_EQ(chown(parent.c_str(), theirParent ? user.uid : 0, user.gid), 0);
        if (out == kMine || out == kTheirs) std::filesystem::create_directory(dados);
        if (out == kTheirLink || out == kMyLink) std::filesystem::create_symlink(target, dados);
        const uid_t owner = out == kMine || out == kMyLink ? 0 : user.uid;
        const std::string planted = out == kBelowTheirLink ? parent + "/via" : dados;
        if (out == kBelowTheirLink)
            std::filesystem::create_symlink(folder.Path() + "target", planted);
        EXPECT_TRUE(out == kNone || lchown(planted.c_str(), owner, user.gid) == 0);
        const std::string failure =
            test::FailureOf([&dados] { WriteImportedDatabase(dados, TwoSizedDatabase()); });
        const std::string expected = refusal.empty() ? "" : "Unable to write to " + dados + ": ";
        EXPECT_EQ(failure.substr(0, expected.size() + refusal.size()), expected + refusal);
        EXPECT_EQ(failure.empty(), refusal.empty()) << failure;
        EXPECT_EQ(ReadFile(target + "ArqIng.dad"),
                  out == kMyLink ? FoodsFileBytes(TwoSizedDatabase()) : "old foods");
    }
}

// Each run waits for the other's lock instead of taking its sibling away.
TEST(SrImport, ImportsIntoOneFolderAtOnceAllSucceed) {
    TempDir folder;
    const std::string dados = folder.Path() + "Dados";
    for (int round = 0; round < 20; ++round) {
        pid_t children[3];
        for (pid_t& child : children) {
            child = fork();
            ASSERT_GE(child, 0);
            if (child != 0) continue;
            const auto write = [&dados] { WriteImportedDatabase(dados, TwoSizedDatabase()); };
            _exit(test::FailureOf(write).empty() ? 0 : 1);
        }
        for (const pid_t child : children) {
            int status = -1;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << round;
        }
    }
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::string>{"Dados"});
    EXPECT_EQ(Entries(dados), (std::vector<std::string>{"ArqGruIng.dad", "ArqIng.dad"}));
}

// Root under sudo reads what the user may not: a bad record of such a file
// is named but not quoted. Readable by the user -> quoted.
TEST(SrImport, QuotesOnlyWhatTheInvokingUserMayRead) {
    const test::SecondUser user;
    if (!user.Made()) GTEST_SKIP() << test::SecondUser::kWhyNot;
    for (const bool readable : {true, false}) {
        TempDir folder, secret;
        chmod(folder.Path().c_str(), 0755);
        SrInput input;
        input.groups[0] = Record({Quoted("TOPSECRET"), Quoted("Dairy")});
        input.WriteTo(folder.Path());
        if (!readable) {
            const std::string groups = folder.Path() + "FD_GROUP.txt";
            std::filesystem::rename(groups, secret.Path() + "FD_GROUP.txt");
            std::filesystem::create_symlink(secret.Path() + "FD_GROUP.txt", groups);
        }
        setenv("SUDO_UID", std::to_string(user.uid).c_str(), 1);
        setenv("SUDO_GID", std::to_string(user.gid).c_str(), 1);
        const std::string failure =
            test::FailureOf([&folder] { ImportSr(folder.Path(), folder.Path() + "Dados"); });
        EXPECT_EQ(failure.find("TOPSECRET") != std::string::npos, readable) << failure;
        EXPECT_EQ(failure.rfind(folder.Path() + "FD_GROUP.txt:1: ", 0), 0u) << failure;
        unsetenv("SUDO_UID");
        unsetenv("SUDO_GID");
    }
}

// Each file fits in half of what may be used, all five together do not.
TEST(SrImport, RefusesFilesThatTogetherDoNotFitInMemory) {
    TempDir folder;
    SrInput().WriteTo(folder.Path());
    for (const char* name : {"FOOD_DES.txt", "WEIGHT.txt", "NUT_DATA.txt"}) {
        truncate((folder.Path() + name).c_str(), name[0] == 'N' ? 80 << 20 : 60 << 20);
    }
    const std::string expected = "Not enough memory to read file " + folder.Path() + "NUT_DATA.txt";
    const auto read = [&] { return test::FailureOf([&] { ReadSrFiles(folder.Path()); }); };
    EXPECT_EQ(test::ExitStatusWithRoom(RLIMIT_AS, 300 << 20, [&] { return read() == expected; }),
              1);
}

// ---- The tool ---------------------------------------------------------------------

ToolRun RunTool(const TempDir& folder, const std::string& arguments) {
    return test::RunTool(IMPORT_SR_PATH, arguments, folder);
}

TEST(ImportSrTool, PrintsASummaryAndExitsZero) {
    TempDir folder;
    SrInput().WriteTo(folder.Path());
    const ToolRun run = RunTool(folder, "'" + folder.Path() + "' '" + folder.Path() + "Dados'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("2 foods, 2 groups, 10 values, 2 weights, 0 replacements"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "Dados/ArqIng.dad"));
}

TEST(ImportSrTool, ExitsTwoOnBadInputWithoutWriting) {
    TempDir folder;
    SrInput input;
    input.weights.push_back(WeightRow("01001", "3", "x", "cup", "1"));
    input.WriteTo(folder.Path());
    const ToolRun run = RunTool(folder, "'" + folder.Path() + "' '" + folder.Path() + "Dados'");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quorvex-import-sr: " + folder.Path() +
                           "WEIGHT.txt:3: unreadable number \"x\" in Amount\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "Dados"));
}

TEST(ImportSrTool, ExitsThreeWhenAFileDoesNotFitInMemory) {
    TempDir folder;
    SrInput().WriteTo(folder.Path());
    ASSERT_EQ(truncate((folder.Path() + "NUT_DATA.txt").c_str(), 1LL << 42), 0);
    const ToolRun run = RunTool(folder, "'" + folder.Path() + "' '" + folder.Path() + "Dados'");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "quorvex-import-sr: Not enough memory to read file " + folder.Path() +
                           "NUT_DATA.txt\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "Dados"));
}

TEST(ImportSrTool, ExitsTwoOnWrongUsage) {
    TempDir folder;
    const ToolRun run = RunTool(folder, "only-one");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "usage: quorvex-import-sr SR_DIR DADOS_DIR\n");
}

// ---- USDA's SR28 files ----------------------------------------------------------------

const std::string kSr28 = QUORVEX_SOURCE_DIR "/../shared/usda-sr28/";

class Sr28Import : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!std::filesystem::exists(kSr28 + "FOOD_DES.txt")) return;
        progress_ = new test::RecordingProgress;
        database_ = new ImportedDatabase(ConvertSr(ReadSrFiles(kSr28), progress_));
    }
    static void TearDownTestSuite() {
        delete database_;
        delete progress_;
        database_ = nullptr;
        progress_ = nullptr;
    }
    void SetUp() override {
        if (database_ == nullptr) GTEST_SKIP() << "USDA SR28 files not found at " << kSr28;
    }

    // The line of the food whose description is exactly description.
    static std::string LineOf(const std::string& description) {
        for (const std::string& line : database_->foodLines) {
            if (line.compare(0, description.size() + 1, description + "|") == 0) return line;
        }
        return "no food " + description;
    }

    static ImportedDatabase* database_;
    static test::RecordingProgress* progress_;
};

ImportedDatabase* Sr28Import::database_ = nullptr;
test::RecordingProgress* Sr28Import::progress_ = nullptr;

TEST_F(Sr28Import, HasEveryFoodAndGroup) {
    EXPECT_EQ(database_->counts.foods, 8789);
    EXPECT_EQ(database_->foodLines.size(), 8789u);
    EXPECT_EQ(database_->counts.groups, 25);
    EXPECT_EQ(database_->counts.weights, 15438);
    EXPECT_EQ(database_->groupLines.front(), "0100|Dairy and Egg Products");
}

// Expected lines read off the food's FOOD_DES, WEIGHT and NUT_DATA rows.
TEST_F(Sr28Import, ButterSaltedMatchesItsRows) {
    EXPECT_EQ(LineOf("Butter, salted"),
              "Butter, salted"
              "|15.87|717|0.85|81.11|2.11|0.06|0.0"                       // proximates
              "|24|0.02|2|24|24|643|0.09|0.000|0.000|0.0010"              // minerals, Se in mg
              "|0.0|0.005|0.034|0.042|0.110|0.003|3|0|3|3|0.17|2499|||0"  // vitamins
              "|51.368|21.021|3.043|0.215"                                // lipids, chol. in g
              "|0100|0|||"                                                // group to names
              "|1 pat (1\" sq, 1/3\" high) = 5~1 tbsp = 14.2~1 cup = 227~1 stick = 113~");
}

TEST_F(Sr28Import, ApplesMatchTheirRows) {
    EXPECT_EQ(LineOf("Apples, raw, with skin"),
              "Apples, raw, with skin"
              "|85.56|52|0.26|0.17|0.19|13.81|2.4"
              "|6|0.12|5|11|107|1|0.04|0.027|0.035|0.0000"
              "|4.6|0.017|0.026|0.091|0.061|0.041|3|0|3|3|0.00|54|||0"
              "|0.028|0.007|0.051|0.000"
              "|0900|10|Core and stem|Includes USDA commodity food A343|Malus domestica"
              "|1 cup, quartered or chopped = 125~1 cup slices = 109~1 large (3-1/4\" dia) = 223~"
              "1 medium (3\" dia) = 182~1 small (2-3/4\" dia) = 149~"
              "1 extra small (2-1/2\" dia) = 101~1 NLEA serving = 242~");
}

TEST_F(Sr28Import, KeepsATwoRowTitleWholeAndLeavesMissingValuesEmpty) {
    const std::string description =
        "Yogurt, vanilla or lemon flavor, nonfat milk, sweetened with low-calorie sweetener, "
        "fortified with vitamin D";
    ASSERT_GT(description.size(), 100u);
    const std::string line = LineOf(description);
    EXPECT_EQ(GetField(kFoodDescription, line), description);
    EXPECT_EQ(GetField(kManganese, line), "");
    EXPECT_EQ(GetField(kPantothenicAcid, line), "");
    EXPECT_EQ(GetField(kSelenium, line), "0.0031");
    EXPECT_EQ(GetField(kCholesterol, line), "0.002");
    EXPECT_EQ(GetField(kVitaminD, line), "47");
    EXPECT_EQ(GetField(kHouseholdWeights, line), "1 container (6 oz) = 170~");
}

TEST_F(Sr28Import, WritesFortyThreeFieldsWithoutVitaminAReOrVitaminE) {
    for (const std::string& line : database_->foodLines) {
        ASSERT_EQ(std::count(line.begin(), line.end(), '|'), kFoodFieldCount - 1) << line;
        ASSERT_EQ(GetField(kVitaminARe, line), "") << line;
        ASSERT_EQ(GetField(kVitaminE, line), "") << line;
    }
}

TEST_F(Sr28Import, ShowsProgressFromZeroToOneHundred) {
    ASSERT_EQ(progress_->events, (std::vector<std::string>{"show 100", "close"}));
    ASSERT_FALSE(progress_->positions.empty());
    EXPECT_EQ(progress_->positions.front(), 0);
    EXPECT_EQ(progress_->positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress_->positions.begin(), progress_->positions.end()));
}

TEST_F(Sr28Import, TheViewerLoadsEveryFoodUnderItsOwnKey) {
    TempDir folder;
    WriteImportedDatabase(folder.Path() + "Dados", *database_);
    std::unique_ptr<LoadedTable> foods, keys, groups, codes;
    test::NoProgress progress;
    LoadFoodTable(folder.Path() + "Dados/ArqIng.dad", foods, keys, progress);
    LoadGroupTable(folder.Path() + "Dados/ArqGruIng.dad", groups, codes);
    ASSERT_EQ(foods->Count(), 8789);
    EXPECT_EQ(test::TableOrderFault(folder.Path() + "Dados/ArqIng.dad", database_->foodLines), "");
    ASSERT_EQ(keys->Count(), foods->Count());
    ASSERT_EQ(codes->Count(), 25);
    for (int i = 0; i < foods->Count(); ++i) {
        const std::string_view line = foods->Get(i);
        ASSERT_EQ(keys->Get(i), line.substr(0, line.find('|') + 1)) << i;
        int group = -1;
        ASSERT_TRUE(codes->Find(GetField(kFoodGroupCode, line), group)) << line;
    }
}

}  // namespace
}  // namespace quorvex
