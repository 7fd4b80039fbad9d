// SPDX-License-Identifier: GPL-3.0-or-later
// Table loading at the sizes of real food databases: SR28, and 400,000 and
// 2,000,000 foods made from SR28's lines.
//
// Every figure is printed beside a baseline measured in the same run:
// LoadFoodTable beside reading the same file whole, the peak heap in use
// during a load beside the file's size, and the table's own sort beside a
// plain comparison sort of the same lines.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>

#include "bench/support/RatioMain.h"
#include "bench/support/Sr28Database.h"
#include "db/Collation.h"
#include "db/DBUnit.h"
#include "db/TableOrder.h"

// Heap accounting for the peak-memory figure: every allocation of the
// process goes through these.
namespace {
std::atomic<long long> heapInUse{0};
std::atomic<long long> heapPeak{0};
}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size + sizeof(std::max_align_t));
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const long long now = heapInUse += static_cast<long long>(size);
    long long peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(block) + sizeof(std::max_align_t);
}

// GCC takes the pointer given to operator delete for one from operator new
// and so calls freeing it mismatched; the operator new above got the block
// from malloc.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* pointer) noexcept {
    if (pointer == nullptr) return;
    void* block = static_cast<char*>(pointer) - sizeof(std::max_align_t);
    heapInUse -= static_cast<long long>(*static_cast<std::size_t*>(block));
    std::free(block);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace quorvex {
namespace {

bench::Sr28Database* DatabaseOf(int foods, bench::FileOrder order = bench::FileOrder::kTableOrder) {
    static std::map<std::pair<int, bench::FileOrder>, std::unique_ptr<bench::Sr28Database>>
        databases;
    auto& database = databases[{foods, order}];
    if (!database) database = bench::MakeSr28Database(foods, order);
    return database.get();
}

// range(1): 0 for a file in table order, as the importers write it, which
// is not sorted again; 1 for one in another order, which is.
void BM_LoadFoodTable(benchmark::State& state) {
    bench::Sr28Database* database =
        DatabaseOf(static_cast<int>(state.range(0)), static_cast<bench::FileOrder>(state.range(1)));
    if (database == nullptr) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    test::NoProgress progress;
    double peakRatio = 0;
    for (auto _ : state) {
        std::unique_ptr<LoadedTable> table, index;
        const long long before = heapInUse.load();
        heapPeak = before;
        LoadFoodTable(database->foodsFile, table, index, progress);
        peakRatio = static_cast<double>(heapPeak.load() - before) /
                    static_cast<double>(database->foodsFileBytes);
    }
    state.counters["file_MB"] = static_cast<double>(database->foodsFileBytes) / 1e6;
    state.counters["peak_heap_per_file_byte"] = peakRatio;
}
BENCHMARK(BM_LoadFoodTable)
    ->ArgsProduct({{bench::kSr28Foods, bench::kLargeFoods, bench::kHugeFoods},
                   {static_cast<int>(bench::FileOrder::kTableOrder),
                    static_cast<int>(bench::FileOrder::kSourceOrder)}})
    ->Unit(benchmark::kMillisecond);

// The baseline: reading the same file whole.
void BM_ReadSameFile(benchmark::State& state) {
    bench::Sr28Database* database = DatabaseOf(static_cast<int>(state.range(0)));
    if (database == nullptr) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(ReadWholeFile(database->foodsFile));
}
QUORVEX_AT_EVERY_SIZE(BM_ReadSameFile);

// The plain food lines of range(0) foods, in SR28's order, as one buffer
// and views into it in file order, as the loader sorts them; nothing
// without the SR28 files.
struct PlainLines {
    std::string bytes;
    std::vector<std::string_view> lines;
};

const PlainLines* PlainLinesOf(benchmark::State& state) {
    static std::map<int, PlainLines> made;
    const int foods = static_cast<int>(state.range(0));
    bench::Sr28Database* database = DatabaseOf(foods, bench::FileOrder::kSourceOrder);
    if (database == nullptr) {
        state.SkipWithError("the SR28 files are not beside the project");
        return nullptr;
    }
    auto [entry, isNew] = made.try_emplace(foods);
    if (isNew) {
        entry->second.bytes = ReadWholeFile(database->plainFoods);
        ForEachLine(entry->second.bytes,
                    [&entry](std::string_view line) { entry->second.lines.push_back(line); });
    }
    return &entry->second;
}

// The sort the loader uses for many lines; 20,000 and 50,000 lines show
// where it starts to pay.
void BM_TableOrderSort(benchmark::State& state) {
    const PlainLines* plain = PlainLinesOf(state);
    if (plain == nullptr) return;
    for (auto _ : state) {
        std::vector<std::string_view> lines = plain->lines;
        SortByCollationWeights(lines);
        benchmark::DoNotOptimize(lines.data());
    }
}
QUORVEX_AT_EVERY_SIZE(BM_TableOrderSort)->Arg(20000)->Arg(50000);

// The baseline: the plain comparison sort that gives the same order.
void BM_PlainSort(benchmark::State& state) {
    const PlainLines* plain = PlainLinesOf(state);
    if (plain == nullptr) return;
    for (auto _ : state) {
        std::vector<std::string_view> lines = plain->lines;
        std::stable_sort(lines.begin(), lines.end(), [](std::string_view a, std::string_view b) {
            return CompareText(a, b) < 0;
        });
        benchmark::DoNotOptimize(lines.data());
    }
}
QUORVEX_AT_EVERY_SIZE(BM_PlainSort)->Arg(20000)->Arg(50000);

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
    std::vector<quorvex::bench::Ratio> ratios;
    for (const char* size : {"/8789", "/20000", "/50000", "/400000", "/2000000"}) {
        for (const char* order : {"/0", "/1"}) {
            ratios.push_back({std::string("BM_LoadFoodTable") + size + order,
                              std::string("BM_ReadSameFile") + size});
        }
        ratios.push_back(
            {std::string("BM_TableOrderSort") + size, std::string("BM_PlainSort") + size});
    }
    return quorvex::bench::RunWithRatios(argc, argv, ratios);
}
