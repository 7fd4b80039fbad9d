// SPDX-License-Identifier: GPL-3.0-or-later
// Finding texts that the viewer cannot tell apart: CompareText finds them
// equal (letter case ignored), so its sorted lists and indexes keep one.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvex {

// Each text that CompareText finds equal to an earlier one, as the pair
// (the equal text just before it in position order, the text): runs of
// equal texts in collated order, each run in position order. Empty when
// the texts can all be told apart.
std::vector<std::pair<std::size_t, std::size_t>> EqualTextPairs(
    const std::vector<std::string_view>& texts);

}  // namespace quorvex
