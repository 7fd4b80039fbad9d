// SPDX-License-Identifier: GPL-3.0-or-later
// The amount dialog and its fixed-comma field, driven by keys and clicks on
// the offscreen platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/qt/AmountField.h"
#include "app/qt/CadQuaUnit.h"
#include "list/qt/PalChaUnit.h"
#include "list/qt/WordEdit.h"
#include "tests/support/QtTestSupport.h"

namespace quorvex {
namespace {

// ---- The field --------------------------------------------------------------

class AmountFieldTest : public ::testing::Test {
  protected:
    void Keys(const char* keys) { QTest::keyClicks(&field, keys); }
    void Key(Qt::Key key) { QTest::keyClick(&field, key); }
    // Puts the caret before position (0-based).
    void CaretAt(int position) {
        Key(Qt::Key_Home);
        for (int i = 0; i < position; ++i) Key(Qt::Key_Right);
    }

    AmountField field;
};

TEST_F(AmountFieldTest, EmptyFieldReadsWithSpaces) {
    EXPECT_EQ(field.Text(), "      , ");
    field.SetText("x2345a.7");
    EXPECT_EQ(field.Text(), " 2345 ,7");
    // Whatever stands at the comma's place, the comma stays.
    for (const char* text : {"1234567", "12345678", "       9"}) {
        field.SetText(text);
        EXPECT_EQ(field.Text()[6], ',') << text;
    }
    EXPECT_EQ(field.Text(), "      ,9");
}

TEST_F(AmountFieldTest, DigitsFillPositionsAndSkipTheComma) {
    Keys("123456");
    EXPECT_EQ(field.Text(), "123456, ");
    EXPECT_EQ(field.CaretPosition(), 7);
    Keys("7");
    EXPECT_EQ(field.Text(), "123456,7");
    Keys("8");  // no position left
    EXPECT_EQ(field.Text(), "123456,7");
}

TEST_F(AmountFieldTest, OtherCharactersAreRefused) {
    Keys("1a-+ e.2");
    EXPECT_EQ(field.Text(), "12    , ");
}

TEST_F(AmountFieldTest, CommaMovesToTheDecimalPlace) {
    Keys("12,");
    EXPECT_EQ(field.Text(), "12    , ");
    EXPECT_EQ(field.CaretPosition(), 7);
    Keys(",");  // refused there
    Keys("5");
    EXPECT_EQ(field.Text(), "12    ,5");
}

TEST_F(AmountFieldTest, DeletingLeavesABlankAndMovesNothing) {
    field.SetText("   100,0");
    CaretAt(4);
    Key(Qt::Key_Delete);
    EXPECT_EQ(field.Text(), "   1 0,0");
    EXPECT_EQ(field.CaretPosition(), 4);
    CaretAt(7);
    Key(Qt::Key_Backspace);  // over the comma, onto the last integer digit
    EXPECT_EQ(field.Text(), "   1  ,0");
    EXPECT_EQ(field.CaretPosition(), 5);
    CaretAt(6);
    Key(Qt::Key_Delete);  // at the comma: the decimal goes
    EXPECT_EQ(field.Text(), "   1  , ");
}

TEST_F(AmountFieldTest, TypingReplacesTheSelection) {
    field.SetText("   100,0");
    field.SelectAll();
    Keys("2");
    EXPECT_EQ(field.Text(), "2     , ");
    field.SetText("   100,0");
    field.SelectAll();
    Key(Qt::Key_Backspace);
    EXPECT_EQ(field.Text(), "      , ");
}

TEST_F(AmountFieldTest, KeyPressHandlerRunsFirstAndMayChangeTheKey) {
    std::string seen;
    field.SetKeyPressHandler([&seen](char& key) {
        seen += key;
        if (key == 'x') key = '9';
    });
    Keys("1x");
    field.Type('x');  // as typed by the user
    EXPECT_EQ(seen, "1xx");
    EXPECT_EQ(field.Text(), "199   , ");
}

// ---- The dialog -------------------------------------------------------------

class AmountDialogTest : public ::testing::Test {
  protected:
    void Keys(const char* keys) { QTest::keyClicks(dialog.PesLiqMaskEdit, keys); }
    std::string Text() { return dialog.PesLiqMaskEdit->Text(); }

    TCadQuaForm dialog;
};

TEST_F(AmountDialogTest, ControlsCaptionsAndFonts) {
    EXPECT_EQ(dialog.windowTitle(), "USDA R14");
    EXPECT_EQ(dialog.size(), QSize(330, 57));
    EXPECT_EQ(dialog.Label1->geometry(), QRect(5, 32, 68, 16));
    EXPECT_EQ(dialog.Label1->text(), "Amount in");
    EXPECT_EQ(dialog.PesLiqMaskEdit->geometry(), QRect(81, 32, 70, 16));
    EXPECT_EQ(dialog.BitBtn1->geometry(), QRect(0, 0, 165, 25));
    EXPECT_EQ(dialog.BitBtn1->text(), "Ok");
    EXPECT_EQ(dialog.BitBtn2->geometry(), QRect(165, 0, 165, 25));
    EXPECT_EQ(dialog.BitBtn2->text(), "Cancel");
    EXPECT_EQ(dialog.Shape1->geometry(), QRect(0, 25, 330, 32));
    EXPECT_EQ(dialog.Label2->geometry(), QRect(160, 32, 161, 16));
    EXPECT_EQ(dialog.Label2->text(), "grams of edible portion");
    for (QWidget* widget :
         {static_cast<QWidget*>(dialog.Label1), static_cast<QWidget*>(dialog.PesLiqMaskEdit),
          static_cast<QWidget*>(dialog.Label2)}) {
        EXPECT_TRUE(widget->font().bold());
        EXPECT_EQ(widget->font().pixelSize(), 13);
    }
    for (QPushButton* button : {dialog.BitBtn1, dialog.BitBtn2}) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
        const QImage glyph = button->icon().pixmap(16, 16).toImage();
        ASSERT_EQ(glyph.size(), QSize(16, 16));
        int red = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) red += glyph.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        }
        EXPECT_GT(red, 10);
        EXPECT_EQ(qAlpha(glyph.pixel(0, 15)), 0);  // lower-left is transparent
    }
}

