// SPDX-License-Identifier: GPL-3.0-or-later
// The whole import of USDA's SR28 files against just reading the same files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/support/RatioMain.h"
#include "tests/support/TestSupport.h"
#include "tools/SrImport.h"

namespace {

const std::string kSr28 = QUORVEX_SOURCE_DIR "/../shared/usda-sr28";

bool HaveSr28(benchmark::State& state) {
    if (std::filesystem::exists(kSr28 + "/FOOD_DES.txt")) return true;
    state.SkipWithError(("USDA SR28 files not found at " + kSr28).c_str());
    return false;
}

void BM_ReadSr28Files(benchmark::State& state) {
    if (!HaveSr28(state)) return;
    for (auto _ : state) benchmark::DoNotOptimize(quorvex::ReadSrFiles(kSr28));
}
BENCHMARK(BM_ReadSr28Files)->Unit(benchmark::kMillisecond);

void BM_ConvertSr28(benchmark::State& state) {
    if (!HaveSr28(state)) return;
    const quorvex::SrFiles files = quorvex::ReadSrFiles(kSr28);
    for (auto _ : state) benchmark::DoNotOptimize(quorvex::ConvertSr(files));
}
BENCHMARK(BM_ConvertSr28)->Unit(benchmark::kMillisecond);

// Read, convert, scramble and write both files, as the tool does.
void BM_ImportSr28(benchmark::State& state) {
    if (!HaveSr28(state)) return;
    quorvex::test::TempDir folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(quorvex::ImportSr(kSr28, folder.Path() + "Dados"));
}
BENCHMARK(BM_ImportSr28)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvex::bench::RunWithRatios(
        argc, argv,
        {{"BM_ConvertSr28", "BM_ReadSr28Files"}, {"BM_ImportSr28", "BM_ReadSr28Files"}});
}
