// SPDX-License-Identifier: GPL-3.0-or-later
// quorvex-import-sr: makes the viewer's database from USDA's Standard
// Reference ASCII files.
//
//   quorvex-import-sr SR_DIR DADOS_DIR
//
// Reads FOOD_DES.txt, FD_GROUP.txt, WEIGHT.txt, NUT_DATA.txt and NUTR_DEF.txt
// from SR_DIR and writes ArqIng.dad and ArqGruIng.dad into DADOS_DIR. Exit
// status: 0 written, 1 the output could not be written, 2 wrong usage or bad
// input, 3 not enough memory. On any failure neither output file is
// changed.
#include <string>

#include "tools/ImportTool.h"
#include "tools/SrImport.h"

namespace {

constexpr char kProgram[] = "quorvex-import-sr";
constexpr char kArguments[] = "SR_DIR DADOS_DIR";

std::string Summary(const quorvex::ImportCounts& counts) {
    return std::to_string(counts.foods) + " foods, " + std::to_string(counts.groups) + " groups, " +
           std::to_string(counts.values) + " values, " + std::to_string(counts.weights) +
           " weights, " + std::to_string(counts.replacements) + " replacements, " +
           std::to_string(counts.renamedFoods) + " descriptions given their NDB_No";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--help") {
        return quorvex::PrintUsage(kProgram, kArguments, true);
    }
    if (argc != 3) return quorvex::PrintUsage(kProgram, kArguments, false);
    return quorvex::RunImport(kProgram, argv[1], argv[2], [&](quorvex::ProgressSink* progress) {
        return Summary(quorvex::ImportSr(argv[1], argv[2], progress).counts);
    });
}
