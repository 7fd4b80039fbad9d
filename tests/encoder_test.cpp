// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "db/CriUnit.h"
#include "db/DBUnit.h"
#include "tests/support/TestSupport.h"
#include "tools/FoodEncoder.h"

namespace quorvex {
namespace {

using test::MakeFoodLine;
using test::ReadFile;
using test::TempDir;
using test::ToolRun;
using test::WriteFile;

// Every byte value that a plain line may hold, rotated by shift so that each
// byte meets every position of the alphabet cycle across the test's lines.
std::string StorableBytes(int shift) {
    std::string bytes;
    for (int v = 0; v < 256; ++v) {
        if (v != 0 && v != '\n' && v != '\r') bytes += static_cast<char>(v);
    }
    std::rotate(bytes.begin(), bytes.begin() + shift % static_cast<int>(bytes.size()), bytes.end());
    return bytes;
}

TEST(EncodeLine, DecodeLineTurnsEveryStorableByteBackAtEveryIndex) {
    std::vector<int> indexes;
    for (int a = 0; a < 130; ++a) indexes.push_back(a);
    for (int a : {8788, 399999, 2147483000}) indexes.push_back(a);
    for (int a : indexes) {
        const std::string plain = StorableBytes(a);
        const std::string stored = EncodeLine(a, plain);
        ASSERT_EQ(stored.size(), plain.size());
        ASSERT_EQ(stored.find_first_of(std::string("\0\n\r", 3)), std::string::npos)
            << "line " << a << " stores a NUL or a line end";
        ASSERT_EQ(DecodeLine(a, stored), plain) << "line " << a;
    }
}

TEST(EncodeLine, StoredFormDependsOnTheLineIndex) {
    const std::string plain = "Butter, salted|15.87|717";
    EXPECT_NE(EncodeLine(0, plain), EncodeLine(1, plain));
    EXPECT_NE(EncodeLine(0, plain), plain);
    EXPECT_EQ(EncodeLine(7, ""), "");
}

TEST(StoreProblem, NamesTheFirstByteThatWouldEndTheLineOrTheText) {
    EXPECT_EQ(StoreProblem(""), "");
    EXPECT_EQ(StoreProblem("A\xE7\xE3o|\xFF\x01\x7F|"), "");
    EXPECT_EQ(StoreProblem(std::string("ab\0c", 4)), "holds a NUL byte at position 3");
    EXPECT_EQ(StoreProblem("x\ny"), "holds a line feed (LF) at position 2");
    EXPECT_EQ(StoreProblem("\rx\n"), "holds a carriage return (CR) at position 1");
}

TEST(EncodeFoodsFile, EachLineIsStoredWithItsIndexAndEndsInCrLf) {
    const std::vector<std::string> plain = {"first|1", "", "third|\xE9", ""};
    const std::string file = EncodeFoodsFile(plain);
    EXPECT_EQ(file, EncodeLine(0, plain[0]) + "\r\n\r\n" + EncodeLine(2, plain[2]) + "\r\n\r\n");
    const std::vector<std::string> stored = SplitLines(file);
    ASSERT_EQ(stored.size(), plain.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(DecodeLine(static_cast<int>(i), stored[i]), plain[i]);
    }
    EXPECT_EQ(EncodeFoodsFile({}), "");
}

// ---- The encode-foods tool ---------------------------------------------------

ToolRun RunTool(const TempDir& dir, const std::string& arguments) {
    return test::RunTool(ENCODE_FOODS, arguments, dir);
}

class EncodeFoodsTool : public ::testing::Test {
  protected:
    std::string In() const { return dir_.Path() + "plain.txt"; }
    std::string Out() const { return dir_.Path() + "stored.dad"; }
    ToolRun Encode() { return RunTool(dir_, "'" + In() + "' '" + Out() + "'"); }
    bool OutExists() const { return std::filesystem::exists(Out()); }

