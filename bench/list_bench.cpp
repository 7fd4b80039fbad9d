// SPDX-License-Identifier: GPL-3.0-or-later
// The food list as a user meets it, at 400,000 and 2,000,000 foods made from
// SR28's lines and at SR28's own size: List Food opening with every food listed, the
// word filter CHEDDAR turned on and a group filter clicked, each from the
// click to the list window painted, with the real progress window and list
// view. Baseline: grep -F -i -c CHEDDAR over the same foods' plain text.
//
// The set-up of many groups: List Food opening over a thousand made-up foods
// in 25 to 50,000 groups; the ratio to 25 groups shows what the groups cost.
//
// Then the peak memory of a whole session (load and first report, List
// Food, word filter, group filter) in a process of its own, less that of a
// bare Qt program showing a window, beside the foods file's size.
//
// Run under xvfb-run to paint through a real X server; without a display
// it paints on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "app/qt/ProgramWindows.h"
#include "bench/support/PeakMemory.h"
#include "bench/support/Process.h"
#include "bench/support/RatioMain.h"
#include "bench/support/Sr28Database.h"
#include "db/Fields.h"
#include "list/qt/PalChaUnit.h"
#include "tests/support/TestSupport.h"
#include "ui/Application.h"

namespace quorvex {
namespace {

// The program's windows over one database, its first report drawn.
class Session {
  public:
    Session(const std::string& applicationDirectory, const std::string& settingsPath)
        : windows_(applicationDirectory, settingsPath) {
        windows_.main.FormActivate();
    }

    TVisLisIngForm& List() { return windows_.list; }

    // List Food up to the list painted, without the modal loop.
    void OpenList() {
        List().SetupPending = true;
        List().Open(*windows_.main.FoodTable(), *windows_.main.FoodKeyIndex(),
                    windows_.main.CurrentFoodIndex());
        List().show();
        List().FormActivate();
        List().repaint();
    }

    void CloseList() { List().Retorna1->trigger(); }

    // "Words Filter", the words typed, then "Turn ON Filter" (or "Turn OFF
    // Filter" for no words), up to the list painted.
    void WordFilter(const std::string& words) {
        TPalChaForm& dialog = windows_.words;
        QTimer::singleShot(0, &dialog, [&dialog, words] {
            dialog.SetWordText(words);
            (words.empty() ? dialog.TurnOFFFilter2 : dialog.TurnONFilter1)->trigger();
        });
        List().Filtraporpalavraschave1->trigger();
        List().repaint();
    }

    // A click on group item i, up to the list painted.
    void ClickGroup(int i) {
        List().Filtraporgrupodeingrediente1->actions()[i]->trigger();
        List().repaint();
    }

