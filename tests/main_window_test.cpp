// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the main window: loading on first activation, navigation
// within bounds, Exit, and the general error report.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "app/qt/ProgramWindows.h"
#include "db/Fields.h"
#include "list/qt/FoodListBox.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/ConUnit.h"
#include "ui/ErrorReport.h"

namespace quorvex {
namespace {

// The five windows, created in the program's order, on a database of the
// test's own.
class MainWindowTest : public ::testing::Test {
  protected:
    void Open(const std::vector<std::string>& foods) {
        test::WriteDatabase(dir.Path(), foods, {"01|Dairy", "02|Fruits"});
        Create();
    }

    void Create() {
        windows = std::make_unique<ProgramWindows>(dir.Path(), dir.Path() + "VARDELO.ini");
        main = &windows->main;
        progress = &windows->progress;
    }

    std::vector<std::string> FoodNames() const {
        std::vector<std::string> names;
        for (const std::string_view line : main->FoodTable()->Items()) {
            names.push_back(GetField(kFoodDescription, line));
        }
        return names;
    }

    test::TempDir dir;
    std::unique_ptr<ProgramWindows> windows;
    TCadIngForm* main = nullptr;
    TConForm* progress = nullptr;
};

TEST_F(MainWindowTest, WindowLayout) {
    Open({test::MakeFoodLine("Apple")});
    EXPECT_EQ(main->windowTitle(),
              "Composition of Foods Raw, Processed, Prepared - USDA Nutrient Database Release 14");
    QStringList captions;
    for (QAction* action : main->menuBar()->actions()) captions << action->text();
    EXPECT_EQ(captions, (QStringList{"Previous Food", "Next Food", "List Food", "Grams",
                                     "Save Image", "Print", "Exit"}));
    auto* client = main->findChild<QScrollArea*>();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->size(), QSize(720, 474));
    EXPECT_EQ(client->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    EXPECT_EQ(progress->windowTitle(), "Please wait...");
    EXPECT_EQ(progress->size(), QSize(436, 30));
    EXPECT_EQ(progress->ProgressBar->minimum(), 0);
    EXPECT_EQ(progress->ProgressBar->maximum(), 100);
    EXPECT_FALSE(progress->isVisible());
}

// Each window's client area opens at the centre of the screen, and a
// message box's over its window, on the first showing exactly as on later
// ones.
TEST_F(MainWindowTest, EveryWindowOpensCentred) {
    Open({test::MakeFoodLine("A")});
    const auto xy = [](QPoint p) { return std::pair(p.x(), p.y()); };  // readable when failing
    for (QWidget* window : std::initializer_list<QWidget*>{main, progress, &windows->list,
                                                           &windows->amount, &windows->words}) {
        for (int showing = 1; showing <= 2; ++showing) {
            window->show();
            EXPECT_EQ(xy(window->geometry().center()),
                      xy(window->screen()->availableGeometry().center()))
                << window->windowTitle().toStdString() << ", showing " << showing;
            window->hide();
        }
    }
    main->show();
    main->move(main->pos() + QPoint(40, 30));
    QMessageBox box(QMessageBox::Information, "Information", "File empty!", QMessageBox::Ok, main);
    box.show();
    EXPECT_EQ(xy(box.geometry().center()), xy(main->geometry().center()));
}

// Every window has a fixed border under its caption; only the main window
// has title-bar buttons, and none of them maximises.
TEST_F(MainWindowTest, FixedFramesWithTheirTitleBarButtons) {
    Open({test::MakeFoodLine("A")});
    const Qt::WindowFlags anyButton = Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                                      Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint |
                                      Qt::WindowShadeButtonHint;
    const Qt::WindowFlags mainButtons =
        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    const struct {
        QWidget* window;
        Qt::WindowType type;
        Qt::WindowFlags buttons;
    } cases[] = {
        {main, Qt::Window, mainButtons},   {progress, Qt::Dialog, {}},
        {&windows->list, Qt::Dialog, {}},  {&windows->amount, Qt::Dialog, {}},
        {&windows->words, Qt::Dialog, {}},
    };
    for (const auto& [window, type, buttons] : cases) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        window->show();
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_EQ(window->windowType(), type);
        EXPECT_TRUE(flags.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                    Qt::MSWindowsFixedSizeDialogHint));
        EXPECT_FALSE(flags & Qt::FramelessWindowHint);
        EXPECT_EQ(flags & anyButton, buttons);
        EXPECT_EQ(window->minimumSize(), window->size());
        EXPECT_EQ(window->maximumSize(), window->size());
        window->hide();
    }
}

