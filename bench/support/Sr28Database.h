// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmarks' food databases, made at run time from the real SR28
// foods (never stored in the project): SR28 itself, and SR28's lines
// repeated with numbered descriptions up to any food count, the size of
// the largest public food databases.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace quorvex::bench {

struct Sr28Database {
    test::TempDir dir;
    std::string applicationDirectory;  // dir/app/, whose Dados/ holds the two data files
    std::string foodsFile;             // its stored foods file
    long long foodsFileBytes = 0;
    std::string plainFoods;  // the same foods as plain text, one line each
    int foods = 0;
};

// The order of the lines of a foods file: the table order the importers
// write, or SR28's own order, each copy after the last, as a file made
// elsewhere may stand.
enum class FileOrder { kTableOrder, kSourceOrder };

// count foods: SR28's, then copies of them whose descriptions end in
// " #2", " #3" and so on, stored in order; nullptr when the SR28 files are
// absent.
std::unique_ptr<Sr28Database> MakeSr28Database(int count, FileOrder order = FileOrder::kTableOrder);

// The real SR28 food count.
inline constexpr int kSr28Foods = 8789;

// About the food count of the largest public food databases.
inline constexpr int kLargeFoods = 400000;

// About the food count of all of FoodData Central.
inline constexpr int kHugeFoods = 2000000;

// Registers a benchmark (of <benchmark/benchmark.h>) at each of these
// food counts, timed in milliseconds.
#define QUORVEX_AT_EVERY_SIZE(name)        \
    BENCHMARK(name)                        \
        ->Arg(quorvex::bench::kSr28Foods)  \
        ->Arg(quorvex::bench::kLargeFoods) \
        ->Arg(quorvex::bench::kHugeFoods)  \
        ->Unit(benchmark::kMillisecond)

}  // namespace quorvex::bench
