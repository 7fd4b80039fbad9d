// SPDX-License-Identifier: GPL-3.0-or-later
// The report's geometry, value scaling, amount texts and layout, checked on
// a recording surface without any window system.
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <map>
#include <tuple>

#include "app/AmountText.h"
#include "db/DBUnit.h"
#include "db/Fields.h"
#include "db/StrUnit.h"
#include "report/CompositionReport.h"
#include "report/Geometry.h"
#include "report/ReportReading.h"
#include "tests/report_recorder.h"
#include "tests/support/TestSupport.h"

namespace quorvex {
namespace {

// ---- Geometry -------------------------------------------------------------

TEST(ReportGeometry, ScreenPrinterAndMidResolutions) {
    struct Row {
        int ppi, pitch, width, cell, margin, rightX;
    };
    for (const Row& row : {Row{94, 16, 703, 14, 3, 355}, Row{300, 50, 2244, 45, 10, 1132},
                           Row{600, 99, 4488, 89, 20, 2264}}) {
        SCOPED_TRACE(row.ppi);
        const ReportGeometry g = ReportGeometryFor(row.ppi);
        EXPECT_EQ(g.rowPitch, row.pitch);
        EXPECT_EQ(g.pageWidth, row.width);
        EXPECT_EQ(g.cellHeight, row.cell);
        EXPECT_EQ(g.margin, row.margin);
        EXPECT_EQ(g.leftX, row.margin);
        EXPECT_EQ(g.rightX, row.rightX);
    }
    EXPECT_EQ(ScreenReportResolution(), 94);
}

TEST(ReportGeometry, RowsAndRules) {
    const ReportGeometry screen = ReportGeometryFor(94);
    for (int row = 1; row <= 50; ++row) {
        EXPECT_EQ(screen.TextTop(row), 16 * row - 15) << row;
        EXPECT_EQ(screen.RuleY(row), 16 * row) << row;
    }
    // (r - 0.95) * 50 is a half in decimals; the 80-bit value settles it.
    const ReportGeometry mid = ReportGeometryFor(300);
    EXPECT_EQ(mid.TextTop(1), 3);
    EXPECT_EQ(mid.TextTop(2), 52);
    const ReportGeometry printer = ReportGeometryFor(600);
    EXPECT_EQ(printer.TextTop(1), 5);
    EXPECT_EQ(printer.TextTop(2), 104);
    EXPECT_EQ(printer.RuleY(3), 297);
}

TEST(ReportGeometry, MillimetresRoundHalfToEven) {
    EXPECT_EQ(MmToPixels(94, 190.0), 703);
    EXPECT_EQ(MmToPixels(94, 210.0), 777);
    EXPECT_EQ(MmToPixels(254, 0.5), 5);  // 5.0 exactly
    EXPECT_EQ(MmToPixels(127, 0.5), 2);  // 2.5 goes to the even 2
    EXPECT_EQ(MmToPixels(127, 1.5), 8);  // 7.5 goes to the even 8
    EXPECT_EQ(RoundHalfEven(351.5L), 352);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
}

TEST(ReportGeometry, SamePixelsUnderEveryRoundingMode) {
    const auto pixels = [] {
        std::vector<int> all;
        for (int ppi : {94, 300, 600}) {
            const ReportGeometry g = ReportGeometryFor(ppi);
            all.insert(all.end(), {g.rowPitch, g.pageWidth, g.cellHeight, g.margin, g.rightX,
                                   g.TextTop(1), g.TextTop(2), MmToPixels(ppi, 0.5)});
        }
        return all;
    };
    const std::vector<int> nearest = pixels();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        const std::vector<int> other = pixels();
        const int modeAfter = std::fegetround();
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(other, nearest) << "rounding mode " << mode;
        EXPECT_EQ(modeAfter, mode) << "the caller's rounding mode is restored";
    }
}

TEST(ReportGeometry, PrinterResolutionFromPrintableWidth) {
    EXPECT_DOUBLE_EQ(PrinterPixelsPerInch(5999, 254.0), 599.9);
    EXPECT_EQ(PrinterReportResolution(PrinterPixelsPerInch(5999, 254.0)), 600);
    EXPECT_EQ(PrinterReportResolution(PrinterPixelsPerInch(2996, 254.0)), 300);
    // A4 printable width as Qt's PDF printer gives it at 600 dpi.
    EXPECT_EQ(PrinterReportResolution(PrinterPixelsPerInch(4792, 202.94)), 600);
}

// ---- Values ---------------------------------------------------------------

std::string Field(const std::string& text) { return FitText(text, kValueFieldWidth); }

TEST(ScaleValueText, ScalesKeepingStoredDecimals) {
    const std::vector<std::tuple<std::string, double, std::string>> cases = {
        {"0.45", 200, "0.90"},
        {"12", 250, "30"},
        {"1.234", 37, "0.457"},
        {"1.234", 1000, "12.340"},
        {"0.001", 0, "0.000"},
        {" 7", 100, "7"},
        {"+3", 100, "3"},
        {"-0.5", 100, "-0.5"},
        {"1e2", 100, "100"},
        {"2.5E1", 100, "25.000"},
        {"9.99", 100.1, "10.00"},
        {"99.96", 100, "99.96"},
        {"99.96", 100.05, "100.01"},
        {".5", 100, "0.5"},
        {"5.", 300, "15"},
        // 73.65 is not exact in binary; its 18-significant-digit form is
        // 73.6500000000000000, whose cut rounds up.
        {"10.0", 736.5, "73.7"},
    };
    for (const auto& [value, amount, expected] : cases) {
        EXPECT_EQ(ScaleValueText(value, amount), Field(expected)) << value << " at " << amount;
    }
}

TEST(ScaleValueText, HalvesGoAwayFromZero) {
    EXPECT_EQ(ScaleValueText("5", 50), Field("3"));
    EXPECT_EQ(ScaleValueText("0.25", 50), Field("0.13"));
    EXPECT_EQ(ScaleValueText("-5", 50), Field("-3"));
    EXPECT_EQ(ScaleValueText("0.5", 100), Field("0.5"));
    // 0.015 is held just below the half, but within the 17 decimals, which
    // round it to the half first; 0.35 is held too far below for that.
    EXPECT_EQ(ScaleValueText("0.03", 50), Field("0.02"));
    EXPECT_EQ(ScaleValueText("0.7", 50), Field("0.3"));
}

TEST(ScaleValueText, StoredTextComesBackAtHundredGrams) {
    for (const char* text :
         {"15.87", "0.001", "123.456", "99999.9", "0", "0.10", "3.14159265", "85.56", "1000"}) {
        EXPECT_EQ(ScaleValueText(text, 100), Field(text)) << text;
    }
}

TEST(ScaleValueText, NonNumbersGiveBlankFields) {
    for (const char* text : {"", " ", "1.5 ", "1,5", "abc", "1e", "1e+", "-", ".", "1..2", "0x10",
                             "inf", "nan", "1e999"}) {
        EXPECT_EQ(ScaleValueText(text, 100), std::string(15, ' ')) << '"' << text << '"';
    }
    // An amount no dialog gives, but no crash either.
    EXPECT_EQ(ScaleValueText("1.5", std::numeric_limits<double>::quiet_NaN()), Field(""));
    EXPECT_EQ(ScaleValueText("1.5", std::numeric_limits<double>::infinity()), Field(""));
}

TEST(ScaleValueText, FitsFifteenCharacters) {
    EXPECT_EQ(ScaleValueText("123456789012345.5", 100), "123456789012345");
    EXPECT_EQ(ScaleValueText("1e300", 100), "100000000000000");
    // A negative value that rounds to zero shows no sign.
    EXPECT_EQ(ScaleValueText("-0.004", 10), Field("0.000"));
}

TEST(FormatAmountText, ShortestFifteenDigitText) {
    EXPECT_EQ(FormatAmountText(100, '.'), "100");
    EXPECT_EQ(FormatAmountText(0, '.'), "0");
    EXPECT_EQ(FormatAmountText(0.5, ','), "0,5");
    EXPECT_EQ(FormatAmountText(50.5, ','), "50,5");
    EXPECT_EQ(FormatAmountText(999999.9, '.'), "999999.9");
    EXPECT_EQ(FormatAmountText(0.1 + 0.2, '.'), "0.3");
    EXPECT_EQ(FormatAmountText(123456789012345.0, '.'), "123456789012345");
    EXPECT_EQ(FormatAmountText(0.0001, '.'), "0.0001");
    EXPECT_EQ(FormatAmountText(1e-05, '.'), "1e-05");
    EXPECT_EQ(FormatAmountText(2.5e-07, ','), "2,5e-07");
    EXPECT_EQ(FormatAmountText(1e15, '.'), "1e+15");
    for (int tenths = 0; tenths <= 9999999; tenths += 99991) {
        const std::string text = FormatAmountText(tenths / 10.0, '.');
        EXPECT_EQ(text.find('e'), std::string::npos) << text;
        EXPECT_LE(text.size(), 8u) << text;
    }
}

TEST(ReadAmountText, FieldTexts) {
    const std::vector<std::pair<std::string, double>> numbers = {
        {"   100,0", 100},      {"    25,0", 25}, {"     0,5", 0.5},
        {"999999,9", 999999.9}, {"     0,0", 0},  {"      , ", 0},
        {"    12, ", 12},       {",5", 0.5},      {"  7  ", 7},
    };
    for (const auto& [text, expected] : numbers) {
        double amount = -1;
        EXPECT_TRUE(ReadAmountText(text, amount)) << '"' << text << '"';
        EXPECT_DOUBLE_EQ(amount, expected) << '"' << text << '"';
    }
    for (const char* text : {"   1 0,0", "25    , ", "", "        ", "1,2,3", "12 ,5", "1.5",
                             "-1,0", "a", "\t100,0"}) {
        double amount = -1;
        EXPECT_FALSE(ReadAmountText(text, amount)) << '"' << text << '"';
        EXPECT_EQ(amount, -1);
    }
}

// ---- Layout ---------------------------------------------------------------

const std::map<int, std::string> kAppleFields = {
    {kWater, "85.56"},
    {kEnergy, "52"},
    {kSelenium, ""},
    {kAscorbicAcid, "4.6"},
    {kCholesterol, "0"},
    {kFoodGroupCode, "09"},
    {kRefusePercentage, "10"},
    {kRefuseDescription, "Core and stem"},
    {kCommonName, "apple"},
    {kScientificName, "Malus domestica"},
    {kHouseholdWeights, "1 cup, quartered~125~1 medium~182~rest"},
};

class ReportLayout : public ::testing::Test {
  protected:
    ReportLayout() {
        groups.Assign({"01|Dairy and Egg Products", "09|Fruits and Fruit Juices"});
        codes.Assign({"01", "09"});
        codes.SetSorted(true);
    }

