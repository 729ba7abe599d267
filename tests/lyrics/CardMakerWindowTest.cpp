#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QStringEncoder>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/EngineShow.h"
#include "support/TestApp.h"
#include "app/MainWindow.h"
#include "lyrics/LyricsCard.h"
#include "lyrics/TfrmCardMaker.h"
#include "lyrics/TfrmWrd.h"
#include "player/SequencerDevice.h"
#include "smf/SmfWriter.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

QString settings(int folderMode = 1, const QString &folder = QString())
{
    return QStringLiteral("[Words]\r\nSet=1\r\nInd_Option=1\r\nDir_Option=%1\r\nPath=%2\r\n")
        .arg(folderMode)
        .arg(folder);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs `script` on the card maker opened from the edit menu; false when the
// maker did not open.
template <typename Script>
bool withMaker(TestApp &app, Script script)
{
    bool ran = false;
    app.dialogs.onExec([&](QDialog *dialog) {
        auto *maker = qobject_cast<TfrmCardMaker *>(dialog);
        if (!maker)
            return int(QDialog::Rejected);
        ran = true;
        bool closed = false;
        // The dialog outlives this script: the connection goes with `guard`,
        // before `closed` does.
        QObject guard;
        QObject::connect(maker, &QDialog::finished, &guard, [&closed] { closed = true; });
        script(*maker);
        if (!closed)
            maker->cmdClose->click();
        return closed ? maker->result() : int(QDialog::Rejected);
    });
    app.main()->action(QStringLiteral("mnuCardItem"))->trigger();
    return ran;
}

QList<int> marksIn(const QTableWidget *grid)
{
    QList<int> marks;
    for (int row = 0; row < grid->rowCount(); ++row)
        if (grid->item(row, 0) && !grid->item(row, 0)->text().isEmpty())
            marks << grid->item(row, 0)->text().toInt();
    return marks;
}

// Two songs of 16 quarter notes at 120 BPM (a step is 125 ms), the first
// marked so that its end would run into the second.
struct MakerShow : EngineShow {
    MakerShow() : EngineShow(engine::Driver::Mode::Manual) {}
    TfrmMain *m = nullptr;
    QString song;

    void start()
    {
        app.writeSettings(settings());
        song = app.path(QStringLiteral("s1.mid"));
        const QString second = app.path(QStringLiteral("s2.mid"));
        writeQuarterNotes(song, 61, 16, 120);
        writeQuarterNotes(second, 62, 16, 120);
        m = open({QStringLiteral("1 ") + song, QStringLiteral("0 ") + second});
    }
    // Moves the clock on to `ms` after the play started.
    void at(int ms)
    {
        output->advanceBy((ms - now_) * 1000);
        now_ = ms;
        QCoreApplication::processEvents();
    }
    int now_ = 0;
};

} // namespace

