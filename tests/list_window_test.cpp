// SPDX-License-Identifier: GPL-3.0-or-later
// The food list window and the word filter dialog, driven as a user does:
// opening with and without stored filters, group items, typed words,
// Enter, double click and "Return", and what the closing stores.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "app/qt/AmountField.h"
#include "app/qt/CadIngUnit.h"
#include "app/qt/CadQuaUnit.h"
#include "app/qt/ProgramWindows.h"
#include "db/Fields.h"
#include "list/IniFile.h"
#include "list/qt/FoodListBox.h"
#include "list/qt/PalChaUnit.h"
#include "list/qt/VisLisIngUnit.h"
#include "list/qt/WordEdit.h"
#include "tests/report_recorder.h"
#include "tests/support/FdcDownload.h"
#include "tests/support/QtTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/FdcImport.h"
#include "ui/ConUnit.h"
#include "ui/ErrorReport.h"
#include "ui/Text1252.h"

namespace quorvex {
namespace {

using Rows = std::vector<std::string>;

// Types text into widget key by key (QTest::keyClicks only knows ASCII).
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        const auto key = c.unicode() < 0x100 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

const std::vector<std::pair<std::string, std::string>> kFoods = {
    {"Apples, raw, with skin", "0900"},
    {"Cheddar cheese soup", "0600"},
    {"Cheese, cheddar", "0100"},
    {"Cheese, swiss", "0100"},
    {"Chickpeas, mature seeds", "1600"},
    {"Cr\xE8me fra\xEE"
     "che",
     "0100"},
    {"Flour, all purpose", "2000"},
    {"Flour, all-purpose, enriched", "2000"},
    {"M\xFCsli, dried fruit", "0800"},
    {"Peaches, canned", "0900"},
    {"Peanut butter", "1600"},
    {"Peas, green, raw", "1100"},
    {"Rice, white", "2000"},
};

const std::vector<std::string> kGroups = {"0100|Dairy and Egg Products",
                                          "0600|Soups, Sauces, and Gravies",
                                          "0800|Breakfast Cereals",
                                          "0900|Fruits and Fruit Juices",
                                          "1100|Vegetables",
                                          "1600|Legumes",
                                          "2000|Cereal Grains and Pasta  "};

constexpr int kFruits = 3;
constexpr int kCereals = 6;

class ListWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<std::string> lines;
        for (const auto& [description, group] : kFoods) {
            lines.push_back(test::MakeFoodLine(description, {{kFoodGroupCode, group}}));
        }
        test::WriteDatabase(dir.Path(), lines, kGroups);
        list = std::make_unique<TVisLisIngForm>(dir.Path(), SettingsPath());
        list->Attach(progress, words);
        LoadFoodTable(FoodFilePath(DataDirectory()), foods, keys, progress);
    }

    std::string SettingsPath() const { return dir.Path() + "VARDELO.ini"; }

    void StoreSettings(const std::string& lines) {
        test::WriteFile(SettingsPath(), "[Lista Ingredientes]\r\n" + lines);
    }

    std::optional<std::string> Stored(const char* key) const {
        return IniFile::Load(SettingsPath()).Get("Lista Ingredientes", key);
    }

    int FoodIndex(const std::string& description) const {
        for (int i = 0; i < foods->Count(); ++i) {
            if (GetField(kFoodDescription, foods->Get(i)) == description) return i;
        }
        ADD_FAILURE() << "no food " << description;
        return -1;
    }

    // One opening, as List Food does it, without the modal loop.
    void OpenList(int currentFood = 0) {
        list->SetupPending = true;
        list->Open(*foods, *keys, currentFood);
        list->show();
        list->FormActivate();
    }

    Rows ListRows() const {
        Rows rows;
        for (int i = 0; i < list->LisFilOrdListBox->count(); ++i) {
            rows.push_back(ToWin1252(list->LisFilOrdListBox->RowText(i)));
        }
        return rows;
    }

    Rows AllFoods() const {
        Rows rows;
        for (const std::string_view line : foods->Items()) rows.push_back(GetField(1, line));
        return rows;
    }

    std::string Title() const { return ToWin1252(list->windowTitle()); }
    QList<QAction*> GroupItems() const { return list->Filtraporgrupodeingrediente1->actions(); }

    std::vector<int> CheckedItems() const {
        std::vector<int> checked;
        for (int i = 0; i < GroupItems().size(); ++i) {
            if (GroupItems()[i]->isChecked()) checked.push_back(i);
        }
        return checked;
    }

    int SelectedRow() const { return list->LisFilOrdListBox->SelectedRow(); }

