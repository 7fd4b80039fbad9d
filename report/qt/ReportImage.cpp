#include "report/qt/ReportImage.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <stdexcept>

#include "db/AtomicFile.h"
#include "ui/Text1252.h"

namespace quorvex {

namespace {
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
}  // namespace

ReportImage::ReportImage(QWidget* parent) : QWidget(parent) {}

QImage& ReportImage::Bitmap() {
    if (bitmap_.isNull()) {
        bitmap_ = QImage(size(), QImage::Format_RGB32);
        bitmap_.fill(kWhite);
    }
    return bitmap_;
}

QImage& ReportImage::Sharp() {
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0) {
        sharp_ = QImage();
    } else if (sharp_.isNull() || sharp_.devicePixelRatio() != ratio) {
        // A copy at another ratio, or none yet: started afresh from what
        // the bitmap holds, so that nothing drawn before is lost.
        sharp_ = Bitmap()
                     .convertToFormat(QImage::Format_RGB32)
                     .scaled(size() * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        sharp_.setDevicePixelRatio(ratio);
    }
    return sharp_;
}

void ReportImage::Discard() {
    bitmap_ = QImage();
    sharp_ = QImage();
    update();
}

void ReportImage::Paint(const std::function<void(QPainter&)>& draw) {
    {
        QPainter painter(&Bitmap());
        draw(painter);
    }
    if (!Sharp().isNull()) {
        QPainter painter(&sharp_);
        draw(painter);
    }
    update();
}

void ReportImage::MakeMonochrome() {
    bitmap_ = MonochromeOf(Bitmap());
    if (!sharp_.isNull()) sharp_ = MonochromeOf(sharp_);
    update();
}

void ReportImage::paintEvent(QPaintEvent*) {
    if (bitmap_.isNull()) return;
    QPainter painter(this);
    // The sharp copy only at the ratio it was drawn for: after a move to
    // another screen the bitmap is shown scaled until the next drawing.
    if (!sharp_.isNull() && sharp_.devicePixelRatio() == devicePixelRatioF()) {
        painter.drawImage(0, 0, sharp_);
    } else {
        painter.drawImage(QRect(QPoint(0, 0), size()), bitmap_);
    }
}

QImage MonochromeOf(const QImage& image) {
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    QImage mono(source.size(), QImage::Format_Mono);
    mono.setDevicePixelRatio(image.devicePixelRatio());
    mono.setColorTable({kBlack, kWhite});
    mono.fill(0);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = mono.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            if ((in[x] | 0xFF000000u) == kWhite)
                out[x >> 3] |= static_cast<uchar>(0x80u >> (x & 7));
        }
    }
    return mono;
}

void SaveBmpFile(const QImage& image, const QString& path) {
    const std::string failure = "Unable to save the image to " + ToWin1252(path) + ": ";
    // Without a loaded report there is no bitmap, and Qt's own error text
    // would be "Unknown error".
    if (image.isNull()) throw std::runtime_error(failure + "no report is on show");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "BMP")) {
        throw std::runtime_error(failure + "the image cannot be encoded");
    }
    try {
        WriteFileAtomically(QFile::encodeName(path).toStdString(),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                            Replacing::kAnyButOthersLinks);
    } catch (const WriteError& error) {
        throw std::runtime_error(failure + error.Reason());
    }
}

}  // namespace quorvex
