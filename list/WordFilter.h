// SPDX-License-Identifier: GPL-3.0-or-later
// Word filter matching: which food descriptions hold every word typed in
// the word filter. Texts are single-byte Windows-1252.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// text with the accented letters À-Ã Ç È-Ê Ì Í Ò-Õ Ù Ú (and their small
// letters) replaced by their plain letter; letter case is kept and every
// other byte stays.
std::string FoldAccents(std::string text);

// The words of a word filter text: the text with its trailing blanks and
// control characters removed, cut at every blank. Runs of blanks and
// leading blanks give no empty words: an empty word would match nothing.
std::vector<std::string> SplitWords(const std::string& text);

// True when every word occurs, as a run of equal bytes, in the description
// after FoldAccents, with a-z turned to A-Z and every blank turned to "-".
// True for no words. The words are used as given.
bool MatchWords(const std::vector<std::string>& words, const std::string& description);

// MatchWords for many descriptions against the same words, preparing each
// description in one reused buffer so a scan allocates nothing per food.
// Keeps a reference to words: they must outlive the matcher.
class WordMatcher {
  public:
    explicit WordMatcher(const std::vector<std::string>& words);
    bool Matches(std::string_view description);

  private:
    const std::vector<std::string>& words_;
    std::string prepared_;
};

}  // namespace quorvex
