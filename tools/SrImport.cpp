#include "tools/SrImport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "db/Collation.h"
#include "db/DBUnit.h"
#include "db/DecimalText.h"
#include "db/FieldView.h"
#include "db/Fields.h"
#include "tools/FoodEncoder.h"
#include "tools/StagedFolder.h"

namespace quorvex {

namespace {

namespace fs = std::filesystem;

constexpr char kFoodsFileName[] = "ArqIng.dad";
constexpr char kGroupsFileName[] = "ArqGruIng.dad";

// ---- Records -----------------------------------------------------------------

constexpr int kMaxFields = 18;  // NUT_DATA, the widest record

// text in double quotes, control bytes written \xNN so that a message
// never carries them to the terminal.
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            quoted += c;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        quoted += escaped;
    }
    return quoted + "\"";
}

[[noreturn]] void FailAt(const SrFile& file, int line, const std::string& what) {
    throw ImportError(file.path + ":" + std::to_string(line) + ": " + what);
}

// Shows the share of input bytes consumed, in whole percent.
class ProgressMeter {
  public:
    ProgressMeter(ProgressSink* sink, std::size_t totalBytes)
        : sink_(totalBytes >= kProgressMinimumBytes ? sink : nullptr), total_(totalBytes) {
        if (sink_ == nullptr) return;
        sink_->Show(100);
        sink_->SetPosition(0);
    }
    ~ProgressMeter() {
        if (sink_ != nullptr) sink_->Close();
    }
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    void Advance(std::size_t bytes) {
        if (sink_ == nullptr) return;
        done_ += bytes;
        const int percent = static_cast<int>(done_ * 100 / total_);
        if (percent == shown_) return;
        shown_ = percent;
        sink_->SetPosition(percent);
    }

  private:
    ProgressSink* sink_;
    std::size_t total_;
    std::size_t done_ = 0;
    int shown_ = 0;
};

// A decimal number as USDA writes it: optional sign, digits, optional point
// and digits; at least one digit in all. Views into the record.
struct Decimal {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<Decimal> ParseDecimal(std::string_view text) {
    Decimal value;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        value.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    value.whole = text.substr(0, point);
    if (point != std::string_view::npos) value.fraction = text.substr(point + 1);
    if (value.whole.empty() && value.fraction.empty()) return std::nullopt;
    if (!AllDigits(value.whole) || !AllDigits(value.fraction)) return std::nullopt;
    return value;
}

// Appends value / 10^shift with exactly `decimals` decimals, rounding half
// away from zero. Done on the digits, so it is exact decimal rounding of the
// text, with no binary fraction in between.
void AppendRounded(const Decimal& value, int shift, int decimals, std::string& out) {
    DecimalDigits number;
    const long whole = static_cast<long>(value.whole.size()) - shift;
    if (whole < 1) number.digits.assign(static_cast<std::size_t>(1 - whole), '0');
    number.intDigits = static_cast<int>(std::max(whole, 1L));
    number.digits.append(value.whole).append(value.fraction);
    out += CutDecimalText(value.negative, std::move(number), decimals);
}

// Appends the value without leading zeros (one kept before the point) and
// without trailing zeros after it: 5.0 -> 5, .25 -> 0.25.
void AppendTrimmed(const Decimal& value, std::string& out) {
    std::string_view whole = value.whole;
    std::string_view fraction = value.fraction;
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    if (value.negative && (!whole.empty() || !fraction.empty())) out += '-';
    out.append(whole.empty() ? std::string_view("0") : whole);
    if (!fraction.empty()) out.append(".").append(fraction);
}

// Walks the records of one file: each non-empty line is split on "^" into
// exactly the expected number of fields, each without its enclosing "~".
class RecordReader {
  public:
    RecordReader(const SrFile& file, int fieldCount, ProgressMeter& meter)
        : file_(file), text_(file.bytes), fieldCount_(fieldCount), meter_(meter) {}

    // Moves to the next record; false at the end of the file.
    bool Next() {
        while (position_ < text_.size()) {
            ++line_;
            const std::size_t start = position_;
            if (start == 0 && text_.substr(0, 3) == "\xEF\xBB\xBF") {
                Fail("a UTF-8 byte-order mark; the files must be Windows-1252 text");
            }
            int count = 0;
            std::size_t fieldStart = start;
            std::size_t i = start;
            for (; i < text_.size() && text_[i] != '\r' && text_[i] != '\n'; ++i) {
                if (text_[i] != '^') continue;
                Store(count++, fieldStart, i);
                fieldStart = i + 1;
            }
            Store(count++, fieldStart, i);
            position_ = PastLineEnd(i);
            meter_.Advance(position_ - start);
            if (i == start) continue;
            if (count != fieldCount_) {
                Fail("expected " + std::to_string(fieldCount_) + " fields, found " +
                     std::to_string(count));
            }
            return true;
        }
        return false;
    }

