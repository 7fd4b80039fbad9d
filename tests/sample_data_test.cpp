// SPDX-License-Identifier: GPL-3.0-or-later
// The bundled sample database as the build lays it out: it must load, keep
// the index invariant and show every case the report and the list handle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <regex>
#include <set>
#include <string>

#include "db/CriUnit.h"
#include "db/DBUnit.h"
#include "db/Fields.h"
#include "tests/support/TestSupport.h"

namespace quorvex {
namespace {

const std::string kBuiltData = QUORVEX_BINARY_DIR "/Dados/";
const std::string kSourceData = QUORVEX_SOURCE_DIR "/data/";

class SampleDatabase : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        test::NoProgress progress;
        LoadFoodTable(kBuiltData + "ArqIng.dad", foods_, foodKeys_, progress);
        LoadGroupTable(kBuiltData + "ArqGruIng.dad", groups_, groupCodes_);
    }

    static std::string Field(std::string_view line, int n) { return GetField(n, line); }

    static bool AnyFood(const std::function<bool(const std::string&)>& holds) {
        return std::any_of(foods_->Items().begin(), foods_->Items().end(),
                           [&](std::string_view line) { return holds(std::string(line)); });
    }

    static bool AnyDescription(const std::function<bool(const std::string&)>& holds) {
        return AnyFood(
            [&](const std::string& line) { return holds(Field(line, kFoodDescription)); });
    }

    static bool GroupKnown(const std::string& code) {
        int position = 0;
        return groupCodes_->Find(code, position);
    }

    static int HouseholdWeights(const std::string& line) {
        const std::string weights = Field(line, kHouseholdWeights);
        return static_cast<int>(std::count(weights.begin(), weights.end(), '~'));
    }

    static inline std::unique_ptr<LoadedTable> foods_, foodKeys_, groups_, groupCodes_;
};

TEST_F(SampleDatabase, BuiltFilesAreTheSourceFilesStored) {
    const std::vector<std::string> source = SplitLines(ReadWholeFile(kSourceData + "foods.txt"));
    const std::vector<std::string> stored = SplitLines(ReadWholeFile(kBuiltData + "ArqIng.dad"));
    ASSERT_EQ(stored.size(), source.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(DecodeLine(static_cast<int>(i), stored[i]), source[i]) << "line " << i + 1;
    }
    EXPECT_EQ(ReadWholeFile(kBuiltData + "ArqGruIng.dad"),
              ReadWholeFile(kSourceData + "groups.txt"));
}

TEST_F(SampleDatabase, SizesAndKeysKeepTheIndexesInStepWithTheirTables) {
    EXPECT_GE(foods_->Count(), 40);
    EXPECT_LE(foods_->Count(), 60);
    EXPECT_GE(groups_->Count(), 6);
    EXPECT_LE(groups_->Count(), 8);
    // Unique keys (case ignored): an index entry for every line.
    EXPECT_EQ(foodKeys_->Count(), foods_->Count());
    EXPECT_EQ(groupCodes_->Count(), groups_->Count());
    for (int i = 0; i < foods_->Count(); ++i) {
        const std::string_view line = foods_->Get(i);
        EXPECT_EQ(std::count(line.begin(), line.end(), '|'), kFoodFieldCount - 1) << line;
        EXPECT_EQ(foodKeys_->Get(i), Field(line, kFoodDescription) + "|");
    }
    for (int i = 0; i < groups_->Count(); ++i) {
        const std::string_view line = groups_->Get(i);
        EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 1) << line;
        for (int j = 0; j < groupCodes_->Count(); ++j) {
            const std::string_view other = groupCodes_->Get(j);
            EXPECT_FALSE(i != j && other.starts_with(groupCodes_->Get(i))) << other;
        }
    }
}

