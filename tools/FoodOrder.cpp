// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/FoodOrder.h"

#include <cstring>

#include "db/TableOrder.h"

namespace quorvex {

namespace {

constexpr std::size_t kIdBytes = sizeof(std::uint32_t);

// The key that begins at start, its bar included; the food's id follows.
std::string_view KeyAt(std::string_view keys, std::size_t start) {
    return keys.substr(start, keys.find('|', start) + 1 - start);
}

}  // namespace

void EndFoodKey(std::string& keys, std::uint32_t id) {
    keys += '|';
    // After the bar, where it never weighs in: keys differ before their bars.
    keys.append(reinterpret_cast<const char*>(&id), kIdBytes);
}

std::vector<std::uint32_t> FoodsInTableOrder(std::string_view keys) {
    std::size_t count = 0;
    for (std::size_t start = 0; start < keys.size(); start += KeyAt(keys, start).size() + kIdBytes)
        ++count;
    // The keys lie in one buffer in source order, as PutInTableOrder needs.
    std::vector<std::string_view> sorted;
    sorted.reserve(count);
    for (std::size_t start = 0; start < keys.size(); start += sorted.back().size() + kIdBytes)
        sorted.push_back(KeyAt(keys, start));
    PutInTableOrder(sorted);
    std::vector<std::uint32_t> ids(count);
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(&ids[i], sorted[i].data() + sorted[i].size(), kIdBytes);
    return ids;
}

}  // namespace quorvex