    // Shows the word filter dialog from the menu, types into its emptied
    // field and ends the dialog with one of its items.
    void WordsFilter(const QString& typed, QAction* TPalChaForm::*item) {
        test::WhenModal([&](QWidget*) {
            words.PalChaMaskEdit->SetText("");
            TypeText(words.PalChaMaskEdit, typed);
            (words.*item)->trigger();
        });
        list->Filtraporpalavraschave1->trigger();
    }

    void TurnOnWords(const QString& typed) { WordsFilter(typed, &TPalChaForm::TurnONFilter1); }

    test::TempDir dir;
    TConForm progress;
    TPalChaForm words;
    std::unique_ptr<TVisLisIngForm> list;
    std::unique_ptr<LoadedTable> foods;
    std::unique_ptr<LoadedTable> keys;
};

const std::string kBaseTitle = "USDA R14 - USE DOUBLE CLICK TO SELECT";

TEST_F(ListWindowTest, WindowLayout) {
    EXPECT_EQ(list->windowTitle(),
              "USDA Nutrient Database Release 14 - Double clik to select and return");
    EXPECT_EQ(list->LisFilOrdListBox->size(), QSize(796, 500));
    EXPECT_TRUE(list->LisFilOrdListBox->font().bold());
    EXPECT_EQ(list->LisFilOrdListBox->font().pixelSize(), 11);
    EXPECT_EQ(list->LisFilOrdListBox->font().family(), "Courier New");
    QStringList captions;
    for (QAction* action : list->MainMenu1->actions()) captions << action->text();
    EXPECT_EQ(captions, (QStringList{"Group Filter", "Words Filter", "Return"}));

    EXPECT_EQ(words.windowTitle(), "Type the words to filter list");
    captions.clear();
    for (QAction* action : words.MainMenu1->actions()) captions << action->text();
    EXPECT_EQ(captions, (QStringList{"Turn ON Filter", "Turn OFF Filter", "Cancel"}));
    EXPECT_EQ(words.PalChaMaskEdit->Length(), 40);
}

TEST_F(ListWindowTest, FirstRunListsEveryFoodAndEnterReturnsTheCurrentOne) {
    const int peas = FoodIndex("Peas, green, raw");
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));  // asked for by the opening
    OpenList(peas);
    EXPECT_TRUE(std::filesystem::exists(SettingsPath()));
    EXPECT_EQ(ListRows(), AllFoods());
    EXPECT_EQ(Title(), kBaseTitle);
    EXPECT_EQ(SelectedRow(), peas);
    EXPECT_TRUE(CheckedItems().empty());
    QStringList captions;
    for (QAction* item : GroupItems()) captions << item->text();
    EXPECT_EQ(captions.size(), 7);
    EXPECT_EQ(captions[kFruits], "Fruits and Fruit Juices");

    QTest::keyClick(list->LisFilOrdListBox, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->CurrentFoodIndex(), peas);
    EXPECT_EQ(test::ReadFile(SettingsPath()),
              "[Lista Ingredientes]\nAtiFil=-1\nGruFil=\nAtiFilPalCha=0\nPalCha=\nPosFilOrd=" +
                  std::to_string(peas) + "\n");
}

TEST_F(ListWindowTest, OtherKeysMoveTheSelectionAndEscapeDoesNothing) {
    OpenList(2);
    QTest::keyClick(list->LisFilOrdListBox, Qt::Key_Down);
    EXPECT_EQ(SelectedRow(), 3);
    QTest::keyClick(list->LisFilOrdListBox, Qt::Key_Escape);
    QTest::keyClick(list.get(), Qt::Key_Escape);
    EXPECT_TRUE(list->isVisible());
    list->Retorna1->trigger();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->CurrentFoodIndex(), 3);
}

TEST_F(ListWindowTest, RestoredGroupFilterListsItsFoodsWithNothingSelected) {
    StoreSettings("AtiFil=3\r\nGruFil=Fruits and Fruit Juices\r\n");
    OpenList(FoodIndex("Rice, white"));
    EXPECT_EQ(ListRows(), (Rows{"Apples, raw, with skin", "Peaches, canned"}));
    EXPECT_EQ(Title(), kBaseTitle + " - GROUP : Fruits and Fruit Juices");
    EXPECT_EQ(CheckedItems(), std::vector<int>{kFruits});
    EXPECT_EQ(SelectedRow(), -1);
    list->Retorna1->trigger();
    EXPECT_EQ(list->CurrentFoodIndex(), 0);
    EXPECT_EQ(Stored("AtiFil"), "3");
    EXPECT_EQ(Stored("GruFil"), "Fruits and Fruit Juices");
    EXPECT_EQ(Stored("PosFilOrd"), "-1");
}

TEST_F(ListWindowTest, HexadecimalIndexAndKeysInOtherCase) {
    StoreSettings("atifil=0x2\r\ngrufil=Breakfast Cereals\r\n");
    OpenList();
    EXPECT_EQ(CheckedItems(), std::vector<int>{2});
    EXPECT_EQ(ListRows(), (Rows{"M\xFCsli, dried fruit"}));
}

