#include <QCoreApplication>
#include <QFile>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/EngineShow.h"
#include "app/MainWindow.h"
#include "lyrics/LyricsCard.h"
#include "lyrics/LyricsPages.h"
#include "lyrics/TfrmWrd.h"
#include "options/SongLyricsBoxes.h"
#include "options/TfrmOption.h"
#include "player/TrackBar.h"
#include "smf/SmfWriter.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

QString settings(bool whileStopped, bool songLyrics = true, bool nextLine = false)
{
    return QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=%1\r\nSongLyrics=%2\r\nNextLine=%3\r\n")
        .arg(whileStopped ? 1 : 0)
        .arg(songLyrics ? 1 : 0)
        .arg(nextLine ? 1 : 0);
}

// Sixteen beats at 120 BPM (a step is 125 ms), its lyrics on a track of
// their own as `lyrics` writes them.
template <typename Lyrics>
void writeSong(const QString &path, Lyrics lyrics)
{
    smf::SmfWriter w(1, 480);
    smf::Track &notes = w.addTrack();
    notes.bpm(120).programChange(0, 0);
    for (int beat = 0; beat < 16; ++beat)
        notes.note(0, 60, 100, 480);
    lyrics(w.addTrack());
    w.writeFile(path.toStdString());
}

// A karaoke song: page one from beat 4 (shown from step 13, a beat ahead),
// page two from beat 8 (from step 29).
void karaoke(smf::Track &t)
{
    t.text("@KMIDI KARAOKE FILE").text("@TTwinkle")
        .at(1920).text("\\Twin").at(2040).text("kle ").at(2160).text("twin").at(2280).text("kle")
        .at(2400).text("/Lit").at(2520).text("tle ").at(2640).text("star")
        .at(3840).text("\\How").at(3960).text(" I").at(4080).text(" won").text("der");
}

// Twelve lines marked by CR alone, one a beat from beat 1: no page marks.
void twelveLines(smf::Track &t)
{
    for (int i = 0; i < 12; ++i)
        t.at(480 * (i + 1)).lyric(QStringLiteral("line %1\r").arg(i).toStdString());
}

struct SongStage : EngineShow {
    SongStage() : EngineShow(engine::Driver::Mode::Manual) {}
    TfrmMain *m = nullptr;

    template <typename Lyrics>
    TfrmMain *open(const QString &settingsText, Lyrics lyrics, const QByteArray &card = {})
    {
        app.writeSettings(settingsText);
        const QString song = app.path(QStringLiteral("song.mid"));
        writeSong(song, lyrics);
        if (!card.isEmpty())
            app.makeFile(QStringLiteral("song.txt"), card);
        m = EngineShow::open({QStringLiteral("0 ") + song});
        return m;
    }
    // Plays on until the display reads `step`.
    void playTo(int step)
    {
        if (!m->playing)
            m->ButtonPlayClick();
        for (int i = 0; i < 400 && m->trackBar->Position() + 1 < step; ++i) {
            output->advanceBy(50'000);
            QCoreApplication::processEvents();
            m->PlayTimerTimer();
        }
    }
    TfrmWrd *wrd() const { return m->frmWrd; }
};

// Each page of the card holds this many lines, but the last.
bool pagedBy(const QStringList &pages, int lines)
{
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const qsizetype n = pages.at(i).split(QStringLiteral("\r\n")).size();
        if (i + 1 < pages.size() ? n != lines : n > lines)
            return false;
    }
    return !pages.isEmpty();
}

// The page the card gives for the position.
QString shownPage(TfrmMain *m)
{
    const int page = lyrics::pageForPosition(m->lstStepMarks, m->stepDisplay, m->trackBar->Position());
    return page >= 0 ? m->lstWrd.items.at(page) : QString();
}

// The line being sung at step 23 or the one after it.
bool nearLine4(const QString &page)
{
    return page.contains(QStringLiteral("line 4")) || page.contains(QStringLiteral("line 5"));
}

} // namespace

