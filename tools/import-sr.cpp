// import-sr: makes the viewer's database from USDA's Standard Reference
// ASCII files.
//
//   import-sr SR_DIR DADOS_DIR
//
// Reads FOOD_DES.txt, FD_GROUP.txt, WEIGHT.txt, NUT_DATA.txt and NUTR_DEF.txt
// from SR_DIR and writes ArqIng.dad and ArqGruIng.dad into DADOS_DIR. Exit
// status: 0 written, 1 the output could not be written, 2 wrong usage or bad
// input, 3 not enough memory. On any failure neither output file is
// changed.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <new>

#include "db/DBUnit.h"
#include "tools/SrImport.h"

namespace {

constexpr int kDone = 0;
constexpr int kWriteFailure = 1;
constexpr int kRefused = 2;
constexpr int kOutOfMemory = 3;

constexpr const char* kProgram = "import-sr";

// The percentage on one terminal line, redrawn in place and wiped at the
// end so that the summary starts on a clean line.
class TerminalProgress : public quorvex::ProgressSink {
  public:
    void Show(int maximum) override { maximum_ = maximum > 0 ? maximum : 1; }
    void SetPosition(int position) override {
        std::fprintf(stderr, "\r%s: converting... %3d%%", kProgram, position * 100 / maximum_);
        std::fflush(stderr);
    }
    void Close() override {
        std::fprintf(stderr, "\r%*s\r", 40, "");
        std::fflush(stderr);
    }

  private:
    int maximum_ = 100;
};

void PrintSummary(const quorvex::ImportCounts& counts, const char* dadosDirectory, double seconds) {
    std::printf(
        "%s: %d foods, %d groups, %ld values, %d weights, %d replacements, "
        "%d descriptions given their NDB_No; written to %s in %.3f s\n",
        kProgram, counts.foods, counts.groups, counts.values, counts.weights, counts.replacements,
        counts.renamedFoods, dadosDirectory, seconds);
}

int Run(const char* srDirectory, const char* dadosDirectory) {
    const auto start = std::chrono::steady_clock::now();
    TerminalProgress terminal;
    quorvex::ProgressSink* progress = isatty(STDERR_FILENO) ? &terminal : nullptr;
    try {
        const quorvex::ImportedDatabase database =
            quorvex::ImportSr(srDirectory, dadosDirectory, progress);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        PrintSummary(database.counts, dadosDirectory, elapsed.count());
        return kDone;
    } catch (const quorvex::ImportError& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
        return kRefused;
    } catch (const quorvex::NotEnoughMemory& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
        return kOutOfMemory;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: not enough memory to convert the files in %s\n", kProgram,
                     srDirectory);
        return kOutOfMemory;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
        return kWriteFailure;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SR_DIR DADOS_DIR\n", kProgram);
        return kRefused;
    }
    return Run(argv[1], argv[2]);
}