TEST_F(ListWindowTest, StoredGroupNameThatNoGroupCarriesSwitchesTheFilterOff) {
    StoreSettings("AtiFil=0\r\nGruFil=Nuts\r\n");
    OpenList(1);
    EXPECT_EQ(ListRows(), AllFoods());
    EXPECT_EQ(Title(), kBaseTitle);
    EXPECT_TRUE(CheckedItems().empty());
    EXPECT_EQ(SelectedRow(), 1);
    list->Retorna1->trigger();
    EXPECT_EQ(Stored("AtiFil"), "-1");
    EXPECT_EQ(Stored("GruFil"), "");
}

TEST_F(ListWindowTest, GroupItemsCheckOneAtATimeAndUncheckToSwitchOff) {
    OpenList();
    GroupItems()[kFruits]->trigger();
    EXPECT_EQ(CheckedItems(), std::vector<int>{kFruits});
    EXPECT_EQ(ListRows(), (Rows{"Apples, raw, with skin", "Peaches, canned"}));
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_EQ(progress.ProgressBar->maximum(), foods->Count());
    EXPECT_FALSE(progress.isVisible());

    // The stored name's trailing blanks stay out of the title.
    GroupItems()[kCereals]->trigger();
    EXPECT_EQ(CheckedItems(), std::vector<int>{kCereals});
    EXPECT_EQ(Title(), kBaseTitle + " - GROUP : Cereal Grains and Pasta");
    EXPECT_EQ(ListRows().size(), 3u);

    GroupItems()[kCereals]->trigger();
    EXPECT_TRUE(CheckedItems().empty());
    EXPECT_EQ(ListRows(), AllFoods());
    EXPECT_EQ(Title(), kBaseTitle);
    EXPECT_EQ(SelectedRow(), -1);
    list->Retorna1->trigger();
    EXPECT_EQ(Stored("AtiFil"), "-1");
    EXPECT_EQ(Stored("GruFil"), "TODOS");

    // The next opening has no group filter and stores "TODOS" again.
    OpenList();
    EXPECT_EQ(ListRows(), AllFoods());
    EXPECT_EQ(Title(), kBaseTitle);
    EXPECT_EQ(GroupItems().size(), 7);
    list->Retorna1->trigger();
    EXPECT_EQ(Stored("GruFil"), "TODOS");
}

// Hundreds of groups scroll within the screen; the keyboard reaches the last.
TEST_F(ListWindowTest, SixHundredGroupsFitTheScreenAndTheLastIsReached) {
    std::string groups;
    for (int code = 1401; code <= 2000; ++code) {
        groups += std::to_string(code) + "|Group " + std::to_string(code) + "\r\n";
    }
    test::WriteFile(dir.Path() + "Dados/ArqGruIng.dad", groups);
    OpenList();
    QMenu* menu = list->Filtraporgrupodeingrediente1;
    menu->popup(list->mapToGlobal(QPoint()));
    EXPECT_TRUE(menu->screen()->availableGeometry().contains(menu->geometry()));
    QTest::keyClick(menu, Qt::Key_End);
    EXPECT_TRUE(menu->rect().contains(menu->actionGeometry(GroupItems().back())));
    QTest::keyClick(menu, Qt::Key_Return);
    EXPECT_EQ(CheckedItems(), std::vector<int>{599});
    EXPECT_EQ(ListRows(),
              (Rows{"Flour, all purpose", "Flour, all-purpose, enriched", "Rice, white"}));
}

TEST_F(ListWindowTest, DoubleClickOnAFilteredRowReturnsTheFoodTableIndex) {
    OpenList();
    GroupItems()[kFruits]->trigger();
    FoodListBox* box = list->LisFilOrdListBox;
    const QPoint peaches = box->RowRect(1).center();
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, peaches);
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, peaches);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->CurrentFoodIndex(), FoodIndex("Peaches, canned"));
    EXPECT_EQ(Stored("PosFilOrd"), "1");
}

