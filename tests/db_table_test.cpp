// SPDX-License-Identifier: GPL-3.0-or-later
// Lines, fields, the text list, the loaders and the data file paths.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/DBUnit.h"
#include "db/FieldView.h"
#include "db/Fields.h"
#include "db/TableOrder.h"
#include "tests/support/TestSupport.h"
#include "tools/FoodEncoder.h"

namespace quorvex {
namespace {

using Lines = std::vector<std::string>;
using Views = std::vector<std::string_view>;

const char* const kLineEnds[] = {"\r\n", "\n", "\r"};

// Table order, equal lines in the order given when sorted stably.
bool TableLess(std::string_view a, std::string_view b) { return CompareText(a, b) < 0; }

TEST(SplitLines, LineEnds) {
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("x\r\r\ny"), (Lines{"x", "", "y"}));
    EXPECT_EQ(SplitLines("x\n\ry"), (Lines{"x", "", "y"}));
    EXPECT_EQ(SplitLines("a\rb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("\n\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines("a\r"), Lines{"a"});
}

TEST(SplitLines, NulEndsTheText) {
    using namespace std::string_literals;
    EXPECT_EQ(SplitLines("ab\r\ncd\0ef\r\ngh"s), (Lines{"ab", "cd"}));
    EXPECT_EQ(SplitLines("\0abc"s), Lines{});
}

TEST(SplitLines, WalkerGivesEachEndAndKeepsNuls) {
    using namespace std::string_literals;
    const std::string text = "a\0b\r\n\n\rc\r\r\nd"s;
    LineWalker lines(text);
    std::vector<std::pair<std::string, std::string>> walked;
    while (const std::optional<LineView> line = lines.Next()) {
        walked.emplace_back(line->text, line->end);
    }
    EXPECT_EQ(
        walked,
        (decltype(walked){
            {"a\0b"s, "\r\n"}, {"", "\n"}, {"", "\r"}, {"c", "\r"}, {"", "\r\n"}, {"d", ""}}));
}

TEST(GetField, Fields) {
    const std::string line = "A|B||D";
    EXPECT_EQ(GetField(1, line), "A");
    EXPECT_EQ(GetField(2, line), "B");
    EXPECT_EQ(GetField(3, line), "");
    EXPECT_EQ(GetField(4, line), "D");
    EXPECT_EQ(GetField(5, line), "D");
    EXPECT_EQ(GetField(9, line), "D");
    EXPECT_EQ(GetField(0, line), "");
    EXPECT_EQ(GetField(-1, line), "");

    EXPECT_EQ(GetField(1, "A|"), "A");
    EXPECT_EQ(GetField(2, "A|"), "");
    EXPECT_EQ(GetField(3, "A|"), "");
    EXPECT_EQ(GetField(1, "whole"), "whole");
    EXPECT_EQ(GetField(7, "whole"), "whole");
    EXPECT_EQ(GetField(1, ""), "");
    EXPECT_EQ(GetField(3, ""), "");
}

TEST(GetField, SplitFieldsGivesEachFieldAsFieldView) {
    for (const std::string_view line : {"A|B||D", "A|", "whole", "", "|", "a|b|c|d|e|f|g|h|i|j"}) {
        const std::vector<std::string_view> fields = SplitFields(line, 9);
        ASSERT_EQ(fields.size(), 9u);
        for (int n = 1; n <= 9; ++n) EXPECT_EQ(fields[n - 1], FieldView(line, n)) << line << n;
    }
}

// The field rule the slow, obvious way: split at every bar.
std::string FieldByRule(int n, const std::string& line) {
    if (n <= 0) return "";
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '|') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields[std::min(static_cast<std::size_t>(n), fields.size()) - 1];
}

// Lines of every length around the eight-byte steps, with bytes that
// differ from the bar in one bit only.
TEST(GetField, FollowsTheRuleOnRandomLines) {
    std::mt19937 random(7);
    const char alphabet[] = {'|', 'a', '\xFC', '}', '\0'};
    for (int round = 0; round < 3000; ++round) {
        std::string line(random() % 40, ' ');
        for (char& c : line) c = alphabet[random() % sizeof alphabet];
        for (int n = -1; n <= 42; ++n) {
            ASSERT_EQ(GetField(n, line), FieldByRule(n, line)) << "field " << n << " of " << line;
        }
    }
}

TEST(LineKey, TextBeforeTheFirstBar) {
    EXPECT_EQ(LineKey("Apples|raw|"), "Apples");
    EXPECT_EQ(LineKey("|x"), "");
    EXPECT_EQ(LineKey("no bar"), std::nullopt);
    EXPECT_EQ(LineKey(""), std::nullopt);
}

TEST(TextList, BoundsAndUnsortedMode) {
    TextList list;
    list.Add("b");
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0), "b");
    list.Put(0, "c");
    EXPECT_EQ(list.Get(0), "c");
    try {
        list.Get(3);
        FAIL() << "no exception";
    } catch (const std::out_of_range& failure) {
        EXPECT_STREQ(failure.what(), "List index out of bounds (3)");
    }
    EXPECT_THROW(list.Get(-1), std::out_of_range);
    EXPECT_THROW(list.Put(3, "x"), std::out_of_range);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TextList, SortedModeFindAndDuplicates) {
    TextList list;
    for (const char* text : {"pear", "Apple", "fig", "APPLE"}) list.Add(text);
    list.SetSorted(true);  // equal entries already present are kept
    ASSERT_EQ(list.Count(), 4);
    list.Add("apple");  // equal to an entry: not added
    list.Add("banana");
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Get(2), "banana");
    EXPECT_THROW(list.Put(0, "x"), std::logic_error);

    int position = -1;
    EXPECT_TRUE(list.Find("FIG", position));
    EXPECT_EQ(position, 3);
    EXPECT_FALSE(list.Find("cherry", position));
    EXPECT_EQ(position, 3);
    EXPECT_FALSE(list.Find("zucchini", position));
    EXPECT_EQ(position, list.Count());
    EXPECT_FALSE(list.Find("", position));
    EXPECT_EQ(position, 0);
}

