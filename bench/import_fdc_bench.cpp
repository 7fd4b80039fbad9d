// SPDX-License-Identifier: GPL-3.0-or-later
// The import of a FoodData Central download the size of the real one (two
// million Branded foods, and the SR28 foods as SR Legacy) against what a
// user without the importer would do: sqlite3's .import of the same three
// big files into a database in memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/support/PeakMemory.h"
#include "bench/support/Process.h"
#include "bench/support/RatioMain.h"
#include "tests/Sr28Foods.h"
#include "tests/support/FdcDownload.h"
#include "tests/support/TestSupport.h"
#include "tools/FdcImport.h"

namespace {

using namespace quorvex;
using test::FdcDownloadWriter;

constexpr int kBrandedFoods = 2000000;
constexpr unsigned kFirstBrandedId = 1000000;

const std::array<const char*, 12> kProducts = {
    "CHEDDAR CHEESE", "WHOLE MILK",    "JALAPEÑO CHIPS", "CRÈME BRÛLÉE",
    "GREEK YOGURT",   "PEANUT BUTTER", "ORANGE JUICE",   "GRANOLA, HONEY & \"OATS\"",
    "TORTILLA CHIPS", "ICE CREAM",     "SALSA, MEDIUM",  "BAGELS"};
const std::array<const char*, 6> kFlavours = {"",         " ORIGINAL", " LIGHT",
                                              " ORGANIC", " SPICY",    " CLASSIC"};
// Branded foods' nutrients: most of them shown by the report, some not.
const std::array<int, 13> kBrandedNutrients = {1008, 1003, 1004, 1005, 1079, 2000, 1087,
                                               1089, 1093, 1253, 1258, 1257, 1114};

std::string Category(int i) {
    std::string category = "Category " + std::to_string(i % 400);
    if (i % 7 == 0) category += "  ";  // stray blanks, as in USDA's files
    return category;
}

// Every 40th product is an older version of the one before (same GTIN).
std::string Gtin(int i) {
    char gtin[24];
    std::snprintf(gtin, sizeof gtin, "%012d", 700000000 + (i % 40 == 39 ? i - 1 : i));
    return gtin;
}

void AddBrandedFood(FdcDownloadWriter& writer, int i, std::string& record) {
    const std::string id = std::to_string(kFirstBrandedId + static_cast<unsigned>(i));
    const std::string description =
        std::string(kProducts[static_cast<std::size_t>(i) % kProducts.size()]) +
        kFlavours[static_cast<std::size_t>(i / 12) % kFlavours.size()];
    const bool liquid = i % 5 == 0;
    writer.Add(test::kFoodCsv, {id, "branded_food", description, Category(i),
                                i % 3 == 0 ? "4/1/2020" : "2021-10-28"});
    writer.Add(test::kBrandedFoodCsv,
               {id,
                "Owner " + std::to_string(i % 997) + ", Inc.",
                "BRAND " + std::to_string(i % 5003),
                "",
                Gtin(i),
                "WATER, SUGAR, \"NATURAL\" FLAVOR, SALT.\nCONTAINS: MILK, SOY.",
                "",
                liquid ? "240" : "28",
                liquid ? "ml" : "g",
                liquid ? "1 cup" : "1 oz",
                Category(i),
                "LI",
                "",
                "2021-10-28",
                "2021-10-28",
                "United States",
                "",
                "",
                "",
                ""});
    for (std::size_t n = 0; n < kBrandedNutrients.size(); ++n) {
        char row[160];
        const int length = std::snprintf(
            row, sizeof row, "\"%u\",\"%s\",\"%d\",\"%d.%d\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n",
            static_cast<unsigned>(i) * 13u + static_cast<unsigned>(n), id.c_str(),
            kBrandedNutrients[n], (i * 7 + static_cast<int>(n) * 31) % 900, i % 10);
        record.assign(row, static_cast<std::size_t>(length));
        writer.AddRecord(test::kFoodNutrientCsv, record);
    }
}

// The download, written once by a child process so that this process's
// peak memory stays the importer's own.
const std::string* Download() {
    static const test::TempDir folder;
    static const std::string path = folder.Path() + "fdc/";
    static bool made = false;
    if (made) return &path;
    if (!std::filesystem::exists(test::Sr28Directory() + "FOOD_DES.txt")) return nullptr;
    std::filesystem::create_directories(path);
    const pid_t child = fork();
    if (child == 0) {
        FdcDownloadWriter writer(path);
        test::AddSr28(writer, test::Sr28Directory());
        std::string record;
        for (int i = 0; i < kBrandedFoods; ++i) AddBrandedFood(writer, i, record);
        std::fflush(nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    made = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return made ? &path : nullptr;
}

// Processor seconds of this process (self) or of its children.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// sqlite3's processor time, for a ratio that the other work on a shared
// machine does not skew.
double sqliteCpuSeconds = 0;

void BM_SqliteImportCsv(benchmark::State& state) {
    const std::string* download = Download();
    if (download == nullptr) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    const double before = CpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        const pid_t child = bench::Spawn(
            {"sqlite3", ":memory:", "-cmd", ".import --csv " + *download + "food.csv food", "-cmd",
             ".import --csv " + *download + "branded_food.csv branded",
             ".import --csv " + *download + "food_nutrient.csv food_nutrient"});
        if (bench::Wait(child) != 0) state.SkipWithError("sqlite3 failed");
    }
    sqliteCpuSeconds = CpuSeconds(RUSAGE_CHILDREN) - before;
    state.counters["cpu_s"] = sqliteCpuSeconds;
}
BENCHMARK(BM_SqliteImportCsv)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_ImportFdc(benchmark::State& state) {
    const std::string* download = Download();
    if (download == nullptr) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    test::TempDir out;
    int foods = 0;
    const double before = CpuSeconds(RUSAGE_SELF);
    for (auto _ : state)
        foods = ImportFdc(*download, out.Path() + "Dados", kAllFdcTypes)->Counts().Foods();
    const double cpu = CpuSeconds(RUSAGE_SELF) - before;
    const auto foodsFile =
        static_cast<double>(std::filesystem::file_size(out.Path() + "Dados/ArqIng.dad"));
    const auto peak = static_cast<double>(bench::PeakResidentKiB()) * 1024;
    state.counters["foods"] = foods;
    state.counters["foods_file_MB"] = foodsFile / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_per_foods_file_byte"] = peak / foodsFile;
    state.counters["cpu_s"] = cpu;
    if (sqliteCpuSeconds > 0) state.counters["cpu_per_sqlite_cpu"] = cpu / sqliteCpuSeconds;
}
BENCHMARK(BM_ImportFdc)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::RunWithRatios(
        argc, argv,
        {{"BM_ImportFdc/iterations:1/real_time", "BM_SqliteImportCsv/iterations:1/real_time"}});
}