TEST_F(ListWindowTest, TypedWordsAreUpperCasedAndEveryWordMustOccur) {
    OpenList();
    TurnOnWords("cheese cheddar");
    EXPECT_EQ(words.WordText(), "CHEESE CHEDDAR");
    EXPECT_EQ(ListRows(), (Rows{"Cheddar cheese soup", "Cheese, cheddar"}));
    EXPECT_EQ(Title(), kBaseTitle + " - WORD : CHEESE CHEDDAR");
    EXPECT_EQ(SelectedRow(), -1);

    TurnOnWords("pea");
    EXPECT_EQ(ListRows(), (Rows{"Chickpeas, mature seeds", "Peaches, canned", "Peanut butter",
                                "Peas, green, raw"}));
    TurnOnWords("all-purpose");
    EXPECT_EQ(ListRows(), (Rows{"Flour, all purpose", "Flour, all-purpose, enriched"}));
    // Two blanks in a row make no empty word.
    TurnOnWords("rice  white");
    EXPECT_EQ(ListRows(), (Rows{"Rice, white"}));
    EXPECT_EQ(Title(), kBaseTitle + " - WORD : RICE  WHITE");
    // Together with a group filter.
    TurnOnWords("raw");
    GroupItems()[kFruits]->trigger();
    EXPECT_EQ(ListRows(), (Rows{"Apples, raw, with skin"}));
    EXPECT_EQ(Title(), kBaseTitle + " - GROUP : Fruits and Fruit Juices - WORD : RAW");
}

TEST_F(ListWindowTest, AccentedWordsFoldExceptUmlauts) {
    OpenList();
    TurnOnWords(QString::fromUtf8("crème"));
    // Upper-cased as typed, then folded when the filter was turned on.
    EXPECT_EQ(words.WordText(), "CREME");
    EXPECT_EQ(ListRows(), (Rows{"Cr\xE8me fra\xEE"
                                "che"}));
    TurnOnWords(QString::fromUtf8("É"));
    EXPECT_EQ(words.WordText(), "E");
    TurnOnWords(QString::fromUtf8("müsli"));
    EXPECT_EQ(words.WordText(), "M\xDCSLI");
    EXPECT_EQ(ListRows(), Rows{});
    EXPECT_EQ(Title(), kBaseTitle + " - WORD : M\xDCSLI");
}

TEST_F(ListWindowTest, TurnOffEmptiesTheWordsAndListsEveryFoodAgain) {
    OpenList();
    TurnOnWords("pea");
    WordsFilter("", &TPalChaForm::TurnOFFFilter2);
    EXPECT_EQ(words.WordText(), "");
    EXPECT_EQ(ListRows(), AllFoods());
    EXPECT_EQ(Title(), kBaseTitle);
    list->Retorna1->trigger();
    EXPECT_EQ(Stored("AtiFilPalCha"), "0");
    EXPECT_EQ(Stored("PalCha"), "");
}

TEST_F(ListWindowTest, TurnOnWithNoWordsPassesEveryFood) {
    StoreSettings("AtiFilPalCha=1\r\nPalCha=\r\n");
    OpenList(4);
    EXPECT_EQ(ListRows(), AllFoods());
    EXPECT_EQ(Title(), kBaseTitle + " - WORD : ");
    EXPECT_EQ(SelectedRow(), 4);
}

TEST_F(ListWindowTest, CancelKeepsTheListButTheEditedTextIsShownAndStored) {
    OpenList();
    TurnOnWords("pea");
    const Rows peas = ListRows();
    WordsFilter(QString::fromUtf8("pea pêche"), &TPalChaForm::Cancel1);
    EXPECT_EQ(ListRows(), peas);
    EXPECT_EQ(list->Words().words, std::vector<std::string>{"PEA"});
    EXPECT_EQ(Title(), kBaseTitle + " - WORD : PEA");
    GroupItems()[kFruits]->trigger();
    EXPECT_EQ(Title(), kBaseTitle +
                           " - GROUP : Fruits and Fruit Juices - WORD : PEA P\xCA"
                           "CHE");
    EXPECT_EQ(ListRows(), (Rows{"Peaches, canned"}));
    list->Retorna1->trigger();
    EXPECT_EQ(Stored("AtiFilPalCha"), "1");
    EXPECT_EQ(Stored("PalCha"),
              "PEA P\xCA"
              "CHE");

    // Stored words are used as they are: the unfolded Ê matches nothing.
    OpenList();
    EXPECT_EQ(words.WordText(),
              "PEA P\xCA"
              "CHE");
    EXPECT_EQ((list->Words().words), (std::vector<std::string>{"PEA",
                                                               "P\xCA"
                                                               "CHE"}));
    EXPECT_EQ(ListRows(), Rows{});
}

TEST_F(ListWindowTest, UnwritableSettingsAreReportedAndTheWindowStillCloses) {
    test::WriteFile(dir.Path() + "blocker", "");
    list = std::make_unique<TVisLisIngForm>(dir.Path(), dir.Path() + "blocker/VARDELO.ini");
    list->Attach(progress, words);
    OpenList(2);
    test::MessageBoxCatcher boxes;
    list->Retorna1->trigger();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->CurrentFoodIndex(), 2);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.Seen()[0].text,
              QString::fromStdString("Unable to write to " + dir.Path() + "blocker/VARDELO.ini."));
}

