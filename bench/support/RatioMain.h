// SPDX-License-Identifier: GPL-3.0-or-later
// A benchmark main() that prints, after the usual table, each measured
// figure as a ratio to its baseline from the same run.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorvex::bench {

// A pair of benchmark run names (as the table prints them, e.g.
// "BM_LoadFoodTable/8789"); the ratio printed is measured / baseline of
// their real time per iteration.
struct Ratio {
    std::string measured;
    std::string baseline;
};

// Runs every registered benchmark with the console reporter, then prints
// one line per ratio whose two runs were both measured. Returns main's
// exit status.
int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios);

}  // namespace quorvex::bench
