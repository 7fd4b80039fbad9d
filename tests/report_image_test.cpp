// SPDX-License-Identifier: GPL-3.0-or-later
// The report on its real surfaces: the main window's image, Grams drawn
// over it, Save Image and Print, driven through the windows on the
// offscreen platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <filesystem>

#include "app/qt/AmountField.h"
#include "app/qt/CadIngUnit.h"
#include "app/qt/CadQuaUnit.h"
#include "app/qt/ProgramWindows.h"
#include "db/Fields.h"
#include "list/qt/PalChaUnit.h"
#include "list/qt/VisLisIngUnit.h"
#include "report/qt/PainterCanvas.h"
#include "report/qt/ReportImage.h"
#include "tests/report_recorder.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/ConUnit.h"
#include "ui/ErrorReport.h"

namespace quorvex {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

bool IsBlack(const QImage& image, int x, int y) { return image.pixel(x, y) == kBlack; }

// Black pixels in rows y0..y1 (inclusive) between x0 and x1 (exclusive).
int BlackIn(const QImage& image, int x0, int x1, int y0, int y1) {
    int count = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x < x1; ++x) count += IsBlack(image, x, y) ? 1 : 0;
    }
    return count;
}

// ---- The painter surface ------------------------------------------------

TEST(PainterCanvas, OpaqueCellsAndLinesWithoutGrey) {
    QImage image(120, 40, QImage::Format_RGB32);
    image.fill(kBlack);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        canvas.SetFont("Courier New", 14, true);
        canvas.TextOut(10, 5, "Ab_9");
        canvas.HorizontalLine(0, 100, 30);
        canvas.HorizontalLine(50, 20, 35);
    }
    const QFont font = ReportFont("Courier New", 14, true, &image);
    const QFontMetrics metrics(font, &image);
    EXPECT_EQ(metrics.ascent() + metrics.descent(), 14);
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    const int advance = metrics.horizontalAdvance("Ab_9");
    // The cell: white wherever no glyph is, exactly advance x 14.
    int white = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const QRgb pixel = image.pixel(x, y);
            ASSERT_TRUE(pixel == kWhite || pixel == kBlack) << x << "," << y;
            const bool inCell = x >= 10 && x < 10 + advance && y >= 5 && y < 19;
            if (pixel == kWhite) {
                EXPECT_TRUE(inCell) << x << "," << y;
                ++white;
            }
        }
    }
    EXPECT_GT(white, advance * 14 / 2);
    EXPECT_GT(BlackIn(image, 10, 10 + advance, 5, 18), 10);
    // x1 painted, x2 not, either way round.
    for (int x = 0; x < 120; ++x) {
        EXPECT_EQ(IsBlack(image, x, 30), true);
    }
    image.fill(kWhite);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        canvas.HorizontalLine(0, 100, 30);
        canvas.HorizontalLine(50, 20, 35);
    }
    EXPECT_TRUE(IsBlack(image, 0, 30));
    EXPECT_TRUE(IsBlack(image, 99, 30));
    EXPECT_FALSE(IsBlack(image, 100, 30));
    EXPECT_TRUE(IsBlack(image, 50, 35));
    EXPECT_TRUE(IsBlack(image, 21, 35));
    EXPECT_FALSE(IsBlack(image, 20, 35));
    EXPECT_EQ(BlackIn(image, 0, 120, 0, 39), 100 + 30);
}

// Only what can reach the right edge is laid out; what shows is the same
// as on a surface wide enough for the whole text.
TEST(PainterCanvas, LongTextsShowAsOnAWideSurface) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += static_cast<char>(i % 2 ? 'A' + i % 26 : 0xC0 + i % 64);
    const auto draw = [&](int width, int x) {
        QImage image(width, 20, QImage::Format_RGB32);
        image.fill(kBlack);
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        canvas.SetFont("Courier New", 14, false);
        canvas.TextOut(x, 3, text);
        return image;
    };
    for (const int x : {3, 90, 119, 130}) {
        const QImage wide = draw(30000, x);
        EXPECT_EQ(draw(120, x), wide.copy(0, 0, 120, 20)) << x;
    }
}

