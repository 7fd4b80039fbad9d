// SPDX-License-Identifier: GPL-3.0-or-later
// Large buffers backed by huge pages where the system offers them on
// request. Touching fresh memory costs a fault per small page, which for the
// hundred megabytes a large food table fills costs more than reading its
// file; and the tables jump through their buffers in an order of their own,
// which small pages turn into a translation miss at nearly every step.
#pragma once

#include <cstddef>
#include <vector>

namespace quorvex {

// Asks for huge pages under the whole 2 MiB pages within the size bytes at
// data, before they are first touched. Only advice: without huge pages the
// memory works the same.
void AdviseHugePages(const void* data, std::size_t size);

// Reserves room for count items, advised as above: for vectors that grow
// large and are filled once.
template <class T>
void ReserveLarge(std::vector<T>& items, std::size_t count) {
    if (count <= items.capacity()) return;
    items.reserve(count);
    AdviseHugePages(items.data(), count * sizeof(T));
}

}  // namespace quorvex