    void Draw(const std::string& line, double amount = 100, int ppi = 94, char point = '.') {
        DrawCompositionReport(canvas, ppi, amount, point, line, groups, codes);
    }

    // The text drawn with its top at row's text top in the column, if any.
    const test::DrawnText* At(int row, bool right, int ppi = 94) const {
        const ReportGeometry g = ReportGeometryFor(ppi);
        for (const test::DrawnText& text : canvas.texts) {
            if (text.y == g.TextTop(row) && text.x == (right ? g.rightX : g.leftX)) return &text;
        }
        return nullptr;
    }

    std::vector<int> RuleRows() const {
        std::vector<int> rows;
        for (const test::DrawnLine& line : canvas.lines) {
            EXPECT_EQ(line.x1, 0);
            EXPECT_EQ(line.x2, 703);
            EXPECT_EQ(line.y % 16, 0);
            rows.push_back(line.y / 16);
        }
        return rows;
    }

    TextList groups;
    TextList codes;
    test::RecordingCanvas canvas;
};

TEST_F(ReportLayout, EveryElementInOrderRowColumnAndStyle) {
    Draw(test::MakeFoodLine("Apples, raw, with skin", kAppleFields));
    struct Expected {
        int row;
        bool right;
        bool bold;
        std::string text;  // whole text, or its start when it ends in '*'
    };
    const std::vector<Expected> expected = {
        {1, false, true, "APPLES, RAW, WITH SKIN"},
        {2, false, true,
         "Amount in 100 grams of edible portion - Blanks indicate lack of reliable data         "},
        {3, false, true, "Percentage of Refuse : 10% ( Core and stem )"},
        {4, false, true, "PROXIMATES :"},
        {5, false, false, "Water____________g   " + Field("85.56")},
        {6, false, false, "Energy___________kal " + Field("52")},
        {7, false, false, "Protein__________g   " + Field("")},
        {8, false, false, "Total lipid _____g   *"},
        {9, false, false, "Ash______________g   *"},
        {10, false, false, "Carbohydrate_____g   *"},
        {11, false, false, "Fiber, total_____g   *"},
        {13, false, true, "MINERALS :"},
        {14, false, false, "Calcium, Ca______mg   *"},
        {15, false, false, "Iron, Fe_________mg   *"},
        {16, false, false, "Magnesium________mg   *"},
        {17, false, false, "Phosphorus, P____mg   *"},
        {18, false, false, "Potassium, K_____mg   *"},
        {19, false, false, "Sodium, Na_______mg   *"},
        {20, false, false, "Zinc, Zn_________mg   *"},
        {21, false, false, "Copper, Cu_______mg   *"},
        {22, false, false, "Manganese, Mn____mg   *"},
        {23, false, false, "Selenium, Se_____mg   " + Field("")},
        {25, false, true, "NAMES : "},
        {26, false, false, "Common: apple"},
        {27, false, false, "Scient: Malus domestica"},
        {28, false, false, "Group : Fruits and Fruit Juices"},
        {30, false, true, "HOUSEHOLD WEIGHT : "},
        {31, false, false, "1 cup, quartered g"},
        {32, false, false, "125 g"},
        {33, false, false, "1 medium g"},
        {34, false, false, "182 g"},
        {36, false, true, "USDA Nutrient Database for Standard Reference, Release 14 (2001)"},
        {4, true, true, "VITAMINS :"},
        {5, true, false, "Total ascorbic acid__mg   " + Field("4.6")},
        {6, true, false, "Thiamin______________mg   *"},
        {7, true, false, "Riboflavin___________mg   *"},
        {8, true, false, "Niacin_______________mg   *"},
        {9, true, false, "Pantothenic acid_____mg   *"},
        {10, true, false, "Vitamin B-6__________mg   *"},
        {11, true, false, "Folate, total________mcg  *"},
        {12, true, false, "   Folic acid________mcg  *"},
        {13, true, false, "   Folete, food______mcg  *"},
        {14, true, false, "Folate, DFE______mcg_DFE  *"},
        {15, true, false, "Vitamin B-12_________mcg  *"},
        {16, true, false, "Vitamin A, IU________IU   *"},
        {17, true, false, "Vitamin A, RE____mcg_RE   *"},
        {18, true, false, "Vitamin E________mg_ATE   *"},
        {19, true, false, "Vitamin D____________IU   *"},
        {21, true, true, "LIPIDS :"},
        {22, true, false, "Total saturated________g *"},
        {23, true, false, "Total monounsaturated__g *"},
        {24, true, false, "Total polyunsaturated__g *"},
        {25, true, false, "Cholesterol____________g " + Field("0")},
        {27, true, true, "BELMARK - SOFTWARE E SERVI\xC7OS"},
        {28, true, false, "Site : *"},
        {29, true, false, "Email: *"},
    };
    ASSERT_EQ(canvas.texts.size(), expected.size());
    const ReportGeometry g = ReportGeometryFor(94);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        const test::DrawnText& drawn = canvas.texts[i];
        SCOPED_TRACE(drawn.text);
        EXPECT_EQ(drawn.y, g.TextTop(e.row));
        EXPECT_EQ(drawn.x, e.right ? 355 : 3);
        EXPECT_EQ(drawn.bold, e.bold);
        EXPECT_EQ(drawn.face, "Courier New");
        EXPECT_EQ(drawn.cellHeight, 14);
        if (e.text.back() == '*') {
            const std::string start = e.text.substr(0, e.text.size() - 1);
            EXPECT_EQ(drawn.text.substr(0, start.size()), start);
        } else {
            EXPECT_EQ(drawn.text, e.text);
        }
    }
    // Rules under the title, the refuse line, the row after the weights and
    // the database line; the last two come after the weights are drawn.
    EXPECT_EQ(RuleRows(), (std::vector<int>{1, 3, 35, 36}));
    EXPECT_EQ(canvas.order.substr(0, 6), "TLTTLT");
    EXPECT_FALSE(canvas.Bold());
}

