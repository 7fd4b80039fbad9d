// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/CompositionReport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

#include "db/DecimalText.h"
#include "db/FieldView.h"
#include "db/Fields.h"
#include "db/StrUnit.h"
#include "report/Geometry.h"

namespace quorvex {

const char* const kReportFace = "Courier New";

namespace {

// ---- Value texts ----------------------------------------------------------

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

// Blanks, an optional sign, digits with an optional "." and fraction, an
// optional exponent, and nothing after. Parsed to the nearest double
// without the locale; a number beyond the double range does not parse.
bool ParseValueText(std::string_view text, double& value) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return false;
    std::size_t start = i;
    if (text[i] == '+')
        start = ++i;
    else if (text[i] == '-')
        ++i;
    const std::size_t integerEnd = SkipDigits(text, i);
    std::size_t end = integerEnd;
    if (end < text.size() && text[end] == '.') end = SkipDigits(text, end + 1);
    const std::size_t mantissaDigits = end - i - (end > integerEnd ? 1 : 0);
    if (mantissaDigits == 0) return false;
    if (end < text.size() && (text[end] == 'E' || text[end] == 'e')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        end = SkipDigits(text, exponent);
        if (end == exponent) return false;
    }
    if (end != text.size()) return false;
    // from_chars takes no leading "+", so the number starts after it.
    const auto result = std::from_chars(text.data() + start, text.data() + end, value);
    return result.ec == std::errc() && result.ptr == text.data() + end;
}

// First step: 17 decimals below 10, otherwise 18 significant digits, each
// rounded to nearest with ties to even (to_chars rounds correctly).
DecimalDigits FirstDigits(long double magnitude) {
    char buffer[128];
    DecimalDigits result;
    if (magnitude < 10.0L) {
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, 17)
                .ptr;
        const std::string text(buffer, end);
        const std::size_t point = text.find('.');
        result.digits = text.substr(0, point) + text.substr(point + 1);
        result.intDigits = static_cast<int>(point);
        return result;
    }
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 17)
            .ptr;
    const std::string text(buffer, end);
    const std::size_t exponent = text.find('e');
    result.digits = text.substr(0, 1) + text.substr(2, exponent - 2);
    result.intDigits = std::atoi(text.c_str() + exponent + 1) + 1;
    return result;
}

// ---- Layout ---------------------------------------------------------------

constexpr int kTitleRowLength = 100;
constexpr std::size_t kTitleCut = 97;
constexpr int kAmountLineTrailingBlanks = 9;

const char* const kDatabaseLine =
    "USDA Nutrient Database for Standard Reference, Release 14 (2001)";
const char* const kPublisherName = "BELMARK - SOFTWARE E SERVI\xC7OS";
const char* const kPublisherSite = "https://quorvex.example/";
const char* const kPublisherEmail = "contact@quorvex.example";

struct NutrientRow {
    int offset;  // rows below D
    int field;
    const char* label;
};

constexpr NutrientRow kProximateRows[] = {
    {1, kWater, "Water____________g   "},   {2, kEnergy, "Energy___________kal "},
    {3, kProtein, "Protein__________g   "}, {4, kTotalLipid, "Total lipid _____g   "},
    {5, kAsh, "Ash______________g   "},     {6, kCarbohydrate, "Carbohydrate_____g   "},
    {7, kFiber, "Fiber, total_____g   "},
};

constexpr NutrientRow kMineralRows[] = {
    {10, kCalcium, "Calcium, Ca______mg   "},   {11, kIron, "Iron, Fe_________mg   "},
    {12, kMagnesium, "Magnesium________mg   "}, {13, kPhosphorus, "Phosphorus, P____mg   "},
    {14, kPotassium, "Potassium, K_____mg   "}, {15, kSodium, "Sodium, Na_______mg   "},
    {16, kZinc, "Zinc, Zn_________mg   "},      {17, kCopper, "Copper, Cu_______mg   "},
    {18, kManganese, "Manganese, Mn____mg   "}, {19, kSelenium, "Selenium, Se_____mg   "},
};

constexpr NutrientRow kVitaminRows[] = {
    {1, kAscorbicAcid, "Total ascorbic acid__mg   "},
    {2, kThiamin, "Thiamin______________mg   "},
    {3, kRiboflavin, "Riboflavin___________mg   "},
    {4, kNiacin, "Niacin_______________mg   "},
    {5, kPantothenicAcid, "Pantothenic acid_____mg   "},
    {6, kVitaminB6, "Vitamin B-6__________mg   "},
    {7, kFolateTotal, "Folate, total________mcg  "},
    {8, kFolicAcid, "   Folic acid________mcg  "},
    {9, kFoodFolate, "   Folete, food______mcg  "},
    {10, kFolateDfe, "Folate, DFE______mcg_DFE  "},
    {11, kVitaminB12, "Vitamin B-12_________mcg  "},
    {12, kVitaminAIu, "Vitamin A, IU________IU   "},
    {13, kVitaminARe, "Vitamin A, RE____mcg_RE   "},
    {14, kVitaminE, "Vitamin E________mg_ATE   "},
    {15, kVitaminD, "Vitamin D____________IU   "},
};

