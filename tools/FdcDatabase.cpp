// SPDX-License-Identifier: GPL-3.0-or-later
// The converted download: group codes, unique descriptions, and the food
// lines made from what the reader kept.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "db/Collation.h"
#include "db/WholeFile.h"
#include "tools/FdcData.h"
#include "tools/FoodEncoder.h"
#include "tools/FoodOrder.h"
#include "tools/Nutrients.h"
#include "tools/SrDecimal.h"
#include "tools/SrImport.h"

namespace quorvex {

// ---- TextArena --------------------------------------------------------------------

Span TextArena::Store(std::string_view text) {
    if (text.size() > kBlockBytes) throw std::bad_alloc();
    if (text.size() > kBlockBytes - used_) {
        if (blocks_.size() >= (std::uint64_t{1} << 32) / kBlockBytes) throw std::bad_alloc();
        blocks_.push_back(std::make_unique<char[]>(kBlockBytes));
        used_ = 0;
    }
    std::memcpy(blocks_.back().get() + used_, text.data(), text.size());
    const Span span{static_cast<std::uint32_t>((blocks_.size() - 1) * kBlockBytes + used_),
                    static_cast<std::uint32_t>(text.size())};
    used_ += static_cast<std::uint32_t>(text.size());
    return span;
}

std::string_view TextArena::Get(Span span) const {
    if (span.length == 0) return {};
    return {blocks_[span.at / kBlockBytes].get() + span.at % kBlockBytes, span.length};
}

char SlotLetter(int slot) { return static_cast<char>(slot < 26 ? 'A' + slot : 'a' + slot - 26); }

int SlotOfLetter(char letter) {
    if (letter >= 'A' && letter <= 'Z') return letter - 'A';
    if (letter >= 'a' && letter < 'a' + kValueSlots - 26) return letter - 'a' + 26;
    return -1;
}

Slots SlotsOf(std::string_view stored) {
    Slots slots;
    std::size_t i = 0;
    while (i < stored.size()) {
        const int slot = SlotOfLetter(stored[i]);
        std::size_t end = i + 1;
        while (end < stored.size() && SlotOfLetter(stored[end]) < 0) ++end;
        slots[static_cast<std::size_t>(slot)] = stored.substr(i + 1, end - i - 1);
        i = end;
    }
    return slots;
}

namespace {

constexpr int kVitaminDColumn = kVitaminD - kFirstNutrientField;
constexpr int kEnergyColumn = kEnergy - kFirstNutrientField;

using Data = FdcDatabase::Data;

// Field 1: a Branded food's description followed by " (<brand>, GTIN
// <gtin>)", and " (FDC <id>)" where it is needed.
void AppendDescription(const Data& data, const FdcFood& food, std::string& text) {
    text.append(data.texts.Get(food.description));
    const std::string_view brand = data.texts.Get(food.brand);
    if (!brand.empty() || food.gtin.length > 0) text.append(" (").append(brand);
    if (food.gtin.length > 0) {
        text.append(brand.empty() ? "GTIN " : ", GTIN ").append(data.texts.Get(food.gtin));
    }
    if (!brand.empty() || food.gtin.length > 0) text += ')';
    if (food.renamed) text.append(" (FDC ").append(std::to_string(food.id)) += ')';
}

std::string Description(const Data& data, const FdcFood& food) {
    std::string text;
    AppendDescription(data, food, text);
    return text;
}

// Field 41: a Branded food's shows its brand owner, data type and id.
std::string Names(const Data& data, const FdcFood& food) {
    std::string names(data.texts.Get(food.names));
    if (!food.branded) return names;
    return names + (names.empty() ? "(" : " (") + "Branded Foods, FDC " + std::to_string(food.id) +
           ")";
}

// Vitamin D in µg as IU, 40 IU per µg, rounded to a whole number; exact,
// since the product is worked out on the decimal digits.
std::string IuOfMicrograms(std::string_view micrograms) {
    const Decimal value = *ParseDecimal(micrograms);
    std::string digits = std::string(value.whole) + std::string(value.fraction);
    int carry = 0;
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
        const int product = (*digit - '0') * (kIuPerMicrogramVitaminD / 10) + carry;
        *digit = static_cast<char>('0' + product % 10);
        carry = product / 10;
    }
    if (carry > 0) digits.insert(digits.begin(), static_cast<char>('0' + carry));
    // Times 10: the point moves one place right.
    std::size_t fraction = value.fraction.size();
    if (fraction == 0) digits += '0';
    fraction = fraction == 0 ? 0 : fraction - 1;
    const std::string_view all = digits;
    std::string iu;
    AppendRounded(
        {value.negative, all.substr(0, all.size() - fraction), all.substr(all.size() - fraction)},
        0, 0, iu);
    return iu;
}

// Whether vitamin D in µg stands in for the missing value in IU.
bool IuFromMicrograms(const Slots& slots) {
    return slots[kVitaminDColumn].empty() && !slots[kVitaminDMicrogramSlot].empty();
}

// The energy field: the food's energy, else its energy by specific
// Atwater factors, else by general ones.
std::string_view EnergyOf(const Slots& slots) {
    for (const int slot : {kEnergyColumn, kAtwaterSpecificEnergySlot, kAtwaterGeneralEnergySlot}) {
        if (!slots[static_cast<std::size_t>(slot)].empty())
            return slots[static_cast<std::size_t>(slot)];
    }
    return {};
}

// Sets the 36 nutrient fields from the stored values; iu holds a
// vitamin D in IU worked out from µg.
void SetValues(std::string_view stored, FoodLineFields& fields, std::string& iu) {
    const Slots slots = SlotsOf(stored);
    std::copy(slots.begin(), slots.begin() + kNutrientCount, fields.values.begin());
    fields.values[kEnergyColumn] = EnergyOf(slots);
    if (!IuFromMicrograms(slots)) return;
    iu = IuOfMicrograms(slots[kVitaminDMicrogramSlot]);
    fields.values[kVitaminDColumn] = iu;
}

// A hash equal for texts that CompareText finds equal.
std::uint64_t CollationHash(std::string_view text) {
    std::uint64_t hash = 14695981039346656037u;
    for (const char c : text) {
        hash = (hash ^ static_cast<std::uint64_t>(CollationWeight(static_cast<unsigned char>(c)))) *
               1099511628211u;
    }
    return hash;
}

// The foods kept whose description equals another's apart from letter case.
// The same finding as EqualTextPairs (tools/EqualTexts.h), which needs every
// text held at once: two million descriptions are built on demand here, so
// they meet by hash and only the few foods of one hash are compared.
std::vector<std::uint32_t> EqualDescriptions(const Data& data) {
    std::vector<std::pair<std::uint64_t, std::uint32_t>> hashes;
    std::string text;
    for (std::uint32_t i = 0; i < data.foods.size(); ++i) {
        if (data.foods[i].dropped) continue;
        text.clear();
        AppendDescription(data, data.foods[i], text);
        hashes.emplace_back(CollationHash(text), i);
    }
    std::sort(hashes.begin(), hashes.end());
    std::vector<std::uint32_t> equal;
    for (std::size_t i = 0; i < hashes.size();) {
        std::size_t end = i + 1;
        while (end < hashes.size() && hashes[end].first == hashes[i].first) ++end;
        for (std::size_t a = i; a < end && end - i > 1; ++a) {
            const std::string first = Description(data, data.foods[hashes[a].second]);
            for (std::size_t b = i; b < end; ++b) {
                if (a == b ||
                    CompareText(first, Description(data, data.foods[hashes[b].second])) != 0) {
                    continue;
                }
                equal.push_back(hashes[a].second);
                break;
            }
        }
        i = end;
    }
    return equal;
}

void MakeDescriptionsUnique(Data& data, const std::string& foodsPath) {
    for (const std::uint32_t i : EqualDescriptions(data)) {
        data.foods[i].renamed = true;
        ++data.counts.renamedFoods;
    }
    if (data.counts.renamedFoods == 0) return;
    const std::vector<std::uint32_t> still = EqualDescriptions(data);
    if (!still.empty()) {
        throw ImportError(foodsPath + ": description \"" + Description(data, data.foods[still[0]]) +
                          "\" is the same as another food's, even with its FDC id added");
    }
}

// Codes for the Branded categories in the order of their names, the
// lines of the groups that hold a food, and no name twice.
void MakeGroupLines(Data& data) {
    for (const FdcFood& food : data.foods) {
        if (!food.dropped && food.group >= 0)
            data.groups[static_cast<std::size_t>(food.group)].used = true;
    }
    std::vector<FdcGroup*> branded;
    for (FdcGroup& group : data.groups) {
        if (group.used && group.code.empty()) branded.push_back(&group);
    }
    std::sort(branded.begin(), branded.end(), [](const FdcGroup* a, const FdcGroup* b) {
        return CompareText(a->name, b->name) < 0;
    });
    for (std::size_t i = 0; i < branded.size(); ++i) {
        char code[32];
        std::snprintf(code, sizeof code, "B%04zu", i + 1);
        branded[i]->code = code;
    }
    std::vector<const FdcGroup*> used;
    for (const FdcGroup& group : data.groups) {
        if (group.used) used.push_back(&group);
    }
    std::sort(used.begin(), used.end(), [](const FdcGroup* a, const FdcGroup* b) {
        return CompareText(a->code, b->code) < 0;
    });
    std::vector<std::string> names;
    for (const FdcGroup* group : used) {
        const bool taken = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            return CompareText(name, group->name) == 0;
        });
        names.push_back(taken ? group->name + " [" + group->code + "]" : group->name);
        data.groupLines.push_back(group->code + "|" + names.back());
    }
    data.counts.groups = static_cast<int>(data.groupLines.size());
}