TEST_F(ReportLayout, NutrientFieldsAreFifteenWide) {
    Draw(test::MakeFoodLine("Apples", kAppleFields), 250);
    EXPECT_EQ(At(5, false)->text, "Water____________g   " + Field("213.90"));
    EXPECT_EQ(At(6, false)->text, "Energy___________kal " + Field("130"));
    // Labels are 21, 22, 26 and 25 wide by section, each followed by its
    // field, so a redraw covers every old value.
    for (int row = 5; row <= 11; ++row) EXPECT_EQ(At(row, false)->text.size(), 21u + 15u);
    for (int row = 14; row <= 23; ++row) EXPECT_EQ(At(row, false)->text.size(), 22u + 15u);
    for (int row = 5; row <= 19; ++row) EXPECT_EQ(At(row, true)->text.size(), 26u + 15u);
    for (int row = 22; row <= 25; ++row) EXPECT_EQ(At(row, true)->text.size(), 25u + 15u);
}

TEST_F(ReportLayout, AllValuesBlankLeaveLabelsAlone) {
    Draw(test::MakeFoodLine("Water, plain"));
    int nutrientRows = 0;
    for (const test::DrawnText& text : canvas.texts) {
        if (text.text.find("__") == std::string::npos) continue;
        ++nutrientRows;
        EXPECT_EQ(text.text.substr(text.text.size() - 15), std::string(15, ' ')) << text.text;
    }
    EXPECT_EQ(nutrientRows, 36);
    EXPECT_EQ(At(3, false)->text, "Percentage of Refuse : ");
    EXPECT_EQ(At(26, false)->text, "Common: ");
}