TEST(CardMaker, TapsOnTheEngineRecordTheStepAtTheKeyPress)
{
    MakerShow show;
    show.start();
    TfrmMain *m = show.m;
    ASSERT_TRUE(m->songLoaded);
    const QString card = show.app.path(QStringLiteral("s1.txt"));

    const bool ran = withMaker(show.app, [&](TfrmCardMaker &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("歌詞カードの作成"));
        EXPECT_EQ(d.cardPath(), card);
        d.memLyrics->setPlainText(QStringLiteral("haru\nhana\n\nnatsu\n\naki\n\nfuyu"));
        EXPECT_EQ(d.grdMarks->rowCount(), 4);
        d.cmdNextClick(); // stopped: a tap records nothing
        EXPECT_TRUE(d.marks().isEmpty());

        d.cmdPlayClick();
        ASSERT_TRUE(d.isPlaying());
        d.tickTimer.stop(); // the display moves only when the test ticks
        show.at(940); // step 7 of the song, display 8
        d.tick();
        EXPECT_EQ(d.lblStep->text(), QStringLiteral("8"));
        // No tick since: the space bar still takes the step of this moment,
        // and the lyrics field does not get the blank.
        show.at(1070);
        QTest::keyClick(d.memLyrics, Qt::Key_Space);
        EXPECT_EQ(d.lblStep->text(), QStringLiteral("8"));
        EXPECT_EQ(d.marks(), (QList<int>{9}));
        EXPECT_FALSE(d.memLyrics->toPlainText().contains(QLatin1Char(' ')));

        show.at(2060);
        d.cmdNext->click();
        show.at(2560);
        d.cmdNextClick();
        EXPECT_EQ(d.marks(), (QList<int>{9, 17, 21}));
        d.cmdUndo->click(); // a tap too early
        show.at(4060);
        d.cmdNextClick();
        EXPECT_EQ(d.marks(), (QList<int>{9, 17, 33}));

        // One step later and two earlier, then a mark typed by hand.
        d.grdMarks->setCurrentCell(0, 0);
        d.cmdPlus->click();
        d.cmdMinus->click();
        d.cmdMinus->click();
        d.grdMarks->item(1, 0)->setText(QStringLiteral("18"));
        QCoreApplication::processEvents();
        EXPECT_EQ(d.marks(), (QList<int>{8, 18, 33}));
        d.grdMarks->item(2, 0)->setText(QStringLiteral("-3")); // refused
        QCoreApplication::processEvents();
        EXPECT_EQ(d.marks(), (QList<int>{8, 18, 33}));
        EXPECT_EQ(marksIn(d.grdMarks), (QList<int>{8, 18, 33}));
        show.at(6060);
        d.cmdNextClick();
        EXPECT_EQ(d.currentPage(), 3);
        // Back to the top and through again: the page of each moment is shown.
        d.cmdPrev->click();
        ASSERT_TRUE(d.isPlaying());
        d.tickTimer.stop();
        d.tick();
        EXPECT_EQ(d.currentPage(), lyrics::kEmptyPage) << "before the first mark";
        show.at(8200); // 2140 ms into the new play: step 17, display 18
        d.tick();
        EXPECT_EQ(d.lblStep->text(), QStringLiteral("18"));
        EXPECT_EQ(d.currentPage(), 1);

        // The song plays out here: the main window does not hear of its
        // end, so its list stays on this song.
        show.at(16500);
        d.tick();
        EXPECT_FALSE(d.isPlaying());
        EXPECT_EQ(m->songIndex, 0);
        EXPECT_FALSE(m->playing);

        ASSERT_TRUE(d.cmdSaveClick());
    });
    ASSERT_TRUE(ran);

    EXPECT_EQ(fileBytes(card), QByteArray("8\r\nharu\r\nhana\r\n18\r\nnatsu\r\n33\r\naki\r\n"
                                          "49\r\nfuyu\r\n"));
    const lyrics::LyricsCard read = lyrics::readLyricsCard(card);
    EXPECT_EQ(read.marks, (QList<int>{8, 18, 33, 49}));
    EXPECT_EQ(read.pages, (QStringList{"haru\r\nhana", "natsu", "aki", "fuyu"}));
    // The lyrics window took the new card at once.
    EXPECT_EQ(m->lstStepMarks, read.marks);
    EXPECT_EQ(m->frmWrd->windowTitle(), QStringLiteral("歌詞カード - s1.txt"));
    // The song stands where the main window left it.
    EXPECT_EQ(m->Player().Position(), 0);
    EXPECT_NE(m->Player().Mode(), DeviceMode::Playing);
    EXPECT_EQ(m->songIndex, 0);
    EXPECT_EQ(m->playerState, Ready);
}

