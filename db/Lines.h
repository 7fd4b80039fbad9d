// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a file's bytes and the fields of a line: the one line
// splitter of every reader of line-based files.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// One line of a text and the line end after it ("\r\n", "\r", "\n", or
// empty for a last line without one), both views into the text; end starts
// where text stops.
struct LineView {
    std::string_view text;
    std::string_view end;
};

// Walks the lines of a text, each with its end: CR LF, lone CR and lone LF
// each end a line (LF CR is two ends); a final line end adds no empty line.
// A NUL is a byte like any other here, for the files that keep NULs (the
// settings file is written back byte for byte) or must see them to refuse
// them; ForEachLine is this walk over the text before its first NUL.
class LineWalker {
  public:
    explicit LineWalker(std::string_view bytes) : bytes_(bytes) {}

    // The next line; nothing after the last one.
    std::optional<LineView> Next() {
        if (start_ >= bytes_.size()) return std::nullopt;
        const char* const text = bytes_.data();
        // Most line ends are CR LF or LF: find the LF, then a CR before it.
        if (lf_ == std::string_view::npos || lf_ < start_) {
            const void* lf = std::memchr(text + start_, '\n', bytes_.size() - start_);
            lf_ = lf == nullptr ? bytes_.size()
                                : static_cast<std::size_t>(static_cast<const char*>(lf) - text);
        }
        const void* cr = std::memchr(text + start_, '\r', lf_ - start_);
        const std::size_t stop =
            cr == nullptr ? lf_ : static_cast<std::size_t>(static_cast<const char*>(cr) - text);
        std::size_t endLength = stop == bytes_.size() ? 0 : 1;
        if (cr != nullptr && stop + 1 == lf_ && lf_ != bytes_.size()) endLength = 2;  // CR LF
        const LineView line{bytes_.substr(start_, stop - start_), bytes_.substr(stop, endLength)};
        start_ = stop + endLength;
        return line;
    }

  private:
    std::string_view bytes_;
    std::size_t start_ = 0;
    // The first LF at or after start_ (or the text's size; npos before the
    // first search), kept while lone CRs end the lines before it, so that
    // CR-only text is not searched again for every line.
    std::size_t lf_ = std::string_view::npos;
};

// Calls line(view) for every line of fileBytes, each a view into them, as
// LineWalker finds them; a NUL ends the text.
template <class Line>
void ForEachLine(std::string_view fileBytes, Line line) {
    LineWalker lines(fileBytes.substr(0, fileBytes.find('\0')));
    while (const std::optional<LineView> next = lines.Next()) line(next->text);
}

// The lines of fileBytes as ForEachLine splits them, each a string.
std::vector<std::string> SplitLines(std::string_view fileBytes);

// Field n (from 1) of a plain line, fields separated by "|". Past the last
// field the last field is returned again; n <= 0 gives the empty text.
std::string GetField(int n, std::string_view line);

}  // namespace quorvex
