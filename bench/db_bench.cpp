// Descrambling and table loading at the sizes of real food databases.
//
// Every figure is printed beside a baseline measured in the same run:
// DecodeLine beside memcpy of the same bytes, LoadFoodTable beside reading
// the same file, and the peak heap in use during a load beside the file's
// size.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <random>

#include "bench/support/RatioMain.h"
#include "db/CriUnit.h"
#include "db/DBUnit.h"
#include "tests/support/TestSupport.h"

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

// Food lines shaped like real ones: a description, 36 values with 0 to 3
// decimals, a group code, refuse, names and a few household weights.
std::vector<std::string> SyntheticFoods(int count) {
    static const char* const words[] = {"Beef",   "raw",     "cooked", "Cheese", "cheddar",
                                        "Apples", "with",    "skin",   "dried",  "frozen",
                                        "Soup",   "chicken", "canned", "Bread",  "wheat"};
    std::mt19937 random(42);
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string line;
        for (int w = 0; w < 6; ++w) {
            line += words[random() % 15];
            line += ", ";
        }
        line += std::to_string(i);
        for (int n = 2; n <= 37; ++n) {
            line += '|';
            if (random() % 5 == 0) continue;
            line += std::to_string(random() % 1000);
            line += '.';
            line += std::to_string(random() % 100);
        }
        line += "|0";
        line += std::to_string(1 + random() % 25);
        line += "00|12|Bone and skin|||";
        line += "1 cup = 227~1 oz = 28.35~";
        lines.push_back(std::move(line));
    }
    return lines;
}

// Copies 2,000 stored lines into place and runs after(i, line) on each.
template <class After>
void CopyLines(benchmark::State& state, After after) {
    const std::vector<std::string> lines = SyntheticFoods(2000);
    std::vector<std::string> work = lines;
    long long bytes = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < work.size(); ++i) {
            std::memcpy(work[i].data(), lines[i].data(), lines[i].size());
            after(static_cast<int>(i), work[i]);
            bytes += static_cast<long long>(lines[i].size());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(bytes);
}

void BM_DecodeLine(benchmark::State& state) { CopyLines(state, DecodeLineInPlace); }
BENCHMARK(BM_DecodeLine);

// The baseline: the copy alone, which the decode above also pays.
void BM_MemcpySameBytes(benchmark::State& state) {
    CopyLines(state, [](int, std::string& line) { benchmark::DoNotOptimize(line.data()); });
}
BENCHMARK(BM_MemcpySameBytes);

struct StoredFile {
    test::TempDir dir;
    std::string path;
    long long size = 0;
};

StoredFile& FileOf(int foods) {
    static std::map<int, std::unique_ptr<StoredFile>> files;
    auto& file = files[foods];
    if (!file) {
        file = std::make_unique<StoredFile>();
        file->path = file->dir.Path() + "ArqIng.dad";
        test::WriteStoredFoods(file->path, SyntheticFoods(foods));
        file->size = static_cast<long long>(test::ReadFile(file->path).size());
    }
    return *file;
}

void BM_LoadFoodTable(benchmark::State& state) {
    StoredFile& file = FileOf(static_cast<int>(state.range(0)));
    test::NoProgress progress;
    double peakRatio = 0;
    for (auto _ : state) {
        std::unique_ptr<TextList> table, index;
        const long long before = heapInUse.load();
        heapPeak = before;
        LoadFoodTable(file.path, table, index, progress);
        peakRatio = static_cast<double>(heapPeak.load() - before) / static_cast<double>(file.size);
    }
    state.counters["file_MB"] = static_cast<double>(file.size) / 1e6;
    state.counters["peak_heap_per_file_byte"] = peakRatio;
}
BENCHMARK(BM_LoadFoodTable)->Arg(8789)->Arg(400000)->Unit(benchmark::kMillisecond);

// The baseline: reading the same file whole.
void BM_ReadSameFile(benchmark::State& state) {
    StoredFile& file = FileOf(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ReadWholeFile(file.path));
}
BENCHMARK(BM_ReadSameFile)->Arg(8789)->Arg(400000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
    return quorvex::bench::RunWithRatios(argc, argv,
                                         {{"BM_DecodeLine", "BM_MemcpySameBytes"},
                                          {"BM_LoadFoodTable/8789", "BM_ReadSameFile/8789"},
                                          {"BM_LoadFoodTable/400000", "BM_ReadSameFile/400000"}});
}