TEST(SongLyricsWindow, SongWithoutACardShowsItsOwnLyricsPageByPage)
{
    SongStage s;
    s.open(settings(false), karaoke);
    ASSERT_TRUE(s.m->songLoaded);
    EXPECT_FALSE(s.m->lyricsMissing);
    EXPECT_EQ(s.m->lstStepMarks, (QList<int>{13, 29}));
    EXPECT_EQ(s.wrd()->windowTitle(), QStringLiteral("歌詞カード - song.mid"));
    EXPECT_FALSE(s.wrd()->isVisible()) << "stopped, and not shown while stopped";

    s.playTo(12);
    EXPECT_TRUE(s.wrd()->isVisible());
    EXPECT_EQ(s.wrd()->lyrics(), QString());
    s.playTo(13);
    EXPECT_EQ(s.wrd()->lyrics(), QStringLiteral("Twinkle twinkle\r\nLittle star"));
    s.playTo(29);
    EXPECT_EQ(s.wrd()->lyrics(), QStringLiteral("How I wonder"));
    EXPECT_EQ(s.m->lyricsPages().page(), QStringLiteral("How I wonder"));
}

TEST(SongLyricsWindow, ACardBesideTheSongWinsOverItsLyrics)
{
    SongStage s;
    s.open(settings(true), karaoke, "1\r\nfrom the card\r\n");
    EXPECT_EQ(s.m->lstWrd.items, QStringList{"from the card"});
    EXPECT_EQ(s.wrd()->windowTitle(), QStringLiteral("歌詞カード - song.txt"));
    s.playTo(13);
    EXPECT_EQ(s.wrd()->lyrics(), QStringLiteral("from the card"));
    // A card file is never paged again for the window.
    s.wrd()->resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.m->lstWrd.items, QStringList{"from the card"});

    // Without the card, a refresh finds the song's own lyrics.
    s.m->ButtonStopClick();
    ASSERT_TRUE(QFile::remove(s.app.path(QStringLiteral("song.txt"))));
    s.m->mnuWrdEditItemClick();
    EXPECT_EQ(s.m->lstWrd.items.size(), 2);
    EXPECT_EQ(s.wrd()->windowTitle(), QStringLiteral("歌詞カード - song.mid"));
}

TEST(SongLyricsWindow, OptionOffShowsNothingAndTheOptionsOkLooksTheLyricsUpAgain)
{
    SongStage s;
    s.open(settings(true, false), karaoke);
    EXPECT_TRUE(s.m->lyricsMissing);
    EXPECT_FALSE(s.wrd()->isVisible());
    EXPECT_TRUE(s.m->lstWrd.items.isEmpty());

    const auto setOption = [&](bool on) {
        s.app.dialogs.onExec([on](QDialog *d) {
            static_cast<TfrmOption *>(d)->songLyricsBoxes->chkSongWrd->setChecked(on);
            static_cast<TfrmOption *>(d)->OKBtn->click();
            return int(QDialog::Accepted);
        });
        s.m->mnuOptionItemClick();
    };
    setOption(true);
    EXPECT_FALSE(s.m->lyricsMissing);
    EXPECT_TRUE(s.wrd()->isVisible());
    EXPECT_EQ(s.m->lstStepMarks, (QList<int>{13, 29}));
    setOption(false);
    EXPECT_TRUE(s.m->lyricsMissing);
    EXPECT_FALSE(s.wrd()->isVisible());
}

TEST(SongLyricsWindow, LinesWithoutPageMarksFillPagesToTheWindowAndFollowItsSizeAndFont)
{
    SongStage s;
    s.open(settings(false) + QStringLiteral("Height=300\r\n"), twelveLines);
    TfrmWrd *w = s.wrd();
    ASSERT_FALSE(w->isVisible());
    const QStringList atLoad = s.m->lstWrd.items;

    // Line 4 is sung from step 21, line 5 from step 25; a page shows a beat
    // (four steps) before its first line.
    s.playTo(23);
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(s.m->lstWrd.items, atLoad) << "paged at the load for the window as it shows";
    const int fitting = w->linesThatFit();
    EXPECT_GE(fitting, 2);
    EXPECT_TRUE(pagedBy(s.m->lstWrd.items, fitting)) << s.m->lstWrd.items.join('|').toStdString();
    EXPECT_FALSE(w->lblWrd->fit().cut);
    ASSERT_TRUE(nearLine4(w->lyrics())) << w->lyrics().toStdString();

    w->resize(w->width(), w->height() * 2);
    QCoreApplication::processEvents();
    const int taller = w->linesThatFit();
    ASSERT_GT(taller, fitting);
    EXPECT_TRUE(pagedBy(s.m->lstWrd.items, taller)) << s.m->lstWrd.items.join('|').toStdString();
    EXPECT_EQ(w->lyrics(), shownPage(s.m)) << "the page of the position in the new pages";
    EXPECT_TRUE(nearLine4(w->lyrics())) << w->lyrics().toStdString();
    EXPECT_FALSE(w->lblWrd->fit().cut);
    EXPECT_TRUE(w->lblWrd->fit().asChosen) << "the page fits whole in the chosen type";

    QFont smaller = w->lblWrd->font();
    smaller.setPointSize(smaller.pointSize() / 2);
    w->lblWrd->setFont(smaller);
    QCoreApplication::processEvents();
    EXPECT_GT(w->linesThatFit(), taller);
    EXPECT_TRUE(pagedBy(s.m->lstWrd.items, w->linesThatFit()));
    EXPECT_EQ(w->lyrics(), shownPage(s.m));
    EXPECT_TRUE(nearLine4(w->lyrics())) << w->lyrics().toStdString();
}

