// The amount dialog and its fixed-comma field, driven by keys and clicks on
// the offscreen platform.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/qt/AmountField.h"
#include "app/qt/CadQuaUnit.h"
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
    EXPECT_EQ(seen, "1x");
    EXPECT_EQ(field.Text(), "19    , ");
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

}  // namespace
}  // namespace quorvex
