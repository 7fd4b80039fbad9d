// The lines of a file's bytes and the fields of a line: the one line
// splitter of every reader of line-based files.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// Calls line(view) for every line of fileBytes, each a view into them: CR
// LF, lone CR and lone LF each end a line (LF CR is two ends); a final line
// end adds no empty line; a NUL ends the text.
template <class Line>
void ForEachLine(std::string_view fileBytes, Line line) {
    const size_t nul = fileBytes.find('\0');
    if (nul != std::string_view::npos) fileBytes = fileBytes.substr(0, nul);
    const char* start = fileBytes.data();
    const char* const end = start + fileBytes.size();
    // The first LF at or after start, or end; kept while lone CRs end the
    // lines before it, so that CR-only text is not searched again per line.
    const char* lf = nullptr;
    while (start < end) {
        // Most line ends are CR LF or LF: find the LF, then a CR before it.
        if (lf == nullptr || lf < start) {
            lf = static_cast<const char*>(
                std::memchr(start, '\n', static_cast<size_t>(end - start)));
            if (lf == nullptr) lf = end;
        }
        const char* cr =
            static_cast<const char*>(std::memchr(start, '\r', static_cast<size_t>(lf - start)));
        const char* stop = cr != nullptr ? cr : lf;
        line(std::string_view(start, static_cast<size_t>(stop - start)));
        if (stop == end) break;
        start = stop + 1;
        if (stop == cr && start == lf && lf != end) ++start;  // CR LF
    }
}

// The lines of fileBytes as ForEachLine splits them, each a string.
std::vector<std::string> SplitLines(std::string_view fileBytes);

// Field n (from 1) of a plain line, fields separated by "|". Past the last
// field the last field is returned again; n <= 0 gives the empty text.
std::string GetField(int n, std::string_view line);

}  // namespace quorvex
