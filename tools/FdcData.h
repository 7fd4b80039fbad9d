// SPDX-License-Identifier: GPL-3.0-or-later
// What the FoodData Central importer keeps of a download while it reads
// it: only what the food lines need, compactly, since a full download has
// two million foods.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/FdcImport.h"

namespace quorvex {

// A text stored in a TextArena.
struct Span {
    std::uint32_t at = 0;
    std::uint32_t length = 0;
};

// Texts stored one after another in large blocks that never move, so that
// storing many small texts costs neither a heap block each nor a copy of
// everything when the store grows.
class TextArena {
  public:
    // Throws std::bad_alloc for a text longer than a block or past 4 GiB.
    Span Store(std::string_view text);
    std::string_view Get(Span span) const;
    // The bytes of the blocks held.
    std::size_t Bytes() const { return blocks_.size() * kBlockBytes; }

  private:
    static constexpr std::uint32_t kBlockBytes = 1u << 24;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::uint32_t used_ = kBlockBytes;  // in the last block
};

// Slots of a food's values: the 36 nutrient fields, then vitamin D in µg
// and the Atwater energies, which stand in for missing fields. Stored as
// each non-empty slot's letter followed by its value (which holds no
// letter): "A15.87B717".
inline constexpr int kValueSlots = 39;
inline constexpr int kVitaminDMicrogramSlot = 36;
inline constexpr int kAtwaterSpecificEnergySlot = 37;
inline constexpr int kAtwaterGeneralEnergySlot = 38;
char SlotLetter(int slot);
int SlotOfLetter(char letter);  // -1 for a character that is no slot's
using Slots = std::array<std::string_view, kValueSlots>;
// The slots of stored values, views into them (all empty for none).
Slots SlotsOf(std::string_view stored);

struct FdcFood {
    std::uint32_t id = 0;
    std::uint32_t date = 0;  // publication_date as yyyymmdd, 0 when empty
    std::uint8_t type = 0;   // FdcType
    bool dropped = false;    // an older version of a Branded food's GTIN
    bool renamed = false;    // description given " (FDC <id>)"
    bool branded = false;    // has a branded_food row
    std::int32_t group = -1;
    Span description;  // from food.csv
    Span brand;        // Branded: brand name or owner
    Span gtin;         // Branded
    Span names;        // field 41 (Branded: the brand owner, without the data type and id)
    Span weights;      // field 43
    Span values;       // see kValueSlots
};

struct FdcGroup {
    std::string code;
    std::string name;
    bool used = false;
};

struct FdcDatabase::Data {
    TextArena texts;
    std::vector<FdcFood> foods;  // in food.csv order
    std::vector<FdcGroup> groups;
    std::vector<std::string> groupLines;
    FdcCounts counts;
};

// Reads the download's files (see ConvertFdc): foods, groups, names,
// weights and values, before groups get their codes and descriptions their
// suffixes.
std::unique_ptr<FdcDatabase::Data> ReadFdcDownload(const std::string& fdcDirectory,
                                                   const FdcTypes& types, ProgressSink* progress);

}  // namespace quorvex