constexpr NutrientRow kLipidRows[] = {
    {18, kSaturated, "Total saturated________g "},
    {19, kMonounsaturated, "Total monounsaturated__g "},
    {20, kPolyunsaturated, "Total polyunsaturated__g "},
    {21, kCholesterol, "Cholesterol____________g "},
};

// A nutrient label in words: its name before the underscores, its unit
// after them ("mcg_DFE" reads "mcg DFE"), both without blanks around.
std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string SpokenNutrient(const std::string& label, const std::string& field) {
    const std::string trimmed = Trimmed(label);
    const std::size_t underscores = trimmed.find('_');
    const std::string name = Trimmed(trimmed.substr(0, underscores));
    std::string unit = trimmed.substr(trimmed.find_first_not_of('_', underscores));
    std::replace(unit.begin(), unit.end(), '_', ' ');
    const std::string value = Trimmed(field);
    return value.empty() ? name + ": no reliable data" : name + " " + value + " " + unit;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The fields of a food line, split once: a damaged file may make the
// description millions of characters long, and a field looked up from the
// line's start would pass it again every time.
class FoodFields {
  public:
    explicit FoodFields(std::string_view foodLine)
        : fields_(SplitFields(foodLine, kFoodFieldCount)) {}

    // Field n, 1 to kFoodFieldCount (Fields.h).
    std::string_view operator[](int n) const { return fields_[static_cast<std::size_t>(n - 1)]; }
    std::string Text(int n) const { return std::string((*this)[n]); }

  private:
    std::vector<std::string_view> fields_;
};

// Draws rows of one report at one resolution; keeps the style switches in
// one place.
class ReportWriter {
  public:
    ReportWriter(Canvas& canvas, int ppi) : canvas_(canvas), geometry_(ReportGeometryFor(ppi)) {}

    void Style(bool bold) { canvas_.SetFont(kReportFace, geometry_.cellHeight, bold); }
    void Left(int row, const std::string& text) {
        canvas_.TextOut(geometry_.leftX, geometry_.TextTop(row), text);
    }
    void Right(int row, const std::string& text) {
        canvas_.TextOut(geometry_.rightX, geometry_.TextTop(row), text);
    }
    void Rule(int row) { canvas_.HorizontalLine(0, geometry_.pageWidth, geometry_.RuleY(row)); }

    // A bold heading between regular rows.
    void LeftHeading(int row, const std::string& text) { Heading(row, text, geometry_.leftX); }
    void RightHeading(int row, const std::string& text) { Heading(row, text, geometry_.rightX); }

    void Nutrients(int firstRow, bool right, const NutrientRow* rows, std::size_t count,
                   const FoodFields& food, double amount) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::string text = rows[i].label + ScaleValueText(food[rows[i].field], amount);
            const int row = firstRow + rows[i].offset;
            right ? Right(row, text) : Left(row, text);
        }
    }

  private:
    void Heading(int row, const std::string& text, int x) {
        Style(true);
        canvas_.TextOut(x, geometry_.TextTop(row), text);
        Style(false);
    }

    Canvas& canvas_;
    ReportGeometry geometry_;
};

// Draws the title in one or two rows and gives the number of rows taken.
int DrawTitle(ReportWriter& writer, std::string description) {
    const std::string title = UpperAscii(std::move(description));
    if (title.size() <= static_cast<std::size_t>(kTitleRowLength)) {
        writer.Left(1, title);
        return 1;
    }
    writer.Left(1, title.substr(0, kTitleCut) + "...");
    // Built in place: a damaged file can make the title millions of
    // characters long.
    writer.Left(2, std::string("...").append(title, kTitleCut));
    return 2;
}

std::string RefuseLine(const FoodFields& food) {
    std::string line = "Percentage of Refuse : ";
    const std::string percentage = food.Text(kRefusePercentage);
    const std::string description = food.Text(kRefuseDescription);
    if (!percentage.empty()) line += percentage + "%";
    if (!description.empty()) line += " ( " + description + " )";
    return line;
}