    std::string_view Field(int i) const { return fields_[static_cast<std::size_t>(i)]; }
    int Line() const { return line_; }

    [[noreturn]] void Fail(const std::string& what) const { FailAt(file_, line_, what); }

    Decimal Number(int i, const char* name) const {
        const std::optional<Decimal> value = ParseDecimal(Field(i));
        if (!value) Fail(Unreadable(i, name));
        return *value;
    }

    // A whole number written in digits alone.
    int Integer(int i, const char* name) const {
        const std::string_view text = Field(i);
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (!IsDigits(text) || error != std::errc() || end != text.data() + text.size()) {
            Fail(Unreadable(i, name));
        }
        return value;
    }

    // A key field (NDB_No, FdGrp_Cd): digits only, since anything else,
    // a bar or a NUL above all, would break the viewer's lines.
    std::string_view Key(int i, const char* name) const {
        if (!IsDigits(Field(i)))
            Fail(name + (" " + Quoted(Field(i))) + " is not a string of digits");
        return Field(i);
    }

  private:
    static bool IsDigits(std::string_view text) { return !text.empty() && AllDigits(text); }

    std::string Unreadable(int i, const char* name) const {
        return "unreadable number " + Quoted(Field(i)) + " in " + name;
    }

    void Store(int k, std::size_t from, std::size_t to) {
        if (k >= fieldCount_) return;
        std::string_view field = text_.substr(from, to - from);
        if (field.size() >= 2 && field.front() == '~' && field.back() == '~') {
            field = field.substr(1, field.size() - 2);
        }
        fields_[static_cast<std::size_t>(k)] = field;
    }

    std::size_t PastLineEnd(std::size_t i) const {
        if (i >= text_.size()) return i;
        const bool crLf = text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n';
        return i + (crLf ? 2 : 1);
    }