TEST_F(ListWindowTest, UnreadableGroupsFileIsReportedAndTheListStillWorks) {
    StoreSettings("AtiFil=3\r\nGruFil=Fruits and Fruit Juices\r\nAtiFilPalCha=1\r\nPalCha=PEA\r\n");
    OpenList();
    ASSERT_EQ(ListRows(), Rows{"Peaches, canned"});
    list->Retorna1->trigger();
    const std::string groups = dir.Path() + "Dados/ArqGruIng.dad";
    std::filesystem::remove(groups);
    std::filesystem::create_directory(groups);
    {
        test::MessageBoxCatcher boxes;
        RunGuarded([this] { OpenList(); });
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].text, QString::fromStdString("Cannot open file " + groups + "."));
    }
    // No group, so no group filter; the word filter lists its foods.
    EXPECT_TRUE(GroupItems().isEmpty());
    EXPECT_EQ(Title(), kBaseTitle + " - WORD : PEA");
    EXPECT_EQ(ListRows().size(), 4u);
    QTest::keyClick(list->LisFilOrdListBox, Qt::Key_Down);
    QTest::keyClick(list->LisFilOrdListBox, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->CurrentFoodIndex(), FoodIndex("Chickpeas, mature seeds"));
}

// Groups that share a code (or have no bar) share one submenu item, so the
// group found by name can lie past the last item.
TEST_F(ListWindowTest, GroupsSharingAnItemNeverTouchAnItemOutsideTheSubmenu) {
    const struct {
        std::vector<std::string> groups;
        std::string stored;
        int items;
        Rows rows;
    } cases[] = {
        {{"0900|Fruits", "0100|Dairy", "0100|Dairy again"},
         "AtiFil=2\r\nGruFil=Fruits\r\n",
         2,
         {"Apples, raw, with skin", "Peaches, canned"}},
        {{"one", "two"}, "AtiFil=1\r\nGruFil=two\r\n", 1, {}},
        // The item checked at the last closing comes back unchecked.
        {{"0900|Fruits", "0100|Dairy"}, "AtiFil=-1\r\nGruFil=TODOS\r\n", 2, AllFoods()},
    };
    for (const auto& c : cases) {
        test::WriteFile(dir.Path() + "Dados/ArqGruIng.dad", "");
        std::string groups;
        for (const std::string& line : c.groups) groups += line + "\r\n";
        test::WriteFile(dir.Path() + "Dados/ArqGruIng.dad", groups);
        StoreSettings(c.stored);
        OpenList();
        EXPECT_EQ(GroupItems().size(), c.items);
        EXPECT_EQ(ListRows(), c.rows);
        EXPECT_TRUE(CheckedItems().empty());
        GroupItems().back()->trigger();
        EXPECT_EQ(CheckedItems(), std::vector<int>{c.items - 1});
        list->Retorna1->trigger();
        EXPECT_FALSE(list->isVisible());
    }
}

// Double clicks anywhere in the box, rows or blank area, also on an empty
// list; single clicks in the blank area keep the selection.
TEST_F(ListWindowTest, ClicksInTheBlankAreaBelowTheRows) {
    FoodListBox* box = list->LisFilOrdListBox;
    const QPoint blank(100, box->viewport()->height() - 5);
    OpenList();
    GroupItems()[kFruits]->trigger();
    ASSERT_FALSE(box->indexAt(blank).isValid());
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->RowRect(1).center());
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, blank);
    EXPECT_EQ(SelectedRow(), 1);
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, blank);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->CurrentFoodIndex(), FoodIndex("Peaches, canned"));

    OpenList(5);
    TurnOnWords("nothing");
    ASSERT_EQ(box->count(), 0);
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(list->CurrentFoodIndex(), 0);
}

// With no row selected no row is current (no focus frame); the first Down
// or Home selects the first row and End the last, after every rebuild.
TEST_F(ListWindowTest, FirstKeyWithoutSelection) {
    FoodListBox* box = list->LisFilOrdListBox;
    StoreSettings("AtiFil=3\r\nGruFil=Fruits and Fruit Juices\r\n");
    OpenList();
    const Rows fruits = ListRows();
    ASSERT_EQ(fruits.size(), 2u);
    const struct {
        Qt::Key key;
        int row;
    } cases[] = {{Qt::Key_Down, 0}, {Qt::Key_Home, 0}, {Qt::Key_End, 1}, {Qt::Key_Up, 0}};
    for (const auto& c : cases) {
        // A rebuild: the group off and on again.
        GroupItems()[kFruits]->trigger();
        GroupItems()[kFruits]->trigger();
        ASSERT_EQ(ListRows(), fruits);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focusIn);
        EXPECT_EQ(SelectedRow(), -1);
        EXPECT_FALSE(box->currentIndex().isValid());
        QTest::keyClick(box, c.key);
        EXPECT_EQ(SelectedRow(), c.row) << c.key;
    }
}