    TempDir dir_;
};

TEST_F(EncodeFoodsTool, StoresEachLineOfThePlainFileAtItsIndex) {
    const std::string a = MakeFoodLine("Caf\xE9 com leite", {{2, "88.40"}});
    const std::string b = MakeFoodLine("Butter, salted", {{43, "1 cup = 227~"}});
    WriteFile(In(), a + "\n" + b + "\r\n\r" + a + "x\r\n");
    const ToolRun run = Encode();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(Out()), EncodeFoodsFile({a, b, "", a + "x"}));
    EXPECT_NE(run.err.find("line 3: 1 field(s)"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("UTF-8"), std::string::npos) << run.err;
}

TEST_F(EncodeFoodsTool, WarnsWhenThePlainFileReadsAsUtf8) {
    const std::string line = MakeFoodLine(
        "Caf\xC3\xA9 com a\xC3\xA7\xC3\xBA"
        "car");
    WriteFile(In(), line + "\n");
    const ToolRun run = Encode();
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("reads as UTF-8"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(Out()), EncodeFoodsFile({line}));
}

TEST_F(EncodeFoodsTool, WarnsAboutFieldCountsAndRepeatedDescriptionsButStoresAnyway) {
    const std::vector<std::string> lines = {MakeFoodLine("Peas, green"), "short|line|3",
                                            MakeFoodLine("PEAS, GREEN")};
    WriteFile(In(), lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n");
    const ToolRun run = Encode();
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("line 2: 3 field(s) instead of 43"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 3 has the same description as line 1"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("line 1:"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(Out()), EncodeFoodsFile(lines));
}

TEST_F(EncodeFoodsTool, RefusesANulWithItsLineNumberAndWritesNothing) {
    struct Case {
        std::string bytes;
        std::string where;
    };
    const std::vector<Case> cases = {
        {std::string("a|b\r\nc\rd|e\0f\ng\n", 15), "line 3 holds a NUL byte at position 4"},
        {std::string("a\r\n\0", 4), "line 2 holds a NUL byte at position 1"},
        {std::string("\0a\n", 3), "line 1 holds a NUL byte at position 1"},
        {std::string("a\n\rb\0", 5), "line 3 holds a NUL byte at position 2"},
    };
    for (const Case& c : cases) {
        WriteFile(In(), c.bytes);
        const ToolRun run = Encode();
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.where), std::string::npos) << run.err;
        EXPECT_FALSE(OutExists());
    }
}

TEST_F(EncodeFoodsTool, RefusalLeavesAnEarlierOutputAsItWas) {
    WriteFile(Out(), "earlier");
    WriteFile(In(), std::string("ok\n\0", 4));
    EXPECT_EQ(Encode().status, 2);
    EXPECT_EQ(ReadFile(Out()), "earlier");
}

TEST_F(EncodeFoodsTool, UsageErrorsExitWithStatusTwo) {
    WriteFile(In(), "x\n");
    const std::string in = "'" + In() + "' ";
    const std::string out = "'" + Out() + "' ";
    for (const std::string& args :
         {std::string(), in, "--decode " + in, "--other " + in + out, in + out + "extra"}) {
        const ToolRun run = RunTool(dir_, args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("usage: quorvex-encode-foods PLAIN STORED"), std::string::npos)
            << args;
    }
    EXPECT_FALSE(OutExists());
}

TEST_F(EncodeFoodsTool, AMissingInputFailsWithoutOutput) {
    const ToolRun run = Encode();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Cannot open file " + In()), std::string::npos) << run.err;
    EXPECT_FALSE(OutExists());
}

TEST_F(EncodeFoodsTool, DecodeGivesThePlainLinesBack) {
    const std::string a = MakeFoodLine(
        "A\xE7\xFA"
        "car mascavo",
        {{38, "0900"}});
    const std::string b = MakeFoodLine("Bolinho de chuva da vov\xF4");
    WriteFile(In(), a + "\n\n" + b);
    ASSERT_EQ(Encode().status, 0);
    const std::string back = dir_.Path() + "back.txt";
    const ToolRun run = RunTool(dir_, "--decode '" + Out() + "' '" + back + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(back), a + "\r\n\r\n" + b + "\r\n");
}

}  // namespace
}  // namespace quorvex
