// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Nutrients.h"

#include <cstddef>

namespace quorvex {

namespace {

constexpr bool InFieldOrder() {
    for (int i = 0; i < kNutrientCount; ++i) {
        if (kNutrientColumns[static_cast<std::size_t>(i)].field != kFirstNutrientField + i) {
            return false;
        }
    }
    return true;
}
static_assert(InFieldOrder());

// Column index by key (a nutrient number or id below size), -1 elsewhere;
// built at compile time since a lookup is made for every nutrient row.
template <std::size_t size>
constexpr std::array<signed char, size> ColumnsBy(int NutrientColumn::*key) {
    std::array<signed char, size> columns{};
    for (signed char& column : columns) column = -1;
    for (int i = 0; i < kNutrientCount; ++i) {
        columns[static_cast<std::size_t>(kNutrientColumns[static_cast<std::size_t>(i)].*key)] =
            static_cast<signed char>(i);
    }
    return columns;
}

constexpr auto kColumnOfNumber = ColumnsBy<1000>(&NutrientColumn::number);
constexpr auto kColumnOfFdcId = ColumnsBy<2000>(&NutrientColumn::fdcId);

}  // namespace

int ColumnOfNumber(int number) {
    return number >= 0 && number < 1000 ? kColumnOfNumber[static_cast<std::size_t>(number)] : -1;
}

int ColumnOfFdcId(int fdcId) {
    return fdcId >= 0 && fdcId < 2000 ? kColumnOfFdcId[static_cast<std::size_t>(fdcId)] : -1;
}

void AppendFoodLineFields(const FoodLineFields& fields, std::string& line) {
    for (const std::string_view value : fields.values) line.append("|").append(value);
    for (const std::string_view text : {fields.group, fields.refuse, fields.refuseDescription,
                                        fields.commonName, fields.scientificName}) {
        line.append("|").append(text);
    }
    line += '|';
}

}  // namespace quorvex
