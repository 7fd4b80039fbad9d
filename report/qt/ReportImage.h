// SPDX-License-Identifier: GPL-3.0-or-later
// The report image on screen: a widget that owns the bitmap the report is
// drawn on and shows it at its top-left corner, unscaled. On a screen that
// scales (a device pixel ratio above 1) it also keeps a sharp copy of the
// same drawing at the screen's own resolution, and shows that instead.
//
// Screen readers read it as read-only text, one line per drawn text in
// reading order (report/ReportReading.h), named by its accessible name.
// It takes the keyboard focus and keeps a caret in that text, which the
// arrow keys, Home and End move and screen readers follow line by line;
// the caret is not drawn, so the image shows the bitmap alone.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "report/ReportReading.h"

namespace quorvex {

class Canvas;

class ReportImage : public QWidget {
    Q_OBJECT
  public:
    explicit ReportImage(QWidget* parent = nullptr);

    // The bitmap, created on first use after Discard at the widget's
    // current size and filled white. It has one pixel per report pixel,
    // whatever the screen; Save Image writes it.
    QImage& Bitmap();
    bool HasBitmap() const { return !bitmap_.isNull(); }
    // Discards the bitmap and its text; the caret goes to the start.
    void Discard();

    // Runs draw on a canvas over Bitmap() that also keeps every text drawn
    // for reading, then, on a scaling screen, over the sharp copy (the same
    // coordinates, at the screen's pixel ratio); then repaints and tells
    // screen readers the new text, also when draw throws. A draw that
    // throws the first time has its failure passed on and is not run again.
    void Draw(const std::function<void(Canvas&)>& draw);

    // The texts drawn since the last Discard, one line each in reading
    // order, "\n" between lines.
    const QString& ReadingText() const { return text_; }
    const std::vector<ReadingLine>& Lines() const { return lines_; }
    // The caret in ReadingText(): 0 to its length.
    int Caret() const { return caret_; }
    void MoveCaret(int position);
    // The line holding offset of ReadingText() (the last line for its
    // end), or null when there is no text; start is set to its offset.
    const ReadingLine* LineAt(int offset, int* start = nullptr) const;

    // Turns the bitmap (created first if absent) and the sharp copy into
    // one bit per pixel in place: pure white stays white, every other pixel
    // becomes black.
    void MakeMonochrome();

    // The sharp copy: null when the screen does not scale or nothing has
    // been drawn since Discard. For tests.
    const QImage& SharpBitmap() const { return sharp_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QImage& Sharp();
    // Takes the reading's lines as the text; the caret stays, within it.
    void ReadingChanged();

    QImage bitmap_;
    QImage sharp_;
    ReportReading reading_;
    std::vector<ReadingLine> lines_;
    QString text_;
    int caret_ = 0;
};

// A one-bit copy of image, at its device pixel ratio: colour 0 black,
// colour 1 white, every pixel that is not pure white black.
QImage MonochromeOf(const QImage& image);

// Writes image as a Windows BMP file at path, whole or not at all, by
// WriteFileAtomically in path's own folder: what stood there is replaced,
// never written through, and a symbolic link there that another user owns,
// or any link in a sticky folder that anyone may write, is refused. A
// failed save leaves what stood at path as it was. Throws
// std::runtime_error "Unable to save the image to <path>: <cause>", also
// for a null image (no report on show).
void SaveBmpFile(const QImage& image, const QString& path);

}  // namespace quorvex