TEST(PainterCanvas, CellHeightsFitTheRows) {
    QImage image(10, 10, QImage::Format_RGB32);
    for (int cell : {14, 45, 89}) {
        for (bool bold : {false, true}) {
            const QFontMetrics metrics(ReportFont("Courier New", cell, bold, &image), &image);
            EXPECT_LE(metrics.ascent() + metrics.descent(), cell);
            EXPECT_GE(metrics.ascent() + metrics.descent(), cell - 1);
        }
    }
    // The cell sizes the report uses on screen and at 300 dpi are exact.
    EXPECT_EQ(QFontMetrics(ReportFont("Courier New", 14, false, &image), &image).height(), 14);
    EXPECT_EQ(QFontMetrics(ReportFont("Courier New", 45, false, &image), &image).height(), 45);
}

TEST(ReportImage, MonochromeKeepsOnlyPureWhite) {
    QImage image(9, 1, QImage::Format_RGB32);
    const QRgb colours[] = {kWhite,          kBlack, qRgb(254, 255, 255), qRgb(128, 128, 128),
                            qRgb(255, 0, 0), kWhite, qRgb(255, 255, 254), kWhite,
                            kBlack};
    for (int x = 0; x < 9; ++x) image.setPixel(x, 0, colours[x]);
    const QImage mono = MonochromeOf(image);
    EXPECT_EQ(mono.format(), QImage::Format_Mono);
    EXPECT_EQ(mono.colorCount(), 2);
    for (int x = 0; x < 9; ++x) {
        EXPECT_EQ(mono.pixel(x, 0), colours[x] == kWhite ? kWhite : kBlack) << x;
    }
}

TEST(ReportImage, FailedSaveKeepsTheOldFile) {
    test::TempDir dir;
    const std::string path = dir.Path() + "old.bmp";
    test::WriteFile(path, "old bytes");
    EXPECT_THROW(SaveBmpFile(QImage(), QString::fromStdString(path)), std::runtime_error);
    EXPECT_EQ(test::ReadFile(path), "old bytes");
    EXPECT_THROW(SaveBmpFile(QImage(4, 4, QImage::Format_Mono),
                             QString::fromStdString(dir.Path() + "missing/x.bmp")),
                 std::runtime_error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

// A link at the chosen name -> the refusal naming the file, with its
// target (or the place a dangling one names) left as it was; or "" where
// the image replaces the link in the chosen name's own folder.
TEST(ReportImage, SaveRefusesOtherUsersLinksAndLinksInSharedFolders) {
    // The folder's mode, whether the link is another user's, whether it
    // dangles.
    const std::tuple<mode_t, bool, bool, std::string> kCases[] = {
        {0755, false, false, ""},
        {01777, false, false, "it is a symbolic link in a folder that anyone may write"},
        {0755, true, false, "it is a symbolic link of another user"},
        {01777, true, true, "it is a symbolic link of another user"}};
    for (const auto& [mode, theirs, dangling, refusal] : kCases) {
        if (theirs && geteuid() != 0) continue;  // only root gives a link away
        test::TempDir dir;
        const std::string path = dir.Path() + "shared/report.bmp";
        const std::string target = dir.Path() + (dangling ? "private/none" : "private/secret");
        test::WriteFile(dir.Path() + "private/secret", "root's");
        std::filesystem::create_directory(dir.Path() + "shared");
        ASSERT_EQ(chmod((dir.Path() + "shared").c_str(), mode), 0);
        ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
        EXPECT_TRUE(!theirs || lchown(path.c_str(), 65534, 65534) == 0);
        const std::string failure = test::FailureOf([&path] {
            SaveBmpFile(QImage(4, 4, QImage::Format_Mono), QString::fromStdString(path));
        });
        EXPECT_EQ(failure,
                  refusal.empty() ? "" : "Unable to save the image to " + path + ": " + refusal);
        EXPECT_EQ(std::filesystem::is_symlink(path), !refusal.empty());
        EXPECT_EQ(test::ReadFile(dir.Path() + "private/secret"), "root's") << refusal;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() + "private/none")) << refusal;
    }
}

