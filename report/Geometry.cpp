// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Geometry.h"

#include <cfenv>
#include <cmath>

namespace quorvex {

namespace {

constexpr long double kMmPerInch = 25.4L;

// Round to nearest for one computation, the caller's mode restored after:
// every product and quotient rounds under the current mode, not only the
// final rounding, so a caller's fesetround could otherwise move a pixel.
// This file is built with -frounding-math, so the compiler keeps the
// arithmetic between the mode changes.
class NearestRounding {
  public:
    NearestRounding() : saved_(std::fegetround()) { std::fesetround(FE_TONEAREST); }
    ~NearestRounding() { std::fesetround(saved_); }
    NearestRounding(const NearestRounding&) = delete;
    NearestRounding& operator=(const NearestRounding&) = delete;

  private:
    int saved_;
};

}  // namespace

int RoundHalfEven(long double value) {
    const NearestRounding nearest;
    return static_cast<int>(std::nearbyintl(value));
}

int MmToPixels(int ppi, double mm) {
    const NearestRounding nearest;
    return RoundHalfEven(static_cast<long double>(ppi) * mm / kMmPerInch);
}

double PrinterPixelsPerInch(int widthPixels, double widthMm) {
    const NearestRounding nearest;
    return static_cast<double>(static_cast<long double>(widthPixels) * kMmPerInch / widthMm);
}

int ScreenReportResolution() { return RoundHalfEven(kScreenPixelsPerInch); }

int PrinterReportResolution(double pixelsPerInch) { return RoundHalfEven(pixelsPerInch); }

int ReportGeometry::TextTop(int row) const {
    const NearestRounding nearest;
    return RoundHalfEven((static_cast<long double>(row) - 0.95L) * rowPitch);
}

int ReportGeometry::RuleY(int row) const { return row * rowPitch; }

ReportGeometry ReportGeometryFor(int ppi) {
    const NearestRounding nearest;
    ReportGeometry geometry;
    geometry.rowPitch = MmToPixels(ppi, kPageHeightMm / kRowsPerPage);
    geometry.pageWidth = MmToPixels(ppi, kPageWidthMm);
    geometry.cellHeight = RoundHalfEven(0.9L * geometry.rowPitch);
    geometry.margin = RoundHalfEven(0.2L * geometry.rowPitch);
    geometry.leftX = geometry.margin;
    geometry.rightX = RoundHalfEven(geometry.pageWidth / 2.0L) + geometry.margin;
    return geometry;
}

}  // namespace quorvex