// Rows are drawn whole up to the right edge, without "..." elision, and
// a row is cut for display only: the pick reads the food's own line.
TEST_F(ListWindowTest, LongRowsAreClippedNotElidedAndPickedByTheirLine) {
    const std::string longName = "W" + std::string(2 << 20, 'W');
    std::vector<std::string> lines = {test::MakeFoodLine("Apples"), test::MakeFoodLine(longName)};
    test::WriteDatabase(dir.Path(), lines, kGroups);
    LoadFoodTable(FoodFilePath(DataDirectory()), foods, keys, progress);
    OpenList();
    FoodListBox* box = list->LisFilOrdListBox;
    const QString shown = box->RowText(1);
    EXPECT_TRUE(longName.starts_with(ToWin1252(shown)));
    EXPECT_LT(shown.size(), 300);

    // The ink near the right edge is as dense as near the left: no "...".
    const QImage image = box->viewport()->grab().toImage();
    const QRect row = box->RowRect(1);
    const auto ink = [&](int from) {
        int dark = 0;
        for (int x = from; x < from + 40; ++x) {
            for (int y = row.top(); y <= row.bottom(); ++y) dark += qGray(image.pixel(x, y)) < 128;
        }
        return dark;
    };
    EXPECT_GT(ink(row.left() + 10), 40);
    EXPECT_GT(ink(image.width() - 42), ink(row.left() + 10) * 3 / 4);

    box->setCurrentRow(1);
    list->Retorna1->trigger();
    EXPECT_EQ(list->CurrentFoodIndex(), 1);
}

// The word field: 40 fixed positions; letters typed turn to capitals that
// Windows-1252 holds, text the program sets stays as it is. In the keys,
// \b is Backspace, \x7f Delete, \x01 Home, \x02 Left, \x03 Right, \x04
// select all.
TEST(WordEdit, PositionalTyping) {
    struct Case {
        const char* set;    // by the program first, Windows-1252
        const char* keys;   // UTF-8
        const char* text;   // Windows-1252
        const char* shown;  // the start of what is drawn, UTF-8
    };
    const Case cases[] = {
        {"", "rice", "RICE", "RICE____"},
        {"", "aé ÿ-µ1",
         "A\xC9 \x9F-\xB5"
         "1",
         "AÉ Ÿ-µ1_"},
        {"", "abψc", "ABC", "ABC_"},                // no Windows-1252 byte: refused
        {"", "abc\x01x", "XBC", "XBC_"},            // overwrites at the caret
        {"", "abc\x01\x03\x7f", "A C", "A_C_"},     // Delete leaves a hole
        {"", "abc\x02\x02\b", " BC", "_BC_"},       // so does Backspace
        {"", "abc\b\b", "A", "A___"},               // unfilled at the end: no blanks
        {"", "a  \b", "A ", "A __"},                // a typed blank is kept
        {"rice \xE9", "", "rice \xE9", "rice é_"},  // set: shown unchanged
        {"rice", "s", "riceS", "riceS_"},           // the caret follows set text
        {"rice", "\x04\x7f", "", "_____"},
        {"rice", "\x04x", "X", "X____"},
        {"", "", "", "________"},
    };
    const QMap<QChar, Qt::Key> special = {{'\b', Qt::Key_Backspace},
                                          {'\x7f', Qt::Key_Delete},
                                          {'\x01', Qt::Key_Home},
                                          {'\x02', Qt::Key_Left},
                                          {'\x03', Qt::Key_Right}};
    for (const Case& c : cases) {
        WordEdit field;
        field.SetText(c.set);
        for (const QChar key : QString::fromUtf8(c.keys)) {
            if (key == '\x04') {
                QTest::keySequence(&field, QKeySequence::SelectAll);
            } else if (special.contains(key)) {
                QTest::keyClick(&field, special[key]);
            } else {
                TypeText(&field, QString(key));
            }
        }
        EXPECT_EQ(field.Text(), c.text) << c.keys;
        EXPECT_TRUE(field.ShownText().startsWith(QString::fromUtf8(c.shown))) << c.keys;
        EXPECT_EQ(field.ShownText().size(), 40);
    }
}

TEST(WordEdit, FortyPositions) {
    WordEdit field;
    TypeText(&field, QString(50, 'x'));
    EXPECT_EQ(field.Text(), std::string(40, 'X'));
    field.SetText(std::string(45, 'y'));
    EXPECT_EQ(field.Text(), std::string(40, 'y'));
}

TEST(WordEdit, PasteIsTypedToo) {
    WordEdit field;
    QApplication::clipboard()->setText(QString::fromUtf8("ψrice\nbrûlée"));
    QTest::keySequence(&field, QKeySequence::Paste);
    EXPECT_EQ(field.Text(),
              "RICEBR\xDBL\xC9"
              "E");
}