// ---- The main window --------------------------------------------------------

const std::map<int, std::string> kFields = {
    {kWater, "85.56"},      {kEnergy, "52"},
    {kProtein, "0.26"},     {kCalcium, "6"},
    {kAscorbicAcid, "4.6"}, {kCholesterol, "0"},
    {kFoodGroupCode, "09"}, {kRefusePercentage, "10"},
    {kCommonName, "apple"}, {kHouseholdWeights, "1 cup~125~"},
};

class ReportWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteDatabase(dir.Path(),
                            {test::MakeFoodLine("Apples, raw", kFields),
                             test::MakeFoodLine("Bananas, raw", kFields)},
                            {"09|Fruits and Fruit Juices"});
        windows = std::make_unique<ProgramWindows>(dir.Path(), dir.Path() + "settings.ini");
        main = &windows->main;
        amount = &windows->amount;
        main->FormActivate();
    }

    const QImage& Shown() { return main->Image1->Bitmap(); }

    // The report of the current food at amount on a fresh white image, at
    // ratio device pixels per report pixel.
    QImage Fresh(double grams, qreal ratio = 1.0) {
        QImage image(QSize(703, 777) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(kWhite);
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        main->DrawReport(nullptr, canvas, grams);
        return image;
    }

    // Runs Grams; edit acts on the open dialog, which then closes with
    // the button clicked the way a user does.
    void Grams(const std::function<void(TCadQuaForm&)>& edit, bool ok = true) {
        test::WhenModal([this, edit, ok](QWidget*) {
            edit(*amount);
            QTest::mouseClick(ok ? amount->BitBtn1 : amount->BitBtn2, Qt::LeftButton);
        });
        main->Teste1Click();
    }

    void GramsTyped(const char* keys) {
        Grams([keys](TCadQuaForm& dialog) { QTest::keyClicks(dialog.PesLiqMaskEdit, keys); });
    }

    // Runs Save Image, answering the dialog with name (or cancelling).
    void SaveAs(const QString& name) {
        test::WhenModal([name](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (name.isEmpty()) return dialog->reject();
            // Typed into the name field, as a user does.
            auto* nameField = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            ASSERT_NE(nameField, nullptr);
            nameField->selectAll();
            QTest::keyClicks(nameField, name);
            static_cast<QDialog*>(dialog)->accept();  // as the Save button does
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog took no name";
                dialog->reject();
            }
        });
        main->Image2Click();
    }

    test::TempDir dir;
    std::unique_ptr<ProgramWindows> windows;
    TCadIngForm* main = nullptr;
    TCadQuaForm* amount = nullptr;
};

