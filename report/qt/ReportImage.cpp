// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/qt/ReportImage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBuffer>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <algorithm>
#include <stdexcept>

#include "db/AtomicFile.h"
#include "report/CompositionReport.h"
#include "report/Geometry.h"
#include "report/qt/PainterCanvas.h"
#include "ui/AccessibleFactory.h"
#include "ui/Text1252.h"

namespace quorvex {

namespace {
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

// What a screen reader sees of the report: read-only multi-line text,
// one line per drawn text, with a caret.
class ReportImageAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit ReportImageAccessible(ReportImage* image)
        : QAccessibleWidget(image, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        state.focusable = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? Image()->ReadingText() : QAccessibleWidget::text(kind);
    }

    // No selection: the text is read, not edited or copied from here.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return Image()->Caret(); }
    void setCursorPosition(int position) override { Image()->MoveCaret(position); }
    QString text(int start, int end) const override {
        return Image()->ReadingText().mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Image()->ReadingText().size()); }
    // The cell of the character in its line as the line is read; a row
    // read in words is not the row drawn, so this places it roughly.
    QRect characterRect(int offset) const override {
        int start = 0;
        const ReadingLine* line = Image()->LineAt(offset, &start);
        if (line == nullptr) return {};
        const QPoint cell(line->x + (offset - start) * Advance(), line->y);
        return {Image()->mapToGlobal(cell), QSize(Advance(), Geometry().cellHeight)};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = Image()->mapFromGlobal(point);
        int best = -1;
        int bestX = -1;
        int start = 0;
        for (const ReadingLine& line : Image()->Lines()) {
            const int length = static_cast<int>(line.text.size());
            const bool inRow = local.y() >= line.y && local.y() < line.y + Geometry().cellHeight;
            if (inRow && line.x <= local.x() && line.x > bestX) {
                bestX = line.x;
                best = start + std::min(length, (local.x() - line.x) / Advance());
            }
            start += length + 1;
        }
        return best;
    }
    void scrollToSubstring(int start, int) override { Image()->MoveCaret(start); }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  private:
    ReportImage* Image() const { return static_cast<ReportImage*>(widget()); }
    static ReportGeometry Geometry() { return ReportGeometryFor(ScreenReportResolution()); }
    // The report's cell width, the same for the whole run: measured once.
    static int Advance() {
        static const int advance = [] {
            QImage probe(1, 1, QImage::Format_RGB32);
            const QFont font = ReportFont(kReportFace, Geometry().cellHeight, false, &probe);
            return std::max(1, QFontMetrics(font, &probe).horizontalAdvance(QLatin1Char(' ')));
        }();
        return advance;
    }
};

}  // namespace

ReportImage::ReportImage(QWidget* parent) : QWidget(parent) {
    InstallAccessible<ReportImage, ReportImageAccessible>();
    setFocusPolicy(Qt::StrongFocus);
}

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
    reading_.Clear();
    caret_ = 0;
    ReadingChanged();
    update();
}

void ReportImage::Draw(const std::function<void(Canvas&)>& draw) {
    struct Finally {
        ReportImage& image;
        ~Finally() {
            image.ReadingChanged();
            image.update();
        }
    } finally{*this};
    {
        QPainter painter(&Bitmap());
        PainterCanvas painted(painter);
        ReadingCanvas canvas(painted, reading_);
        draw(canvas);
    }
    // The sharp copy gets the same drawing; the bitmap's run has read it.
    if (!Sharp().isNull()) {
        QPainter painter(&sharp_);
        PainterCanvas canvas(painter);
        draw(canvas);
    }
}

void ReportImage::ReadingChanged() {
    const QString before = text_;
    lines_ = reading_.Lines();
    text_.clear();
    for (const ReadingLine& line : lines_) {
        if (!text_.isEmpty()) text_ += QLatin1Char('\n');
        text_ += FromWin1252(line.text);
    }
    if (text_ == before) return;
    // Drawn over at a new amount, the rows stay where they were: so does
    // the caret, as far as the text reaches.
    caret_ = std::min(caret_, static_cast<int>(text_.size()));
    if (!QAccessible::isActive()) return;
    QAccessibleTextUpdateEvent event(this, 0, before, text_);
    QAccessible::updateAccessibility(&event);
}

const ReadingLine* ReportImage::LineAt(int offset, int* start) const {
    int lineStart = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const int end = lineStart + static_cast<int>(lines_[i].text.size());
        if (offset <= end || i + 1 == lines_.size()) {
            if (start != nullptr) *start = lineStart;
            return offset >= lineStart ? &lines_[i] : nullptr;
        }
        lineStart = end + 1;
    }
    return nullptr;
}

void ReportImage::MoveCaret(int position) {
    caret_ = std::clamp(position, 0, static_cast<int>(text_.size()));
    const ReadingLine* line = LineAt(caret_);
    for (QWidget* w = parentWidget(); line != nullptr && w != nullptr; w = w->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            const QPoint at = mapTo(area->widget(), QPoint(line->x, line->y));
            const int pitch = ReportGeometryFor(ScreenReportResolution()).rowPitch;
            area->ensureVisible(at.x(), at.y() + pitch / 2, 0, pitch);
            break;
        }
    }
    if (!QAccessible::isActive()) return;
    QAccessibleTextCursorEvent event(this, caret_);
    QAccessible::updateAccessibility(&event);
}

void ReportImage::keyPressEvent(QKeyEvent* event) {
    int start = 0;
    const ReadingLine* line = LineAt(caret_, &start);
    if (line == nullptr) return QWidget::keyPressEvent(event);
    const int end = start + static_cast<int>(line->text.size());
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Up: {
            int previous = 0;
            if (start > 0) LineAt(start - 1, &previous);
            return MoveCaret(previous);
        }
        case Qt::Key_Down:
            return MoveCaret(end < text_.size() ? end + 1 : start);
        case Qt::Key_Left:
            return MoveCaret(caret_ - 1);
        case Qt::Key_Right:
            return MoveCaret(caret_ + 1);
        case Qt::Key_Home:
            return MoveCaret(control ? 0 : start);
        case Qt::Key_End:
            return MoveCaret(control ? static_cast<int>(text_.size()) : end);
        default:
            QWidget::keyPressEvent(event);
    }
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
