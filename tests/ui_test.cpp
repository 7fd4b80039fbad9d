// What every window shares: the Windows-1252 conversion and the progress
// window's bar.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QStringDecoder>
#include <vector>

#include "ui/ConUnit.h"
#include "ui/Text1252.h"

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

}  // namespace
}  // namespace quorvex
