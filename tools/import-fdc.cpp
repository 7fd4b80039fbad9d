// SPDX-License-Identifier: GPL-3.0-or-later
// quorvex-import-fdc: makes the viewer's database from an unpacked USDA
// FoodData Central CSV download.
//
//   quorvex-import-fdc [--types LIST] FDC_DIR DADOS_DIR
//
// LIST is a comma-separated choice of foundation, sr_legacy, survey and
// branded (default: every type the download holds). Writes ArqIng.dad and
// ArqGruIng.dad into DADOS_DIR. Exit status: 0 written, 1 the output could
// not be written, 2 wrong usage or bad input, 3 not enough memory. On any
// failure neither output file is changed.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/FdcImport.h"
#include "tools/ImportTool.h"

namespace {

using quorvex::FdcCounts;

constexpr char kProgram[] = "quorvex-import-fdc";
constexpr char kArguments[] = "[--types foundation,sr_legacy,survey,branded] FDC_DIR DADOS_DIR";

std::string Summary(const FdcCounts& c) {
    const auto n = [](auto count) { return std::to_string(count); };
    return n(c.Foods()) + " foods (" + n(c.foods[quorvex::kFoundation]) + " Foundation, " +
           n(c.foods[quorvex::kSrLegacy]) + " SR Legacy, " + n(c.foods[quorvex::kSurvey]) +
           " Survey, " + n(c.foods[quorvex::kBranded]) + " Branded), " + n(c.groups) + " groups, " +
           n(c.values) + " values (" + n(c.vitaminDFromMicrograms) + " vitamin D in IU from µg), " +
           n(c.weights) + " weights, " + n(c.replacements) + " replacements, " + n(c.standIns) +
           " characters written as a stand-in, " + n(c.renamedFoods) +
           " descriptions given their FDC id, " + n(c.olderVersions) +
           " older versions of a GTIN left out, " + n(c.samplingRecords) +
           " sampling and acquisition records skipped";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        return quorvex::PrintUsage(kProgram, kArguments, true);
    }
    quorvex::FdcTypes types = quorvex::kAllFdcTypes;
    int first = 1;
    if (argc == 5 && std::string_view(argv[1]) == "--types") {
        try {
            types = quorvex::ParseFdcTypes(argv[2]);
        } catch (const std::invalid_argument& error) {
            std::fprintf(stderr, "%s: --types: %s\n", kProgram, error.what());
            return quorvex::PrintUsage(kProgram, kArguments, false);
        }
        first = 3;
    }
    if (argc != first + 2) return quorvex::PrintUsage(kProgram, kArguments, false);
    const std::string input = argv[first];
    const std::string output = argv[first + 1];
    return quorvex::RunImport(kProgram, input, output, [&](quorvex::ProgressSink* progress) {
        return Summary(quorvex::ImportFdc(input, output, types, progress)->Counts());
    });
}