// SortByCollationWeights on lines laid out in one buffer in file order, as
// the loader does, against a stable sort by CompareText.
void ExpectTableOrder(const Lines& lines) {
    std::string buffer;
    for (const std::string& line : lines) buffer += line + '\n';
    Views views;
    for (size_t at = 0; const std::string& line : lines) {
        views.emplace_back(buffer.data() + at, line.size());
        at += line.size() + 1;
    }
    SortByCollationWeights(views);
    Lines expected = lines;
    std::stable_sort(expected.begin(), expected.end(), TableLess);
    ASSERT_EQ(Lines(views.begin(), views.end()), expected) << "first line: " << lines[0];
}

// Lines that share a beginning of every length up to 73 bytes, so that they
// end at, before and after every stretch of 8 the sort weighs, followed by
// letters that differ in case or accent; alone and six times over.
TEST(TableOrder, SharedBeginningsEndingAroundEveryEighthByte) {
    const std::string text =
        "Cheese, cheddar, sharp, sliced, reduced fat, low sodium, shredded, ab";
    for (size_t length = 0; length <= 73; ++length) {
        const std::string stem = std::string(length, 'A');
        const std::string words = (text + text).substr(0, length);
        for (const std::string& same : {stem, words}) {
            std::string lower = same;
            for (char& c : lower) c = static_cast<char>(std::tolower(c));
            const Lines lines = {same,          same + "Z", same + "B",     lower + "b",
                                 same + "\xC1", same,       lower + "\xE1", same + "A",
                                 lower,         same + "|", same + "ZZ"};
            ExpectTableOrder(lines);
            // Enough lines that a group is sorted a weight byte at a time.
            Lines many;
            for (int copy = 0; copy < 6; ++copy)
                many.insert(many.end(), lines.begin(), lines.end());
            ExpectTableOrder(many);
        }
    }
}

