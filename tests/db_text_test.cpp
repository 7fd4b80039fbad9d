// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers, the comparison and the descrambling alphabets.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/DecimalText.h"
#include "db/StrUnit.h"

namespace quorvex {
namespace {

TEST(StrUnit, RepeatAndFit) {
    EXPECT_EQ(RepeatText(" ", 15), std::string(15, ' '));
    EXPECT_EQ(RepeatText("ab", 3), "ababab");
    EXPECT_EQ(RepeatText("x", 0), "");
    EXPECT_EQ(RepeatText("x", -3), "");
    EXPECT_EQ(RepeatText("", 5), "");

    EXPECT_EQ(FitText("12.5", 15), "12.5" + std::string(11, ' '));
    EXPECT_EQ(FitText("12345678901234567890", 15), "123456789012345");
    EXPECT_EQ(FitText("abc", 3), "abc");
    EXPECT_EQ(FitText("abc", 0), "");
    EXPECT_EQ(FitText("abc", -1), "");
}

TEST(StrUnit, AlignRightMovesOnlyTrailingBlanks) {
    EXPECT_EQ(AlignRightText("12  "), "  12");
    EXPECT_EQ(AlignRightText("    "), "   0");
    EXPECT_EQ(AlignRightText(" "), "0");
    EXPECT_EQ(AlignRightText("1 2 "), " 1 2");
    EXPECT_EQ(AlignRightText("abc"), "abc");
    // Outside the amount field's domain: defined, and nothing read before the text.
    EXPECT_EQ(AlignRightText(""), "");
}

TEST(StrUnit, AlignDecimalOnTheAmountField) {
    EXPECT_EQ(AlignDecimalText("12    ,5"), "    12,5");
    EXPECT_EQ(AlignDecimalText("      ,5"), "     0,5");
    EXPECT_EQ(AlignDecimalText("      , "), "     0, ");
    EXPECT_EQ(AlignDecimalText("   100,0"), "   100,0");
    // Only the first comma counts; the decimals are untouched.
    EXPECT_EQ(AlignDecimalText("1  ,2 ,3"), "  1,2 ,3");
    EXPECT_EQ(AlignDecimalText("7 "), " 7");
    EXPECT_EQ(AlignDecimalText(",5 "), ",5 ");
    EXPECT_EQ(AlignDecimalText(","), ",");
}

TEST(StrUnit, ZeroFillReplaceAndMask) {
    EXPECT_EQ(ZeroFillDecimals("    12, "), "    12,0");
    EXPECT_EQ(ZeroFillDecimals("  1 , 2 "), "  1 ,020");
    EXPECT_EQ(ZeroFillDecimals("  12  "), "  12  ");

    EXPECT_EQ(ReplaceChar('-', ' ', "ALL PURPOSE  FLOUR"), "ALL-PURPOSE--FLOUR");
    EXPECT_EQ(ReplaceChar('-', ' ', "none"), "none");

    EXPECT_EQ(MaskBlankText("999999,9;1;_"), "      , ");
    EXPECT_EQ(MaskBlankText("99-9"), "  - ");
    EXPECT_EQ(MaskBlankText(""), "");
}

TEST(CutDecimalText, HalfUpOnTheDigits) {
    const struct {
        bool negative;
        DecimalDigits number;
        int decimals;
        const char* text;
    } cases[] = {
        {false, {"1234", 2}, 1, "12.3"},    {false, {"1235", 2}, 1, "12.4"},
        {false, {"99995", 2}, 2, "100.00"}, {false, {"0049", 3}, 0, "5"},
        {true, {"0004", 1}, 2, "0.00"},     {true, {"0005", 1}, 2, "-0.01"},
        {false, {"7", 1}, 3, "7.000"},      {true, {"996", 1}, 0, "-10"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutDecimalText(c.negative, c.number, c.decimals), c.text)
            << c.number.digits << " cut to " << c.decimals;
    }
}

TEST(Collation, ClassesSortInOrder) {
    // bar < blank < punctuation < digits < letters
    EXPECT_LT(CompareText("|", " "), 0);
    EXPECT_LT(CompareText(" ", ","), 0);
    EXPECT_LT(CompareText(",", "0"), 0);
    EXPECT_LT(CompareText("~", "0"), 0);
    EXPECT_LT(CompareText("9", "A"), 0);
    EXPECT_LT(CompareText("\xB0", "0"), 0);  // degree sign is a symbol
    for (int c = 33; c < 256; ++c) {
        if (c == '|' || c == 127) continue;
        EXPECT_LT(CompareText("|", std::string(1, static_cast<char>(c))), 0) << c;
    }
}

TEST(Collation, CaseIgnoredAccentsAfterTheirLetter) {
    EXPECT_EQ(CompareText("Butter", "BUTTER"), 0);
    EXPECT_EQ(CompareText("caf\xE9", "CAF\xC9"), 0);  // é equals É
    EXPECT_LT(CompareText("CAFE", "CAF\xC9"), 0);
    EXPECT_LT(CompareText("CAF\xC9", "CAFF"), 0);
    EXPECT_LT(CompareText("\xC7", "D"), 0);  // Ç between C and D
    EXPECT_GT(CompareText("\xC7", "C"), 0);
    EXPECT_LT(CompareText("Z", "\x9E"), 0);  // ž after z
    EXPECT_NE(CompareText("\xE3", "a"), 0);
}

TEST(Collation, KeysOrderLikeTheirLines) {
    EXPECT_LT(CompareText("Butter, salted|x", "Butter, salted, whipped|a"), 0);
    EXPECT_LT(CompareText("Butter, salted|", "Butter, salted, whipped|"), 0);
    // The line order of CAFÉ and CAFE follows their keys, whatever follows.
    EXPECT_GT(CompareText("CAF\xC9|a", "CAFE|z"), 0);
    EXPECT_GT(CompareText("CAF\xC9|", "CAFE|"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_EQ(CompareText("", ""), 0);
}

// Texts of every length around the 8 bytes a prefix holds, the empty one
// among them: prefixes that differ order as their texts do.
TEST(Collation, PrefixesOrderLikeTheirTexts) {
    const std::string texts[] = {"",
                                 "a",
                                 "B",
                                 "ab",
                                 "Butter",
                                 "BUTTER, s",
                                 "Butter, salted",
                                 "Butter|",
                                 "caf\xE9",
                                 "CAFE",
                                 "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const std::uint64_t prefixA = CollationPrefix(a), prefixB = CollationPrefix(b);
            if (prefixA == prefixB) continue;
            EXPECT_EQ(prefixA < prefixB, CompareText(a, b) < 0) << a << " / " << b;
        }
    }
    EXPECT_EQ(CollationPrefix(""), 0u);
}

TEST(Collation, EveryByteHasItsOwnWeightButCasePairs) {
    std::set<int> weights;
    int letters = 0;
    for (int c = 0; c < 256; ++c) {
        const int weight = CollationWeight(static_cast<unsigned char>(c));
        EXPECT_GT(weight, 0);
        if (!weights.insert(weight).second) ++letters;
    }
    // Only capital and small letters share: 26 plain pairs and 34 accented
    // pairs (ß has no capital in Windows-1252).
    EXPECT_EQ(letters, 26 + 34);
}

TEST(CriUnit, AlphabetChoiceByPosition) {
    const int expected[20] = {1, 2, 3, 4, 5, 3, 1, 4, 3, 5, 1, 4, 1, 2, 5, 4, 1, 3, 1, 5};
    for (int b = 1; b <= 20; ++b) EXPECT_EQ(AlphabetFor(b), expected[b - 1]) << b;
    EXPECT_EQ(AlphabetFor(30), 5);
    int uses[6] = {};
    for (int b = 1; b <= 60; ++b) ++uses[AlphabetFor(b)];
    EXPECT_EQ(uses[1], 16);
    EXPECT_EQ(uses[2], 8);
    EXPECT_EQ(uses[3], 12);
    EXPECT_EQ(uses[4], 12);
    EXPECT_EQ(uses[5], 12);
    for (int b = 1; b <= 120; ++b) EXPECT_EQ(AlphabetFor(b), AlphabetFor(b + 60));
}

TEST(CriUnit, AlphabetsArePermutationsThatKeepLineEnds) {
    for (int k = 1; k <= 5; ++k) {
        const std::string& alphabet = DecodeAlphabet(k);
        ASSERT_EQ(alphabet.size(), 256u);
        std::set<unsigned char> values(alphabet.begin(), alphabet.end());
        EXPECT_EQ(values.size(), 256u) << k;
        EXPECT_EQ(alphabet[0], '\0');
        EXPECT_EQ(alphabet[10], '\n');
        EXPECT_EQ(alphabet[13], '\r');
        int moved = 0;
        for (int v = 0; v < 256; ++v) moved += static_cast<unsigned char>(alphabet[v]) != v;
        EXPECT_GT(moved, 240) << "alphabet " << k << " barely scrambles";
        for (int j = 1; j < k; ++j) EXPECT_NE(alphabet, DecodeAlphabet(j));
    }
    EXPECT_THROW(DecodeAlphabet(0), std::out_of_range);
    EXPECT_THROW(DecodeAlphabet(6), std::out_of_range);
}

// The plain byte is the stored byte's position in the alphabet chosen for
// b = line index + position.
int PlainOf(int k, char stored) { return static_cast<int>(DecodeAlphabet(k).find(stored)); }

// Every byte value, at every phase of the alphabets, in lines of every
// length up to past two 64-byte blocks (long lines are decoded a block at a
// time, their ends in part blocks).
TEST(CriUnit, DecodeUsesTheAlphabetOfEachPosition) {
    std::string stored = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int v = 0; v < 256; ++v) stored += static_cast<char>(v * 7 + 3);
    for (int line : {0, 1, 4, 17, 58, 59, 60, 12345}) {
        std::string expected;
        for (size_t p = 1; p <= stored.size(); ++p) {
            expected += static_cast<char>(
                PlainOf(AlphabetFor(line + static_cast<long long>(p)), stored[p - 1]));
        }
        for (size_t size = 0; size <= 140; ++size) {
            ASSERT_EQ(DecodeLine(line, stored.substr(0, size)), expected.substr(0, size))
                << "line " << line << " size " << size;
            std::string byTables = stored.substr(0, size);
            DecodeLineInPlaceByTables(line, byTables.data(), size);
            ASSERT_EQ(byTables, expected.substr(0, size)) << "by tables, line " << line;
        }
        ASSERT_EQ(DecodeLine(line, stored), expected) << "line " << line;
    }
    EXPECT_NE(DecodeLine(0, stored), DecodeLine(1, stored));
    EXPECT_EQ(DecodeLine(7, ""), "");
    std::string line = stored;
    EXPECT_THROW(DecodeLineInPlace(-1, line), std::out_of_range);
    EXPECT_EQ(line, stored);
    EXPECT_THROW(DecodeLine(-61, stored), std::out_of_range);
}

}  // namespace
}  // namespace quorvex