TEST_F(ReportWindowTest, ImageOnThePanelInTheScrollingClient) {
    EXPECT_EQ(main->Image1->size(), QSize(703, 777));
    EXPECT_EQ(main->Image1->pos(), QPoint(1, 1));
    EXPECT_EQ(main->Panel1->size(), QSize(705, 779));
    auto* client = main->findChild<QScrollArea*>();
    EXPECT_EQ(client->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(client->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Shown().size(), QSize(703, 777));
}

TEST_F(ReportWindowTest, RulesTextRowsAndWhiteBackground) {
    const QImage& image = Shown();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ASSERT_TRUE(pixel == kWhite || pixel == kBlack) << x << "," << y;
        }
    }
    // b = 1, D = 4, k = 2: rules under rows 1, 3, 33 and 34, the whole
    // width; no other row edge is touched.
    for (int row = 1; row <= 48; ++row) {
        const bool rule = row == 1 || row == 3 || row == 33 || row == 34;
        EXPECT_EQ(BlackIn(image, 0, 703, 16 * row, 16 * row), rule ? 703 : 0) << row;
        EXPECT_EQ(BlackIn(image, 0, 703, 16 * row - 1, 16 * row - 1), 0) << row;
    }
    // Left and right columns hold text exactly in their rows.
    const auto leftInk = [&](int row) {
        return BlackIn(image, 0, 351, 16 * row - 15, 16 * row - 2);
    };
    const auto rightInk = [&](int row) {
        return BlackIn(image, 352, 703, 16 * row - 15, 16 * row - 2);
    };
    for (int row : {1, 2, 3, 4, 5, 11, 13, 14, 23, 25, 26, 27, 28, 30, 31, 32, 34}) {
        EXPECT_GT(leftInk(row), 0) << row;
    }
    for (int row : {12, 24, 29, 33, 35, 40}) EXPECT_EQ(leftInk(row), 0) << row;
    for (int row : {4, 5, 19, 21, 25, 27, 28, 29}) EXPECT_GT(rightInk(row), 0) << row;
    for (int row : {20, 26, 30, 31}) EXPECT_EQ(rightInk(row), 0) << row;
    // Nothing below the database line.
    EXPECT_EQ(BlackIn(image, 0, 703, 16 * 34 + 1, 776), 0);
}

// ctest runs this again on a screen scaled by 2. There the screen shows a
// copy of the report drawn at the screen's ratio, which is not the bitmap
// blown up, and follows it through Grams and Save Image's black and white.
TEST_F(ReportWindowTest, SharpCopyAtTheScreensRatio) {
    const qreal ratio = main->Image1->devicePixelRatioF();
    GramsTyped("50");
    const QImage& sharp = main->Image1->SharpBitmap();
    if (ratio == 1.0) {
        EXPECT_TRUE(sharp.isNull());
        return;
    }
    EXPECT_EQ(Shown().size(), QSize(703, 777));
    ASSERT_EQ(sharp.size(), QSize(703, 777) * ratio);
    EXPECT_TRUE(sharp == Fresh(50, ratio));
    EXPECT_FALSE(sharp == Shown().scaled(sharp.size()).convertToFormat(sharp.format()));
    main->Image1->MakeMonochrome();
    EXPECT_EQ(sharp.format(), QImage::Format_Mono);
    EXPECT_EQ(sharp.devicePixelRatio(), ratio);
}

TEST_F(ReportWindowTest, GramsOverTheReportEqualsAFreshReport) {
    GramsTyped("50");
    EXPECT_EQ(main->ReportAmount(), 50.0);
    EXPECT_TRUE(Shown() == Fresh(50));
    EXPECT_FALSE(Shown() == Fresh(100));
    // And back to a longer amount text over a shorter one.
    GramsTyped("123456,7");
    EXPECT_EQ(main->ReportAmount(), 123456.7);
    EXPECT_TRUE(Shown() == Fresh(123456.7));
}

TEST_F(ReportWindowTest, GramsFallsBackToHundredOrStopsOnCancel) {
    GramsTyped("250");
    ASSERT_EQ(main->ReportAmount(), 250.0);
    const QImage at250 = Shown();
    Grams([](TCadQuaForm& dialog) { QTest::keyClicks(dialog.PesLiqMaskEdit, "7"); }, false);
    EXPECT_EQ(main->ReportAmount(), 250.0);
    EXPECT_TRUE(Shown() == at250);
    // A blank between the digits: no number, 100 g, no message.
    test::MessageBoxCatcher boxes;
    Grams([](TCadQuaForm& dialog) { dialog.PesLiqMaskEdit->SetText("   1 0,0"); });
    EXPECT_EQ(main->ReportAmount(), 100.0);
    EXPECT_TRUE(Shown() == Fresh(100));
    // The emptied field reads as 0 g.
    Grams([](TCadQuaForm& dialog) { dialog.PesLiqMaskEdit->SetText(""); });
    EXPECT_EQ(main->ReportAmount(), 0.0);
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ReportWindowTest, NextFoodShowsAFreshReportAtHundred) {
    GramsTyped("250");
    main->Next1Click();
    EXPECT_EQ(main->ReportAmount(), 100.0);
    EXPECT_TRUE(Shown() == Fresh(100));
    // At the end nothing is redrawn and the amount set by Grams stays.
    GramsTyped("30");
    main->Next1Click();
    EXPECT_EQ(main->ReportAmount(), 30.0);
}

