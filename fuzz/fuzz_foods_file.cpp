// SPDX-License-Identifier: GPL-3.0-or-later
// A foods file as it lies on disk: every line descrambled and read field by
// field, both loaders over the file, the food table in order, and the stored form of the plain
// lines read back unchanged.
#include <algorithm>
#include <memory>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/DBUnit.h"
#include "db/Fields.h"
#include "db/TableOrder.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/FoodEncoder.h"

using namespace quorvex;

namespace {

// A line's key is its text before its first bar (and barLength more
// characters), or empty without a bar; lines whose keys compare equal share
// one entry.
void CheckIndex(const TextTable& table, const TextTable& index, std::size_t barLength) {
    fuzz::Require(index.Count() <= table.Count(), "no more index entries than lines");
    for (const std::string_view line : table.Items()) {
        const std::size_t bar = line.find('|');
        int position = 0;
        fuzz::Require(
            index.Find(bar == std::string::npos ? "" : line.substr(0, bar + barLength), position),
            "every line's key is in the index");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const test::TempDir scratch;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> plain;
    const std::vector<std::string> stored = SplitLines(bytes);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const int lineIndex = static_cast<int>(i);
        plain.push_back(DecodeLine(lineIndex, stored[i]));
        std::string inPlace = stored[i];
        DecodeLineInPlace(lineIndex, inPlace);
        fuzz::Require(inPlace == plain.back(), "decoding in place gives the same line");
        fuzz::Require(EncodeLine(lineIndex, plain.back()) == stored[i], "encoding undoes decoding");
        for (int n = -1; n <= kFoodFieldCount + 1; ++n) GetField(n, plain.back());
    }
    fuzz::Require(SplitLines(EncodeFoodsFile(plain)) == stored,
                  "the stored file of the plain lines holds the same lines");

    const std::string path = scratch.Path() + "ArqIng.dad";
    test::WriteFile(path, std::string(bytes));
    test::NoProgress progress;
    std::unique_ptr<LoadedTable> table, index, groups, codes;
    LoadFoodTable(path, table, index, progress);
    // The sort for many lines, on these few: the lines one after another in
    // one buffer, as the loader holds them.
    std::string buffer;
    for (const std::string& line : plain) buffer += line;
    std::vector<std::string_view> views;
    for (std::size_t at = 0; const std::string& line : plain) {
        views.emplace_back(buffer.data() + at, line.size());
        at += line.size();
    }
    std::stable_sort(plain.begin(), plain.end(),
                     [](const auto& a, const auto& b) { return CompareText(a, b) < 0; });
    fuzz::Require(
        std::equal(plain.begin(), plain.end(), table->Items().begin(), table->Items().end()),
        "the table holds the lines in CompareText order, equal ones in file order");
    SortByCollationWeights(views);
    fuzz::Require(std::equal(plain.begin(), plain.end(), views.begin(), views.end()),
                  "the sort by weights gives the same order");
    CheckIndex(*table, *index, 1);
    LoadGroupTable(path, groups, codes);
    CheckIndex(*groups, *codes, 0);
    return 0;
}
