#include "report/Geometry.h"

#include <cfenv>
#include <cmath>

namespace quorvex {

namespace {
constexpr long double kMmPerInch = 25.4L;
}  // namespace

int RoundHalfEven(long double value) {
    // nearbyintl follows the current rounding mode; pin it so a caller's
    // fesetround cannot change the layout.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyintl(value);
    std::fesetround(saved);
    return static_cast<int>(rounded);
}

int MmToPixels(int ppi, double mm) {
    return RoundHalfEven(static_cast<long double>(ppi) * mm / kMmPerInch);
}

double PrinterPixelsPerInch(int widthPixels, double widthMm) {
    return static_cast<double>(static_cast<long double>(widthPixels) * kMmPerInch / widthMm);
}

int ScreenReportResolution() { return RoundHalfEven(kScreenPixelsPerInch); }

int PrinterReportResolution(double pixelsPerInch) { return RoundHalfEven(pixelsPerInch); }

int ReportGeometry::TextTop(int row) const {
    return RoundHalfEven((static_cast<long double>(row) - 0.95L) * rowPitch);
}

int ReportGeometry::RuleY(int row) const { return row * rowPitch; }

ReportGeometry ReportGeometryFor(int ppi) {
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
