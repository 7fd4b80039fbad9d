// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing the composition report on the screen image and on a 600 dpi
// page, each beside the cost of filling the same image white in the same
// run; and a report whose description is a 20 MB line beside the ordinary
// one.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <cstdlib>
#include <memory>

#include "app/qt/ProgramWindows.h"
#include "bench/support/RatioMain.h"
#include "db/Fields.h"
#include "report/qt/PainterCanvas.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/Application.h"

namespace quorvex {
namespace {

// A food with every field the report shows filled in, loaded by a main
// window as the program does; its printer is a PDF file at 600 dpi, so
// printer mode draws at R = 600.
class ReportFixture {
  public:
    explicit ReportFixture(const std::string& description) {
        std::map<int, std::string> fields;
        for (int field = kFirstNutrientField; field <= kLastNutrientField; ++field) {
            fields[field] = std::to_string(field * 7 % 97) + "." + std::to_string(field % 10);
        }
        fields[kFoodGroupCode] = "09";
        fields[kRefusePercentage] = "8";
        fields[kRefuseDescription] = "Core and stem";
        fields[kCommonName] = "apple";
        fields[kScientificName] = "Malus domestica";
        fields[kHouseholdWeights] = "1 cup, quartered~125~1 medium~182~1 large~223~";
        test::WriteDatabase(dir_.Path(), {test::MakeFoodLine(description, fields)},
                            {"09|Fruits and Fruit Juices"});
        windows_ = std::make_unique<ProgramWindows>(dir_.Path(), dir_.Path() + "settings.ini");
        Main().FormActivate();
        QPrinter& printer = Main().Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir_.Path() + "page.pdf"));
        printer.setResolution(600);
    }

    TCadIngForm& Main() { return windows_->main; }

  private:
    test::TempDir dir_;
    std::unique_ptr<ProgramWindows> windows_;
};

// Made in main() while the application lives, and gone before it.
std::unique_ptr<ReportFixture> fixture;
std::unique_ptr<ReportFixture> longLineFixture;

ReportFixture& Fixture() { return *fixture; }

QImage WhiteImage(QSize size, int dotsPerInch) {
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    return image;
}

// The screen image and an A4 page at 600 dpi.
const QSize kScreenImage(703, 777);
const QSize kPage600(4961, 7016);

void DrawOver(QImage& image, bool screenMode, ReportFixture& food = Fixture()) {
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    food.Main().DrawReport(screenMode ? nullptr : &food.Main().Printer(), canvas, 250.0);
}

void BM_DrawReportScreen(benchmark::State& state) {
    QImage image = WhiteImage(kScreenImage, 96);
    for (auto _ : state) DrawOver(image, true);
    benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(BM_DrawReportScreen)->Unit(benchmark::kMillisecond);

void BM_DrawReportScreenLongLine(benchmark::State& state) {
    QImage image = WhiteImage(kScreenImage, 96);
    for (auto _ : state) DrawOver(image, true, *longLineFixture);
    benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(BM_DrawReportScreenLongLine)->Unit(benchmark::kMillisecond);

void BM_FillScreenImage(benchmark::State& state) {
    QImage image = WhiteImage(kScreenImage, 96);
    for (auto _ : state) {
        image.fill(Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FillScreenImage)->Unit(benchmark::kMillisecond);

void BM_DrawReportPage600(benchmark::State& state) {
    QImage image = WhiteImage(kPage600, 600);
    for (auto _ : state) DrawOver(image, false);
    benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(BM_DrawReportPage600)->Unit(benchmark::kMillisecond);

void BM_FillPage600(benchmark::State& state) {
    QImage image = WhiteImage(kPage600, 600);
    for (auto _ : state) {
        image.fill(Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FillPage600)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    quorvex::QuorvexApplication application(argc, argv);
    quorvex::fixture = std::make_unique<quorvex::ReportFixture>("Apples, raw, with skin");
    quorvex::longLineFixture =
        std::make_unique<quorvex::ReportFixture>("Apples, " + std::string(20'000'000, 'x'));
    const int status =
        quorvex::bench::RunWithRatios(argc, argv,
                                      {{"BM_DrawReportScreen", "BM_FillScreenImage"},
                                       {"BM_DrawReportScreenLongLine", "BM_DrawReportScreen"},
                                       {"BM_DrawReportPage600", "BM_FillPage600"}});
    quorvex::longLineFixture.reset();
    quorvex::fixture.reset();
    return status;
}
