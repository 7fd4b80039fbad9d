// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a FoodData Central download into FdcDatabase::Data.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "db/WholeFile.h"
#include "tools/CsvReader.h"
#include "tools/FdcData.h"
#include "tools/Nutrients.h"
#include "tools/ProgressMeter.h"
#include "tools/RecordReader.h"
#include "tools/SrDecimal.h"
#include "tools/SrImport.h"
#include "tools/Windows1252.h"

namespace quorvex {

namespace {

constexpr std::array<std::string_view, kFdcTypeCount> kTypeNames = {"foundation", "sr_legacy",
                                                                    "survey", "branded"};
// food.csv's data_type of each FdcType.
constexpr std::array<std::string_view, kFdcTypeCount> kDataTypes = {
    "foundation_food", "sr_legacy_food", "survey_fndds_food", "branded_food"};

// The files read, and which data types need each (none: every import).
struct InputFile {
    std::string_view name;
    std::array<bool, kFdcTypeCount> neededBy;
};
constexpr InputFile kFiles[] = {
    {"food.csv", {}},
    {"food_category.csv", {}},
    {"branded_food.csv", {false, false, false, true}},
    {"survey_fndds_food.csv", {false, false, true, false}},
    {"wweia_food_category.csv", {false, false, true, false}},
    {"food_attribute.csv", {}},
    {"measure_unit.csv", {true, true, true, false}},
    {"food_portion.csv", {true, true, true, false}},
    {"food_nutrient.csv", {}},
};

// food_attribute's type of the common names.
constexpr std::string_view kCommonNameAttribute = "1000";
// food_portion's measure_unit_id of a portion whose unit is in its modifier.
constexpr std::string_view kUndeterminedUnit = "9999";
// Nutrient ids below this are Standard Reference numbers (one Survey release
// wrote those instead of FoodData Central's own ids, which start at 1001).
constexpr int kFirstFdcNutrientId = 1000;

// Value slots beyond the nutrient fields, by FoodData Central id and by
// Standard Reference number.
struct ExtraSlot {
    int slot;
    int fdcId;
    int number;
};
constexpr ExtraSlot kExtraSlots[] = {
    {kVitaminDMicrogramSlot, kVitaminDMicrogramFdcId, kVitaminDMicrogramNumber},
    {kAtwaterSpecificEnergySlot, kAtwaterSpecificEnergyFdcId, kAtwaterSpecificEnergyNumber},
    {kAtwaterGeneralEnergySlot, kAtwaterGeneralEnergyFdcId, kAtwaterGeneralEnergyNumber},
};

// The value slot of a nutrient_id (a Standard Reference number below
// kFirstFdcNutrientId); -1 for a nutrient that is not kept.
int SlotOfNutrient(int number) {
    const bool srNumber = number < kFirstFdcNutrientId;
    const int column = srNumber ? ColumnOfNumber(number) : ColumnOfFdcId(number);
    if (column >= 0) return column;
    for (const ExtraSlot& extra : kExtraSlots) {
        if (number == (srNumber ? extra.number : extra.fdcId)) return extra.slot;
    }
    return -1;
}

// A field that must be a string of digits that fits in 32 bits.
std::uint32_t IdOf(const CsvReader& csv, int column) {
    const std::string_view text = csv.Field(column);
    std::uint64_t id = 0;
    bool digits = !text.empty();
    for (const char c : text) {
        digits = digits && c >= '0' && c <= '9' && id <= 0xFFFFFFFFu;
        id = id * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!digits || id > 0xFFFFFFFFu)
        csv.FailAt(column, Quoted(text) + " is not a string of digits");
    return static_cast<std::uint32_t>(id);
}

Decimal NumberOf(const CsvReader& csv, int column) {
    const std::optional<Decimal> value = ParseDecimal(csv.Field(column));
    if (!value) csv.FailAt(column, "unreadable number " + Quoted(csv.Field(column)));
    return *value;
}

// "YYYY-MM-DD" or "M/D/YYYY" as yyyymmdd; 0 for an empty field.
std::uint32_t DateOf(const CsvReader& csv, int column) {
    const std::string_view text = csv.Field(column);
    if (text.empty()) return 0;
    int year = 0, month = 0, day = 0;
    char first = 0, second = 0;
    const std::string copy(text);
    int used = 0;
    const bool iso = std::sscanf(copy.c_str(), "%4d%c%2d%c%2d%n", &year, &first, &month, &second,
                                 &day, &used) == 5 &&
                     first == '-' && second == '-';
    const bool us = !iso &&
                    std::sscanf(copy.c_str(), "%2d%c%2d%c%4d%n", &month, &first, &day, &second,
                                &year, &used) == 5 &&
                    first == '/' && second == '/';
    if ((!iso && !us) || used != static_cast<int>(copy.size()) || month < 1 || month > 12 ||
        day < 1 || day > 31 || year < 1000 || !AllDigits(copy.substr(0, 1))) {
        csv.FailAt(column, "unreadable date " + Quoted(text));
    }
    return static_cast<std::uint32_t>(year * 10000 + month * 100 + day);
}

// A GTIN as a number that keeps its length (leading zeros tell "0123" from
// "123"); nothing for one that is not 1 to 17 digits.
std::optional<std::uint64_t> GtinKey(std::string_view gtin) {
    if (!IsDigits(gtin) || gtin.size() > 17) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : gtin) value = value * 10 + static_cast<std::uint64_t>(c - '0');
    return value * 32 + gtin.size();
}

// AppendRounded, with a short way for the common case of a value with no
// more decimals than are kept and no scaling, which is the text itself with
// zeros added: it runs for each of tens of millions of nutrient rows.
void AppendValue(const Decimal& value, int shift, int decimals, std::string& out) {
    const std::size_t kept = static_cast<std::size_t>(decimals);
    if (value.negative || shift != 0 || value.fraction.size() > kept ||
        (value.whole.size() > 1 && value.whole.front() == '0')) {
        AppendRounded(value, shift, decimals, out);
        return;
    }
    out.append(value.whole.empty() ? std::string_view("0") : value.whole);
    if (kept == 0) return;
    out.append(".").append(value.fraction).append(kept - value.fraction.size(), '0');
}

std::string Collapsed(std::string text) {
    std::string out;
    for (const char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// Room kept beyond twice what the tables hold: a block of texts, the
// files' buffers and the smaller maps.
constexpr std::size_t kRoomMargin = std::size_t{16} << 20;
// How much the tables grow between two looks at the memory left.
constexpr std::size_t kRoomCheckStep = std::size_t{4} << 20;
// What an entry of a hash map costs beside its key and value.
constexpr std::size_t kMapEntryBytes = 48;

class FdcConverter {
  public:
    FdcConverter(const std::string& directory, const FdcTypes& types, ProgressSink* progress);
    std::unique_ptr<FdcDatabase::Data> Run();

  private:
    std::string PathOf(std::string_view name) const { return directory_ + std::string(name); }
    bool Exists(std::string_view name) const;
    bool Have(FdcType type) const { return present_[static_cast<std::size_t>(type)]; }
    std::string Text(std::string_view utf8);
    Span Store(std::string_view text) { return data_->texts.Store(text); }
    Span Intern(std::string_view text);
    CsvReader Open(std::string_view name);
    bool Next(CsvReader& csv);
    std::size_t HeldBytes() const;

    void ReadCategories();
    void ReadFoods();
    int CategoryGroup(const CsvReader& csv, int column);
    void IndexFoods();
    FdcFood* FoodOf(const CsvReader& csv, int column, const char* what);
    void ReadBranded();
    void ReadBrandedRow(const CsvReader& csv, const std::array<int, 8>& columns, FdcFood& food);
    int BrandedGroup(std::string_view category);
    void DropOlderVersions();
    void ReadSurveyCategories();
    void ReadAttributes();
    void ReadMeasureUnits();
    void ReadPortions();
    std::string PortionText(const CsvReader& csv, const std::array<int, 7>& columns);
    void StorePortions();
    void ReadValues();
    void FlushValues();
    void LoadValues(FdcFood& food);

    std::string directory_;
    FdcTypes types_;
    std::array<bool, kFdcTypeCount> present_{};
    std::unique_ptr<FdcDatabase::Data> data_ = std::make_unique<FdcDatabase::Data>();
    ProgressMeter meter_;
    std::unordered_map<std::uint32_t, int> categoryGroups_;  // food_category id -> group
    bool haveCategories_ = false;
    std::unordered_map<std::string_view, Span> interned_;  // keys view the arena
    std::unordered_map<std::string, int> brandedGroups_;   // category, upper case -> group
    std::unordered_map<std::uint32_t, int> surveyGroups_;
    std::unordered_map<std::string, std::string> units_;  // measure_unit id -> name
    bool haveUnits_ = false;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> byId_;   // fdc_id, food
    std::vector<std::uint32_t> otherIds_;                         // foods of the types left out
    std::vector<std::pair<std::uint64_t, std::uint32_t>> gtins_;  // GtinKey, food
    std::uint32_t lastId_ = 0;
    FdcFood* lastFood_ = nullptr;
    bool lastKnown_ = false;
    struct Portion {
        std::uint32_t food;
        std::uint32_t seq;  // the largest for none
        std::uint32_t at;   // of its item in portionItems_
        std::uint32_t length;
    };
    std::vector<Portion> portions_;
    std::string portionItems_;
    std::size_t nextRoomCheck_ = 0;
    FdcFood* valueFood_ = nullptr;
    std::array<std::string, kValueSlots> values_;
    TextCounts text_;
};

// What the progress counts: the bytes of the files that the types asked
// for can need.
std::size_t TotalBytes(const std::string& directory, const FdcTypes& types) {
    std::size_t total = 0;
    for (const InputFile& file : kFiles) {
        bool needed = file.neededBy == std::array<bool, kFdcTypeCount>{};
        for (int type = 0; type < kFdcTypeCount; ++type) {
            needed = needed || (file.neededBy[static_cast<std::size_t>(type)] &&
                                types[static_cast<std::size_t>(type)]);
        }
        struct stat info {};
        if (needed && stat((directory + std::string(file.name)).c_str(), &info) == 0) {
            total += static_cast<std::size_t>(info.st_size);
        }
    }
    return total;
}

std::string WithSlash(const std::string& directory) {
    return directory.empty() || directory.back() == '/' ? directory : directory + "/";
}

FdcConverter::FdcConverter(const std::string& directory, const FdcTypes& types,
                           ProgressSink* progress)
    : directory_(WithSlash(directory)),
      types_(types),
      meter_(progress, TotalBytes(WithSlash(directory), types)) {}

bool FdcConverter::Exists(std::string_view name) const {
    struct stat info {};
    return stat(PathOf(name).c_str(), &info) == 0;
}

std::string FdcConverter::Text(std::string_view utf8) {
    std::string text;
    AppendWindows1252(utf8, text, text_);
    return text;
}

Span FdcConverter::Intern(std::string_view text) {
    const auto found = interned_.find(text);
    if (found != interned_.end()) return found->second;
    const Span span = Store(text);
    interned_.emplace(data_->texts.Get(span), span);
    return span;
}

// The memory left is looked at again on a new file's first row: the cache
// of the files read before may have changed it.
CsvReader FdcConverter::Open(std::string_view name) {
    nextRoomCheck_ = 0;
    return CsvReader(PathOf(name), &meter_);
}

// Every row read first makes sure that what the tables hold fits twice
// beside what the process may still use: the tables grow by doubling, and
// the foods file made at the end is about their size. An import that does
// not fit stops with a message, before the kernel would kill it.
bool FdcConverter::Next(CsvReader& csv) {
    const std::size_t held = HeldBytes();
    if (held >= nextRoomCheck_) {
        if (UsableMemory() < held + kRoomMargin) {
            throw NotEnoughMemory("not enough memory to convert the files in " + directory_);
        }
        nextRoomCheck_ = held + kRoomCheckStep;
    }
    return csv.Next();
}

std::size_t FdcConverter::HeldBytes() const {
    return data_->texts.Bytes() + data_->foods.capacity() * sizeof(FdcFood) +
           byId_.capacity() * sizeof(byId_[0]) + otherIds_.capacity() * sizeof(otherIds_[0]) +
           gtins_.capacity() * sizeof(gtins_[0]) + portions_.capacity() * sizeof(Portion) +
           portionItems_.capacity() + interned_.size() * kMapEntryBytes;
}

std::unique_ptr<FdcDatabase::Data> FdcConverter::Run() {
    if (Exists("food_category.csv")) ReadCategories();
    ReadFoods();
    IndexFoods();
    if (Have(kBranded)) {
        ReadBranded();
        DropOlderVersions();
    }
    if (Have(kSurvey)) ReadSurveyCategories();
    if (Exists("food_attribute.csv")) ReadAttributes();
    if (Have(kFoundation) || Have(kSrLegacy) || Have(kSurvey)) {
        if (Exists("measure_unit.csv")) ReadMeasureUnits();
        ReadPortions();
    }
    ReadValues();
    data_->counts.replacements = text_.replacements;
    data_->counts.standIns = text_.standIns;
    return std::move(data_);
}

// ---- Foods and their groups ------------------------------------------------------

void FdcConverter::ReadCategories() {
    CsvReader csv = Open("food_category.csv");
    const int id = csv.Require({"id"});
    const int code = csv.Require({"code"});
    const int description = csv.Require({"description"});
    while (Next(csv)) {
        const std::uint32_t key = IdOf(csv, id);
        IdOf(csv, code);  // a group code: digits, as the Standard Reference's
        if (!categoryGroups_.emplace(key, static_cast<int>(data_->groups.size())).second) {
            csv.FailAt(id, "food category " + std::to_string(key) + " is already defined");
        }
        data_->groups.push_back({std::string(csv.Field(code)), Text(csv.Field(description))});
    }
    haveCategories_ = true;
}

void FdcConverter::ReadFoods() {
    CsvReader csv = Open("food.csv");
    const int id = csv.Require({"fdc_id"});
    const int type = csv.Require({"data_type"});
    const int description = csv.Require({"description"});
    const int category = csv.Require({"food_category_id"});
    const int date = csv.Require({"publication_date"});
    while (Next(csv)) {
        const std::uint32_t fdcId = IdOf(csv, id);
        const auto found = std::find(kDataTypes.begin(), kDataTypes.end(), csv.Field(type));
        const auto index = static_cast<std::size_t>(found - kDataTypes.begin());
        if (found == kDataTypes.end() || !types_[index]) {
            if (found == kDataTypes.end()) ++data_->counts.samplingRecords;
            otherIds_.push_back(fdcId);
            continue;
        }
        FdcFood food;
        food.id = fdcId;
        food.type = static_cast<std::uint8_t>(index);
        food.date = DateOf(csv, date);
        food.description = Store(Text(csv.Field(description)));
        if (index == kFoundation || index == kSrLegacy) food.group = CategoryGroup(csv, category);
        present_[index] = true;
        data_->foods.push_back(food);
    }
}

int FdcConverter::CategoryGroup(const CsvReader& csv, int column) {
    if (csv.Field(column).empty()) return -1;
    const std::uint32_t id = IdOf(csv, column);
    if (!haveCategories_) throw ImportError(PathOf("food_category.csv") + ": cannot open the file");
    const auto found = categoryGroups_.find(id);
    if (found == categoryGroups_.end()) {
        csv.FailAt(column, "food category " + std::to_string(id) + " is not in food_category.csv");
    }
    return found->second;
}

void FdcConverter::IndexFoods() {
    byId_.reserve(data_->foods.size());
    for (std::uint32_t i = 0; i < data_->foods.size(); ++i)
        byId_.emplace_back(data_->foods[i].id, i);
    std::sort(byId_.begin(), byId_.end());
    std::sort(otherIds_.begin(), otherIds_.end());
    const auto repeated = std::adjacent_find(byId_.begin(), byId_.end(),
                                             [](auto a, auto b) { return a.first == b.first; });
    if (repeated != byId_.end()) {
        throw ImportError(PathOf("food.csv") + ": fdc_id " + std::to_string(repeated->first) +
                          " is given to more than one food");
    }
}

// The food of the row's fdc_id; nullptr for a food of a type left out.
FdcFood* FdcConverter::FoodOf(const CsvReader& csv, int column, const char* what) {
    const std::uint32_t id = IdOf(csv, column);
    if (lastKnown_ && id == lastId_) return lastFood_;
    const auto found = std::lower_bound(byId_.begin(), byId_.end(), std::make_pair(id, 0u));
    if (found != byId_.end() && found->first == id) {
        lastFood_ = &data_->foods[found->second];
    } else if (std::binary_search(otherIds_.begin(), otherIds_.end(), id)) {
        lastFood_ = nullptr;
    } else {
        csv.FailAt(column, std::string(what) + " for food " + std::to_string(id) +
                               ", which is not in food.csv");
    }
    lastId_ = id;
    lastKnown_ = true;
    return lastFood_;
}

// ---- Branded foods -------------------------------------------------------------

void FdcConverter::ReadBranded() {
    CsvReader csv = Open("branded_food.csv");
    const std::array<int, 8> columns = {csv.Require({"fdc_id"}),
                                        csv.Require({"brand_owner"}),
                                        csv.Column({"brand_name"}),
                                        csv.Require({"gtin_upc"}),
                                        csv.Require({"serving_size"}),
                                        csv.Require({"serving_size_unit"}),
                                        csv.Require({"household_serving_fulltext"}),
                                        csv.Require({"branded_food_category"})};
    lastKnown_ = false;
    while (Next(csv)) {
        FdcFood* food = FoodOf(csv, columns[0], "branded food row");
        if (food != nullptr && food->type == kBranded) ReadBrandedRow(csv, columns, *food);
    }
}

// Brands, owners and servings repeat across products: each is stored once.
void FdcConverter::ReadBrandedRow(const CsvReader& csv, const std::array<int, 8>& columns,
                                  FdcFood& food) {
    const std::string owner = Collapsed(Text(csv.Field(columns[1])));
    const std::string name = Collapsed(Text(csv.Field(columns[2])));
    const std::string_view gtin = csv.Field(columns[3]);
    food.branded = true;
    food.brand = Intern(name.empty() ? owner : name);
    food.gtin = Store(Text(gtin));
    food.names = Intern(owner);
    if (!csv.Field(columns[4]).empty()) {
        std::string size;
        AppendTrimmed(NumberOf(csv, columns[4]), size);
        std::string unit(csv.Field(columns[5]));
        for (char& c : unit) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string text = Collapsed(Text(csv.Field(columns[6])));
        if (text.empty()) text = "1 serving";
        if (unit == "g" || unit == "grm") food.weights = Intern(text + " = " + size + "~");
        if (unit == "ml" || unit == "mlt") {
            food.weights = Intern(text + " = " + size + " ml, counted as " + size + "~");
        }
    }
    food.group = BrandedGroup(csv.Field(columns[7]));
    if (const auto key = GtinKey(gtin)) {
        gtins_.emplace_back(*key, static_cast<std::uint32_t>(&food - data_->foods.data()));
    }
}

int FdcConverter::BrandedGroup(std::string_view category) {
    const std::string name = Collapsed(Text(category));
    if (name.empty()) return -1;
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto [found, added] =
        brandedGroups_.emplace(std::move(key), static_cast<int>(data_->groups.size()));
    if (added) data_->groups.push_back({"", name + " (Branded)"});
    return found->second;
}

void FdcConverter::DropOlderVersions() {
    std::sort(gtins_.begin(), gtins_.end());
    const auto newer = [this](std::uint32_t a, std::uint32_t b) {
        const FdcFood& x = data_->foods[a];
        const FdcFood& y = data_->foods[b];
        return std::make_pair(x.date, x.id) > std::make_pair(y.date, y.id);
    };
    for (std::size_t i = 0; i < gtins_.size();) {
        std::size_t end = i + 1;
        std::uint32_t newest = gtins_[i].second;
        for (; end < gtins_.size() && gtins_[end].first == gtins_[i].first; ++end) {
            if (newer(gtins_[end].second, newest)) newest = gtins_[end].second;
        }
        for (std::size_t k = i; k < end; ++k) {
            if (gtins_[k].second == newest) continue;
            data_->foods[gtins_[k].second].dropped = true;
            ++data_->counts.olderVersions;
        }
        i = end;
    }
    gtins_ = {};
}

// ---- Survey foods --------------------------------------------------------------

void FdcConverter::ReadSurveyCategories() {
    std::unordered_map<std::uint32_t, std::string> names;
    {
        CsvReader csv = Open("wweia_food_category.csv");
        const int code = csv.Require({"wweia_food_category", "wweia_food_category_code"});
        const int description = csv.Require({"wweia_food_category_description"});
        while (Next(csv)) names[IdOf(csv, code)] = Text(csv.Field(description));
    }
    CsvReader csv = Open("survey_fndds_food.csv");
    const int id = csv.Require({"fdc_id"});
    const int code = csv.Require({"wweia_category_code", "wweia_category_number"});
    lastKnown_ = false;
    while (Next(csv)) {
        FdcFood* food = FoodOf(csv, id, "survey food row");
        if (food == nullptr || food->type != kSurvey || csv.Field(code).empty()) continue;
        const std::uint32_t category = IdOf(csv, code);
        const auto name = names.find(category);
        if (name == names.end()) {
            csv.FailAt(code, "WWEIA category " + std::to_string(category) +
                                 " is not in wweia_food_category.csv");
        }
        const auto [group, added] =
            surveyGroups_.emplace(category, static_cast<int>(data_->groups.size()));
        if (added) {
            data_->groups.push_back({"S" + std::to_string(category), name->second + " (Survey)"});
        }
        food->group = group->second;
    }
}

// ---- Common names and household weights -----------------------------------------

void FdcConverter::ReadAttributes() {
    CsvReader csv = Open("food_attribute.csv");
    const int id = csv.Require({"fdc_id"});
    const int type = csv.Require({"food_attribute_type_id"});
    const int value = csv.Require({"value"});
    lastKnown_ = false;
    while (Next(csv)) {
        FdcFood* food = FoodOf(csv, id, "food attribute");
        if (food == nullptr || csv.Field(type) != kCommonNameAttribute) continue;
        const std::string name = Text(csv.Field(value));
        if (name.empty()) continue;
        const std::string_view before = data_->texts.Get(food->names);
        food->names = Store(before.empty() ? name : std::string(before) + "; " + name);
    }
}

void FdcConverter::ReadMeasureUnits() {
    CsvReader csv = Open("measure_unit.csv");
    const int id = csv.Require({"id"});
    const int name = csv.Require({"name"});
    while (Next(csv)) units_[std::to_string(IdOf(csv, id))] = Text(csv.Field(name));
    haveUnits_ = true;
}

void FdcConverter::ReadPortions() {
    CsvReader csv = Open("food_portion.csv");
    const std::array<int, 7> columns = {csv.Require({"fdc_id"}),
                                        csv.Require({"seq_num"}),
                                        csv.Require({"amount"}),
                                        csv.Require({"measure_unit_id"}),
                                        csv.Require({"portion_description"}),
                                        csv.Require({"modifier"}),
                                        csv.Require({"gram_weight"})};
    lastKnown_ = false;
    while (Next(csv)) {
        FdcFood* food = FoodOf(csv, columns[0], "food portion");
        if (food == nullptr || csv.Field(columns[6]).empty()) continue;
        const std::uint32_t seq = csv.Field(columns[1]).empty()
                                      ? std::numeric_limits<std::uint32_t>::max()
                                      : IdOf(csv, columns[1]);
        const std::size_t at = portionItems_.size();
        portionItems_ += PortionText(csv, columns) + " = ";
        AppendTrimmed(NumberOf(csv, columns[6]), portionItems_);
        portionItems_ += '~';
        if (portionItems_.size() > std::numeric_limits<std::uint32_t>::max())
            throw std::bad_alloc();
        portions_.push_back({static_cast<std::uint32_t>(food - data_->foods.data()), seq,
                             static_cast<std::uint32_t>(at),
                             static_cast<std::uint32_t>(portionItems_.size() - at)});
    }
    StorePortions();
}

std::string FdcConverter::PortionText(const CsvReader& csv, const std::array<int, 7>& columns) {
    const std::string described = Text(csv.Field(columns[4]));
    if (!described.empty()) return described;
    std::string text;
    if (!csv.Field(columns[2]).empty()) AppendTrimmed(NumberOf(csv, columns[2]), text);
    const std::string_view unit = csv.Field(columns[3]);
    if (!unit.empty() && unit != kUndeterminedUnit) {
        IdOf(csv, columns[3]);
        if (!haveUnits_) throw ImportError(PathOf("measure_unit.csv") + ": cannot open the file");
        const auto name = units_.find(std::string(unit));
        if (name == units_.end()) {
            csv.FailAt(columns[3],
                       "measure unit " + std::string(unit) + " is not in measure_unit.csv");
        }
        text += (text.empty() ? "" : " ") + name->second;
    }
    const std::string modifier = Text(csv.Field(columns[5]));
    if (!modifier.empty()) text += (text.empty() ? "" : " ") + modifier;
    return text;
}

// Each food's portions in seq_num order (equal ones in the file's order),
// wherever its rows are in the file, after the household weights it has.
void FdcConverter::StorePortions() {
    std::stable_sort(portions_.begin(), portions_.end(), [](const Portion& a, const Portion& b) {
        return std::make_pair(a.food, a.seq) < std::make_pair(b.food, b.seq);
    });
    for (std::size_t i = 0; i < portions_.size();) {
        FdcFood& food = data_->foods[portions_[i].food];
        std::string items(data_->texts.Get(food.weights));
        for (const std::uint32_t of = portions_[i].food;
             i < portions_.size() && portions_[i].food == of; ++i)
            items.append(portionItems_, portions_[i].at, portions_[i].length);
        food.weights = Store(items);
    }
    portions_ = {};
    portionItems_ = {};
}

// ---- Nutrient values ------------------------------------------------------------

void FdcConverter::ReadValues() {
    CsvReader csv = Open("food_nutrient.csv");
    const int id = csv.Require({"id"});
    const int fdcId = csv.Require({"fdc_id"});
    const int nutrient = csv.Require({"nutrient_id"});
    const int amount = csv.Require({"amount"});
    csv.SkipColumnsFrom(std::max({id, fdcId, nutrient, amount}) + 1);
    lastKnown_ = false;
    while (Next(csv)) {
        IdOf(csv, id);
        FdcFood* food = FoodOf(csv, fdcId, "nutrient value");
        const auto number = static_cast<int>(std::min(IdOf(csv, nutrient), 100000u));
        if (food == nullptr || csv.Field(amount).empty()) continue;
        const int slot = SlotOfNutrient(number);
        if (slot < 0) continue;
        const Decimal value = NumberOf(csv, amount);
        if (food != valueFood_) LoadValues(*food);
        std::string& text = values_[static_cast<std::size_t>(slot)];
        if (!text.empty()) {
            csv.FailAt(nutrient, "second value of nutrient " + std::to_string(number) +
                                     " for food " + std::to_string(food->id));
        }
        if (slot == kVitaminDMicrogramSlot) {
            AppendTrimmed(value, text);
            continue;
        }
        // An Atwater energy is written as the energy it stands in for.
        const int of = slot < kNutrientCount ? slot : kEnergy - kFirstNutrientField;
        const NutrientColumn& column = kNutrientColumns[static_cast<std::size_t>(of)];
        AppendValue(value, column.shift, column.decimals + column.shift, text);
    }
    FlushValues();
}

void FdcConverter::FlushValues() {
    if (valueFood_ == nullptr) return;
    std::string joined;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (values_[i].empty()) continue;
        joined.append(1, SlotLetter(static_cast<int>(i))).append(values_[i]);
        values_[i].clear();
    }
    valueFood_->values = Store(joined);
    valueFood_ = nullptr;
}

// Makes food the one whose values are being gathered, with those it got
// from earlier rows (the rows of a food need not be together).
void FdcConverter::LoadValues(FdcFood& food) {
    FlushValues();
    valueFood_ = &food;
    const Slots slots = SlotsOf(data_->texts.Get(food.values));
    std::copy(slots.begin(), slots.end(), values_.begin());
}

}  // namespace

FdcTypes ParseFdcTypes(std::string_view list) {
    FdcTypes types{};
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        const auto found = std::find(kTypeNames.begin(), kTypeNames.end(), name);
        if (found == kTypeNames.end()) {
            throw std::invalid_argument("unknown data type \"" + std::string(name) + "\"");
        }
        types[static_cast<std::size_t>(found - kTypeNames.begin())] = true;
        if (comma == std::string_view::npos) return types;
        list.remove_prefix(comma + 1);
    }
}

std::unique_ptr<FdcDatabase::Data> ReadFdcDownload(const std::string& fdcDirectory,
                                                   const FdcTypes& types, ProgressSink* progress) {
    return FdcConverter(fdcDirectory, types, progress).Run();
}

}  // namespace quorvex