// List Food on the main window.
class ListFoodTest : public ::testing::Test {
  protected:
    void Create(const std::vector<std::string>& foodLines) {
        test::WriteDatabase(dir.Path(), foodLines, {"0100|Dairy"});
        windows = std::make_unique<ProgramWindows>(dir.Path(), dir.Path() + "VARDELO.ini");
        main = &windows->main;
        list = &windows->list;
        // An empty table fails the first report, which goes to the error box.
        test::MessageBoxCatcher boxes;
        RunGuarded([this] { main->FormActivate(); });
    }

    test::TempDir dir;
    std::unique_ptr<ProgramWindows> windows;
    TCadIngForm* main = nullptr;
    TVisLisIngForm* list = nullptr;
};

TEST_F(ListFoodTest, EmptyFoodTableShowsFileEmpty) {
    Create({});
    test::MessageBoxCatcher boxes;
    main->List1Click();
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].title, "Information");
    EXPECT_EQ(boxes.Seen()[0].text, "File empty!");
    EXPECT_EQ(boxes.Seen()[0].icon, QMessageBox::Information);
    EXPECT_EQ(boxes.Seen()[0].buttons, QMessageBox::Ok);
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(main->CurrentFoodIndex(), 0);
}

TEST_F(ListFoodTest, PickedFoodBecomesTheCurrentFood) {
    Create({test::MakeFoodLine("Apples"), test::MakeFoodLine("Butter"),
            test::MakeFoodLine("Carrots")});
    main->Next1Click();
    QString title;
    int selected = -2;
    bool setUpOnActivation = false;
    test::WhenModal([&](QWidget* modal) {
        ASSERT_EQ(modal, list);
        setUpOnActivation = !list->SetupPending;
        list->FormActivate();
        title = list->windowTitle();
        selected = list->LisFilOrdListBox->SelectedRow();
        list->LisFilOrdListBox->setCurrentRow(2);
        QTest::keyClick(list->LisFilOrdListBox, Qt::Key_Enter);
    });
    main->List1Click();
    EXPECT_EQ(title, QString::fromStdString(kBaseTitle));
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(setUpOnActivation);
    EXPECT_EQ(main->CurrentFoodIndex(), 2);

    // The same food coming back is still redrawn at 100 g.
    test::WhenModal([&](QWidget*) {
        windows->amount.PesLiqMaskEdit->SetText("   250,0");
        windows->amount.BitBtn1->click();
    });
    main->Teste1Click();
    ASSERT_EQ(main->ReportAmount(), 250.0);
    test::WhenModal([&](QWidget*) {
        list->FormActivate();
        QTest::keyClick(list->LisFilOrdListBox, Qt::Key_Return);
    });
    main->List1Click();
    EXPECT_EQ(main->CurrentFoodIndex(), 2);
    EXPECT_EQ(main->ReportAmount(), 100.0);
}

// The bundled sample database: a group and an accented word picked in the
// list come back at the next opening and after a restart.
TEST(SampleDatabase, FiltersSurviveReopeningAndRestart) {
    test::TempDir dir;
    test::WriteDatabase(dir.Path(),
                        SplitLines(test::ReadFile(QUORVEX_SOURCE_DIR "/data/foods.txt")),
                        SplitLines(test::ReadFile(QUORVEX_SOURCE_DIR "/data/groups.txt")));
    const std::string settings = dir.Path() + "VARDELO.ini";
    auto windows = std::make_unique<ProgramWindows>(dir.Path(), settings);
    windows->main.FormActivate();
    TVisLisIngForm* list = &windows->list;

    const auto rows = [&] {
        Rows shown;
        for (int i = 0; i < list->LisFilOrdListBox->count(); ++i) {
            shown.push_back(ToWin1252(list->LisFilOrdListBox->RowText(i)));
        }
        return shown;
    };
    const std::string acai =
        "A\xE7"
        "a\xED pulp, frozen, unsweetened";
    const std::string title = kBaseTitle + " - GROUP : Fruits - WORD : ACAI";
    test::WhenModal([&](QWidget*) {
        list->Filtraporgrupodeingrediente1->actions()[2]->trigger();
        test::WhenModal([&](QWidget*) {
            TypeText(windows->words.PalChaMaskEdit, QString::fromUtf8("açaí"));
            windows->words.TurnONFilter1->trigger();
        });
        // Chosen from the keyboard, the item leaves the focus on the bar.
        list->MainMenu1->setFocus();
        list->Filtraporpalavraschave1->trigger();
        EXPECT_EQ(list->focusWidget(), list->LisFilOrdListBox);
        EXPECT_EQ(windows->progress.windowHandle()->transientParent(), list->windowHandle());
        EXPECT_EQ(rows(), Rows{acai});
        EXPECT_EQ(ToWin1252(list->windowTitle()), title);
        list->LisFilOrdListBox->setCurrentRow(0);
        list->Retorna1->trigger();
    });
    windows->main.List1Click();
    ASSERT_GE(windows->main.CurrentFoodIndex(), 0);
    EXPECT_EQ(GetField(kFoodDescription,
                       windows->main.FoodTable()->Get(windows->main.CurrentFoodIndex())),
              acai);

    const auto reopened = [&] {
        Rows shown;
        std::string shownTitle;
        bool checked = false;
        test::WhenModal([&](QWidget*) {
            list->FormActivate();
            shown = rows();
            shownTitle = ToWin1252(list->windowTitle());
            checked = list->Filtraporgrupodeingrediente1->actions()[2]->isChecked();
            list->Retorna1->trigger();
        });
        windows->main.List1Click();
        EXPECT_EQ(shown, Rows{acai});
        EXPECT_EQ(shownTitle, title);
        EXPECT_TRUE(checked);
    };
    reopened();
    // A restart: fresh windows on the same settings file.
    windows = std::make_unique<ProgramWindows>(dir.Path(), settings);
    windows->main.FormActivate();
    list = &windows->list;
    reopened();
}

