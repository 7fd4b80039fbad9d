// SPDX-License-Identifier: GPL-3.0-or-later
// The word filter: the words of any text, and matching them against food
// descriptions. Input parts: the filter text, then descriptions one a line.
#include "db/DBUnit.h"
#include "db/StrUnit.h"
#include "fuzz/FuzzSupport.h"
#include "list/WordFilter.h"

using namespace quorvex;

namespace {

// The description as matching sees it: accents folded, a-z in capitals,
// blanks as "-".
std::string Prepared(const std::string& description) {
    std::string text = FoldAccents(description);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return ReplaceChar('-', ' ', text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = fuzz::SplitParts(data, size, 2);
    const std::vector<std::string> words = SplitWords(parts[0]);
    for (const std::string& word : words) {
        fuzz::Require(!word.empty() && word.find(' ') == std::string::npos,
                      "words are neither empty nor hold blanks");
    }
    WordMatcher matcher(words);
    for (const std::string& description : SplitLines(parts[1])) {
        fuzz::Require(FoldAccents(description).size() == description.size(),
                      "folding keeps the length");
        fuzz::Require(matcher.Matches(description) == MatchWords(words, description),
                      "the matcher agrees with MatchWords");
        fuzz::Require(MatchWords(SplitWords(Prepared(description)), description),
                      "a description holds the words of its own prepared form");
    }
    return 0;
}
