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

// Writes image as a Windows BMP file at path through a temporary file in
// the same folder renamed over it, so a failed save leaves an existing file
// as it was. Throws std::runtime_error naming path and the cause on
// failure, also for a null image (no report on show).
void SaveBmpFile(const QImage& image, const QString& path);

}  // namespace quorvex
