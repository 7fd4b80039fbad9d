// SPDX-License-Identifier: GPL-3.0-or-later
// The order in which the importers write the foods file: the viewer's
// table order (PutInTableOrder), so that the viewer finds its food table
// already sorted and each line's place in the file is its place in the
// table.
//
// Only the foods' keys are sorted, never their whole lines. The importers
// keep "|" out of descriptions and make descriptions unique with letter
// case ignored, so that no two compare equal; two keys, each a description
// followed by its bar, then differ in weight at a byte before either ends,
// and the two lines, which begin with their keys, differ there in the same
// way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// What FoodsInTableOrder holds for each food beyond the keys themselves,
// for a memory budget made before it runs.
inline constexpr std::size_t kTableOrderBytesPerFood = 100;

// What EndFoodKey adds to a description: the bar and the id.
inline constexpr std::size_t kFoodKeyEndBytes = 5;

// Ends the key of the food whose description was just appended to keys:
// adds its bar, then the id by which FoodsInTableOrder names the food.
void EndFoodKey(std::string& keys, std::uint32_t id);

// keys: the foods' keys, each a description ended by EndFoodKey, in source
// order. Precondition: no description holds a "|" and no two compare equal
// (CompareText). Returns the foods' ids in table order.
std::vector<std::uint32_t> FoodsInTableOrder(std::string_view keys);

}  // namespace quorvex