// The window manager's close request (Alt+F4, or a close box it draws
// anyway) leaves a modal window without a close box open; it ends with the
// result of its own command.
TEST_F(MainWindowTest, CloseRequestsLeaveWindowsWithoutCloseBoxOpen) {
    Open({test::MakeFoodLine("A"), test::MakeFoodLine("B")});
    main->FormActivate();
    TVisLisIngForm& list = windows->list;
    const struct {
        std::function<int()> show;  // shows the window modally, gives its outcome
        std::function<void()> command;
        int outcome;
    } cases[] = {
        {[&] { return windows->amount.exec(); }, [&] { windows->amount.BitBtn2->click(); },
         TCadQuaForm::kCancel},
        {[&] { return windows->words.exec(); }, [&] { windows->words.TurnOFFFilter2->trigger(); },
         TPalChaForm::kTurnOffFilter},
        {[&] {
             main->List1Click();
             return main->CurrentFoodIndex();
         },
         [&] {
             list.LisFilOrdListBox->setCurrentRow(1);
             list.Retorna1->trigger();
         },
         1},
    };
    for (const auto& [show, command, outcome] : cases) {
        QString title;
        bool closed = true;
        test::WhenModal([&](QWidget* modal) {
            title = modal->windowTitle();
            closed = modal->windowHandle()->close() || !modal->isVisible();
            command();
        });
        EXPECT_EQ(show(), outcome) << title.toStdString();
        EXPECT_FALSE(closed) << title.toStdString();
    }
}

TEST_F(MainWindowTest, FirstActivationLoadsOnce) {
    Open({test::MakeFoodLine("Pear"), test::MakeFoodLine("apple"), test::MakeFoodLine("Fig")});
    EXPECT_EQ(main->FoodTable(), nullptr);
    main->FormActivate();
    ASSERT_NE(main->FoodTable(), nullptr);
    EXPECT_EQ(FoodNames(), (std::vector<std::string>{"apple", "Fig", "Pear"}));
    EXPECT_EQ(main->FoodKeyIndex()->Count(), 3);
    EXPECT_EQ(main->GroupTable()->Count(), 2);
    EXPECT_EQ(main->GroupCodeIndex()->Get(1), "02");
    EXPECT_EQ(main->CurrentFoodIndex(), 0);
    EXPECT_EQ(main->ReportAmount(), 100.0);
    EXPECT_FALSE(progress->isVisible());

    // Later activations (after any dialog closes) load nothing again.
    test::WriteDatabase(dir.Path(), {test::MakeFoodLine("Other")}, {});
    const TextTable* table = main->FoodTable();
    main->FormActivate();
    EXPECT_EQ(main->FoodTable(), table);
    EXPECT_EQ(FoodNames().size(), 3u);
}

// A window system may never activate the window (no seat, focus-stealing
// prevention): the first showing loads all the same, once its events are
// handled, and only once.
TEST_F(MainWindowTest, FirstShowingLoadsWithoutAnActivation) {
    Open({test::MakeFoodLine("Fig")});
    struct NoActivation : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            return event->type() == QEvent::WindowActivate;
        }
    } noActivation;
    main->installEventFilter(&noActivation);
    main->show();
    EXPECT_EQ(main->FoodTable(), nullptr);
    for (int i = 0; i < 10 && main->FoodTable() == nullptr; ++i) QCoreApplication::processEvents();
    ASSERT_NE(main->FoodTable(), nullptr);
    EXPECT_EQ(main->FoodTable()->Count(), 1);
    EXPECT_EQ(progress->windowHandle()->transientParent(), main->windowHandle());

    const TextTable* table = main->FoodTable();
    main->hide();
    main->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(main->FoodTable(), table);
}

