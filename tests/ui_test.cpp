// SPDX-License-Identifier: GPL-3.0-or-later
// What every window shares: the Windows-1252 conversion, the progress
// window and the frame hints.
#include <gtest/gtest.h>

#include <QDialog>
#include <QProgressBar>
#include <QStringDecoder>
#include <QWindow>
#include <stdexcept>
#include <vector>

#include "ui/ConUnit.h"
#include "ui/Text1252.h"
#include "ui/WindowFrame.h"

namespace quorvex {
namespace {

// Every byte converts as Qt's own Windows-1252 codec converts it, and back.
TEST(Text1252, EveryByteAsQtConvertsItAndBack) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        QStringDecoder decoder("windows-1252");
        const QString expected = decoder.decode(QByteArray(text.data(), 1));
        EXPECT_EQ(FromWin1252(text), expected) << byte;
        EXPECT_EQ(ToWin1252(expected), text) << byte;
        EXPECT_TRUE(FitsWin1252(expected)) << byte;
    }
    EXPECT_EQ(FromWin1252(std::string("a\0b", 3)), QStringView(u"a\0b", 3).toString());
}

TEST(Text1252, CharactersWithoutAByteBecomeQuestionMarks) {
    const QString text =
        QString::fromUtf8("a\xC4\x80\xF0\x9F\x98\x80\xE2\x82\xAC");  // a, U+0100, U+1F600, euro
    EXPECT_EQ(ToWin1252(text), "a??\x80");
    EXPECT_FALSE(FitsWin1252(text));
}

// The bar is set only when its filled width changes, and at both ends;
// between those settings it shows what every position would have shown.
TEST(ProgressWindow, SetsTheBarOnlyWhenItsDrawnWidthChanges) {
    for (const int maximum : {1, 8, 100, 100000}) {
        TConForm progress;
        std::vector<int> values;
        QObject::connect(progress.ProgressBar, &QProgressBar::valueChanged,
                         [&values](int value) { values.push_back(value); });
        progress.BeginProgress(maximum);
        const long long width = progress.ProgressBar->width();
        values.clear();
        for (int position = 0; position < maximum; ++position) {
            progress.SetPosition(position);
            EXPECT_EQ(progress.ProgressBar->value() * width / maximum, position * width / maximum);
        }
        EXPECT_EQ(progress.ProgressBar->value(), maximum - 1);
        EXPECT_LE(static_cast<long long>(values.size()), width + 2) << maximum;
        progress.EndProgress();
    }
}

// Shown over the modal window on top, else over the window it was made
// for, so the window system places it there; closed even when the work
// fails.
TEST(ProgressWindow, OverTheModalWindowAndClosedAfterAFailure) {
    QWidget owner;
    owner.show();
    TConForm progress(&owner);
    QDialog modal(&owner);
    modal.setWindowModality(Qt::ApplicationModal);
    for (const bool modalOpen : {false, true, false}) {
        modal.setVisible(modalOpen);
        const auto fail = [&progress] {
            ProgressShowing showing(progress, 10);
            throw std::runtime_error("no memory left");
        };
        EXPECT_THROW(fail(), std::runtime_error);
        EXPECT_FALSE(progress.isVisible());
        EXPECT_EQ(progress.windowHandle()->transientParent(),
                  (modalOpen ? &modal : &owner)->windowHandle());
    }
}

// What X11 window managers are asked for: decorations as well as
// functions, since some draw their buttons from one and some from the
// other; moving only, or the main window's menu, minimise and close.
TEST(WindowFrame, HintsGiveDecorationsAndFunctions) {
    const struct {
        TitleButtons buttons;
        unsigned long functions, decorations;
    } cases[] = {
        {TitleButtons::None, 0x4, 0xa},
        {TitleButtons::MenuMinimiseClose, 0x2c, 0x3a},
    };
    for (const auto& [buttons, functions, decorations] : cases) {
        const MotifHints hints = MotifHintsFor(FixedFrame(Qt::Dialog, buttons));
        EXPECT_EQ(hints.flags, 0x3u);
        EXPECT_EQ(hints.functions, functions);
        EXPECT_EQ(hints.decorations, decorations);
    }
}

}  // namespace
}  // namespace quorvex