    const SrFile& file_;
    std::string_view text_;
    int fieldCount_;
    ProgressMeter& meter_;
    std::size_t position_ = 0;
    int line_ = 0;
    std::array<std::string_view, kMaxFields> fields_{};
};

// ---- Nutrients -----------------------------------------------------------------

// USDA nutrient number of each nutrient field; shift 3 divides by 1000 where
// USDA's unit is a thousandth of the report's (selenium in µg, cholesterol
// in mg).
struct NutrientColumn {
    int number;
    int field;
    int shift;
};

constexpr NutrientColumn kNutrientColumns[] = {
    {255, kWater, 0},
    {208, kEnergy, 0},
    {203, kProtein, 0},
    {204, kTotalLipid, 0},
    {207, kAsh, 0},
    {205, kCarbohydrate, 0},
    {291, kFiber, 0},
    {301, kCalcium, 0},
    {303, kIron, 0},
    {304, kMagnesium, 0},
    {305, kPhosphorus, 0},
    {306, kPotassium, 0},
    {307, kSodium, 0},
    {309, kZinc, 0},
    {312, kCopper, 0},
    {315, kManganese, 0},
    {317, kSelenium, 3},
    {401, kAscorbicAcid, 0},
    {404, kThiamin, 0},
    {405, kRiboflavin, 0},
    {406, kNiacin, 0},
    {410, kPantothenicAcid, 0},
    {415, kVitaminB6, 0},
    {417, kFolateTotal, 0},
    {431, kFolicAcid, 0},
    {432, kFoodFolate, 0},
    {435, kFolateDfe, 0},
    {418, kVitaminB12, 0},
    {318, kVitaminAIu, 0},
    {392, kVitaminARe, 0},
    {394, kVitaminE, 0},
    {324, kVitaminD, 0},
    {606, kSaturated, 0},
    {645, kMonounsaturated, 0},
    {646, kPolyunsaturated, 0},
    {601, kCholesterol, 3},
};

constexpr int kNutrientCount = kLastNutrientField - kFirstNutrientField + 1;
static_assert(static_cast<int>(std::size(kNutrientColumns)) == kNutrientCount);

// USDA nutrient numbers have three digits.
constexpr int kNutrientNumbers = 1000;

// Index into kNutrientColumns (which is also field - kFirstNutrientField)
// for each nutrient number, -1 for the nutrients the viewer does not show.
constexpr std::array<int, kNutrientNumbers> MakeColumnOfNumber() {
    std::array<int, kNutrientNumbers> columns{};
    for (int& column : columns) column = -1;
    for (const NutrientColumn& c : kNutrientColumns) {
        columns[static_cast<std::size_t>(c.number)] = c.field - kFirstNutrientField;
    }
    return columns;
}

constexpr std::array<int, kNutrientNumbers> kColumnOfNumber = MakeColumnOfNumber();

int ColumnOf(int nutrientNumber) {
    if (nutrientNumber >= kNutrientNumbers) return -1;
    return kColumnOfNumber[static_cast<std::size_t>(nutrientNumber)];
}

// ---- Conversion ------------------------------------------------------------------

// Field positions (0-based) of the USDA records used here.
namespace foodDes {
constexpr int kFields = 14, kNumber = 0, kGroup = 1, kLongDesc = 2, kComName = 4, kRefDesc = 7,
              kRefuse = 8, kSciName = 9;
}
namespace fdGroup {
constexpr int kFields = 2, kCode = 0, kName = 1;
}
namespace weight {
constexpr int kFields = 7, kNumber = 0, kSeq = 1, kAmount = 2, kMeasure = 3, kGrams = 4;
}
namespace nutData {
constexpr int kFields = 18, kNumber = 0, kNutrient = 1, kValue = 2;
}
namespace nutrDef {
constexpr int kFields = 6, kNutrient = 0, kDecimals = 4;
}

// Room for every decimal count USDA uses, and then some.
constexpr int kMaxDecimals = 15;

struct Food {
    std::string_view number;  // NDB_No, a view into FOOD_DES
    int line = 0;             // in FOOD_DES, for messages
    std::string description;
    std::string group;
    std::string refuse;
    std::string refuseDescription;
    std::string commonName;
    std::string scientificName;
    std::array<std::string, kNutrientCount> values;
    std::vector<std::pair<int, std::string>> weights;  // Seq, item
};

// Positions 0..n-1 ordered by CompareText of textOf(i), so that texts equal
// without regard to case are neighbours.
template <class TextOf>
std::vector<std::size_t> CollatedOrder(std::size_t n, TextOf textOf) {
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareText(textOf(a), textOf(b));
        return c != 0 ? c < 0 : a < b;
    });
    return order;
}

// Calls fail(i) for each text (in collated order) equal to the one before it.
template <class TextOf, class Fail>
void FailOnEqualNeighbours(std::size_t n, TextOf textOf, Fail fail) {
    const std::vector<std::size_t> order = CollatedOrder(n, textOf);
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (CompareText(textOf(order[k - 1]), textOf(order[k])) == 0) fail(order[k]);
    }
}

std::size_t TotalBytes(const SrFiles& files) {
    return files.foods.bytes.size() + files.groups.bytes.size() + files.weights.bytes.size() +
           files.nutrientValues.bytes.size() + files.nutrients.bytes.size();
}

class SrConverter {
  public:
    SrConverter(const SrFiles& files, ProgressSink* progress)
        : files_(files), meter_(progress, TotalBytes(files)) {
        decimals_.fill(-1);
    }

    ImportedDatabase Run() {
        ReadNutrients();
        ReadGroups();
        ReadFoods();
        MakeDescriptionsUnique();
        ReadWeights();
        ReadValues();
        database_.foodLines.reserve(foods_.size());
        for (Food& food : foods_) database_.foodLines.push_back(FoodLine(food));
        database_.counts.foods = static_cast<int>(foods_.size());
        database_.counts.groups = static_cast<int>(database_.groupLines.size());
        return std::move(database_);
    }

  private:
    void ReadNutrients() {
        RecordReader record(files_.nutrients, nutrDef::kFields, meter_);
        std::array<bool, kNutrientNumbers> defined{};
        while (record.Next()) {
            const int number = record.Integer(nutrDef::kNutrient, "Nutr_No");
            const int decimals = record.Integer(nutrDef::kDecimals, "Num_Dec");
            if (decimals > kMaxDecimals) {
                record.Fail("Num_Dec " + std::to_string(decimals) + " is more than " +
                            std::to_string(kMaxDecimals));
            }
            if (number >= kNutrientNumbers) continue;
            if (std::exchange(defined[static_cast<std::size_t>(number)], true)) {
                record.Fail("nutrient " + std::to_string(number) + " is defined twice");
            }
            const int column = ColumnOf(number);
            if (column >= 0) decimals_[static_cast<std::size_t>(column)] = decimals;
        }
    }