void CountFoods(Data& data) {
    for (const FdcFood& food : data.foods) {
        if (food.dropped) continue;
        ++data.counts.foods[food.type];
        const std::string_view weights = data.texts.Get(food.weights);
        data.counts.weights += static_cast<int>(std::count(weights.begin(), weights.end(), '~'));
        const Slots slots = SlotsOf(data.texts.Get(food.values));
        data.counts.values += std::count_if(slots.begin(), slots.begin() + kNutrientCount,
                                            [](std::string_view value) { return !value.empty(); });
        if (slots[kEnergyColumn].empty() && !EnergyOf(slots).empty()) ++data.counts.values;
        if (IuFromMicrograms(slots)) {
            ++data.counts.vitaminDFromMicrograms;
            ++data.counts.values;
        }
    }
}

constexpr char kNoRoomForFoodsFile[] = "not enough memory to make the foods file";

// Makes food lines one at a time in buffers of its own, used again for each.
class LineMaker {
  public:
    explicit LineMaker(const Data& data) : data_(data) {}

    // The line of food, valid until the next call.
    std::string_view LineOf(const FdcFood& food) {
        FoodLineFields fields;
        SetValues(data_.texts.Get(food.values), fields, iu_);
        if (food.group >= 0) fields.group = data_.groups[static_cast<std::size_t>(food.group)].code;
        names_ = Names(data_, food);
        fields.commonName = names_;
        text_.clear();
        AppendDescription(data_, food, text_);
        AppendFoodLineFields(fields, text_);
        text_ += data_.texts.Get(food.weights);
        return text_;
    }