TEST(CardMaker, PlayFromTheTopTapsANewTakeOverTheCardsMarks)
{
    MakerShow show;
    show.app.makeFile(QStringLiteral("s1.txt"), "1\r\nharu\r\n9\r\nnatsu\r\n17\r\naki\r\n");
    show.start();
    show.app.dialogs.answer(mb::IdYes); // close without saving
    const bool ran = withMaker(show.app, [&](TfrmCardMaker &d) {
        ASSERT_EQ(d.marks(), (QList<int>{1, 9, 17}));
        d.cmdPlayClick(); // from the top
        ASSERT_TRUE(d.isPlaying());
        d.tickTimer.stop();
        show.at(1070); // display 9
        d.cmdNextClick();
        EXPECT_EQ(d.marks(), (QList<int>{9})) << "the first tap starts the list again";
        EXPECT_EQ(marksIn(d.grdMarks), (QList<int>{9}));
        d.cmdUndo->click();
        EXPECT_EQ(d.marks(), (QList<int>{1, 9, 17})) << "undo brings the card's marks back";
        show.at(1570);
        d.cmdNextClick();
        show.at(2060);
        d.cmdNextClick();
        EXPECT_EQ(d.marks(), (QList<int>{13, 17}));

        // Stopped and played on from there: the take goes on.
        d.cmdStopClick();
        d.cmdPlayClick();
        ASSERT_TRUE(d.isPlaying());
        d.tickTimer.stop();
        show.at(3060);
        d.cmdNextClick();
        EXPECT_EQ(d.marks(), (QList<int>{13, 17, 25}));

        // Back to the top while playing: a new take again.
        d.cmdPrev->click();
        ASSERT_TRUE(d.isPlaying());
        d.tickTimer.stop();
        show.at(3060 + 1070);
        d.cmdNextClick();
        EXPECT_EQ(d.marks(), (QList<int>{9}));
        d.cmdUndo->click();
        EXPECT_EQ(d.marks(), (QList<int>{13, 17, 25}));
    });
    ASSERT_TRUE(ran);
}

TEST(CardMaker, OpensForALoadedSongOnlyAndNotWhileItPlays)
{
    TestApp app;
    app.start();
    TfrmMain *m = app.main();
    QAction *item = m->action(QStringLiteral("mnuCardItem"));
    ASSERT_TRUE(item);
    EXPECT_FALSE(m->mnuEdit->isEnabled()) << "no song list";

    app.openList({QStringLiteral("Song.mid")});
    ASSERT_TRUE(m->songLoaded);
    emit m->mnuEdit->aboutToShow();
    EXPECT_TRUE(item->isEnabled());

    m->ButtonPlayClick();
    EXPECT_FALSE(m->mnuEdit->isEnabled());
    emit m->mnuEdit->aboutToShow();
    EXPECT_FALSE(item->isEnabled());
    m->mnuCardItemClick();
    EXPECT_FALSE(app.dialogs.executed.contains(QStringLiteral("frmCardMaker")));
    m->ButtonStopClick();
    m->mnuCardItemClick();
    EXPECT_TRUE(app.dialogs.executed.contains(QStringLiteral("frmCardMaker")));
}