TEST(SongLyricsWindow, PageMarksOfTheSongAreKeptWhateverTheWindow)
{
    SongStage s;
    s.open(settings(true), karaoke);
    const QStringList pages = s.m->lstWrd.items;
    s.wrd()->resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.m->lstWrd.items, pages);
}

TEST(SongLyricsWindow, NextLineShowsTheNextPagesFirstLineSmallerAndDimmerForCardsAndSongs)
{
    for (const bool fromSong : {false, true}) {
        SCOPED_TRACE(fromSong ? "lyrics of the song" : "card file");
        SongStage s;
        s.open(settings(true, true, true), karaoke,
               fromSong ? QByteArray() : "13\r\nTwinkle twinkle\r\nLittle star\r\n29\r\nHow I wonder\r\n");
        TfrmWrd *w = s.wrd();
        ASSERT_TRUE(w->isVisible());
        EXPECT_TRUE(w->lblNext->isVisible());
        // Before the first page: what comes first.
        EXPECT_EQ(w->lyrics(), QString());
        EXPECT_EQ(w->lblNext->text(), QStringLiteral("Twinkle twinkle"));

        QSignalSpy changes(&s.m->lyricsPages(), &lyrics::LyricsPages::pageChanged);
        s.playTo(13);
        EXPECT_EQ(w->lyrics(), QStringLiteral("Twinkle twinkle\r\nLittle star"));
        EXPECT_EQ(w->lblNext->text(), QStringLiteral("How I wonder"));
        s.playTo(20);
        ASSERT_EQ(changes.size(), 1) << "told once per page, never on a tick within it";
        EXPECT_EQ(changes.at(0).at(1).toString(), QStringLiteral("How I wonder"));
        s.playTo(29);
        EXPECT_EQ(w->lblNext->text(), QString()) << "the last page has none after it";
        EXPECT_EQ(s.m->lyricsPages().nextLine(), QString());

        EXPECT_LT(QFontInfo(w->lblNext->font()).pixelSize(), QFontInfo(w->lblWrd->font()).pixelSize());
        const QColor page = w->lblWrd->palette().color(QPalette::WindowText);
        const QColor next = w->lblNext->palette().color(QPalette::WindowText);
        const QColor back = w->PanelWrd->palette().color(QPalette::Window);
        EXPECT_NE(next, page);
        EXPECT_NE(next, back);
        EXPECT_GT(w->lblNext->geometry().top(), w->lblWrd->geometry().top());

        // Off in the options: the line goes.
        s.m->ButtonStopClick();
        s.app.dialogs.onExec([](QDialog *d) {
            static_cast<TfrmOption *>(d)->songLyricsBoxes->chkNextLine->setChecked(false);
            static_cast<TfrmOption *>(d)->OKBtn->click();
            return int(QDialog::Accepted);
        });
        s.m->mnuOptionItemClick();
        EXPECT_FALSE(w->lblNext->isVisible());
        EXPECT_EQ(s.m->lyricsPages().nextLine(), QString());
    }
}

TEST(SongLyricsWindow, NextLineIsOffByDefault)
{
    SongStage s;
    s.open(QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=1\r\n"), karaoke);
    ASSERT_TRUE(s.wrd()->isVisible());
    EXPECT_FALSE(s.wrd()->lblNext->isVisible());
    EXPECT_EQ(s.m->lyricsPages().nextLine(), QString());
    EXPECT_EQ(s.m->lstWrd.items.size(), 2) << "the song's lyrics are on by default";
}