TEST_F(SampleDatabase, NutrientValuesAreNumbersInTheirUnitsOrEmpty) {
    const std::regex number(R"(\d+(\.(\d{1,3}))?)");
    std::set<int> decimalsSeen;
    bool someEmpty = false;
    for (const std::string_view line : foods_->Items()) {
        for (int n = kFirstNutrientField; n <= kLastNutrientField; ++n) {
            const std::string value = Field(line, n);
            std::smatch parts;
            if (value.empty()) {
                someEmpty = true;
                continue;
            }
            ASSERT_TRUE(std::regex_match(value, parts, number)) << value << " in " << line;
            decimalsSeen.insert(static_cast<int>(parts[2].length()));
        }
        // Plausible units: energy in kcal, selenium in mg, cholesterol in g.
        const auto amount = [&](int n) {
            const std::string value = Field(line, n);
            return value.empty() ? 0.0 : std::stod(value);
        };
        EXPECT_LE(amount(kEnergy), 902) << line;
        EXPECT_LT(amount(kSelenium), 2.0) << line;
        EXPECT_LT(amount(kCholesterol), 1.0) << line;
    }
    EXPECT_TRUE(someEmpty);
    EXPECT_EQ(decimalsSeen, (std::set<int>{0, 1, 2, 3}));
    EXPECT_TRUE(AnyFood([](const std::string& line) {
        for (int n = kFirstNutrientField; n <= kLastNutrientField; ++n) {
            if (!GetField(n, line).empty()) return false;
        }
        return true;
    })) << "a food without any nutrient value";
}

TEST_F(SampleDatabase, DescriptionsCoverTitleLengthsAccentsAndCase) {
    EXPECT_TRUE(AnyDescription([](const std::string& d) { return d.size() > 100; }));
    EXPECT_TRUE(AnyDescription([](const std::string& d) { return d.size() == 100; }));
    for (const char accent : {'\xE9', '\xE7', '\xE3', '\xF4'}) {
        EXPECT_TRUE(AnyDescription([&](const std::string& d) { return d.find(accent) != d.npos; }))
            << "accent byte " << static_cast<int>(static_cast<unsigned char>(accent));
    }
    EXPECT_TRUE(AnyDescription([](const std::string& d) { return std::islower(d[0]) != 0; }));
}

TEST_F(SampleDatabase, DescriptionsCoverTheWordFilterCases) {
    const auto upper = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    for (const std::string word : {"CHEESE", "CHEDDAR", "PEANUT", "PEACH", "CHICKPEAS", "PEAS,",
                                   "ALL-PURPOSE", "ALL PURPOSE"}) {
        EXPECT_TRUE(AnyDescription([&](const std::string& d) {
            return upper(d).find(word) != std::string::npos;
        })) << word;
    }
    int salted = 0;
    int whipped = 0;
    ASSERT_TRUE(foodKeys_->Find("Butter, salted|", salted));
    ASSERT_TRUE(foodKeys_->Find("Butter, salted, whipped|", whipped));
    EXPECT_EQ(whipped, salted + 1);
}

TEST_F(SampleDatabase, FoodsCoverRefuseNamesGroupsAndHouseholdWeights) {
    const auto refuse = [](bool percentage, bool description) {
        return AnyFood([=](const std::string& line) {
            return Field(line, kRefusePercentage).empty() != percentage &&
                   Field(line, kRefuseDescription).empty() != description;
        });
    };
    EXPECT_TRUE(refuse(true, true));
    EXPECT_TRUE(refuse(true, false));
    EXPECT_TRUE(refuse(false, true));
    EXPECT_TRUE(refuse(false, false));
    EXPECT_TRUE(AnyFood([](const std::string& l) { return !Field(l, kCommonName).empty(); }));
    EXPECT_TRUE(AnyFood([](const std::string& l) { return !Field(l, kScientificName).empty(); }));
    EXPECT_TRUE(
        AnyFood([](const std::string& l) { return !GroupKnown(Field(l, kFoodGroupCode)); }));
    for (int k = 0; k <= 8; ++k) {
        EXPECT_TRUE(AnyFood([k](const std::string& l) { return HouseholdWeights(l) == k; })) << k;
    }
    for (const std::string_view line : foods_->Items()) {
        const std::string weights = Field(line, kHouseholdWeights);
        EXPECT_TRUE(weights.empty() || weights.back() == '~') << line;
    }
}

}  // namespace
}  // namespace quorvex
