// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/EqualTexts.h"

#include <algorithm>
#include <numeric>

#include "db/Collation.h"

namespace quorvex {

std::vector<std::pair<std::size_t, std::size_t>> EqualTextPairs(
    const std::vector<std::string_view>& texts) {
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Stable, so that equal texts stay in position order.
    std::stable_sort(order.begin(), order.end(), [&texts](std::size_t a, std::size_t b) {
        return CompareText(texts[a], texts[b]) < 0;
    });
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (CompareText(texts[order[k - 1]], texts[order[k]]) == 0) {
            pairs.emplace_back(order[k - 1], order[k]);
        }
    }
    return pairs;
}

}  // namespace quorvex