    void ReadGroups() {
        RecordReader record(files_.groups, fdGroup::kFields, meter_);
        std::vector<int> lines;
        while (record.Next()) {
            std::string code(record.Key(fdGroup::kCode, "FdGrp_Cd"));
            std::string line = code + "|" + Clean(record, fdGroup::kName);
            groupCodes_.insert(std::move(code));
            database_.groupLines.push_back(std::move(line));
            lines.push_back(record.Line());
        }
        const auto codeOf = [this](std::size_t i) { return *LineKey(database_.groupLines[i]); };
        FailOnEqualNeighbours(lines.size(), codeOf, [&](std::size_t i) {
            FailAt(files_.groups, lines[i],
                   "group code \"" + std::string(codeOf(i)) +
                       "\" is already used (letter case ignored)");
        });
    }

    void ReadFoods() {
        RecordReader record(files_.foods, foodDes::kFields, meter_);
        while (record.Next()) {
            Food food;
            food.number = record.Key(foodDes::kNumber, "NDB_No");
            food.line = record.Line();
            food.description = Clean(record, foodDes::kLongDesc);
            food.group = record.Key(foodDes::kGroup, "FdGrp_Cd");
            if (groupCodes_.count(food.group) == 0) {
                record.Fail("food group \"" + food.group + "\" is not in " + files_.groups.path);
            }
            if (!record.Field(foodDes::kRefuse).empty()) {
                AppendRounded(record.Number(foodDes::kRefuse, "Refuse"), 0, 0, food.refuse);
            }
            food.refuseDescription = Clean(record, foodDes::kRefDesc);
            food.commonName = Clean(record, foodDes::kComName);
            food.scientificName = Clean(record, foodDes::kSciName);
            if (!foodOfNumber_.emplace(food.number, foods_.size()).second) {
                record.Fail("food " + std::string(food.number) + " is already defined");
            }
            foods_.push_back(std::move(food));
        }
    }

    // The food key index holds one entry per distinct description (letter
    // case ignored), so equal descriptions get their NDB_No to stay apart.
    void MakeDescriptionsUnique() {
        const auto descriptionOf = [this](std::size_t i) -> std::string_view {
            return foods_[i].description;
        };
        const std::vector<std::size_t> order = CollatedOrder(foods_.size(), descriptionOf);
        std::vector<bool> rename(foods_.size());
        for (std::size_t k = 1; k < order.size(); ++k) {
            if (CompareText(descriptionOf(order[k - 1]), descriptionOf(order[k])) != 0) continue;
            rename[order[k - 1]] = true;
            rename[order[k]] = true;
        }
        for (std::size_t i = 0; i < foods_.size(); ++i) {
            if (!rename[i]) continue;
            foods_[i].description += " (NDB " + std::string(foods_[i].number) + ")";
            ++database_.counts.renamedFoods;
        }
        FailOnEqualNeighbours(foods_.size(), descriptionOf, [this](std::size_t i) {
            FailAt(files_.foods, foods_[i].line,
                   "description \"" + foods_[i].description +
                       "\" is the same as another food's, even with its NDB_No added");
        });
    }

    void ReadWeights() {
        RecordReader record(files_.weights, weight::kFields, meter_);
        while (record.Next()) {
            Food& food = FoodOf(record, weight::kNumber, "household weight");
            const int seq = record.Integer(weight::kSeq, "Seq");
            std::string item;
            AppendTrimmed(record.Number(weight::kAmount, "Amount"), item);
            item += ' ';
            AppendClean(record, weight::kMeasure, item);
            item += " = ";
            AppendTrimmed(record.Number(weight::kGrams, "Gm_Wgt"), item);
            item += '~';
            food.weights.emplace_back(seq, std::move(item));
        }
    }

    void ReadValues() {
        RecordReader record(files_.nutrientValues, nutData::kFields, meter_);
        while (record.Next()) {
            Food& food = FoodOf(record, nutData::kNumber, "nutrient value");
            const int number = record.Integer(nutData::kNutrient, "Nutr_No");
            if (record.Field(nutData::kValue).empty()) continue;
            const Decimal value = record.Number(nutData::kValue, "Nutr_Val");
            const int column = ColumnOf(number);
            if (column < 0) continue;
            const int decimals = decimals_[static_cast<std::size_t>(column)];
            if (decimals < 0) {
                record.Fail("nutrient " + std::to_string(number) + " is not in " +
                            files_.nutrients.path);
            }
            std::string& text = food.values[static_cast<std::size_t>(column)];
            if (!text.empty()) {
                record.Fail("second value of nutrient " + std::to_string(number) + " for food " +
                            std::string(food.number));
            }
            const NutrientColumn& nutrient = kNutrientColumns[column];
            AppendRounded(value, nutrient.shift, decimals + nutrient.shift, text);
            ++database_.counts.values;
        }
    }