// One row per "~"-ended item from firstRow on, unscaled; gives the count.
int DrawHouseholdWeights(ReportWriter& writer, int firstRow, const FoodFields& food) {
    const std::string_view weights = food[kHouseholdWeights];
    int count = 0;
    std::size_t start = 0;
    for (std::size_t end = weights.find('~'); end != std::string_view::npos;
         end = weights.find('~', start)) {
        writer.Left(firstRow + count, std::string(weights.substr(start, end - start)) + " g");
        ++count;
        start = end + 1;
    }
    return count;
}

void DrawLeftColumn(ReportWriter& writer, int d, double amount, const FoodFields& food,
                    const TextTable& groupTable, const TextTable& groupCodeIndex) {
    writer.LeftHeading(d, "PROXIMATES :");
    writer.Nutrients(d, false, kProximateRows, std::size(kProximateRows), food, amount);
    writer.LeftHeading(d + 9, "MINERALS :");
    writer.Nutrients(d, false, kMineralRows, std::size(kMineralRows), food, amount);
    writer.LeftHeading(d + 21, "NAMES : ");
    writer.Left(d + 22, "Common: " + food.Text(kCommonName));
    writer.Left(d + 23, "Scient: " + food.Text(kScientificName));
    int group = 0;
    if (groupCodeIndex.Find(food[kFoodGroupCode], group)) {
        writer.Left(d + 24, "Group : " + GetItemField(groupTable, group, kGroupName));
    }
    writer.LeftHeading(d + 26, "HOUSEHOLD WEIGHT : ");
    const int k = DrawHouseholdWeights(writer, d + 27, food);
    writer.Rule(d + 27 + k);
    writer.LeftHeading(d + 28 + k, kDatabaseLine);
    writer.Rule(d + 28 + k);
}

void DrawRightColumn(ReportWriter& writer, int d, double amount, const FoodFields& food) {
    writer.RightHeading(d, "VITAMINS :");
    writer.Nutrients(d, true, kVitaminRows, std::size(kVitaminRows), food, amount);
    writer.RightHeading(d + 17, "LIPIDS :");
    writer.Nutrients(d, true, kLipidRows, std::size(kLipidRows), food, amount);
    writer.RightHeading(d + 23, kPublisherName);
    writer.Right(d + 24, std::string("Site : ") + kPublisherSite);
    writer.Right(d + 25, std::string("Email: ") + kPublisherEmail);
}

}  // namespace

std::string ScaleValueText(std::string_view valueText, double amount) {
    double value = 0.0;
    if (!ParseValueText(valueText, value)) return RepeatText(" ", kValueFieldWidth);
    const std::size_t point = valueText.find('.');
    const int decimals =
        point == std::string_view::npos ? 0 : static_cast<int>(valueText.size() - point - 1);
    const long double x = static_cast<long double>(amount) / 100.0L * value;
    if (!std::isfinite(x)) return RepeatText(" ", kValueFieldWidth);
    // Second step: the half-up cut to the value text's decimals.
    return FitText(CutDecimalText(x < 0, FirstDigits(x < 0 ? -x : x), decimals), kValueFieldWidth);
}

std::string FormatAmountText(double amount, char decimalSeparator) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, amount, std::chars_format::general, 15).ptr;
    std::string text(buffer, end);
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

std::string ReadableRowText(const std::string& drawn) {
    const auto spoken = [&drawn](const auto& rows, std::string& out) {
        for (const NutrientRow& row : rows) {
            const std::string label = row.label;
            if (drawn.size() == label.size() + kValueFieldWidth &&
                drawn.compare(0, label.size(), label) == 0) {
                out = SpokenNutrient(label, drawn.substr(label.size()));
                return true;
            }
        }
        return false;
    };
    std::string out;
    if (spoken(kProximateRows, out) || spoken(kMineralRows, out) || spoken(kVitaminRows, out) ||
        spoken(kLipidRows, out)) {
        return out;
    }
    return drawn.substr(0, drawn.find_last_not_of(' ') + 1);
}

void DrawCompositionReport(Canvas& canvas, int ppi, double amount, char decimalSeparator,
                           std::string_view foodLine, const TextTable& groupTable,
                           const TextTable& groupCodeIndex) {
    const FoodFields food(foodLine);
    ReportWriter writer(canvas, ppi);
    writer.Style(true);
    const int b = DrawTitle(writer, food.Text(kFoodDescription));
    writer.Rule(b);
    writer.Left(b + 1, "Amount in " + FormatAmountText(amount, decimalSeparator) +
                           " grams of edible portion - Blanks indicate lack of reliable data" +
                           RepeatText(" ", kAmountLineTrailingBlanks));
    writer.Left(b + 2, RefuseLine(food));
    writer.Rule(b + 2);
    writer.Style(false);
    const int d = b + 3;
    DrawLeftColumn(writer, d, amount, food, groupTable, groupCodeIndex);
    DrawRightColumn(writer, d, amount, food);
}

}  // namespace quorvex
