#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "lyrics/TfrmWrd.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

constexpr int kLabelFlags = Qt::AlignCenter | Qt::TextExpandTabs | Qt::TextWordWrap;

// What the lyrics label draws: the font and the text.
struct Shown {
    QFont font;
    QString text;
};

Shown shownOn(const TfrmWrd *card)
{
    return {card->lblWrd->fit().font, card->lblWrd->fit().text};
}

// Where the shown text lies when the label draws it.
QRect laidOut(const TfrmWrd *card)
{
    const Shown shown = shownOn(card);
    return QFontMetrics(shown.font, card->lblWrd)
        .boundingRect(card->lblWrd->contentsRect(), kLabelFlags, shown.text);
}

int pixelSize(const QFont &font) { return QFontInfo(font).pixelSize(); }

int smallestPixelSize(const QFont &chosen)
{
    QFont font = chosen;
    font.setPointSizeF(lyrics::kSmallestLyricsPointSize);
    return pixelSize(font);
}

// The lyrics window of a started program, shown at its default size.
struct Window {
    TestApp app;
    TfrmWrd *card = nullptr;
    Window()
    {
        app.start();
        card = app.main()->frmWrd;
        card->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(card));
    }
    void settle() { QCoreApplication::processEvents(); }
};

// One line of 31 characters and two short ones: three lines of the default
// window's type would wrap to five.
const QString kLongLine = QStringLiteral("あかいとりことりなぜなぜあかいあかいみをたべたあかいとりこだよ");
const QString kOverflowing = kLongLine + QStringLiteral("\r\nそら\r\nうみ");

} // namespace

TEST(LyricsFit, PageThatFitsIsDrawnAsAPlainLabelWouldDrawIt)
{
    Window w;
    ASSERT_EQ(kLongLine.size(), 31);
    const QFont chosen = w.card->lblWrd->font();
    w.card->setLyrics(QStringLiteral("星がひとつ\r\n光る"));
    w.settle();
    EXPECT_EQ(shownOn(w.card).font, chosen);
    EXPECT_EQ(shownOn(w.card).text, QStringLiteral("星がひとつ\n光る"));
    EXPECT_TRUE(w.card->lblWrd->fit().asChosen);

    // The same page on the label as it was before pages were fitted.
    QLabel plain;
    plain.setAlignment(Qt::AlignCenter);
    plain.setWordWrap(true);
    plain.setTextFormat(Qt::PlainText);
    plain.setFont(chosen);
    QPalette palette = w.card->lblWrd->palette();
    palette.setColor(QPalette::Window, w.card->PanelWrd->palette().color(QPalette::Window));
    plain.setPalette(palette);
    plain.setAutoFillBackground(true); // the panel's colour, as behind the lyrics
    plain.setText(QStringLiteral("星がひとつ\n光る"));
    plain.resize(w.card->lblWrd->size());
    const auto pixels = [](QWidget *widget) {
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(pixels(w.card->lblWrd), pixels(&plain));
}

TEST(LyricsFit, PageThatOverflowsIsShownWholeInSmallerTypeAndRefitsOnResize)
{
    Window w;
    const QFont chosen = w.card->lblWrd->font();
    const QRect area = w.card->lblWrd->contentsRect();
    ASSERT_GT(QFontMetrics(chosen, w.card->lblWrd).boundingRect(area, kLabelFlags, kOverflowing).height(),
              area.height())
        << "the page does not fit in the chosen type";

    w.card->setLyrics(kOverflowing);
    w.settle();
    const QString page = QString(kOverflowing).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    EXPECT_EQ(shownOn(w.card).text, page) << "whole, nothing cut";
    EXPECT_TRUE(area.contains(laidOut(w.card))) << "under the tool bar and above the bottom";
    EXPECT_LT(pixelSize(shownOn(w.card).font), pixelSize(chosen));
    EXPECT_GE(pixelSize(shownOn(w.card).font), smallestPixelSize(chosen));
    EXPECT_EQ(w.card->lblWrd->font(), chosen) << "the chosen type stays";
    EXPECT_EQ(w.card->lblWrd->text(), page) << "a screen reader reads the whole page";

    // A bigger window takes the page in the chosen type; a smaller one shrinks it again.
    w.card->resize(1600, 400);
    w.settle();
    EXPECT_EQ(shownOn(w.card).font, chosen);
    w.card->resize(TfrmWrd::kDefaultWidth, TfrmWrd::kDefaultHeight);
    w.settle();
    EXPECT_LT(pixelSize(shownOn(w.card).font), pixelSize(chosen));
    EXPECT_TRUE(w.card->lblWrd->contentsRect().contains(laidOut(w.card)));

    // The chosen type, not the shown one, goes to the settings.
    IniFile ini;
    w.card->writeSettings(ini);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Words"), QStringLiteral("FontSize"), 0), chosen.pointSize());

    // A new chosen type is fitted at once, and never shown larger than chosen.
    QFont small = chosen;
    small.setPointSize(10);
    w.card->lblWrd->setFont(small);
    EXPECT_EQ(shownOn(w.card).font, small);
}

TEST(LyricsFit, PageTooLongForTheWindowShowsItsStartInTheSmallestTypeWithTheMark)
{
    QString lines;
    for (int i = 0; i < 100'000; ++i)
        lines += QStringLiteral("ab%1\r\n").arg(i % 100);
    struct Row {
        const char *what;
        QString page;
    };
    const Row rows[] = {
        {"100,000 short lines", lines},
        {"one line of 300,000 letters", QString(300'000, QLatin1Char('x'))},
        {"one line of 300,000 kana", QString(300'000, QChar(0x30E9))},
        {"ten long lines, too many for the smallest type",
         QStringList(10, kLongLine).join(QLatin1String("\r\n"))},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Window w;
        const QSize size = w.card->size();
        const QFont chosen = w.card->lblWrd->font();
        w.card->setLyrics(row.page);
        const Shown shown = shownOn(w.card);
        // Checked before the window lays itself out, which a page drawn
        // whole would hold up for seconds.
        EXPECT_LT(shown.text.size(), 2000) << "only what the window can show is laid out";
        if (::testing::Test::HasFailure())
            return;
        EXPECT_TRUE(shown.text.endsWith(QStringLiteral("…"))) << "the page goes on";
        EXPECT_TRUE(w.card->lblWrd->fit().cut);
        EXPECT_EQ(pixelSize(shown.font), smallestPixelSize(chosen));
        EXPECT_TRUE(w.card->lblWrd->contentsRect().contains(laidOut(w.card)));
        EXPECT_TRUE(row.page.startsWith(QStringView(shown.text).chopped(1).split(QLatin1Char('\n')).first()));
        w.settle();
        EXPECT_EQ(w.card->size(), size) << "a long page asks for no bigger window";
    }
}

TEST(LyricsFit, WindowTooSmallForOneLineStillShowsTheStartOfThePage)
{
    Window w;
    w.card->resize(200, 60);
    w.settle();
    w.card->setLyrics(kOverflowing);
    const Shown shown = shownOn(w.card);
    EXPECT_FALSE(shown.text.isEmpty());
    EXPECT_TRUE(shown.text.endsWith(QStringLiteral("…")));
    EXPECT_TRUE(kLongLine.startsWith(shown.text.chopped(1)));
}