    // Asks for the texts of a food whose line is wanted soon: foods taken
    // out of their stored order would otherwise wait for each of them.
    void FetchAhead(const FdcFood& food) const {
        for (const Span span :
             {food.description, food.brand, food.gtin, food.names, food.weights, food.values})
            __builtin_prefetch(data_.texts.Get(span).data());
    }

  private:
    const Data& data_;
    std::string text_, iu_, names_;
};

// The indices of the foods kept, in the order of the foods file. Only
// their keys are held to sort them, never their lines.
std::vector<std::uint32_t> FoodsInWritingOrder(const Data& data) {
    // What a key holds beyond its stored texts: the brand's and GTIN's
    // frames, an FDC id and the key's end.
    constexpr std::size_t kKeyExtra = 32 + kFoodKeyEndBytes;
    std::size_t keyBytes = 0;
    for (const FdcFood& food : data.foods)
        keyBytes += kKeyExtra + food.description.length + food.brand.length + food.gtin.length;
    if (keyBytes + data.foods.size() * kTableOrderBytesPerFood > UsableMemory())
        throw NotEnoughMemory(kNoRoomForFoodsFile);
    std::string keys;
    keys.reserve(keyBytes);
    for (std::uint32_t i = 0; i < data.foods.size(); ++i) {
        if (data.foods[i].dropped) continue;
        AppendDescription(data, data.foods[i], keys);
        EndFoodKey(keys, i);
    }
    return FoodsInTableOrder(keys);
}

}  // namespace

