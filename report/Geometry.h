// SPDX-License-Identifier: GPL-3.0-or-later
// Report page geometry: the report is laid out in millimetres on a page
// 190 mm wide, with rows of 210 / 50 mm, and turned into device pixels from
// one resolution R (pixels per inch) that serves both axes.
//
// Every quantity is computed in 80-bit extended precision (long double on
// x86) and rounded to nearest with ties to even, so the same R gives the
// same pixels on every run and every machine of that kind.
#pragma once

namespace quorvex {

// The screen report resolution before rounding: 3.7 pixels per millimetre.
inline constexpr double kScreenPixelsPerInch = 93.98;

// Report page size in millimetres and rows per page height.
inline constexpr double kPageWidthMm = 190.0;
inline constexpr double kPageHeightMm = 210.0;
inline constexpr int kRowsPerPage = 50;

// Nearest integer, ties to even. Precondition: the result fits in an int.
int RoundHalfEven(long double value);

// Round(ppi * mm / 25.4), multiplying first.
int MmToPixels(int ppi, double mm);

// Printable width in pixels * 25.4 / printable width in millimetres,
// multiplying first; not rounded. Precondition: widthMm > 0.
double PrinterPixelsPerInch(int widthPixels, double widthMm);

// R for the screen (94) and for a printer of the given resolution.
int ScreenReportResolution();
int PrinterReportResolution(double pixelsPerInch);

// Device-pixel geometry of the report at one resolution.
struct ReportGeometry {
    int rowPitch = 0;    // P: one row, 4.2 mm
    int pageWidth = 0;   // W: 190 mm
    int cellHeight = 0;  // font cell (ascent + descent): Round(0.9 P)
    int margin = 0;      // text margin M: Round(0.2 P)
    int leftX = 0;       // x of left column text: M
    int rightX = 0;      // x of right column text: Round(W / 2) + M

    // y of the top of row r's text (rows count from 1): Round((r - 0.95) P).
    int TextTop(int row) const;
    // y of the rule along the bottom edge of row r: r P.
    int RuleY(int row) const;
};

ReportGeometry ReportGeometryFor(int ppi);

}  // namespace quorvex
