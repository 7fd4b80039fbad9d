// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportReading.h"

#include "report/CompositionReport.h"

namespace quorvex {

void ReportReading::Add(int x, int y, std::string text) { texts_[{x, y}] = std::move(text); }

std::vector<ReadingLine> ReportReading::Lines() const {
    // The columns are drawn at two x positions, and the map orders by x
    // first: the left column, then the right, each from the top.
    std::vector<ReadingLine> lines;
    lines.reserve(texts_.size());
    for (const auto& [place, text] : texts_) {
        // A title too long for its row goes on in the second, each end
        // marked "...": read as the one title it is.
        const bool titleGoesOn = lines.size() == 1 && lines[0].text.ends_with("...") &&
                                 text.starts_with("...") && place.first == lines[0].x;
        if (titleGoesOn) {
            lines[0].text.resize(lines[0].text.size() - 3);
            lines[0].text += ReadableRowText(text.substr(3));
            continue;
        }
        lines.push_back({place.first, place.second, ReadableRowText(text)});
    }
    return lines;
}

void ReadingCanvas::TextOut(int x, int y, const std::string& text) {
    target_.TextOut(x, y, text);
    reading_.Add(x, y, text);
}

}  // namespace quorvex