FdcDatabase::FdcDatabase(std::unique_ptr<Data> data) : data_(std::move(data)) {}
FdcDatabase::~FdcDatabase() = default;

void FdcDatabase::ForEachFoodLine(const std::function<void(std::string_view line)>& line) const {
    LineMaker maker(*data_);
    for (const FdcFood& food : data_->foods) {
        if (!food.dropped) line(maker.LineOf(food));
    }
}

const std::vector<std::string>& FdcDatabase::GroupLines() const { return data_->groupLines; }

const FdcCounts& FdcDatabase::Counts() const { return data_->counts; }

// Room reserved but never written costs no memory, so the foods file gets
// a bound on its size instead of a pass that measures every line.
std::string FdcDatabase::FoodsFileBytes() const {
    const std::vector<std::uint32_t> order = FoodsInWritingOrder(*data_);
    // What a line holds beyond its stored texts: separators, suffixes, an
    // IU worked out from µg, a group code and the line end.
    constexpr std::size_t kLineExtra = 200;
    std::size_t bound = 0;
    for (const FdcFood& food : data_->foods) {
        bound += kLineExtra + food.description.length + food.brand.length + food.gtin.length +
                 food.names.length + food.weights.length + food.values.length;
    }
    if (bound > UsableMemory()) throw NotEnoughMemory(kNoRoomForFoodsFile);
    std::string file;
    file.reserve(bound);
    LineMaker maker(*data_);
    // The food of each index is fetched twice as far ahead as its texts,
    // which can only be asked for once the food is at hand.
    constexpr std::size_t kAhead = 32;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + 2 * kAhead < order.size()) __builtin_prefetch(&data_->foods[order[i + 2 * kAhead]]);
        if (i + kAhead < order.size()) maker.FetchAhead(data_->foods[order[i + kAhead]]);
        AppendEncodedLine(static_cast<int>(i), maker.LineOf(data_->foods[order[i]]), file);
        file.append("\r\n");
    }
    return file;
}

std::unique_ptr<FdcDatabase> ConvertFdc(const std::string& fdcDirectory, const FdcTypes& types,
                                        ProgressSink* progress) {
    std::unique_ptr<Data> data = ReadFdcDownload(fdcDirectory, types, progress);
    MakeGroupLines(*data);
    MakeDescriptionsUnique(*data, (std::filesystem::path(fdcDirectory) / "food.csv").string());
    CountFoods(*data);
    return std::make_unique<FdcDatabase>(std::move(data));
}

std::unique_ptr<FdcDatabase> ImportFdc(const std::string& fdcDirectory,
                                       const std::string& dadosDirectory, const FdcTypes& types,
                                       ProgressSink* progress) {
    std::unique_ptr<FdcDatabase> database = ConvertFdc(fdcDirectory, types, progress);
    WriteDatabaseFiles(dadosDirectory, database->FoodsFileBytes(), database->GroupLines());
    return database;
}

}  // namespace quorvex