TEST(TableOrder, RandomLinesFromASmallAlphabet) {
    std::mt19937 random(20);
    const std::string pieces[] = {"aaaaaaaa", "AAAAAAA", "a", "A", "b", "\xE1", "\xC1", "|", " "};
    for (int round = 0; round < 30; ++round) {
        Lines lines(1 + random() % 400);
        for (std::string& line : lines) {
            for (size_t n = random() % 12; n > 0; --n) line += pieces[random() % std::size(pieces)];
        }
        ExpectTableOrder(lines);
    }
}

class LoaderTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return dir.Path() + name; }

    // Loads the stored foods file and expects what splitting it, decoding
    // each line by its file position and sorting gives, equal lines in file
    // order, and their keys.
    void ExpectLoadsAsSortingGives(const std::string& file) {
        test::WriteFile(Path("foods"), file);
        LoadFoodTable(Path("foods"), table, index, progress);
        Lines expected = SplitLines(file);
        for (size_t i = 0; i < expected.size(); ++i) {
            expected[i] = DecodeLine(static_cast<int>(i), expected[i]);
        }
        std::stable_sort(expected.begin(), expected.end(), TableLess);
        ASSERT_EQ(Lines(table->Items().begin(), table->Items().end()), expected);
        TextList keys;
        keys.SetSorted(true);
        for (const std::string& line : expected) {
            const size_t bar = line.find('|');
            keys.Add(bar == std::string::npos ? "" : line.substr(0, bar + 1));
        }
        ASSERT_EQ(index->Items(), keys.Items());
    }

    test::TempDir dir;
    test::RecordingProgress progress;
    std::unique_ptr<LoadedTable> table;
    std::unique_ptr<LoadedTable> index;
};

TEST_F(LoaderTest, ProgressPositionsTieToEven) {
    Lines plain;
    for (char c = 'a'; c < 'i'; ++c) plain.push_back(std::string(1, c) + "|x");
    test::WriteStoredFoods(Path("foods"), plain);
    LoadFoodTable(Path("foods"), table, index, progress);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88}));
    EXPECT_EQ(progress.events, (Lines{"show 100", "close"}));

    test::WriteStoredFoods(Path("one"), {"a|x"});
    test::RecordingProgress single;
    LoadFoodTable(Path("one"), table, index, single);
    EXPECT_EQ(single.positions, std::vector<int>{0});
}

// A large table takes longer to sort than to decode: the bar goes on rising
// through the sort, up to its end.
TEST_F(LoaderTest, LargeTableProgressCoversTheSort) {
    Lines plain;
    for (int i = 0; i < 60000; ++i)
        plain.push_back(static_cast<char>('A' + i % 26) + std::to_string(i * 7919 % 60000) + "|");
    test::WriteStoredFoods(Path("foods"), plain);
    LoadFoodTable(Path("foods"), table, index, progress);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    // Decoding fills the bar's first part, the sort the rest.
    EXPECT_TRUE(std::any_of(progress.positions.begin(), progress.positions.end(),
                            [](int position) { return position > 50 && position < 100; }));
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_EQ(progress.events, (Lines{"show 100", "close"}));

    // In table order, no sort: decoding alone fills the bar.
    std::stable_sort(plain.begin(), plain.end(), TableLess);
    test::WriteStoredFoods(Path("sorted"), plain);
    test::RecordingProgress sorted;
    LoadFoodTable(Path("sorted"), table, index, sorted);
    EXPECT_TRUE(std::is_sorted(sorted.positions.begin(), sorted.positions.end()));
    EXPECT_LE(sorted.positions.size(), plain.size());
    EXPECT_EQ(sorted.positions.back(), 100);
    EXPECT_EQ(Lines(table->Items().begin(), table->Items().end()), plain);
}

TEST_F(LoaderTest, DecodesByFilePositionThenSorts) {
    const Lines plain = {"Pear, raw|1", "apple, raw|2", "Fig|3"};
    test::WriteStoredFoods(Path("foods"), plain);
    LoadFoodTable(Path("foods"), table, index, progress);
    EXPECT_EQ(table->Items(), (Views{"apple, raw|2", "Fig|3", "Pear, raw|1"}));
    EXPECT_EQ(index->Items(), (Views{"apple, raw|", "Fig|", "Pear, raw|"}));
    EXPECT_TRUE(table->IsSorted());
    EXPECT_TRUE(index->IsSorted());

    int position = -1;
    EXPECT_TRUE(index->Find("Pear, raw|", position));
    EXPECT_EQ(position, 2);
    EXPECT_TRUE(index->Find("PEAR, RAW|", position));
    EXPECT_EQ(position, 2);
    EXPECT_FALSE(index->Find("Pear, raw", position));
}