TEST_F(ReportLayout, RefuseLineParts) {
    Draw(test::MakeFoodLine("A", {{kRefusePercentage, "25"}}));
    EXPECT_EQ(At(3, false)->text, "Percentage of Refuse : 25%");
    canvas = {};
    Draw(test::MakeFoodLine("A", {{kRefuseDescription, "Seeds"}}));
    EXPECT_EQ(At(3, false)->text, "Percentage of Refuse :  ( Seeds )");
}

TEST_F(ReportLayout, TitleOfHundredCharactersTakesOneRow) {
    const std::string description(100, 'a');
    Draw(test::MakeFoodLine(description));
    EXPECT_EQ(At(1, false)->text, std::string(100, 'A'));
    EXPECT_EQ(At(2, false)->text.substr(0, 10), "Amount in ");
    EXPECT_EQ(At(4, false)->text, "PROXIMATES :");
    EXPECT_EQ(At(4, true)->text, "VITAMINS :");
}

TEST_F(ReportLayout, LongerTitleTakesTwoRowsAndMovesEverythingDown) {
    const std::string description = std::string(97, 'b') + "wxyz";
    Draw(test::MakeFoodLine(description, kAppleFields));
    EXPECT_EQ(At(1, false)->text, std::string(97, 'B') + "...");
    EXPECT_EQ(At(2, false)->text, "...WXYZ");
    EXPECT_EQ(At(3, false)->text.substr(0, 10), "Amount in ");
    EXPECT_EQ(At(5, false)->text, "PROXIMATES :");
    EXPECT_EQ(At(5, true)->text, "VITAMINS :");
    EXPECT_EQ(At(37, false)->text.substr(0, 4), "USDA");
    EXPECT_EQ(RuleRows(), (std::vector<int>{2, 4, 36, 37}));
}

