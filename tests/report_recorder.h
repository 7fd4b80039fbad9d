// SPDX-License-Identifier: GPL-3.0-or-later
// A drawing surface that records what the report draws, for tests that
// check the layout without pixels.
#pragma once

#include <string>
#include <vector>

#include "report/Canvas.h"

namespace quorvex::test {

struct DrawnText {
    int x;
    int y;
    std::string text;
    std::string face;
    int cellHeight;
    bool bold;
};

struct DrawnLine {
    int x1;
    int x2;
    int y;
};

class RecordingCanvas : public Canvas {
  public:
    void SetFont(const std::string& face, int cellHeight, bool bold) override {
        face_ = face;
        cellHeight_ = cellHeight;
        bold_ = bold;
        ++fontChanges;
    }
    void TextOut(int x, int y, const std::string& text) override {
        texts.push_back({x, y, text, face_, cellHeight_, bold_});
        order.push_back('T');
    }
    void HorizontalLine(int x1, int x2, int y) override {
        lines.push_back({x1, x2, y});
        order.push_back('L');
    }

    bool Bold() const { return bold_; }

    std::vector<DrawnText> texts;
    std::vector<DrawnLine> lines;
    std::string order;  // 'T' and 'L' in drawing order
    int fontChanges = 0;

  private:
    std::string face_;
    int cellHeight_ = 0;
    bool bold_ = false;
};

}  // namespace quorvex::test