// Screen readers get the report's rows as text, named by the food, and
// follow Grams and the food; the arrow keys move the caret by lines.
TEST_F(ReportWindowTest, ScreenReadersReadTheRowsAndFollowTheReport) {
    QAccessibleInterface* report = QAccessible::queryAccessibleInterface(main->Image1);
    ASSERT_NE(report, nullptr);
    ASSERT_NE(report->textInterface(), nullptr);
    const auto lines = [report] {
        QAccessibleTextInterface* text = report->textInterface();
        return text->text(0, text->characterCount()).split('\n');
    };
    EXPECT_EQ(report->text(QAccessible::Name), "Apples, raw");
    EXPECT_TRUE(report->state().readOnly && report->state().multiLine);
    QStringList read = lines();
    ASSERT_GE(read.size(), 12);
    EXPECT_EQ(read.mid(0, 5),
              QStringList({"APPLES, RAW",
                           "Amount in 100 grams of edible portion - Blanks "
                           "indicate lack of reliable data",
                           "Percentage of Refuse : 10%", "PROXIMATES :", "Water 85.56 g"}));
    EXPECT_EQ(read.at(6), "Protein 0.26 g");
    EXPECT_EQ(read.at(7), "Total lipid: no reliable data");
    EXPECT_EQ(read.indexOf("Group : Fruits and Fruit Juices") + 2, read.indexOf("1 cup g"));
    EXPECT_LT(read.indexOf("USDA Nutrient Database for Standard Reference, Release 14 (2001)"),
              read.indexOf("VITAMINS :"));
    QTest::keyClick(main->Image1, Qt::Key_Down);
    GramsTyped("50");  // the caret stays on its line
    EXPECT_EQ(report->textInterface()->cursorPosition(), read.at(0).size() + 1);
    read = lines();
    EXPECT_TRUE(read.at(1).startsWith("Amount in 50 grams"));
    EXPECT_EQ(read.at(4), "Water 42.78 g");
    EXPECT_EQ(read.size(), lines().size());
    main->Next1Click();
    EXPECT_EQ(report->text(QAccessible::Name), "Bananas, raw");
    read = lines();
    EXPECT_EQ(read.at(0), "BANANAS, RAW");
    QTest::keyClick(main->Image1, Qt::Key_Down);
    QTest::keyClick(main->Image1, Qt::Key_Down);
    EXPECT_EQ(report->textInterface()->cursorPosition(), read.at(0).size() + read.at(1).size() + 2);
    // The keys the caret leaves still scroll the report.
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    QTest::keyClick(main->Image1, Qt::Key_PageDown);
    EXPECT_GT(main->findChild<QScrollArea*>()->verticalScrollBar()->value(), 0);
}