TEST_F(LoaderTest, EqualKeysShareOneIndexEntry) {
    test::WriteStoredFoods(Path("foods"), {"Milk|1", "MILK|2", "nobar", "also no bar", "Tea|3"});
    LoadFoodTable(Path("foods"), table, index, progress);
    EXPECT_EQ(table->Count(), 5);
    // Both bar-less lines give the empty key, once; the two milks share one.
    EXPECT_EQ(index->Items(), (Views{"", "Milk|", "Tea|"}));
}

TEST_F(LoaderTest, GroupTableAndCodeIndex) {
    test::WriteFile(Path("groups"), "0900|Fruits\r\n0100|Dairy\r\n");
    LoadGroupTable(Path("groups"), table, index);
    EXPECT_EQ(table->Items(), (Views{"0100|Dairy", "0900|Fruits"}));
    EXPECT_EQ(index->Items(), (Views{"0100", "0900"}));
    int position = -1;
    EXPECT_TRUE(index->Find("0900", position));
    EXPECT_EQ(GetItemField(*table, position, kGroupName), "Fruits");
    EXPECT_FALSE(index->Find("0900|", position));
}

TEST_F(LoaderTest, ExistingListsAreClearedAndRefilled) {
    test::WriteStoredFoods(Path("a"), {"One|", "Two|"});
    test::WriteStoredFoods(Path("b"), {"Three|"});
    LoadFoodTable(Path("a"), table, index, progress);
    LoadedTable* kept = table.get();
    LoadFoodTable(Path("b"), table, index, progress);
    EXPECT_EQ(table.get(), kept);
    EXPECT_EQ(table->Items(), Views{"Three|"});
    EXPECT_EQ(index->Items(), Views{"Three|"});
    table.reset();  // the index shares the bytes, it does not borrow them
    EXPECT_EQ(index->Items(), Views{"Three|"});
}

TEST_F(LoaderTest, EmptyFileGivesEmptyTables) {
    test::WriteFile(Path("foods"), "");
    LoadFoodTable(Path("foods"), table, index, progress);
    EXPECT_EQ(table->Count(), 0);
    EXPECT_EQ(index->Count(), 0);
    EXPECT_EQ(progress.events, (Lines{"show 100", "close"}));
    EXPECT_TRUE(progress.positions.empty());
    EXPECT_EQ(GetItemField(*table, -1, 1), kNoSuchCodeText);
    EXPECT_EQ(GetItemField(*table, -1, 38), "Erro! Codigo n\xE3o existe!");
    EXPECT_THROW(GetItemField(*table, 0, 1), std::out_of_range);
}

TEST_F(LoaderTest, UnopenableFileClearsTableAndShowsNothing) {
    test::WriteStoredFoods(Path("foods"), {"Kept|"});
    LoadFoodTable(Path("foods"), table, index, progress);
    progress.events.clear();
    // A folder opens but cannot be read, also for root.
    std::filesystem::create_directory(Path("folder"));
    for (const std::string& bad : {Path("missing"), Path("folder")}) {
        try {
            LoadFoodTable(bad, table, index, progress);
            FAIL() << "no exception for " << bad;
        } catch (const std::runtime_error& failure) {
            EXPECT_EQ(std::string(failure.what()), "Cannot open file " + bad);
        }
        EXPECT_EQ(table->Count(), 0);
        EXPECT_EQ(index->Count(), 1);  // not rebuilt
    }
    EXPECT_TRUE(progress.events.empty());
    std::unique_ptr<LoadedTable> groups, codes;
    EXPECT_THROW(LoadGroupTable(Path("missing"), groups, codes), std::runtime_error);
    EXPECT_EQ(groups->Count(), 0);
}

