// SPDX-License-Identifier: GPL-3.0-or-later
// Filling the food list for its filters, and the title that names them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "db/Collation.h"
#include "db/DBUnit.h"
#include "db/Fields.h"
#include "list/ListFilter.h"
#include "tests/Sr28Foods.h"
#include "tests/support/TestSupport.h"

namespace quorvex {
namespace {

// The descriptions of the lines at positions of table.
std::vector<std::string> Descriptions(const TextTable& table, const std::vector<int>& positions) {
    std::vector<std::string> names;
    for (const int i : positions) names.push_back(GetField(kFoodDescription, table.Get(i)));
    return names;
}

class ListFilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [description, group] :
             std::vector<std::pair<std::string, std::string>>{{"Apples, raw", "0900"},
                                                              {"Cheese, cheddar", "0100"},
                                                              {"Cheese, swiss", "0100"},
                                                              {"Peaches, canned", "0900"},
                                                              {"Peas, green", "1100"},
                                                              {"Pineapple, raw", "09000"}}) {
            foods.Add(test::MakeFoodLine(description, {{kFoodGroupCode, group}}));
        }
        foods.SetSorted(true);
    }

    std::vector<std::string> Fill(const GroupFilter& group, const WordFilterState& words) {
        FillFilteredList(foods, group, words, filtered, progress);
        return Descriptions(foods, filtered);
    }

    TextList foods;
    std::vector<int> filtered;
    test::RecordingProgress progress;
};

using Names = std::vector<std::string>;

TEST_F(ListFilterTest, NoFilterListsEveryFoodWithoutProgress) {
    filtered.push_back(17);  // left over from the last build
    EXPECT_EQ(Fill({}, {}).size(), 6u);
    EXPECT_EQ(filtered, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(progress.events.empty());
    // Word filter on with no words: still no scan.
    EXPECT_EQ(Fill({}, {true, {}}).size(), 6u);
    EXPECT_TRUE(progress.events.empty());
    EXPECT_FALSE(ScansFoodTable({}, {true, {}}));
    // Words kept from an earlier opening do not count while the filter is off.
    EXPECT_EQ(Fill({}, {false, {"CHEESE"}}).size(), 6u);
}

TEST_F(ListFilterTest, GroupScanComparesTheCodeExactlyAndShowsProgress) {
    EXPECT_EQ(Fill({1, "Fruits", "0900"}, {}), (Names{"Apples, raw", "Peaches, canned"}));
    EXPECT_EQ(progress.events, (std::vector<std::string>{"show 6", "close"}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Fill({0, "Nothing", "09"}, {}), Names{});
}

TEST_F(ListFilterTest, WordScanAndBothFilters) {
    EXPECT_EQ(Fill({}, {true, {"PEA"}}), (Names{"Peaches, canned", "Peas, green"}));
    EXPECT_EQ(progress.events, (std::vector<std::string>{"show 6", "close"}));
    EXPECT_EQ(Fill({}, {true, {"CHEESE", "CHEDDAR"}}), (Names{"Cheese, cheddar"}));
    EXPECT_EQ(Fill({2, "Fruits", "0900"}, {true, {"RAW"}}), (Names{"Apples, raw"}));
    // A group filter with the word filter off ignores stale words.
    EXPECT_EQ(Fill({2, "Fruits", "0900"}, {false, {"RAW"}}).size(), 2u);
}

// The group code is found eight bytes at a time: check it against GetField
// on lines whose bars fall at every offset, also lines that are too short.
TEST(FillFilteredList, GroupCodeIsFieldThirtyEightAsGetFieldReadsIt) {
    std::vector<std::string> lines;
    for (int fields = 1; fields <= 45; ++fields) {
        for (int width = 0; width < 10; ++width) {
            std::string line = "Food " + std::to_string(fields) + "-" + std::to_string(width);
            for (int n = 2; n <= fields; ++n) {
                line += '|';
                const bool code = n == 38 ? width % 2 == 0 : n == fields && width % 3 == 0;
                line += code ? "G" : std::string((n * 7 + width) % 10, 'x');
            }
            lines.push_back(line);
        }
    }
    TextList table;
    table.Assign(lines);
    std::vector<std::string> expected;
    for (const std::string_view line : table.Items()) {
        if (GetField(kFoodGroupCode, line) == "G") expected.emplace_back(line);
    }
    ASSERT_GT(expected.size(), 100u);
    ASSERT_LT(expected.size(), 300u);
    std::vector<int> filtered;
    test::RecordingProgress progress;
    FillFilteredList(table, {0, "Group", "G"}, {}, filtered, progress);
    // The table was never sorted, so the result is sorted by the fill.
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    std::vector<std::string> got;
    for (const int i : filtered) got.emplace_back(table.Get(i));
    EXPECT_EQ(got, expected);
}

TEST(Sr28Foods, WordAndGroupFiltersOnRealDescriptions) {
    TextList table;
    table.Assign(test::Sr28FoodLines());
    if (table.Count() == 0) GTEST_SKIP() << "the SR28 files are not beside the project";
    table.SetSorted(true);
    test::RecordingProgress progress;
    std::vector<int> cheddar, dairy, both;
    FillFilteredList(table, {}, {true, {"CHEESE", "CHEDDAR"}}, cheddar, progress);
    EXPECT_EQ(progress.events.front(), "show " + std::to_string(table.Count()));
    const GroupFilter dairyGroup{0, "Dairy and Egg Products", "0100"};
    FillFilteredList(table, dairyGroup, {}, dairy, progress);
    FillFilteredList(table, dairyGroup, {true, {"CHEESE", "CHEDDAR"}}, both, progress);

    const std::vector<std::string> names = Descriptions(table, cheddar);
    EXPECT_NE(std::find(names.begin(), names.end(), "Cheese, cheddar"), names.end());
    EXPECT_GT(names.size(), 5u);
    for (const std::string& name : names) {
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(upper.find("CHEESE"), std::string::npos) << name;
        EXPECT_NE(upper.find("CHEDDAR"), std::string::npos) << name;
    }
    // Both filters keep exactly the cheddar foods of the dairy group.
    std::vector<int> expected;
    for (const int i : cheddar) {
        if (GetField(kFoodGroupCode, table.Get(i)) == "0100") expected.push_back(i);
    }
    EXPECT_EQ(both, expected);
    EXPECT_LT(both.size(), dairy.size());
    EXPECT_GT(dairy.size(), 200u);
}

TEST(ListTitle, NamesTheFiltersThatAreOn) {
    EXPECT_EQ(ListTitle({}, {}, "RICE"), "USDA R14 - USE DOUBLE CLICK TO SELECT");
    EXPECT_EQ(ListTitle({3, "Cereal Grains \t ", "2000"}, {}, ""),
              "USDA R14 - USE DOUBLE CLICK TO SELECT - GROUP : Cereal Grains");
    EXPECT_EQ(ListTitle({-1, "TODOS", ""}, {true, {}}, ""),
              "USDA R14 - USE DOUBLE CLICK TO SELECT - WORD : ");
    EXPECT_EQ(ListTitle({0, "Dairy", "0100"}, {true, {"RICE"}}, "rice  x"),
              "USDA R14 - USE DOUBLE CLICK TO SELECT - GROUP : Dairy - WORD : rice  x");
}

}  // namespace
}  // namespace quorvex