std::string Bytes(const std::string& text, std::size_t at, std::size_t count) {
    return text.substr(at, count);
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

TEST_F(ReportWindowTest, SavedImageIsAOneBitBmpAndTheImageStaysBlackAndWhite) {
    EXPECT_EQ(main->findChild<QFileDialog*>(), nullptr);  // built by the first Save Image
    const std::string path = dir.Path() + "report.bmp";
    test::WriteFile(path, "an older file");
    SaveAs(QString::fromStdString(dir.Path() + "report"));  // ".bmp" is added
    const std::string file = test::ReadFile(path);
    ASSERT_GT(file.size(), 62u);
    EXPECT_EQ(Bytes(file, 0, 2), "BM");
    EXPECT_EQ(Le(file, 18, 4), 703u);
    EXPECT_EQ(Le(file, 22, 4), 777u);
    EXPECT_EQ(Le(file, 28, 2), 1u);  // bits per pixel
    EXPECT_EQ(Le(file, 30, 4), 0u);  // uncompressed
    const std::uint32_t rowBytes = (703 + 31) / 32 * 4;
    EXPECT_EQ(file.size(), 14u + 40u + 8u + rowBytes * 777u);
    const std::string palette = Bytes(file, 54, 8);
    EXPECT_TRUE(palette == std::string("\0\0\0\0\xFF\xFF\xFF\0", 8) ||
                palette == std::string("\xFF\xFF\xFF\0\0\0\0\0", 8));

    EXPECT_EQ(Shown().format(), QImage::Format_Mono);
    const QImage saved(QString::fromStdString(path));
    EXPECT_TRUE(Rgb(saved) == Fresh(100));

    // Grams draws black and white on it; saving again replaces the file.
    GramsTyped("50");
    EXPECT_EQ(Shown().format(), QImage::Format_Mono);
    EXPECT_TRUE(Rgb(Shown()) == Fresh(50));
    SaveAs(QString::fromStdString(path));
    EXPECT_TRUE(Rgb(QImage(QString::fromStdString(path))) == Fresh(50));
    // The dialog proposes the last name chosen.
    EXPECT_EQ(main->SaveDialog1->selectedFiles().value(0).toStdString(), path);
    EXPECT_EQ(main->SaveDialog1->defaultSuffix(), "bmp");
    EXPECT_EQ(main->SaveDialog1->nameFilters(), QStringList{"*.bmp"});

    main->Next1Click();
    EXPECT_EQ(Shown().format(), QImage::Format_RGB32);
    EXPECT_TRUE(Shown() == Fresh(100));
}

TEST_F(ReportWindowTest, CancelledSaveChangesNothing) {
    SaveAs(QString());
    EXPECT_EQ(Shown().format(), QImage::Format_RGB32);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() + "Dados") == false);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "report.bmp"));
}

TEST_F(ReportWindowTest, FailedSaveReachesTheErrorReport) {
    test::MessageBoxCatcher boxes;
    RunGuarded([&] { SaveAs(QString::fromStdString(dir.Path() + "no/such/folder/x.bmp")); });
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen().front().icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes.Seen().front().text.startsWith("Unable to save the image to "));
    // Already black and white, as after any attempt.
    EXPECT_EQ(Shown().format(), QImage::Format_Mono);
}

// A foods file that cannot be loaded leaves no report; the failures a user
// meets afterwards still say what failed and on which file.
class FailedLoadTest : public ReportWindowTest {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.Path() + "Dados/ArqIng.dad");
        windows = std::make_unique<ProgramWindows>(dir.Path(), dir.Path() + "settings.ini");
        main = &windows->main;
        test::MessageBoxCatcher boxes;
        RunGuarded([this] { main->FormActivate(); });
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen().front().text.toStdString(),
                  "Cannot open file " + dir.Path() + "Dados/ArqIng.dad.");
    }
};

TEST_F(FailedLoadTest, SaveImageNamesTheFile) {
    test::MessageBoxCatcher boxes;
    const std::string path = dir.Path() + "x.bmp";
    RunGuarded([&] { SaveAs(QString::fromStdString(path)); });
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen().front().text.toStdString(),
              "Unable to save the image to " + path + ": no report is on show.");
    EXPECT_FALSE(std::filesystem::exists(path));
}

// ---- Print ------------------------------------------------------------------

int PdfPages(const QByteArray& pdf) {
    return static_cast<int>(
        QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page(?![s\\w])")));
}

QSizeF PdfMediaBox(const QByteArray& pdf) {
    const QRegularExpressionMatch match =
        QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)\\s*\\]")
            .match(QString::fromLatin1(pdf));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