TEST_F(LoaderTest, UnreadablePermissions) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permissions";
    test::WriteStoredFoods(Path("foods"), {"A|"});
    chmod(Path("foods").c_str(), 0);
    EXPECT_THROW(LoadFoodTable(Path("foods"), table, index, progress), std::runtime_error);
}

TEST_F(LoaderTest, OddContentLoadsAsIs) {
    // A 1 MB line, high bytes, short lines and a NUL-cut tail, long enough
    // that the file is read in two halves.
    const std::string longLine = "Long|" + std::string(1 << 20, 'x');
    const std::string accented =
        "Caf\xE9 com a\xE7\xFA"
        "car|\x80\xFF";
    const std::string plain = EncodeFoodsFile({longLine, accented, "Short|1|2"}) +
                              EncodeLine(3, "Cut") + std::string(1, '\0') +
                              std::string(48 << 20, 't');
    test::WriteFile(Path("foods"), plain);
    LoadFoodTable(Path("foods"), table, index, progress);
    ASSERT_EQ(table->Count(), 4);
    EXPECT_EQ(table->Get(0), accented);
    EXPECT_EQ(table->Get(1), "Cut");
    EXPECT_EQ(table->Get(2), longLine);
    EXPECT_EQ(GetField(kHouseholdWeights, table->Get(3)), "2");
}

// Files of random lines (case twins, equal lines, lines without a bar,
// long shared beginnings, every kind of line end) load as sorting gives
// them. Every third file is written in table order and
// every third but one line out of it, as a file found in order is not
// sorted again.
TEST_F(LoaderTest, LoadsAsSplitDecodeAndSortGiveOnRandomFiles) {
    std::mt19937 random(12);
    const std::string pieces[] = {"Cheese, cheddar, ",
                                  "CHEESE, CHEDDAR, ",
                                  "a",
                                  "B",
                                  "|",
                                  " ",
                                  "-",
                                  "\xE9",
                                  "\xC9",
                                  "\x01",
                                  "\xFF"};
    for (int round = 0; round < 40; ++round) {
        Lines plain(random() % 60);
        for (std::string& line : plain) {
            for (size_t n = random() % 6; n > 0; --n) line += pieces[random() % std::size(pieces)];
        }
        if (round % 3 != 0) std::stable_sort(plain.begin(), plain.end(), TableLess);
        if (round % 3 == 2 && plain.size() > 1)
            std::swap(plain[random() % plain.size()], plain[random() % plain.size()]);
        std::string file;
        for (size_t i = 0; i < plain.size(); ++i)
            file += EncodeLine(static_cast<int>(i), plain[i]) + kLineEnds[random() % 3];
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectLoadsAsSortingGives(file);
    }
}

