// SPDX-License-Identifier: GPL-3.0-or-later
// Word filter matching: accent folding, cutting the text into words, and
// which descriptions hold every word.
#include <gtest/gtest.h>

#include "list/WordFilter.h"

namespace quorvex {
namespace {

TEST(FoldAccents, FoldsTheTableLettersKeepingCaseAndNothingElse) {
    // Every letter of the fold table, capitals then small letters.
    const std::string folded = FoldAccents(
        "\xC0\xC1\xC2\xC3\xC7\xC8\xC9\xCA\xCC\xCD\xD2\xD3\xD4\xD5\xD9\xDA"
        "\xE0\xE1\xE2\xE3\xE7\xE8\xE9\xEA\xEC\xED\xF2\xF3\xF4\xF5\xF9\xFA");
    EXPECT_EQ(folded, "AAAACEEEIIOOOOUUaaaaceeeiioooouu");
    // Ä Ë Î Ï Ñ Ö Û Ü Ý and their small letters stay, as do plain bytes.
    const std::string kept =
        "\xC4\xCB\xCE\xCF\xD1\xD6\xDB\xDC\xDD\xE4\xEB\xEE\xEF\xF1\xF6\xFB\xFC\xFD";
    EXPECT_EQ(FoldAccents(kept), kept);
    EXPECT_EQ(FoldAccents("Cr\xE8me br\xFBl\xE9"
                          "e, 100%"),
              "Creme br\xFBlee, 100%");
}

TEST(SplitWords, CutsAtBlanksWithoutEmptyWords) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(SplitWords("CHEESE CHEDDAR"), (Words{"CHEESE", "CHEDDAR"}));
    EXPECT_EQ(SplitWords("PEA PEA"), (Words{"PEA", "PEA"}));
    // Trailing blanks and control characters make no word.
    EXPECT_EQ(SplitWords("RICE  \t\r"), (Words{"RICE"}));
    // Adjacent and leading blanks would give empty words, which match nothing.
    EXPECT_EQ(SplitWords("  RICE   WHITE"), (Words{"RICE", "WHITE"}));
    EXPECT_EQ(SplitWords(""), Words{});
    EXPECT_EQ(SplitWords("   "), Words{});
    // Only blanks cut: other control characters inside stay in the word.
    EXPECT_EQ(SplitWords("A\tB C"), (Words{"A\tB", "C"}));
}

TEST(MatchWords, EveryWordMustOccurAnywhereInThePreparedDescription) {
    const std::vector<std::string> cheddar{"CHEESE", "CHEDDAR"};
    EXPECT_TRUE(MatchWords(cheddar, "Cheese, cheddar"));
    EXPECT_TRUE(MatchWords(cheddar, "Cheddar cheese sauce"));
    EXPECT_FALSE(MatchWords(cheddar, "Cheese, swiss"));
    // Inside longer words.
    const std::vector<std::string> pea{"PEA"};
    for (const char* food : {"Peas, green", "Peanut butter", "Peaches, canned", "Chickpeas"}) {
        EXPECT_TRUE(MatchWords(pea, food)) << food;
    }
    EXPECT_FALSE(MatchWords(pea, "Pepper, sweet"));
    EXPECT_TRUE(MatchWords({}, "anything"));
    EXPECT_TRUE(MatchWords({}, ""));
}

TEST(MatchWords, HyphenMatchesBlankOrHyphen) {
    const std::vector<std::string> words{"ALL-PURPOSE"};
    EXPECT_TRUE(MatchWords(words, "Flour, all-purpose"));
    EXPECT_TRUE(MatchWords(words, "Flour, all purpose"));
    EXPECT_FALSE(MatchWords(words, "Flour, allpurpose"));
}

TEST(MatchWords, FoldedLettersMatchAcrossCaseOtherAccentsDoNot) {
    // A typed É is folded to E when the filter is turned on.
    const std::vector<std::string> creme{FoldAccents("CR\xC9ME")};
    EXPECT_TRUE(MatchWords(creme,
                           "Cr\xE8me fra\xEE"
                           "che"));
    EXPECT_TRUE(MatchWords(creme, "CR\xC9ME"));
    EXPECT_TRUE(MatchWords(creme, "creme"));
    // Ü is not folded: the description's small ü stays small.
    const std::vector<std::string> muesli{"M\xDCSLI"};
    EXPECT_FALSE(MatchWords(muesli, "M\xFCsli"));
    EXPECT_TRUE(MatchWords(muesli, "M\xDCSLI bar"));
    // Words are used as given: a small letter never matches.
    EXPECT_FALSE(MatchWords({"rice"}, "rice"));
}

TEST(WordMatcher, ReusedMatcherGivesTheSameAnswersAsMatchWords) {
    const std::vector<std::string> words{"APPLE", "RAW"};
    WordMatcher matcher(words);
    const std::vector<std::string> foods{"Apples, raw, with skin", "Apple juice", "Crab, raw", "",
                                         "Pineapple, raw, all varieties"};
    for (const std::string& food : foods) {
        EXPECT_EQ(matcher.Matches(food), MatchWords(words, food)) << food;
    }
    EXPECT_TRUE(matcher.Matches(foods[4]));
    EXPECT_FALSE(matcher.Matches(foods[1]));
}

}  // namespace
}  // namespace quorvex
