// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ImportTool.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <new>

#include "db/DBUnit.h"
#include "tools/SrImport.h"

namespace quorvex {

namespace {

// The percentage on one terminal line, redrawn in place and wiped at the
// end so that the summary starts on a clean line.
class TerminalProgress : public ProgressSink {
  public:
    explicit TerminalProgress(const char* program) : program_(program) {}
    void BeginProgress(int maximum) override { maximum_ = maximum > 0 ? maximum : 1; }
    void SetPosition(int position) override {
        std::fprintf(stderr, "\r%s: converting... %3d%%", program_, position * 100 / maximum_);
        std::fflush(stderr);
    }
    void EndProgress() override {
        std::fprintf(stderr, "\r%*s\r", 60, "");
        std::fflush(stderr);
    }

  private:
    const char* program_;
    int maximum_ = 100;
};

}  // namespace

int PrintUsage(const char* program, const char* arguments, bool asked) {
    std::fprintf(asked ? stdout : stderr, "usage: %s %s\n", program, arguments);
    return asked ? kExitDone : kExitRefused;
}

int RunImport(const char* program, const std::string& input, const std::string& output,
              const std::function<std::string(ProgressSink* progress)>& import) {
    const auto start = std::chrono::steady_clock::now();
    TerminalProgress terminal(program);
    ProgressSink* progress = isatty(STDERR_FILENO) ? &terminal : nullptr;
    try {
        const std::string what = import(progress);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::printf("%s: %s; written to %s in %.3f s\n", program, what.c_str(), output.c_str(),
                    elapsed.count());
        return kExitDone;
    } catch (const ImportError& error) {
        std::fprintf(stderr, "%s: %s\n", program, error.what());
        return kExitRefused;
    } catch (const NotEnoughMemory& error) {
        std::fprintf(stderr, "%s: %s\n", program, error.what());
        return kExitOutOfMemory;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: not enough memory to convert the files in %s\n", program,
                     input.c_str());
        return kExitOutOfMemory;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", program, error.what());
        return kExitWriteFailure;
    }
}

}  // namespace quorvex
