// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/CadQuaUnit.h"

#include <QFontDatabase>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "app/qt/AmountField.h"
#include "db/StrUnit.h"
#include "ui/WindowFrame.h"

namespace quorvex {

namespace {

constexpr int kGlyphSize = 16;

// "MS Sans Serif" where the system has it; else a face of Arial's metrics,
// narrow enough for the labels' fixed widths; else the system's sans font.
QFont SentenceFont() {
    QString face = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    for (const char* wanted : {"MS Sans Serif", "Arial", "Liberation Sans"}) {
        if (QFontDatabase::hasFamily(wanted)) {
            face = wanted;
            break;
        }
    }
    QFont font(face);
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

// A 16 x 16 glyph: the strokes in colour on a transparent ground.
using Strokes = void (*)(QPainter&);

QPixmap Glyph(Strokes strokes, const QColor& colour) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    strokes(painter);
    return pixmap;
}

void CheckMark(QPainter& painter) {
    painter.drawPolyline(QPolygon({QPoint(3, 8), QPoint(6, 11), QPoint(12, 4)}));
}

void Cross(QPainter& painter) {
    painter.drawLine(4, 4, 11, 11);
    painter.drawLine(11, 4, 4, 11);
}

QIcon GlyphIcon(Strokes strokes) {
    QIcon icon(Glyph(strokes, Qt::red));
    icon.addPixmap(Glyph(strokes, Qt::gray), QIcon::Disabled);
    return icon;
}

QPushButton* GlyphButton(const char* caption, Strokes strokes, const QRect& place,
                         QWidget* parent) {
    auto* button = new QPushButton(GlyphIcon(strokes), caption, parent);
    button->setGeometry(place);
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel* SentenceLabel(const char* caption, const QRect& place, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(place);
    label->setFont(SentenceFont());
    return label;
}

}  // namespace

TCadQuaForm::TCadQuaForm(QWidget* parent)
    : QDialog(parent, FixedFrame(Qt::Dialog, TitleButtons::None)) {
    setWindowTitle("USDA R14");
    setFixedSize(330, 57);

    Label1 = SentenceLabel("Amount in", QRect(5, 32, 68, 16), this);
    PesLiqMaskEdit = new AmountField(this);
    PesLiqMaskEdit->setGeometry(81, 32, 70, 16);
    PesLiqMaskEdit->setFont(SentenceFont());
    PesLiqMaskEdit->SetKeyPressHandler([this](char& key) { PesLiqMaskEditKeyPress(key); });
    PesLiqMaskEdit->SetExitHandler([this] { PesLiqMaskEditExit(); });
    // Screen readers name the field by its label.
    Label1->setBuddy(PesLiqMaskEdit);
    BitBtn1 = GlyphButton("Ok", CheckMark, QRect(0, 0, 165, 25), this);
    BitBtn2 = GlyphButton("Cancel", Cross, QRect(165, 0, 165, 25), this);
    Shape1 = new QFrame(this);
    Shape1->setGeometry(0, 25, 330, 32);
    Shape1->setStyleSheet("background: white; border: 1px solid black;");
    Shape1->lower();
    Label2 = SentenceLabel("grams of edible portion", QRect(160, 32, 161, 16), this);

    setTabOrder(PesLiqMaskEdit, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(kOk); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(kCancel); });
}

void TCadQuaForm::FormActivate() {
    PesLiqMaskEdit->SetText("   100,0");
    PesLiqMaskEdit->setFocus(Qt::OtherFocusReason);
    PesLiqMaskEdit->SelectAll();
}

void TCadQuaForm::PesLiqMaskEditKeyPress(char& key) {
    if (key == '.') key = ',';
    if (key == ',') PesLiqMaskEdit->SetText(AlignDecimalText(PesLiqMaskEdit->Text()));
}

void TCadQuaForm::PesLiqMaskEditExit() {
    const std::string text = PesLiqMaskEdit->Text();
    if (text == MaskBlankText(kAmountMask)) return;
    PesLiqMaskEdit->SetText(ZeroFillDecimals(AlignDecimalText(text)));
}

void TCadQuaForm::reject() {}

void TCadQuaForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TCadQuaForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace quorvex