TEST_F(ReportLayout, OnlyAsciiLettersAreUpperCased) {
    Draw(test::MakeFoodLine("caf\xE9 au lait, 2%"));
    EXPECT_EQ(At(1, false)->text, "CAF\xE9 AU LAIT, 2%");
}

TEST_F(ReportLayout, HouseholdWeightsPlaceTheClosingRows) {
    for (int k : {0, 3, 16}) {
        SCOPED_TRACE(k);
        std::string weights;
        for (int i = 1; i <= k; ++i) weights += std::to_string(i) + " slice~";
        canvas = {};
        Draw(test::MakeFoodLine("Bread", {{kHouseholdWeights, weights + "unshown"}}));
        EXPECT_EQ(At(30, false)->text, "HOUSEHOLD WEIGHT : ");
        for (int i = 1; i <= k; ++i) {
            EXPECT_EQ(At(30 + i, false)->text, std::to_string(i) + " slice g");
        }
        EXPECT_EQ(At(31 + k, false), nullptr);
        EXPECT_EQ(At(32 + k, false)->text.substr(0, 4), "USDA");
        EXPECT_EQ(RuleRows(), (std::vector<int>{1, 3, 31 + k, 32 + k}));
    }
}

TEST_F(ReportLayout, MissingGroupLeavesItsRowEmpty) {
    Draw(test::MakeFoodLine("Stone soup", {{kFoodGroupCode, "77"}}));
    EXPECT_EQ(At(28, false), nullptr);
    EXPECT_EQ(At(30, false)->text, "HOUSEHOLD WEIGHT : ");
}

