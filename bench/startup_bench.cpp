// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-process start-up, as a user meets it: from starting the program to
// its first report on the screen, with SR28 and with 400,000 and 2,000,000
// foods made from SR28's lines, beside a bare Qt program showing a window of
// the same size (bare_window), started and watched the same way in the same
// run. Each size is measured with the foods file in table order, as the
// importers write it, and in SR28's own order, which the viewer sorts.
//
// "On the screen" is seen from outside, through the X server: the first
// moment a top-level window at least 700 pixels wide shows a black
// horizontal rule of 300 pixels beside white, which the report has and the
// bare window draws, and nothing earlier on the screen does.
//
// Run as root under Xvfb, e.g.
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/startup_bench
// It starts openbox as the window manager, as on a user's desktop (without
// one the viewer's window is never activated, and activation loads the
// tables). Root, because each program is run with a private /var/tmp (a
// tmpfs in a mount namespace of this process), so the machine's settings
// file is never touched.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/support/Process.h"
#include "bench/support/RatioMain.h"
#include "bench/support/Sr28Database.h"

namespace quorvex {
namespace {

Display* display = nullptr;

constexpr int kMinimumWidth = 700;
constexpr int kLineRun = 300;
// Only the top of a window is looked at, where both the report's first rule
// and the bare window's line lie: reading whole windows every few
// milliseconds would take the CPU from the program being watched.
constexpr int kLookedAtHeight = 160;

// Windows vanish between listing and reading them; such errors are normal.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

constexpr unsigned long kBlack = 0x000000;
constexpr unsigned long kWhite = 0xFFFFFF;

// A rule: kLineRun black pixels in a row with white beside them above or
// below (a window not yet painted is black all over).
bool ShowsARule(Window window, int width, int height) {
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    // The colour only: a window manager's frame may carry alpha. Pixels of
    // 32 bits are read straight from the image: a call per pixel would make
    // each look take milliseconds of the processors the program being
    // watched needs.
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst;
    const auto colour = [image, direct](int x, int y) -> unsigned long {
        if (!direct) return XGetPixel(image, x, y) & kWhite;
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, image->data + y * image->bytes_per_line + x * 4, sizeof pixel);
        return pixel & kWhite;
    };
    bool found = false;
    for (int y = 1; y + 1 < height && !found; ++y) {
        int run = 0;
        bool besideWhite = false;
        for (int x = 0; x < width && !found; ++x) {
            if (colour(x, y) != kBlack) {
                run = 0;
                besideWhite = false;
                continue;
            }
            ++run;
            besideWhite = besideWhite || colour(x, y - 1) == kWhite || colour(x, y + 1) == kWhite;
            found = run >= kLineRun && besideWhite;
        }
    }
    XDestroyImage(image);
    return found;
}

// wide: a viewable top-level window at least kMinimumWidth wide exists;
// painted: one of them shows a rule.
struct Screen {
    bool wide = false;
    bool painted = false;
};

Screen LookAtScreen(bool lookForRun) {
    Screen screen;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return screen;
    }
    for (unsigned i = 0; i < count && !screen.painted; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
        if (attributes.map_state != IsViewable || attributes.width < kMinimumWidth) continue;
        screen.wide = true;
        if (lookForRun) {
            screen.painted = ShowsARule(children[i], attributes.width,
                                        std::min(attributes.height, kLookedAtHeight));
        }
    }
    if (children != nullptr) XFree(children);
    return screen;
}

// Seconds from starting program to its window painted; then ends it and
// waits until its window is gone.
double StartToPainted(const std::string& program) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = bench::Spawn({program});
    while (!LookAtScreen(true).painted) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            throw std::runtime_error(program + " ended before it painted");
        }
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) {
            bench::Wait(child, true);
            throw std::runtime_error(program + " showed no rule within a minute");
        }
        usleep(2000);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bench::Wait(child, true);
    while (LookAtScreen(false).wide) usleep(1000);
    return seconds;
}

void Measure(benchmark::State& state, const std::string& program) {
    for (auto _ : state) {
        try {
            state.SetIterationTime(StartToPainted(program));
        } catch (const std::exception& failure) {
            state.SkipWithError(failure.what());
            break;
        }
    }
}

// The viewer, copied beside a database of foods foods stored in order;
// empty without the SR28 files.
std::string ViewerWith(int foods, bench::FileOrder order) {
    static std::map<std::pair<int, bench::FileOrder>, std::unique_ptr<bench::Sr28Database>>
        databases;
    auto [entry, made] = databases.try_emplace({foods, order});
    if (made) {
        entry->second = bench::MakeSr28Database(foods, order);
        if (entry->second) {
            std::filesystem::copy_file(QUORVEX_PROGRAM,
                                       entry->second->applicationDirectory + "quorvex");
        }
    }
    return entry->second ? entry->second->applicationDirectory + "quorvex" : std::string();
}

void BM_StartBareWindow(benchmark::State& state) { Measure(state, QUORVEX_BARE_WINDOW); }
BENCHMARK(BM_StartBareWindow)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// range(1): 0 for a foods file in table order, as the importers write it;
// 1 for one in another order, which the viewer sorts as it loads it.
void BM_StartToFirstReport(benchmark::State& state) {
    const std::string viewer =
        ViewerWith(static_cast<int>(state.range(0)), static_cast<bench::FileOrder>(state.range(1)));
    if (viewer.empty()) {
        state.SkipWithError("the SR28 files are not beside the project");
        return;
    }
    Measure(state, viewer);
}
BENCHMARK(BM_StartToFirstReport)
    ->ArgsProduct({{bench::kSr28Foods, bench::kLargeFoods, bench::kHugeFoods},
                   {static_cast<int>(bench::FileOrder::kTableOrder),
                    static_cast<int>(bench::FileOrder::kSourceOrder)}})
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// Starts openbox and waits until it manages the screen.
pid_t StartWindowManager() {
    const pid_t manager = bench::Spawn({"openbox"});
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    for (;;) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, left = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType,
                           &type, &format, &items, &left, &data);
        if (data != nullptr) XFree(data);
        if (items > 0) return manager;
        usleep(10000);
    }
}

// A private /var/tmp for this process and the programs it starts.
bool PrivateVarTmp() {
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tmpfs", "/var/tmp", "tmpfs", 0, nullptr) == 0;
}

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
    if (!quorvex::PrivateVarTmp()) {
        std::fprintf(stderr, "startup_bench: run it as root (it mounts a private /var/tmp)\n");
        return 1;
    }
    quorvex::display = XOpenDisplay(nullptr);
    if (quorvex::display == nullptr) {
        std::fprintf(stderr, "startup_bench: no X display; run it under xvfb-run\n");
        return 1;
    }
    XSetErrorHandler(quorvex::IgnoreError);
    const pid_t windowManager = quorvex::StartWindowManager();
    std::vector<quorvex::bench::Ratio> ratios;
    for (const char* size : {"/8789", "/400000", "/2000000"}) {
        for (const char* order : {"/0", "/1"}) {
            ratios.push_back(
                {std::string("BM_StartToFirstReport") + size + order + "/iterations:10/manual_time",
                 "BM_StartBareWindow/iterations:10/manual_time"});
        }
    }
    const int status = quorvex::bench::RunWithRatios(argc, argv, ratios);
    quorvex::bench::Wait(windowManager, true);
    XCloseDisplay(quorvex::display);
    return status;
}