TEST_F(MainWindowTest, NavigationStaysWithinBounds) {
    Open({test::MakeFoodLine("A"), test::MakeFoodLine("B"), test::MakeFoodLine("C")});
    main->FormActivate();
    main->Previous1Click();
    EXPECT_EQ(main->CurrentFoodIndex(), 0);
    main->Next1Click();
    main->Next1Click();
    EXPECT_EQ(main->CurrentFoodIndex(), 2);
    main->Next1Click();
    EXPECT_EQ(main->CurrentFoodIndex(), 2);
    main->Previous1Click();
    EXPECT_EQ(main->CurrentFoodIndex(), 1);
}

TEST_F(MainWindowTest, OneFoodNeitherWayMoves) {
    Open({test::MakeFoodLine("Only")});
    main->FormActivate();
    main->Next1Click();
    main->Previous1Click();
    EXPECT_EQ(main->CurrentFoodIndex(), 0);
}

TEST_F(MainWindowTest, ExitReleasesTablesAndCloses) {
    Open({test::MakeFoodLine("A")});
    main->show();
    main->FormActivate();
    main->Exit1Click();
    EXPECT_EQ(main->FoodTable(), nullptr);
    EXPECT_EQ(main->FoodKeyIndex(), nullptr);
    EXPECT_EQ(main->GroupTable(), nullptr);
    EXPECT_EQ(main->GroupCodeIndex(), nullptr);
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindowTest, MissingDataFolderIsCreatedEmpty) {
    Create();
    test::MessageBoxCatcher boxes;
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(main, &activate);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() + "Dados/ArqIng.dad"));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() + "Dados/ArqGruIng.dad"));
    ASSERT_NE(main->FoodTable(), nullptr);
    EXPECT_EQ(main->FoodTable()->Count(), 0);
    // The window stays usable.
    main->Next1Click();
    main->Previous1Click();
    EXPECT_EQ(main->CurrentFoodIndex(), 0);
}

TEST_F(MainWindowTest, UnreadableFoodsFileReachesTheErrorReport) {
    std::filesystem::create_directories(dir.Path() + "Dados/ArqIng.dad");
    Create();
    test::MessageBoxCatcher boxes;
    // Shown, not yet active: the box still belongs to the window.
    main->show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(main, &activate);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    const test::SeenMessageBox& box = boxes.Seen().front();
    EXPECT_EQ(box.owner, main);
    EXPECT_EQ(box.title, "Quorvex");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QMessageBox::Ok);
    EXPECT_EQ(box.text.toStdString(), "Cannot open file " + dir.Path() + "Dados/ArqIng.dad.");
    EXPECT_EQ(main->FoodTable()->Count(), 0);
}

TEST(ErrorReport, RunningOutOfMemorySaysSoInWords) {
    test::MessageBoxCatcher boxes;
    RunGuarded([] { throw std::bad_alloc(); });
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen().front().text.toStdString(), "Not enough memory to finish the command.");
}

TEST(ErrorReport, PeriodAddedAfterLettersAndDigits) {
    EXPECT_EQ(ErrorReportText("Cannot open file /x/ArqIng.dad"), "Cannot open file /x/ArqIng.dad.");
    EXPECT_EQ(ErrorReportText("List index out of bounds (0)"), "List index out of bounds (0)");
    EXPECT_EQ(ErrorReportText("Done."), "Done.");
    EXPECT_EQ(ErrorReportText("Bad 7"), "Bad 7.");
    EXPECT_EQ(ErrorReportText("Odd!"), "Odd!");
    EXPECT_EQ(ErrorReportText(""), "");
    EXPECT_EQ(QApplication::applicationDisplayName(), "Quorvex");
}

TEST(ErrorReport, FailureWhileDeliveringAnEventIsReported) {
    class Failing : public QObject {
      public:
        bool event(QEvent*) override { throw std::runtime_error("Disk full"); }
    } receiver;
    test::MessageBoxCatcher boxes;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QApplication::sendEvent(&receiver, &event));
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "Disk full.");
    EXPECT_EQ(boxes.Seen()[0].icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace quorvex