  private:
    ProgramWindows windows_;
};

constexpr int kDairyGroup = 0;

bench::Sr28Database* DatabaseOf(int foods) {
    static std::map<int, std::unique_ptr<bench::Sr28Database>> databases;
    auto [entry, made] = databases.try_emplace(foods);
    if (made) entry->second = bench::MakeSr28Database(foods);
    return entry->second.get();
}

// The session of a benchmark over range(0) foods; nullptr (and the
// benchmark skipped) without the SR28 files.
// The sessions, by food count; emptied by main() while the application
// still lives.
std::map<int, std::unique_ptr<Session>>& Sessions() {
    static std::map<int, std::unique_ptr<Session>> sessions;
    return sessions;
}

Session* SessionOf(benchmark::State& state) {
    std::map<int, std::unique_ptr<Session>>& sessions = Sessions();
    const int foods = static_cast<int>(state.range(0));
    bench::Sr28Database* database = DatabaseOf(foods);
    if (database == nullptr) {
        state.SkipWithError("the SR28 files are not beside the project");
        return nullptr;
    }
    auto& session = sessions[foods];
    if (!session) {
        session = std::make_unique<Session>(database->applicationDirectory,
                                            database->dir.Path() + "VARDELO.ini");
    }
    return session.get();
}

void BM_ListFoodOpens(benchmark::State& state) {
    Session* session = SessionOf(state);
    if (session == nullptr) return;
    for (auto _ : state) {
        session->OpenList();
        state.PauseTiming();
        session->CloseList();
        state.ResumeTiming();
    }
}

void BM_WordFilterOn(benchmark::State& state) {
    Session* session = SessionOf(state);
    if (session == nullptr) return;
    session->OpenList();
    for (auto _ : state) {
        session->WordFilter("CHEDDAR");
        state.PauseTiming();
        session->WordFilter("");
        state.ResumeTiming();
    }
    session->CloseList();
}

void BM_GroupFilterOn(benchmark::State& state) {
    Session* session = SessionOf(state);
    if (session == nullptr) return;
    session->OpenList();
    for (auto _ : state) {
        session->ClickGroup(kDairyGroup);
        state.PauseTiming();
        session->ClickGroup(kDairyGroup);
        state.ResumeTiming();
    }
    session->CloseList();
}

void BM_GrepCheddar(benchmark::State& state) {
    bench::Sr28Database* database = DatabaseOf(static_cast<int>(state.range(0)));
    if (database == nullptr) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    // Its output goes to a file: grep stops at the first match when it
    // sees that it writes to /dev/null.
    const std::string output = database->dir.Path() + "grep.out";
    for (auto _ : state) {
        bench::Wait(
            bench::Spawn({"grep", "-F", "-i", "-c", "CHEDDAR", database->plainFoods}, output));
    }
    state.counters["listed"] = std::stoi(test::ReadFile(output));
}

QUORVEX_AT_EVERY_SIZE(BM_ListFoodOpens);
QUORVEX_AT_EVERY_SIZE(BM_WordFilterOn);
QUORVEX_AT_EVERY_SIZE(BM_GroupFilterOn);
QUORVEX_AT_EVERY_SIZE(BM_GrepCheddar);

// Sessions over 1,000 made-up foods spread over a number of groups, by
// that number; emptied by main() while the application still lives.
struct GroupsSession {
    test::TempDir dir;
    std::unique_ptr<Session> session;
};

std::map<int, GroupsSession>& GroupsSessions() {
    static std::map<int, GroupsSession> sessions;
    return sessions;
}

Session& GroupsSessionOf(benchmark::State& state) {
    const int groups = static_cast<int>(state.range(0));
    auto [entry, isNew] = GroupsSessions().try_emplace(groups);
    if (isNew) {
        std::vector<std::string> foods, groupLines;
        for (int i = 0; i < groups; ++i) {
            groupLines.push_back("G" + std::to_string(i) + "|Group of foods number " +
                                 std::to_string(i));
        }
        for (int i = 0; i < 1000; ++i) {
            foods.push_back(test::MakeFoodLine(
                "Food " + std::to_string(i), {{kFoodGroupCode, "G" + std::to_string(i % groups)}}));
        }
        const std::string application = entry->second.dir.Path() + "app/";
        test::WriteDatabase(application, foods, groupLines);
        entry->second.session =
            std::make_unique<Session>(application, entry->second.dir.Path() + "VARDELO.ini");
    }
    return *entry->second.session;
}

void BM_ListOpensWithGroups(benchmark::State& state) {
    Session& session = GroupsSessionOf(state);
    // The first opening makes the group items, which later ones reuse.
    session.OpenList();
    session.CloseList();
    for (auto _ : state) {
        session.OpenList();
        state.PauseTiming();
        session.CloseList();
        state.ResumeTiming();
    }
}

#define QUORVEX_AT_GROUP_COUNTS(name) \
    BENCHMARK(name)->Arg(25)->Arg(1000)->Arg(50000)->Unit(benchmark::kMillisecond)
QUORVEX_AT_GROUP_COUNTS(BM_ListOpensWithGroups);

// The argument that makes this program run one session and end: its
// arguments are the application directory and the settings file.
constexpr char kOneSession[] = "--one-session";

// One whole session in this process; prints its peak memory in KiB.
int RunSession(const std::string& applicationDirectory, const std::string& settingsPath) {
    {
        Session session(applicationDirectory, settingsPath);
        session.OpenList();
        session.WordFilter("CHEDDAR");
        session.ClickGroup(kDairyGroup);
        session.CloseList();
    }
    std::printf("%lld\n", bench::PeakResidentKiB());
    return 0;
}

// Runs a program that prints its peak memory in KiB as its output, and
// returns that figure; -1 when it failed.
long long PeakOf(const std::vector<std::string>& program, const std::string& output) {
    if (bench::Wait(bench::Spawn(program, output)) != 0) return -1;
    return std::stoll(test::ReadFile(output));
}

// Peak resident memory of a session at each size, less the bare window's,
// per byte of the foods file.
void PrintSessionPeaks(const char* self) {
    test::TempDir dir;
    const long long bare = PeakOf({QUORVEX_BARE_WINDOW, "--quit"}, dir.Path() + "bare");
    std::printf("\nPeak memory of a session, less a bare Qt program (%lld KiB):\n", bare);
    for (const int foods : {bench::kSr28Foods, bench::kLargeFoods, bench::kHugeFoods}) {
        bench::Sr28Database* database = DatabaseOf(foods);
        if (database == nullptr || bare < 0) return;
        const long long session = PeakOf({self, kOneSession, database->applicationDirectory,
                                          database->dir.Path() + "session.ini"},
                                         dir.Path() + "session");
        if (session < 0) {
            std::printf("  %d foods: the session failed\n", foods);
            continue;
        }
        std::printf("  %7d foods: %8lld KiB = %5.2f x the foods file (%.1f MB)\n", foods,
                    session - bare,
                    static_cast<double>(session - bare) * 1024 /
                        static_cast<double>(database->foodsFileBytes),
                    static_cast<double>(database->foodsFileBytes) / 1e6);
    }
}

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Read before Qt sees the arguments: Qt takes "-session" for itself.
    const bool oneSession = argc == 4 && std::string(argv[1]) == quorvex::kOneSession;
    quorvex::QuorvexApplication application(argc, argv);
    if (oneSession) return quorvex::RunSession(argv[2], argv[3]);
    const auto ratios = [](const char* step) {
        std::vector<quorvex::bench::Ratio> pairs;
        for (const char* size : {"/8789", "/400000", "/2000000"}) {
            pairs.push_back({std::string(step) + size, std::string("BM_GrepCheddar") + size});
        }
        return pairs;
    };
    std::vector<quorvex::bench::Ratio> all;
    for (const char* step : {"BM_ListFoodOpens", "BM_WordFilterOn", "BM_GroupFilterOn"}) {
        const auto pairs = ratios(step);
        all.insert(all.end(), pairs.begin(), pairs.end());
    }
    for (const char* groups : {"/1000", "/50000"}) {
        all.push_back(
            {std::string("BM_ListOpensWithGroups") + groups, "BM_ListOpensWithGroups/25"});
    }
    const int status = quorvex::bench::RunWithRatios(argc, argv, all);
    quorvex::Sessions().clear();
    quorvex::GroupsSessions().clear();
    quorvex::PrintSessionPeaks(argv[0]);
    return status;
}
