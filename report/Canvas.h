// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface the report is drawn on: the report image on screen,
// a printer page, or a recorder in tests. Coordinates are device pixels
// with the origin at the top-left corner; texts are single-byte
// Windows-1252.
#pragma once

#include <string>

namespace quorvex {

class Canvas {
  public:
    virtual ~Canvas() = default;

    // Chooses the font for later texts: face name, cell height in pixels
    // (ascent plus descent, internal leading included) and weight.
    virtual void SetFont(const std::string& face, int cellHeight, bool bold) = 0;

    // Draws text with the top-left corner of its first cell at (x, y),
    // black on an opaque white cell as wide as the text's advance and as
    // high as the font's cell, so it covers whatever lay under it.
    virtual void TextOut(int x, int y, const std::string& text) = 0;

    // A one-pixel black line on row y from x1 towards x2: x1 is painted,
    // x2 is not. Parts beyond the surface are clipped.
    virtual void HorizontalLine(int x1, int x2, int y) = 0;
};

}  // namespace quorvex
