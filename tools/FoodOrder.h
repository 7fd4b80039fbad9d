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
#include <string_view>
#include <vector>

namespace quorvex {

// What FoodsInTableOrder holds for each food beyond the keys themselves,
// for a memory budget made before it runs.
inline constexpr std::size_t kTableOrderBytesPerFood = 100;

// keys: each food's description followed by its "|", one after another in
// source order ("Butter, salted|Beans|"). Precondition: no description
// holds a "|" and no two compare equal (CompareText). Returns the foods'
// 0-based source positions in table order.
std::vector<std::uint32_t> FoodsInTableOrder(std::string_view keys);

}  // namespace quorvex