    std::string FoodLine(Food& food) {
        std::stable_sort(food.weights.begin(), food.weights.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string line;
        line.reserve(512);
        line.append(food.description);
        for (const std::string& value : food.values) line.append("|").append(value);
        for (const std::string* text : {&food.group, &food.refuse, &food.refuseDescription,
                                        &food.commonName, &food.scientificName}) {
            line.append("|").append(*text);
        }
        line += '|';
        for (const auto& [seq, item] : food.weights) line.append(item);
        database_.counts.weights += static_cast<int>(food.weights.size());
        return line;
    }

    Food& FoodOf(const RecordReader& record, int field, const char* what) {
        const std::string_view number = record.Key(field, "NDB_No");
        if (number != lastNumber_ || lastFood_ == nullptr) {
            const auto found = foodOfNumber_.find(number);
            if (found == foodOfNumber_.end()) {
                record.Fail(std::string(what) + " for food " + std::string(number) +
                            ", which is not in " + files_.foods.path);
            }
            lastNumber_ = number;
            lastFood_ = &foods_[found->second];
        }
        return *lastFood_;
    }

    // Appends the field's text with the viewer's separators replaced: "|"
    // ends a field and "~" a household weight item.
    void AppendClean(const RecordReader& record, int field, std::string& out) {
        for (const char c : record.Field(field)) {
            if (c == '|' || c == '~') {
                out += c == '|' ? '/' : '-';
                ++database_.counts.replacements;
                continue;
            }
            if (c == '\0') record.Fail("a NUL byte in a text");
            out += c;
        }
    }

    std::string Clean(const RecordReader& record, int field) {
        std::string text;
        AppendClean(record, field, text);
        return text;
    }

    const SrFiles& files_;
    ProgressMeter meter_;
    std::array<int, kNutrientCount> decimals_{};  // Num_Dec per column, -1 undefined
    std::unordered_set<std::string> groupCodes_;
    std::vector<Food> foods_;
    std::unordered_map<std::string_view, std::size_t> foodOfNumber_;
    std::string_view lastNumber_;
    Food* lastFood_ = nullptr;
    ImportedDatabase database_;
};

// ---- Writing -----------------------------------------------------------------------

}  // namespace

SrFiles ReadSrFiles(const std::string& srDirectory) {
    const auto read = [&](const char* name) {
        SrFile file{(fs::path(srDirectory) / name).string(), {}};
        try {
            file.bytes = ReadWholeFile(file.path);
        } catch (const NotEnoughMemory&) {
            throw;
        } catch (const std::runtime_error&) {
            throw ImportError(file.path + ": cannot open the file");
        }
        return file;
    };
    return SrFiles{read("FOOD_DES.txt"), read("FD_GROUP.txt"), read("WEIGHT.txt"),
                   read("NUT_DATA.txt"), read("NUTR_DEF.txt")};
}

ImportedDatabase ConvertSr(const SrFiles& files, ProgressSink* progress) {
    return SrConverter(files, progress).Run();
}

std::string FoodsFileBytes(const ImportedDatabase& database) {
    return EncodeFoodsFile(database.foodLines);
}

std::string GroupsFileBytes(const ImportedDatabase& database) {
    std::string file;
    for (const std::string& line : database.groupLines) file.append(line).append("\r\n");
    return file;
}

void WriteImportedDatabase(const std::string& dadosDirectory, const ImportedDatabase& database) {
    StagedFolder folder(dadosDirectory, {kFoodsFileName, kGroupsFileName});
    folder.Write(kFoodsFileName, FoodsFileBytes(database));
    folder.Write(kGroupsFileName, GroupsFileBytes(database));
    folder.Commit();
}

ImportedDatabase ImportSr(const std::string& srDirectory, const std::string& dadosDirectory,
                          ProgressSink* progress) {
    ImportedDatabase database = ConvertSr(ReadSrFiles(srDirectory), progress);
    WriteImportedDatabase(dadosDirectory, database);
    return database;
}

}  // namespace quorvex