TEST(CardMaker, ExistingCardIsKeptAsBackupAfterYes)
{
    struct Row {
        const char *what;
        int mode;
        const char *cardAt;
        int answer;
        bool saved;
    };
    const Row rows[] = {
        {"beside the song, replaced", 1, "songs/Song.txt", mb::IdYes, true},
        {"beside the song, kept", 1, "songs/Song.txt", mb::IdNo, false},
        {"in the lyrics folder, replaced", 2, "lyrics/Song.txt", mb::IdYes, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TestApp app;
        app.writeSettings(settings(row.mode, app.path(QStringLiteral("lyrics"))));
        const QByteArray old("1\r\nold\r\n9\r\nlines\r\n");
        const QString card = app.makeFile(QLatin1String(row.cardAt), old);
        app.openList({QStringLiteral("songs/Song.mid")});
        ASSERT_EQ(app.main()->lstWrd.items, (QStringList{"old", "lines"}));

        app.dialogs.answer(row.answer);
        if (!row.saved)
            app.dialogs.answer(mb::IdYes); // close without saving
        const bool ran = withMaker(app, [&](TfrmCardMaker &d) {
            // The card the song has is where the maker starts.
            EXPECT_EQ(d.memLyrics->toPlainText(), QStringLiteral("old\n\nlines"));
            EXPECT_EQ(d.marks(), (QList<int>{1, 9}));
            d.memLyrics->setPlainText(QStringLiteral("new\n\nwords"));
            EXPECT_EQ(d.cmdSaveClick(), row.saved);
            // Refused or written, the lyrics stay in the dialog.
            EXPECT_EQ(d.memLyrics->toPlainText(), QStringLiteral("new\n\nwords"));
        });
        ASSERT_TRUE(ran);
        ASSERT_GE(app.dialogs.boxes.size(), 1);
        EXPECT_TRUE(app.dialogs.boxes.first().text.contains(QStringLiteral("Song.txt.bak")));
        EXPECT_EQ(fileBytes(card), row.saved ? QByteArray("1\r\nnew\r\n9\r\nwords\r\n") : old);
        EXPECT_EQ(QFile::exists(card + QStringLiteral(".bak")), row.saved);
        if (row.saved) {
            EXPECT_EQ(fileBytes(card + QStringLiteral(".bak")), old);
            EXPECT_EQ(app.main()->lstWrd.items, (QStringList{"new", "words"}));
        }
        EXPECT_TRUE(app.dialogs.allUsed());
    }
}

TEST(CardMaker, ReadOnlyFolderSaysWhyAndKeepsTheLyrics)
{
    TestApp app;
    app.writeSettings(settings());
    app.openList({QStringLiteral("ro/Song.mid")});
    ASSERT_TRUE(app.main()->songLoaded);
    const QByteArray folder = QFile::encodeName(app.path(QStringLiteral("ro")));
    ASSERT_EQ(::chmod(QFile::encodeName(app.dir()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);

    app.dialogs.answer(mb::IdOk);  // the failure
    app.dialogs.answer(mb::IdYes); // close without saving
    bool asNobody = false;
    const bool ran = withMaker(app, [&](TfrmCardMaker &d) {
        d.memLyrics->setPlainText(QStringLiteral("haru"));
        d.cmdPlayClick();
        app.device.advance(4);
        d.cmdNextClick();
        d.cmdStopClick();
        ASSERT_EQ(d.marks(), (QList<int>{5}));
        // Root writes anywhere: the save is done as nobody.
        if (::geteuid() == 0)
            asNobody = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        const bool saved = d.cmdSaveClick();
        if (asNobody) {
            ASSERT_EQ(::seteuid(0), 0);
            ASSERT_EQ(::setegid(0), 0);
        }
        if (::geteuid() == 0 && !asNobody)
            return;
        EXPECT_FALSE(saved);
        EXPECT_EQ(d.memLyrics->toPlainText(), QStringLiteral("haru"));
        EXPECT_EQ(d.marks(), (QList<int>{5}));
    });
    ::chmod(folder.constData(), 0755);
    ASSERT_TRUE(ran);
    if (::geteuid() == 0 && !asNobody)
        GTEST_SKIP() << "cannot give up root here";
    ASSERT_EQ(app.dialogs.boxes.size(), 2);
    EXPECT_TRUE(app.dialogs.allUsed());
    EXPECT_TRUE(app.dialogs.boxes.first().text.startsWith(QStringLiteral("歌詞カードを保存できません。")));
    EXPECT_TRUE(app.dialogs.boxes.first().text.endsWith(QStringLiteral("アクセス権がありません。")));
    EXPECT_FALSE(QFile::exists(app.path(QStringLiteral("ro/Song.txt"))));
}

TEST(CardMaker, UnsavedLyricsOrMarksAreNotDroppedByEscOrClose)
{
    struct Row {
        const char *what;
        bool change;
        int answer; // to the close question, 0 for none asked
        bool closes;
    };
    const Row rows[] = {
        {"nothing changed closes at once", false, 0, true},
        {"changed, No stays open", true, mb::IdNo, false},
        {"changed, Yes closes", true, mb::IdYes, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TestApp app;
        app.openList({QStringLiteral("Song.mid")});
        if (row.answer)
            app.dialogs.answer(row.answer);
        const bool ran = withMaker(app, [&](TfrmCardMaker &d) {
            bool closed = false;
            QObject guard; // the close click after this script must not reach `closed`
            QObject::connect(&d, &QDialog::finished, &guard, [&closed] { closed = true; });
            if (row.change)
                d.memLyrics->setPlainText(QStringLiteral("haru"));
            d.cmdPlayClick();
            d.reject(); // Esc while playing only stops
            EXPECT_FALSE(d.isPlaying());
            EXPECT_FALSE(closed);
            d.reject();
            EXPECT_EQ(closed, row.closes);
            if (!closed) {
                EXPECT_EQ(d.memLyrics->toPlainText(), QStringLiteral("haru"));
                app.dialogs.answer(mb::IdYes);
            }
        });
        ASSERT_TRUE(ran);
        EXPECT_EQ(app.dialogs.boxes.size(), row.change ? (row.closes ? 1 : 2) : 0);
        EXPECT_TRUE(app.dialogs.allUsed());
    }
}

TEST(CardMaker, OpensLyricsFromATextFile)
{
    struct Row {
        const char *what;
        QByteArray bytes; // empty: no such file
        QString text;     // in the lyrics field afterwards
        bool refused;
    };
    const QString sakura = QStringLiteral("さくら\n\nさくら");
    QStringEncoder sjis("Shift_JIS");
    const Row rows[] = {
        {"UTF-8", sakura.toUtf8(), sakura, false},
        {"Shift-JIS", QByteArray(sjis.encode(QStringLiteral("さくら\r\n\r\nさくら"))), sakura,
         false},
        {"a card gives its pages", "1\r\nharu\r\n9\r\nnatsu\r\n", QStringLiteral("haru\n\nnatsu"),
         false},
        {"no such file", QByteArray(), QStringLiteral("typed"), true},
        {"larger than 1 MB", QByteArray(1024 * 1024 + 1, 'a'), QStringLiteral("typed"), true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TestApp app;
        app.openList({QStringLiteral("Song.mid")});
        const QString lyrics = row.bytes.isEmpty()
                                   ? app.path(QStringLiteral("none.txt"))
                                   : app.makeFile(QStringLiteral("lyrics.txt"), row.bytes);
        app.dialogs.openFile(lyrics);
        app.dialogs.answer(mb::IdYes); // close without saving
        const bool ran = withMaker(app, [&](TfrmCardMaker &d) {
            d.memLyrics->setPlainText(QStringLiteral("typed"));
            d.cmdOpenText->click();
            EXPECT_EQ(d.memLyrics->toPlainText(), row.text);
        });
        ASSERT_TRUE(ran);
        ASSERT_EQ(app.dialogs.boxes.size(), row.refused ? 2 : 1);
        if (row.refused) {
            EXPECT_TRUE(app.dialogs.boxes.first().text.startsWith(
                QStringLiteral("歌詞を読み込めません。")));
        }
        EXPECT_TRUE(app.dialogs.allUsed());
    }
}

TEST(CardMaker, LyricsFolderNotChosenIsRefused)
{
    TestApp app;
    app.writeSettings(settings(2, QString()));
    app.openList({QStringLiteral("KazoonMakerNoFolder.mid")});
    app.dialogs.answer(mb::IdOk);  // the refusal
    app.dialogs.answer(mb::IdYes); // close without saving
    const QString rootCard = QStringLiteral("/KazoonMakerNoFolder.txt");
    const bool ran = withMaker(app, [&](TfrmCardMaker &d) {
        d.memLyrics->setPlainText(QStringLiteral("haru"));
        d.cmdPlayClick();
        d.cmdNextClick();
        d.cmdStopClick();
        EXPECT_FALSE(d.cmdSaveClick());
    });
    ASSERT_TRUE(ran);
    EXPECT_FALSE(QFile::exists(rootCard));
    QFile::remove(rootCard);
    ASSERT_EQ(app.dialogs.boxes.size(), 2);
    EXPECT_TRUE(app.dialogs.boxes.first().text.contains(QStringLiteral("フォルダが指定されていません")));
    EXPECT_TRUE(app.dialogs.allUsed());
}

namespace {

// A song of 16 beats whose text events carry two karaoke pages: from beat 4
// and from beat 8 (shown from steps 13 and 29).
QString karaokeSong(TestApp &app, bool withLyrics)
{
    smf::SmfWriter w(1, 480);
    smf::Track &notes = w.addTrack();
    notes.bpm(120);
    for (int beat = 0; beat < 16; ++beat)
        notes.note(0, 60, 100, 480);
    if (withLyrics)
        w.addTrack().at(1920).text("\\Twin").text("kle ").text("twinkle").at(2400).text("/Little star")
            .at(3840).text("\\How I wonder");
    const QString path = app.path(QStringLiteral("song.mid"));
    w.writeFile(path.toStdString());
    return path;
}

} // namespace

TEST(CardMaker, SongLyricsButtonFillsTheLyricsAndMarksAndTheCardIsSavedFromThere)
{
    EngineShow show(engine::Driver::Mode::Manual);
    show.app.writeSettings(settings());
    TfrmMain *m = show.open({QStringLiteral("0 ") + karaokeSong(show.app, true)});
    ASSERT_TRUE(m->songLoaded);
    show.app.dialogs.answer(mb::IdOk); // saved
    const bool ran = withMaker(show.app, [&](TfrmCardMaker &d) {
        EXPECT_EQ(d.cmdSongLyrics->text(), QStringLiteral("曲の歌詞を読み込む(&E)"));
        d.cmdSongLyrics->click();
        EXPECT_EQ(d.memLyrics->toPlainText(), QStringLiteral("Twinkle twinkle\nLittle star\n\nHow I wonder"));
        EXPECT_EQ(d.marks(), (QList<int>{13, 29}));
        EXPECT_EQ(marksIn(d.grdMarks), (QList<int>{13, 29}));
        // A performer moves one page turn and saves.
        d.grdMarks->setCurrentCell(1, 0);
        d.cmdMinus->click();
        EXPECT_TRUE(d.cmdSaveClick());

        d.cmdPlayClick();
        EXPECT_FALSE(d.cmdSongLyrics->isEnabled()) << "not while the pages are tapped";
        d.cmdStopClick();
        EXPECT_TRUE(d.cmdSongLyrics->isEnabled());
    });
    ASSERT_TRUE(ran);
    EXPECT_EQ(fileBytes(show.app.path(QStringLiteral("song.txt"))),
              QByteArray("13\r\nTwinkle twinkle\r\nLittle star\r\n28\r\nHow I wonder\r\n"));
    // The card file now stands before the song's own lyrics.
    EXPECT_EQ(m->frmWrd->windowTitle(), QStringLiteral("歌詞カード - song.txt"));
    EXPECT_EQ(m->lstStepMarks, (QList<int>{13, 28}));
    EXPECT_TRUE(show.app.dialogs.allUsed());
}

TEST(CardMaker, SongLyricsButtonAsksBeforeReplacingAndSaysWhenTheSongHasNone)
{
    struct Row {
        const char *what;
        bool songHasLyrics;
        int answer; // to the question, 0 for none asked
        bool replaced;
    };
    const Row rows[] = {
        {"no lyrics in the song", false, 0, false},
        {"typed lyrics, No keeps them", true, mb::IdNo, false},
        {"typed lyrics, Yes replaces them", true, mb::IdYes, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EngineShow show(engine::Driver::Mode::Manual);
        show.app.writeSettings(settings());
        show.open({QStringLiteral("0 ") + karaokeSong(show.app, row.songHasLyrics)});
        if (row.answer)
            show.app.dialogs.answer(row.answer);
        show.app.dialogs.answer(mb::IdYes); // close without saving
        const bool ran = withMaker(show.app, [&](TfrmCardMaker &d) {
            d.memLyrics->setPlainText(QStringLiteral("typed"));
            d.cmdSongLyrics->click();
            EXPECT_EQ(d.memLyrics->toPlainText(),
                      row.replaced ? QStringLiteral("Twinkle twinkle\nLittle star\n\nHow I wonder")
                                   : QStringLiteral("typed"));
            EXPECT_EQ(d.marks(), row.replaced ? (QList<int>{13, 29}) : QList<int>());
        });
        ASSERT_TRUE(ran);
        ASSERT_EQ(show.app.dialogs.boxes.size(), 2);
        const auto &box = show.app.dialogs.boxes.first();
        if (row.songHasLyrics) {
            EXPECT_EQ(box.text, QStringLiteral("歌詞カードは保存されていません。\r\n"
                                               "今の歌詞とステップを、曲に入っている歌詞で置き換えますか?"));
            EXPECT_EQ(box.flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
        } else {
            EXPECT_EQ(box.text, QStringLiteral("この曲には歌詞が入っていません。\r\n"
                                               "歌詞を入力するか、テキストファイルを開いてください。"));
        }
        EXPECT_TRUE(show.app.dialogs.allUsed());
    }
}
