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
        lines.push_back({place.first, place.second, ReadableRowText(text)});
    }
    return lines;
}

void ReadingCanvas::TextOut(int x, int y, const std::string& text) {
    target_.TextOut(x, y, text);
    reading_.Add(x, y, text);
}

}  // namespace quorvex
