// SPDX-License-Identifier: GPL-3.0-or-later
// The report's drawing surface over a QPainter: the report image and the
// printer page both draw through this one class, in device pixels.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <optional>

#include "report/Canvas.h"

class QPainter;

namespace quorvex {

class PainterCanvas : public Canvas {
  public:
    // painter must be active on its device and outlive this canvas. Text
    // antialiasing is switched off on it, so the report is pure black on
    // white.
    explicit PainterCanvas(QPainter& painter);

    // Takes the face if the system has it or a fixed-pitch substitute for
    // it, otherwise the system's fixed-pitch font. Takes the largest size
    // whose ascent plus descent is cellHeight, or the largest below it when
    // no size gives it exactly (the cell stays cellHeight high either way).
    void SetFont(const std::string& face, int cellHeight, bool bold) override;

    // Precondition: SetFont has been called. Only the characters that can
    // reach the device's right edge are laid out, so the cost does not grow
    // with the text's length.
    void TextOut(int x, int y, const std::string& text) override;
    void HorizontalLine(int x1, int x2, int y) override;

  private:
    QPainter& painter_;
    int cellHeight_ = 0;
    int cellAdvance_ = 1;  // of every character: the font is fixed-pitch
    std::optional<QFontMetrics> metrics_;
};

// The font SetFont chooses for device (which must stay valid while the
// call runs); exposed for tests and benchmarks.
QFont ReportFont(const std::string& face, int cellHeight, bool bold, QPaintDevice* device);

}  // namespace quorvex