TEST_F(AmountDialogTest, OpensAtHundredAllSelected) {
    dialog.FormActivate();
    EXPECT_EQ(Text(), "   100,0");
    EXPECT_TRUE(dialog.PesLiqMaskEdit->HasSelection());
    Keys("25");
    EXPECT_EQ(Text(), "25    , ");
    dialog.PesLiqMaskEditExit();
    EXPECT_EQ(Text(), "    25,0");
    dialog.FormActivate();
    EXPECT_EQ(Text(), "   100,0");
}

TEST_F(AmountDialogTest, PointActsAsTheComma) {
    for (const char* separator : {".", ","}) {
        dialog.FormActivate();
        Keys("12");
        Keys(separator);
        EXPECT_EQ(Text(), "    12, ") << separator;
        EXPECT_EQ(dialog.PesLiqMaskEdit->CaretPosition(), 7);
        Keys("5");
        EXPECT_EQ(Text(), "    12,5");
    }
    // An all-blank integer part becomes 0.
    dialog.FormActivate();
    QTest::keyClick(dialog.PesLiqMaskEdit, Qt::Key_Delete);
    Keys(".5");
    EXPECT_EQ(Text(), "     0,5");
}

TEST_F(AmountDialogTest, LeavingTheFieldTidiesItUnlessEmpty) {
    dialog.PesLiqMaskEdit->SetText("      , ");
    dialog.PesLiqMaskEditExit();
    EXPECT_EQ(Text(), "      , ");
    dialog.PesLiqMaskEdit->SetText("7     , ");
    dialog.PesLiqMaskEditExit();
    EXPECT_EQ(Text(), "     7,0");
    dialog.PesLiqMaskEdit->SetText("   1 0, ");
    dialog.PesLiqMaskEditExit();
    EXPECT_EQ(Text(), "   1 0,0");
}

// Another window taking the focus for a while is not leaving the field:
// typing goes on where it was. Tab is.
TEST_F(AmountDialogTest, SwitchingWindowsAndBackKeepsTheFieldAsTyped) {
    const auto activate = [](QWidget& window) {
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    };
    dialog.show();
    ASSERT_TRUE(activate(dialog));
    Keys("12");
    QWidget other;
    other.show();
    ASSERT_TRUE(activate(other));
    EXPECT_EQ(Text(), "12    , ");
    ASSERT_TRUE(activate(dialog));
    // A popup opening takes the focus only for a while too.
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(dialog.PesLiqMaskEdit, &popup);
    EXPECT_EQ(Text(), "12    , ");
    Keys("5");
    EXPECT_EQ(Text(), "125   , ");
    QTest::keyClick(dialog.PesLiqMaskEdit, Qt::Key_Tab);  // leaves for Ok
    EXPECT_EQ(Text(), "   125,0");
}

TEST_F(AmountDialogTest, OnlyTheButtonsCloseIt) {
    int result = -1;
    bool openAfterKeys = false;
    test::WhenModal([&](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Return);
        QTest::keyClick(modal, Qt::Key_Escape);
        QTest::keyClick(dialog.PesLiqMaskEdit, Qt::Key_Enter);
        QTest::keyClick(dialog.PesLiqMaskEdit, Qt::Key_Escape);
        dialog.close();
        openAfterKeys = modal->isVisible();
        QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
    });
    result = dialog.exec();
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(result, TCadQuaForm::kCancel);

    test::WhenModal([&](QWidget*) {
        Keys("25");
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), TCadQuaForm::kOk);
    // Clicking the button took the focus from the field, which tidied it.
    EXPECT_EQ(Text(), "    25,0");
}

// Screen readers see both fixed-position fields as editable text, named
// through their label (the word field by its dialog's title), with the
// text, caret and selection, and edit them as the keyboard does.
TEST(FieldsForScreenReaders, LabelledEditableTextWithCaretAndSelection) {
    TCadQuaForm amount;
    TPalChaForm words;
    amount.FormActivate();
    words.SetWordText("PEA");
    struct Case {
        MaskField* field;
        QObject* label;
        QString name, text;
        int caret, start, end;
    };
    for (const Case& c :
         {Case{amount.PesLiqMaskEdit, amount.Label1, "Amount in", "   100,0", 8, 0, 8},
          Case{words.PalChaMaskEdit, &words, "Type the words to filter list",
               "PEA" + QString(37, ' '), 3, 0, 0}}) {
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(c.field);
        EXPECT_EQ(field->role(), QAccessible::EditableText);
        EXPECT_TRUE(field->state().editable);
        EXPECT_EQ(field->text(QAccessible::Name), c.name);
        const auto labels = field->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(labels.first().first->object(), c.label);
        QAccessibleTextInterface* text = field->textInterface();
        EXPECT_EQ(text->text(0, text->characterCount()), c.text);
        EXPECT_EQ(text->cursorPosition(), c.caret);
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        EXPECT_EQ(std::make_pair(start, end), std::make_pair(c.start, c.end))
            << c.name.toStdString();
    }
    QAccessible::queryAccessibleInterface(amount.PesLiqMaskEdit)
        ->editableTextInterface()
        ->replaceText(0, 8, "2.5");
    EXPECT_EQ(amount.PesLiqMaskEdit->Text(), "     2,5");
}

}  // namespace
}  // namespace quorvex
