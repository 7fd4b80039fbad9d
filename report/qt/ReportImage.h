// The report image on screen: a widget that owns the bitmap the report is
// drawn on and shows it at its top-left corner, unscaled.
#pragma once

#include <QImage>
#include <QWidget>

namespace quorvex {

class ReportImage : public QWidget {
    Q_OBJECT
  public:
    explicit ReportImage(QWidget* parent = nullptr);

    // The bitmap, created on first use after Discard at the widget's
    // current size and filled white. Callers that paint on it call
    // update() afterwards.
    QImage& Bitmap();
    bool HasBitmap() const { return !bitmap_.isNull(); }
    void Discard();

    // Turns the bitmap (created first if absent) into one bit per pixel in
    // place: pure white stays white, every other pixel becomes black.
    void MakeMonochrome();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage bitmap_;
};

// A one-bit copy of image: colour 0 black, colour 1 white, every pixel
// that is not pure white black.
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