class PrintTest : public ReportWindowTest {
  protected:
    void SetUp() override {
        ReportWindowTest::SetUp();
        pdfPath = QString::fromStdString(dir.Path() + "page.pdf");
        QPrinter& printer = main->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        printer.setResolution(600);
        printer.setPageOrientation(QPageLayout::Landscape);
    }

    QString pdfPath;
};

TEST_F(PrintTest, OnePortraitPageAfterConfirmation) {
    test::MessageBoxCatcher boxes(QMessageBox::Yes);
    main->Print1Click();
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].title, "Confirm");
    EXPECT_EQ(boxes.Seen()[0].text, "Confirm print?");
    EXPECT_EQ(boxes.Seen()[0].icon, QMessageBox::Question);
    EXPECT_EQ(boxes.Seen()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QFile file(pdfPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(PdfPages(pdf), 1);
    const QSizeF box = PdfMediaBox(pdf);
    EXPECT_GT(box.height(), box.width());
    EXPECT_EQ(main->Printer().pageLayout().orientation(), QPageLayout::Portrait);
}

TEST_F(PrintTest, NoStartsNoJob) {
    test::MessageBoxCatcher boxes(QMessageBox::No);
    main->Print1Click();
    EXPECT_EQ(boxes.Seen().size(), 1u);
    EXPECT_FALSE(QFile::exists(pdfPath));
}

TEST_F(PrintTest, PrinterModeUsesThePrintersResolutionAndTheCurrentAmount) {
    GramsTyped("50");
    test::RecordingCanvas canvas;
    main->DrawReport(&main->Printer(), canvas, main->ReportAmount());
    ASSERT_FALSE(canvas.texts.empty());
    EXPECT_EQ(canvas.texts[0].cellHeight, 89);
    EXPECT_EQ(canvas.texts[1].text.substr(0, 13), "Amount in 50 ");
    EXPECT_EQ(canvas.lines[0].x2, 4488);
}

TEST_F(PrintTest, NoFoodStartsNoJob) {
    test::TempDir emptyDir;
    test::WriteDatabase(emptyDir.Path(), {}, {});
    TCadIngForm empty(emptyDir.Path());
    empty.Attach(windows->progress, windows->list, *amount);
    {
        test::MessageBoxCatcher boxes;
        RunGuarded([&] { empty.FormActivate(); });  // the first showing fails: no food
    }
    QPrinter& printer = empty.Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    test::MessageBoxCatcher boxes(QMessageBox::Yes);
    RunGuarded([&] { empty.Print1Click(); });
    ASSERT_EQ(boxes.Seen().size(), 2u);
    EXPECT_EQ(boxes.Seen()[1].text, "List index out of bounds (0)");
    EXPECT_EQ(printer.printerState(), QPrinter::Idle);
    EXPECT_FALSE(QFile::exists(pdfPath));
}

TEST(PrintWithoutPrinter, SaysSoThroughTheErrorReport) {
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a printer is installed";
    test::TempDir dir;
    TCadIngForm main(dir.Path());
    test::MessageBoxCatcher boxes(QMessageBox::Yes);
    RunGuarded([&] { main.Print1Click(); });
    ASSERT_EQ(boxes.Seen().size(), 2u);
    EXPECT_EQ(boxes.Seen()[1].text, "No printer is installed.");
    EXPECT_EQ(boxes.Seen()[1].title, "Quorvex");
}

TEST(PrintWithoutPrinter, TheDefaultPrinterIsLookedUpAtEveryPrint) {
    test::TempDir dir;
    TCadIngForm main(dir.Path());
    // A mark on the printer of an earlier Print, which must not be reused.
    main.Printer().setDocName("earlier");
    test::MessageBoxCatcher boxes(QMessageBox::Yes);
    RunGuarded([&] { main.Print1Click(); });  // fails before any job: no food
    EXPECT_EQ(boxes.Seen().size(), 2u);
    EXPECT_EQ(main.Printer().docName(), "");
    EXPECT_EQ(main.Printer().printerName(), QPrinterInfo::defaultPrinterName());
}

}  // namespace
}  // namespace quorvex
