// SPDX-License-Identifier: GPL-3.0-or-later
// The order of a loaded table: lines sorted by CompareText, lines that
// compare equal kept in file order.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace quorvex {

// Told, as a sort goes on, the percentage of the lines that have reached
// their places, each percentage at most once and rising.
using SortProgress = std::function<void(int percent)>;

// Whether PutInTableOrder sorts count lines by SortByCollationWeights, the
// only sort that tells its progress.
bool SortsByWeights(size_t count);

// Puts lines in table order. Precondition: the views lie in one buffer in
// file order (a later line at a higher address), as a loader splits them.
// Few lines are sorted by a plain stable sort; many by
// SortByCollationWeights, which is several times faster on them.
void PutInTableOrder(std::vector<std::string_view>& lines, const SortProgress& progress = {});

// Puts lines in table order, with the precondition of PutInTableOrder:
// equal lines keep their order by their places in the buffer.
//
// Lines are first placed in groups by the weights of their first two
// bytes, then each group is sorted by the collation weights of 16 bytes at
// a time, held beside each line, so that most comparisons touch no line:
// lines that agree on one stretch of 16 are sorted again among themselves
// by the next stretch, and a stretch that all of them share is skipped
// without sorting. The groups of the later half of the lines are sorted
// on a second thread; progress is told on the calling thread.
void SortByCollationWeights(std::vector<std::string_view>& lines,
                            const SortProgress& progress = {});

}  // namespace quorvex
