// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/qt/PainterCanvas.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <map>
#include <tuple>

#include "ui/Text1252.h"

namespace quorvex {

namespace {

// The font family to ask for: the face itself, or what the font system
// substitutes for it when that is fixed-pitch (fontconfig maps "Courier
// New" to Liberation Mono), else the system's fixed-pitch font, because
// the report's columns count characters.
QString FixedPitchFamily(const QString& face) {
    QFont wanted(face);
    wanted.setStyleHint(QFont::TypeWriter);
    const QFontInfo info(wanted);
    if (info.fixedPitch()) return info.family();
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont SizedFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStyleStrategy(QFont::NoAntialias);
    // Asked for, not left to the default: Qt turns hinting off by default
    // on a scaling screen, which would change the report's pixels (and the
    // saved image) with the screen. Light hinting is fontconfig's usual
    // default, so an unscaled screen draws what it always drew.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

int CellOf(const QFont& font, QPaintDevice* device) {
    const QFontMetrics metrics(font, device);
    return metrics.ascent() + metrics.descent();
}

QFont SearchFont(const QString& family, int cellHeight, bool bold, QPaintDevice* device) {
    // Cell heights grow with the pixel size in steps of 1 or 2, so walk up
    // from a size safely below and keep the last one that still fits.
    int size = std::max(1, cellHeight * 3 / 4);
    while (size > 1 && CellOf(SizedFont(family, size, bold), device) > cellHeight) size /= 2;
    QFont best = SizedFont(family, size, bold);
    for (int next = size + 1; next <= 2 * cellHeight; ++next) {
        const QFont candidate = SizedFont(family, next, bold);
        if (CellOf(candidate, device) > cellHeight) break;
        best = candidate;
    }
    return best;
}

}  // namespace

QFont ReportFont(const std::string& face, int cellHeight, bool bold, QPaintDevice* device) {
    // Searching takes dozens of metric look-ups; a report asks for the same
    // two fonts over and over.
    using Key = std::tuple<std::string, int, bool, int>;
    static std::map<Key, QFont> cache;
    const Key key{face, cellHeight, bold, device->logicalDpiY()};
    const auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    const QFont font = SearchFont(FixedPitchFamily(FromWin1252(face)), cellHeight, bold, device);
    cache.emplace(key, font);
    return font;
}

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void PainterCanvas::SetFont(const std::string& face, int cellHeight, bool bold) {
    const QFont font = ReportFont(face, cellHeight, bold, painter_.device());
    painter_.setFont(font);
    metrics_.emplace(font, painter_.device());
    cellHeight_ = cellHeight;
    cellAdvance_ = std::max(1, metrics_->horizontalAdvance(QLatin1Char(' ')));
}

void PainterCanvas::TextOut(int x, int y, const std::string& text) {
    // Qt lays a text out whole before clipping it, at a cost that grows
    // with its length (a data file may hold a line of millions of
    // characters). The font is fixed-pitch, so only the characters that
    // can reach the surface's right edge go to Qt, and one more for a glyph
    // that overhangs its cell; the pixels stay the same.
    // The device's size in the painter's coordinates, which a surface at a
    // device pixel ratio above 1 (the sharp screen copy) has fewer of.
    const QPaintDevice& device = *painter_.device();
    const qreal ratio = device.devicePixelRatioF();
    const int room = qCeil(device.width() / ratio) - x;
    if (y >= qCeil(device.height() / ratio)) return;
    std::size_t reach = room <= 0 ? 0 : static_cast<std::size_t>(room / cellAdvance_ + 2);
    QString shown = FromWin1252(text.substr(0, reach));
    int advance = metrics_->horizontalAdvance(shown);
    // A character the font lacks may come narrower from another font.
    while (reach < text.size() && advance < room) {
        reach *= 2;
        shown = FromWin1252(text.substr(0, reach));
        advance = metrics_->horizontalAdvance(shown);
    }
    painter_.fillRect(x, y, advance, cellHeight_, Qt::white);
    painter_.setPen(Qt::black);
    painter_.drawText(x, y + metrics_->ascent(), shown);
}

void PainterCanvas::HorizontalLine(int x1, int x2, int y) {
    // From x1 towards x2, x2 itself left out, whichever way it runs.
    const int left = x1 <= x2 ? x1 : x2 + 1;
    const int right = x1 <= x2 ? x2 - 1 : x1;
    if (left <= right) painter_.fillRect(left, y, right - left + 1, 1, Qt::black);
}

}  // namespace quorvex
