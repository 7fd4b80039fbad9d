// SPDX-License-Identifier: GPL-3.0-or-later
// The report as a screen reader reads it: the texts that drawing left on
// the surface, line by line in reading order, with the nutrient rows put
// in words.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "report/Canvas.h"

namespace quorvex {

// One text of the report where it was drawn, in device pixels.
struct ReadingLine {
    int x = 0;
    int y = 0;
    std::string text;  // Windows-1252, as read aloud
};

// The texts on one surface. A text drawn where another was drawn covers
// it, as the opaque cells do on the surface, so it replaces it: a report
// drawn over another at a new amount reads as that new report alone.
class ReportReading {
  public:
    void Add(int x, int y, std::string text);
    void Clear() { texts_.clear(); }
    bool Empty() const { return texts_.empty(); }

    // One line per text: the left column from top to bottom (the title,
    // amount and refuse lines first), then the right column, each through
    // ReadableRowText (report/CompositionReport.h). A title drawn in two
    // rows, the first ending and the second starting with "...", is one
    // line without them.
    std::vector<ReadingLine> Lines() const;

  private:
    std::map<std::pair<int, int>, std::string> texts_;  // by (x, y)
};

// Draws on target and keeps every text in reading as well.
class ReadingCanvas : public Canvas {
  public:
    // Both must outlive this canvas.
    ReadingCanvas(Canvas& target, ReportReading& reading) : target_(target), reading_(reading) {}

    void SetFont(const std::string& face, int cellHeight, bool bold) override {
        target_.SetFont(face, cellHeight, bold);
    }
    void TextOut(int x, int y, const std::string& text) override;
    void HorizontalLine(int x1, int x2, int y) override { target_.HorizontalLine(x1, x2, y); }

  private:
    Canvas& target_;
    ReportReading& reading_;
};

}  // namespace quorvex
