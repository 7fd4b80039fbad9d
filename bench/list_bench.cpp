// The food list's scans over 400,000 foods: a word scan and a group scan,
// each printed beside grep -F finding the same word in the same foods'
// plain text, written to a file and searched in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <random>
#include <stdexcept>

#include "bench/support/RatioMain.h"
#include "db/DBUnit.h"
#include "db/Fields.h"
#include "list/ListFilter.h"
#include "tests/Sr28Foods.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace quorvex {
namespace {

constexpr int kFoodCount = 400000;
constexpr int kGroupCount = 25;

std::string GroupCode(int group) { return std::to_string(100 + group * 100); }

// Descriptions of four to seven words drawn from a food vocabulary in the
// way real ones read ("Cheese, cheddar, sliced"), with 36 values, a group
// code and the trailing fields of a real line.
std::vector<std::string> SyntheticFoods() {
    static const std::vector<std::string> words = {
        "beef",   "raw",    "cooked", "cheese",  "cheddar", "apples", "with",  "skin",
        "dried",  "frozen", "soup",   "chicken", "canned",  "bread",  "wheat", "rice",
        "white",  "brown",  "flour",  "whole",   "grain",   "milk",   "fluid", "lowfat",
        "butter", "salted", "peanut", "peas",    "green",   "boiled", "fried", "roasted",
        "pork",   "lamb",   "fish",   "salmon",  "tuna",    "oil",    "sauce", "tomato",
        "potato", "baked",  "sweet",  "orange",  "juice",   "lemon",  "sugar", "honey",
        "egg",    "yolk",   "cream",  "sour",    "yogurt",  "plain",  "corn",  "beans"};
    std::mt19937 random(7);
    std::vector<std::string> lines;
    lines.reserve(kFoodCount);
    for (int i = 0; i < kFoodCount; ++i) {
        std::string description = "Food";
        const int count = 4 + static_cast<int>(random() % 4);
        for (int w = 0; w < count; ++w) description += ", " + words[random() % words.size()];
        description += " " + std::to_string(i);
        std::map<int, std::string> fields;
        for (int n = kFirstNutrientField; n <= kLastNutrientField; ++n) {
            fields[n] = std::to_string(random() % 1000) + "." + std::to_string(random() % 100);
        }
        fields[kFoodGroupCode] = GroupCode(static_cast<int>(random() % kGroupCount));
        fields[kRefusePercentage] = "12";
        fields[kRefuseDescription] = "Bone and skin";
        fields[kHouseholdWeights] = "1 cup = 227~1 oz = 28.35~";
        lines.push_back(test::MakeFoodLine(description, fields));
    }
    return lines;
}

// The foods in two tables: one built straight from lines in table order,
// and one loaded, as the viewer loads, from a foods file stored in random
// order. The plain text for grep is written in table order.
struct Foods {
    Foods() {
        const std::string stored = dir.Path() + "ArqIng.dad";
        test::WriteStoredFoods(stored, SyntheticFoods());
        std::unique_ptr<TextList> keys;
        test::NoProgress progress;
        LoadFoodTable(stored, loaded, keys, progress);
        ordered.Assign(std::vector<std::string>(loaded->Items().begin(), loaded->Items().end()));
        ordered.SetSorted(true);
        std::string text;
        for (const std::string& line : ordered.Items()) text += line + "\n";
        path = dir.Path() + "foods.txt";
        test::WriteFile(path, text);
    }
    test::TempDir dir;
    std::string path;
    TextList ordered;
    std::unique_ptr<TextList> loaded;
};

Foods& TheFoods() {
    static Foods foods;
    return foods;
}

const TextList& TableOf(const benchmark::State& state) {
    return state.range(0) == 0 ? TheFoods().ordered : *TheFoods().loaded;
}

// The real SR28 foods (8,789) and their plain text, when the
// files are beside the project.
struct RealFoods {
    RealFoods() {
        table.Assign(test::Sr28FoodLines());
        table.SetSorted(true);
        std::string text;
        for (const std::string& line : table.Items()) text += line + "\n";
        path = dir.Path() + "sr28.txt";
        test::WriteFile(path, text);
    }
    test::TempDir dir;
    std::string path;
    TextList table;
};

RealFoods& TheRealFoods() {
    static RealFoods foods;
    return foods;
}

void Scan(benchmark::State& state, const TextList& table, const GroupFilter& group,
          const WordFilterState& words) {
    if (table.Count() == 0) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    TextList filtered;
    test::NoProgress progress;
    for (auto _ : state) FillFilteredList(table, group, words, filtered, progress);
    state.counters["listed"] = filtered.Count();
}

// range(0): 0 for the table built in table order, 1 for the table loaded
// from a foods file stored in random order.
void BM_WordScan(benchmark::State& state) { Scan(state, TableOf(state), {}, {true, {"CHEDDAR"}}); }
BENCHMARK(BM_WordScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GroupScan(benchmark::State& state) {
    Scan(state, TableOf(state), {3, "Group", GroupCode(3)}, {});
}
BENCHMARK(BM_GroupScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Runs grep as a process of its own (no shell) and waits for it.
// Its output goes to a file: grep stops at the first match when it sees
// that it writes to /dev/null. Returns the count grep -c printed.
int RunGrep(std::vector<std::string> arguments, const std::string& output) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t child = 0;
    const int failed = posix_spawnp(&child, "grep", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) > 1) {
        throw std::runtime_error("grep did not run");
    }
    return std::stoi(test::ReadFile(output));
}

// The baselines: counting the lines that hold the word, as the word scan
// does, case-sensitive (every "cheddar" is written small) and ignoring case.
void Grep(benchmark::State& state, std::vector<std::string> arguments, const std::string& path,
          const std::string& output) {
    arguments.insert(arguments.begin(), "grep");
    arguments.push_back(path);
    int count = 0;
    for (auto _ : state) count = RunGrep(arguments, output);
    state.counters["listed"] = count;
}

void BM_GrepF(benchmark::State& state) {
    Grep(state, {"-F", "-c", "cheddar"}, TheFoods().path, TheFoods().dir.Path() + "grep.out");
}
BENCHMARK(BM_GrepF)->Unit(benchmark::kMillisecond);

void BM_GrepFIgnoreCase(benchmark::State& state) {
    Grep(state, {"-F", "-i", "-c", "CHEDDAR"}, TheFoods().path, TheFoods().dir.Path() + "grep.out");
}
BENCHMARK(BM_GrepFIgnoreCase)->Unit(benchmark::kMillisecond);

// The same on the real foods; at this size grep's start-up is most of its
// time.
void BM_WordScanSr28(benchmark::State& state) {
    Scan(state, TheRealFoods().table, {}, {true, {"CHEDDAR"}});
}
BENCHMARK(BM_WordScanSr28)->Unit(benchmark::kMicrosecond);

void BM_GroupScanSr28(benchmark::State& state) {
    Scan(state, TheRealFoods().table, {0, "Dairy and Egg Products", "0100"}, {});
}
BENCHMARK(BM_GroupScanSr28)->Unit(benchmark::kMicrosecond);

void BM_GrepFIgnoreCaseSr28(benchmark::State& state) {
    if (TheRealFoods().table.Count() == 0) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    Grep(state, {"-F", "-i", "-c", "CHEDDAR"}, TheRealFoods().path,
         TheRealFoods().dir.Path() + "grep.out");
}
BENCHMARK(BM_GrepFIgnoreCaseSr28)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
    return quorvex::bench::RunWithRatios(argc, argv,
                                         {{"BM_WordScan/0", "BM_GrepF"},
                                          {"BM_WordScan/0", "BM_GrepFIgnoreCase"},
                                          {"BM_WordScan/1", "BM_GrepF"},
                                          {"BM_GroupScan/0", "BM_GrepF"},
                                          {"BM_GroupScan/1", "BM_GrepF"},
                                          {"BM_WordScanSr28", "BM_GrepFIgnoreCaseSr28"},
                                          {"BM_GroupScanSr28", "BM_GrepFIgnoreCaseSr28"}});
}