// An imported FoodData Central download: a branded food is found by words
// of its name, by its brand and by its GTIN with its leading zeros, and its
// report, on screen and on the printer, shows its brand owner, data type,
// FDC id and serving.
TEST(FdcDatabase, BrandedFoodIsFoundShownAndPrinted) {
    test::TempDir dir;
    {
        test::FdcDownloadWriter writer(dir.Path());
        const auto branded = [&](const char* id, const char* description, const char* owner,
                                 const char* gtin) {
            writer.Add(test::kFoodCsv, {id, "branded_food", description, "Cheese", "2021-01-01"});
            writer.Add(
                test::kBrandedFoodCsv,
                {id,       owner, "", "",           gtin,         "MILK", "", "28", "g", "1 oz",
                 "Cheese", "LI",  "", "2021-01-01", "2021-01-01", "US",   "", "",   "",  ""});
            writer.Add(test::kFoodNutrientCsv, {id, id, "1008", "393"});
        };
        branded("2001", "Cheddar cheese, sharp", "Tillamook", "00072830000001");
        branded("2002", "Swiss cheese", "Cabot", "00072830000002");
        writer.Add(test::kFoodCsv, {"2003", "sr_legacy_food", "Cheese, cheddar", "", ""});
    }
    ImportFdc(dir.Path(), dir.Path() + "Dados", kAllFdcTypes);
    ProgramWindows windows(dir.Path(), dir.Path() + "VARDELO.ini");
    windows.main.FormActivate();
    TVisLisIngForm& list = windows.list;
    const std::string cheddar = "Cheddar cheese, sharp (Tillamook, GTIN 00072830000001)";
    for (const char* words : {"SHARP CHEDDAR", "TILLAMOOK", "00072830000001"}) {
        Rows shown;
        test::WhenModal([&](QWidget*) {
            list.FormActivate();
            test::WhenModal([&](QWidget*) {
                windows.words.PalChaMaskEdit->SetText("");
                TypeText(windows.words.PalChaMaskEdit, words);
                windows.words.TurnONFilter1->trigger();
            });
            list.Filtraporpalavraschave1->trigger();
            for (int i = 0; i < list.LisFilOrdListBox->count(); ++i)
                shown.push_back(ToWin1252(list.LisFilOrdListBox->RowText(i)));
            list.LisFilOrdListBox->setCurrentRow(0);
            list.Retorna1->trigger();
        });
        windows.main.List1Click();
        EXPECT_EQ(shown, Rows{cheddar}) << words;
    }
    QPrinter& printer = windows.main.Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.Path() + "page.pdf"));
    for (QPrinter* on : {static_cast<QPrinter*>(nullptr), &printer}) {
        test::RecordingCanvas canvas;
        windows.main.DrawReport(on, canvas, 100);
        std::string texts;
        for (const test::DrawnText& text : canvas.texts) texts += text.text + "\n";
        for (const char* shown : {"CHEDDAR CHEESE, SHARP (TILLAMOOK, GTIN 00072830000001)",
                                  "Common: Tillamook (Branded Foods, FDC 2001)",
                                  "Group : Cheese (Branded)", "1 oz = 28 g", "kal 393"}) {
            EXPECT_NE(texts.find(shown), std::string::npos) << shown << " in\n" << texts;
        }
    }
    test::MessageBoxCatcher boxes(QMessageBox::Yes);
    windows.main.Print1Click();
    EXPECT_TRUE(test::ReadFile(dir.Path() + "page.pdf").starts_with("%PDF"));
}

}  // namespace
}  // namespace quorvex
