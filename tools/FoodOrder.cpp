// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/FoodOrder.h"

#include <algorithm>

#include "db/HugePages.h"
#include "db/TableOrder.h"

namespace quorvex {

std::vector<std::uint32_t> FoodsInTableOrder(std::string_view keys) {
    const auto count = static_cast<std::size_t>(std::count(keys.begin(), keys.end(), '|'));
    // The keys lie in one buffer in source order, as PutInTableOrder needs;
    // starts keeps where each begins, to tell a sorted key's position.
    std::vector<std::string_view> sorted;
    std::vector<std::size_t> starts;
    ReserveLarge(sorted, count);
    ReserveLarge(starts, count);
    for (std::size_t start = 0; start < keys.size();) {
        // A last key without its bar still ends where the keys end.
        const std::size_t end = std::min(keys.find('|', start), keys.size() - 1) + 1;
        sorted.push_back(keys.substr(start, end - start));
        starts.push_back(start);
        start = end;
    }
    PutInTableOrder(sorted);
    std::vector<std::uint32_t> order;
    ReserveLarge(order, count);
    for (const std::string_view key : sorted) {
        const auto start = static_cast<std::size_t>(key.data() - keys.data());
        order.push_back(static_cast<std::uint32_t>(
            std::lower_bound(starts.begin(), starts.end(), start) - starts.begin()));
    }
    return order;
}

}  // namespace quorvex
