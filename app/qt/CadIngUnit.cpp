// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/CadIngUnit.h"

#include <QFileDialog>
#include <QFrame>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/AmountText.h"
#include "app/qt/AmountField.h"
#include "app/qt/CadQuaUnit.h"
#include "db/Fields.h"
#include "list/qt/VisLisIngUnit.h"
#include "report/CompositionReport.h"
#include "report/Geometry.h"
#include "report/qt/PainterCanvas.h"
#include "report/qt/ReportImage.h"
#include "ui/ConUnit.h"
#include "ui/MenuCommand.h"
#include "ui/Text1252.h"
#include "ui/WindowFrame.h"

namespace quorvex {

namespace {
constexpr int kClientWidth = 720;
constexpr int kClientHeight = 474;
}  // namespace

TCadIngForm::TCadIngForm(const std::string& applicationDirectory, QWidget* parent)
    : ActivatedWindow(parent, FixedFrame(Qt::Window, TitleButtons::MenuMinimiseClose)) {
    setWindowTitle(
        "Composition of Foods Raw, Processed, Prepared - USDA Nutrient Database Release 14");

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollArea_->setFixedSize(kClientWidth, kClientHeight);
    // The report takes the keyboard focus, so that its caret can be moved
    // line by line; the keys it leaves still scroll the area.
    scrollArea_->setFocusPolicy(Qt::NoFocus);

    Panel1 = new QFrame;
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Image1 = new ReportImage(Panel1);
    Image1->move(1, 1);
    Image1->resize(0, 0);
    Panel1->resize(2, 2);
    scrollArea_->setWidget(Panel1);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(scrollArea_);

    BuildMenu();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    FormCreate(applicationDirectory);
}

TCadIngForm::~TCadIngForm() = default;

void TCadIngForm::Attach(TConForm& progress, TVisLisIngForm& list, TCadQuaForm& amount) {
    progress_ = &progress;
    list_ = &list;
    amountDialog_ = &amount;
}

void TCadIngForm::BuildMenu() {
    // Seven top-level commands, no submenus, shortcuts or accelerators.
    const auto add = [this](const char* caption, void (TCadIngForm::*handler)()) {
        return AddCommand(menuBar(), this, caption, handler);
    };
    Previous1 = add("Previous Food", &TCadIngForm::Previous1Click);
    Next1 = add("Next Food", &TCadIngForm::Next1Click);
    List1 = add("List Food", &TCadIngForm::List1Click);
    Teste1 = add("Grams", &TCadIngForm::Teste1Click);
    Image2 = add("Save Image", &TCadIngForm::Image2Click);
    Print1 = add("Print", &TCadIngForm::Print1Click);
    Exit1 = add("Exit", &TCadIngForm::Exit1Click);
}

void TCadIngForm::FormCreate(const std::string& applicationDirectory) {
    SetApplicationDirectory(applicationDirectory);
    loadPending_ = true;
}

void TCadIngForm::FormActivate() {
    if (!loadPending_) return;
    // Cleared first: the progress window coming and going re-activates
    // this window while the load runs.
    loadPending_ = false;
    foodTable_.reset();
    foodKeyIndex_.reset();
    LoadFoodTable(FoodFilePath(DataDirectory()), foodTable_, foodKeyIndex_, *progress_);
    currentFoodIndex_ = 0;
    groupTable_.reset();
    groupCodeIndex_.reset();
    LoadGroupTable(GroupFilePath(DataDirectory()), groupTable_, groupCodeIndex_);
    PrepareReportImage();
    Redraw();
}

void TCadIngForm::showEvent(QShowEvent* event) {
    ActivatedWindow::showEvent(event);
    if (loadPending_ && !event->spontaneous()) {
        QTimer::singleShot(0, this, [this] { RunGuarded([this] { FormActivate(); }); });
    }
}

void TCadIngForm::Previous1Click() {
    if (currentFoodIndex_ <= 0) return;
    --currentFoodIndex_;
    Redraw();
}

void TCadIngForm::Next1Click() {
    if (!foodTable_ || currentFoodIndex_ >= foodTable_->Count() - 1) return;
    ++currentFoodIndex_;
    Redraw();
}

void TCadIngForm::Exit1Click() {
    groupCodeIndex_.reset();
    groupTable_.reset();
    foodKeyIndex_.reset();
    foodTable_.reset();
    close();
}

// ---- Report display, Grams, Save Image, Print -------------------------------

namespace {

double PrinterPixelsPerInchOf(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    return PrinterPixelsPerInch(layout.paintRectPixels(printer.resolution()).width(),
                                layout.paintRect(QPageLayout::Millimeter).width());
}

char LocaleDecimalSeparator() {
    const std::string point = ToWin1252(QLocale().decimalPoint());
    return point.size() == 1 ? point.front() : '.';
}

}  // namespace

void TCadIngForm::PrepareReportImage() {
    const int ppi = ScreenReportResolution();
    Image1->resize(MmToPixels(ppi, kPageWidthMm), MmToPixels(ppi, kPageHeightMm));
    Panel1->resize(Image1->width() + 2, Image1->height() + 2);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TCadIngForm::Redraw() {
    Image1->Discard();
    // Screen readers name the report by its food, as stored; the window's
    // own caption stays the program's.
    const bool food = foodTable_ && currentFoodIndex_ < foodTable_->Count();
    Image1->setAccessibleName(food ? FromWin1252(GetField(kFoodDescription, CurrentFoodLine()))
                                   : QString());
    reportAmount_ = 100.0;
    DrawOnImage(reportAmount_);
}

namespace {
const LoadedTable kNoLines;
}  // namespace

std::string_view TCadIngForm::CurrentFoodLine() const {
    return (foodTable_ ? *foodTable_ : kNoLines).Get(currentFoodIndex_);
}

void TCadIngForm::DrawReport(const QPrinter* printer, Canvas& canvas, double amount) {
    const std::string_view foodLine = CurrentFoodLine();
    const int ppi = printer == nullptr ? ScreenReportResolution()
                                       : PrinterReportResolution(PrinterPixelsPerInchOf(*printer));
    DrawCompositionReport(canvas, ppi, amount, LocaleDecimalSeparator(), foodLine,
                          groupTable_ ? *groupTable_ : kNoLines,
                          groupCodeIndex_ ? *groupCodeIndex_ : kNoLines);
}

void TCadIngForm::DrawOnImage(double amount) {
    // The same report on the bitmap and on its sharp copy; DrawReport
    // throws before drawing anything, so a failure leaves both alike.
    Image1->Draw([&](Canvas& canvas) { DrawReport(nullptr, canvas, amount); });
}

void TCadIngForm::Teste1Click() {
    if (amountDialog_->exec() != TCadQuaForm::kOk) return;
    double amount = 0.0;
    if (ReadAmountText(amountDialog_->PesLiqMaskEdit->Text(), amount)) {
        reportAmount_ = amount;
        try {
            DrawOnImage(reportAmount_);
            return;
        } catch (const std::exception&) {
            // Falls back to 100 g below, without a message; only a failure
            // there reaches the error report.
        }
    }
    reportAmount_ = 100.0;
    DrawOnImage(reportAmount_);
}

void TCadIngForm::Image2Click() {
    if (SaveDialog1 == nullptr) {
        SaveDialog1 = new QFileDialog(this);
        SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
        SaveDialog1->setFileMode(QFileDialog::AnyFile);
        SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
    }
    SaveDialog1->setNameFilter("*.bmp");
    SaveDialog1->setDefaultSuffix("bmp");
    if (!lastSaveName_.isEmpty()) SaveDialog1->selectFile(lastSaveName_);
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) return;
    lastSaveName_ = SaveDialog1->selectedFiles().constFirst();
    Image1->MakeMonochrome();
    SaveBmpFile(Image1->Bitmap(), lastSaveName_);
}

QPrinter& TCadIngForm::Printer() {
    if (!printer_) {
        printer_ =
            std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    }
    return *printer_;
}

void TCadIngForm::Print1Click() {
    if (QMessageBox::question(this, "Confirm", "Confirm print?",
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    // A queue added or made the default while the program runs is used.
    if (printer_ && printer_->outputFileName().isEmpty()) printer_.reset();
    QPrinter& printer = Printer();
    printer.setPageOrientation(QPageLayout::Portrait);
    PrintReport(printer);
}

void TCadIngForm::PrintReport(QPrinter& printer) {
    // Without a printer Qt falls back to PDF output with no file to write.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        throw std::runtime_error("No printer is installed");
    }
    // Qt's print engines here cannot abandon a job once begun, so the one
    // failure the drawing meets, no current food, is found before.
    CurrentFoodLine();
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw std::runtime_error("The print job could not be started on " +
                                 ToWin1252(printer.printerName().isEmpty()
                                               ? printer.outputFileName()
                                               : printer.printerName()));
    }
    try {
        PainterCanvas canvas(painter);
        DrawReport(&printer, canvas, reportAmount_);
    } catch (...) {
        // Abandoned where the engine can, otherwise ended: never left open.
        if (!printer.abort()) painter.end();
        throw;
    }
    if (!painter.end()) throw std::runtime_error("The print job failed");
}

// ---- List Food ----------------------------------------------------------------

void TCadIngForm::List1Click() {
    if (!foodTable_ || foodTable_->Count() == 0) {
        QMessageBox::information(this, "Information", "File empty!", QMessageBox::Ok);
        return;
    }
    list_->SetupPending = true;
    list_->Open(*foodTable_, *foodKeyIndex_, currentFoodIndex_);
    list_->exec();
    currentFoodIndex_ = list_->CurrentFoodIndex();
    Redraw();
}

}  // namespace quorvex