TEST_F(ReportLayout, StyleSwitchesOnlyForHeadings) {
    Draw(test::MakeFoodLine("Apples", kAppleFields));
    std::vector<std::string> bold;
    for (const test::DrawnText& text : canvas.texts) {
        if (text.bold) bold.push_back(text.text.substr(0, 8));
    }
    EXPECT_EQ(bold, (std::vector<std::string>{"APPLES", "Amount i", "Percenta", "PROXIMAT",
                                              "MINERALS", "NAMES : ", "HOUSEHOL", "USDA Nut",
                                              "VITAMINS", "LIPIDS :", "BELMARK "}));
    // One bold font first, regular after the refuse rule, then a bold and a
    // regular one around each of the eight headings.
    EXPECT_EQ(canvas.fontChanges, 2 + 2 * 8);
}

TEST_F(ReportLayout, AmountUsesTheGivenSeparatorAndValuesThePoint) {
    Draw(test::MakeFoodLine("Apples", kAppleFields), 50.5, 94, ',');
    EXPECT_EQ(At(2, false)->text.substr(0, 15), "Amount in 50,5 ");
    EXPECT_EQ(At(5, false)->text, "Water____________g   " + Field("43.21"));
}

TEST_F(ReportLayout, PrinterResolutionScalesPlaces) {
    Draw(test::MakeFoodLine("Apples", kAppleFields), 100, 600);
    const ReportGeometry g = ReportGeometryFor(600);
    EXPECT_EQ(At(1, false, 600)->y, 5);
    EXPECT_EQ(At(4, true, 600)->x, 2264);
    EXPECT_EQ(At(4, true, 600)->cellHeight, 89);
    EXPECT_EQ(canvas.lines.front().x2, 4488);
    EXPECT_EQ(canvas.lines.front().y, g.RuleY(1));
}

// ---- Reading ----------------------------------------------------------------

TEST(ReadableRowText, NutrientRowsInWordsOtherRowsTrimmed) {
    const std::pair<std::string, std::string> rows[] = {
        {"Water____________g   " + Field("23.57"), "Water 23.57 g"},
        {"Energy___________kal " + Field("-2"), "Energy -2 kal"},
        {"   Folic acid________mcg  " + Field("0"), "Folic acid 0 mcg"},
        {"Folate, DFE______mcg_DFE  " + Field("52"), "Folate, DFE 52 mcg DFE"},
        {"Total lipid _____g   " + Field(""), "Total lipid: no reliable data"},
        {"Cholesterol____________g " + Field("0.000"), "Cholesterol 0.000 g"},
        // Not a label and its 15-character field: read as drawn.
        {"Water____________g   23.57", "Water____________g   23.57"},
        {"Amount in 5 grams" + std::string(9, ' '), "Amount in 5 grams"},
        {"   ", ""},
    };
    for (const auto& [drawn, read] : rows) EXPECT_EQ(ReadableRowText(drawn), read) << drawn;
}

TEST(ReportReading, LeftColumnThenRightEachFromTheTopLaterTextsCovering) {
    test::RecordingCanvas drawn;
    ReportReading reading;
    ReadingCanvas canvas(drawn, reading);
    canvas.TextOut(355, 49, "VITAMINS :");
    canvas.TextOut(3, 49, "PROXIMATES :");
    canvas.TextOut(3, 1, "A LONG...");
    canvas.TextOut(3, 9, "...TITLE");
    canvas.TextOut(3, 17, "Amount in 100 grams ");
    canvas.TextOut(3, 17, "Amount in 50 grams  ");
    std::vector<std::string> read;
    for (const ReadingLine& line : reading.Lines()) read.push_back(line.text);
    EXPECT_EQ(read, (std::vector<std::string>{"A LONGTITLE", "Amount in 50 grams",
                                              "PROXIMATES :", "VITAMINS :"}));
    EXPECT_EQ(drawn.texts.size(), 6u);  // every text reaches the surface too
}

}  // namespace
}  // namespace quorvex
