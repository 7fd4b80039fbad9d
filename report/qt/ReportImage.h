// The report image on screen: a widget that owns the bitmap the report is
// drawn on and shows it at its top-left corner, unscaled. On a screen that
// scales (a device pixel ratio above 1) it also keeps a sharp copy of the
// same drawing at the screen's own resolution, and shows that instead.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

class QPainter;

namespace quorvex {

class ReportImage : public QWidget {
    Q_OBJECT
  public:
    explicit ReportImage(QWidget* parent = nullptr);

    // The bitmap, created on first use after Discard at the widget's
    // current size and filled white. It has one pixel per report pixel,
    // whatever the screen; Save Image writes it.
    QImage& Bitmap();
    bool HasBitmap() const { return !bitmap_.isNull(); }
    void Discard();

    // Runs draw on a painter over the bitmap, then, on a scaling screen, on
    // one over the sharp copy (the same coordinates, at the screen's pixel
    // ratio), and shows the result. A draw that throws the first time has
    // its failure passed on and is not run again.
    void Paint(const std::function<void(QPainter&)>& draw);

    // Turns the bitmap (created first if absent) and the sharp copy into
    // one bit per pixel in place: pure white stays white, every other pixel
    // becomes black.
    void MakeMonochrome();

    // The sharp copy: null when the screen does not scale or nothing has
    // been drawn since Discard. For tests.
    const QImage& SharpBitmap() const { return sharp_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage& Sharp();

    QImage bitmap_;
    QImage sharp_;
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