// Large files are read, split and decoded in steps, two threads at once.
// At each step boundary a line end of one kind or another stands astride
// it or on either side of it, or a line runs over a whole step. Such files
// in table order, with equal keys astride a boundary, with a line without
// a bar at the end, with a pair out of order astride a boundary, without a
// last line end, and with a NUL (then read whole) all load as one pass
// over the whole file gives them.
TEST_F(LoaderTest, FilesReadInStepsLoadAsOnePassGivesThem) {
    constexpr size_t kSize = 600 << 10;
    const size_t step = TextStepBytes(kSize);
    Lines plain, ends;
    size_t size = 0;
    const auto add = [&](size_t length, const char* end) {
        std::string line = "Food " + std::to_string(1000000 + plain.size()) + "|";
        line.resize(std::max(length, line.size()), 'x');
        size += line.size() + std::strlen(end);
        plain.push_back(line);
        ends.push_back(end);
    };
    // Ordinary lines, then one whose end starts at byte at.
    const auto endAt = [&](size_t at, const char* end) {
        while (size + 100 < at) add(60, "\n");
        add(at - size, end);
    };
    size_t atBoundary = 0;  // a line that starts at a boundary
    for (size_t boundary = step, kind = 0; boundary + 2 * step < kSize; boundary += step, ++kind) {
        switch (kind % 5) {
            case 0:
                endAt(boundary - 1, "\r\n");
                break;
            case 1:
                endAt(boundary - 1, "\n"), atBoundary = plain.size();
                break;
            case 2:
                endAt(boundary, "\n");
                break;
            case 3:
                endAt(boundary - 1, "\r");
                break;
            default:
                endAt(boundary - 100, "\n"), add(step + 200, "\n"), boundary += step;
        }
    }
    while (size < kSize) add(60, kLineEnds[plain.size() % 3]);

    Lines sameKeyAcross = plain;
    sameKeyAcross[atBoundary] = plain[atBoundary - 1].substr(0, 13) + "zzz";
    Lines withoutBar = plain;
    withoutBar.back() = "Food 9999999";
    Lines swapped = plain;
    std::swap(swapped[atBoundary - 1], swapped[atBoundary]);
    Lines withNul = plain;
    withNul[plain.size() / 2][20] = '\0';
    Lines noLastEnd = ends;
    noLastEnd.back() = "";
    for (const auto& [lines, lineEnds] :
         {std::pair(plain, ends), std::pair(sameKeyAcross, ends), std::pair(withoutBar, ends),
          std::pair(swapped, ends), std::pair(withNul, ends), std::pair(plain, noLastEnd)}) {
        std::string file;
        for (size_t i = 0; i < lines.size(); ++i)
            file += EncodeLine(static_cast<int>(i), lines[i]) + lineEnds[i];
        SCOPED_TRACE(lines[atBoundary] + (lines == withNul ? " with a NUL" : ""));
        progress.positions.clear();
        ExpectLoadsAsSortingGives(file);
        // Read in steps, the bar moves once a step; read whole, once a line.
        EXPECT_EQ(progress.positions.size() < lines.size() / 2, lines != withNul);
    }
}

// A process near its limits, where no thread can be had, loads a large
// file all the same, in order or not, on its one thread.
TEST_F(LoaderTest, LargeFilesLoadWhereNoThreadCanBeHad) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more room than the limit leaves";
#endif
    Lines plain;
    for (int i = 0; i < 60000; ++i) plain.push_back("Food " + std::to_string(100000 + i) + "|");
    for (const bool inOrder : {true, false}) {
        if (!inOrder) std::swap(plain[10], plain[50000]);
        test::WriteStoredFoods(Path("foods"), plain);
        Lines expected = plain;
        std::stable_sort(expected.begin(), expected.end(), TableLess);
        const int status = test::ExitStatusWithRoom(RLIMIT_AS, 6 << 20, [&] {
            try {
                std::thread([] {}).join();
                return 3;  // the limit leaves room for a thread after all
            } catch (const std::system_error&) {
            }
            LoadFoodTable(Path("foods"), table, index, progress);
            return Lines(table->Items().begin(), table->Items().end()) == expected ? 1 : 0;
        });
        if (status == -2) GTEST_SKIP() << "no address-space limit can be set here";
        EXPECT_EQ(status, 1) << (inOrder ? "in order" : "out of order");
    }
}

TEST(Paths, MissingFolderAndFilesAreCreated) {
    test::TempDir dir;
    SetApplicationDirectory(dir.Path());
    EXPECT_EQ(DataDirectory(), dir.Path() + "Dados/");
    const std::string foods = FoodFilePath(DataDirectory());
    EXPECT_EQ(foods, dir.Path() + "Dados/ArqIng.dad");
    EXPECT_TRUE(std::filesystem::is_regular_file(foods));
    EXPECT_EQ(std::filesystem::file_size(foods), 0u);
    const std::string groups = GroupFilePath(DataDirectory());
    EXPECT_EQ(groups, dir.Path() + "Dados/ArqGruIng.dad");
    EXPECT_TRUE(std::filesystem::is_regular_file(groups));

    test::WriteFile(foods, "kept");
    FoodFilePath(DataDirectory());
    EXPECT_EQ(test::ReadFile(foods), "kept");
}

TEST(Paths, LinksAreNeverFollowedToCreateAFile) {
    test::TempDir dir;
    const std::string target = dir.Path() + "target";
    std::filesystem::create_symlink(target, dir.Path() + "link");
    EnsureFileExists(dir.Path() + "link");
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace quorvex
