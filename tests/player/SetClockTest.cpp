#include <QCoreApplication>
#include <QLabel>
#include <QListWidgetItem>
#include <gtest/gtest.h>

#include "support/TestApp.h"
#include "app/MainWindow.h"
#include "app/ShowRecorder.h"
#include "player/SetClock.h"
#include "smf/SmfWriter.h"
#include "songlist/CheckListBox.h"

using namespace kazoon;
using namespace kazoon::player;
using kazoon::test::TestApp;

namespace {

// A song of `quarters` quarter notes at 120 beats a minute (half a second each).
QByteArray songBytes(int quarters, std::uint32_t usPerQuarter = 500000)
{
    smf::SmfWriter writer(0, 480);
    writer.addTrack().tempo(usPerQuarter).note(0, 60, 100, std::uint32_t(quarters) * 480);
    const std::vector<std::uint8_t> bytes = writer.bytes();
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

SongTiming known(std::int64_t seconds)
{
    SongTiming t;
    t.known = true;
    t.lengthUs = seconds * 1'000'000;
    return t; // 480 ppqn at 120 beats a minute: 8 steps a second
}

TEST(SetClock, TimeLeftInTheSet)
{
    const SongTiming unknown;
    struct Row {
        const char *name;
        std::vector<SongTiming> songs;
        std::vector<int> tempos;
        int current;
        std::int64_t position;
        bool lastRepeats;
        QString text;
    };
    const Row rows[] = {
        {"whole set from the top", {known(60), known(90)}, {}, 0, 0, false, "残り 2分30秒"},
        {"half of the first song played", {known(60), known(90)}, {}, 0, 240, false, "残り 2分0秒"},
        {"only what follows counts", {known(60), known(90)}, {}, 1, 0, false, "残り 1分30秒"},
        {"an unknown song on the way", {known(60), unknown, known(30)}, {}, 0, 0, false, "残り 約1分30秒以上"},
        {"an unknown song behind", {unknown, known(60), known(30)}, {}, 1, 0, false, "残り 1分30秒"},
        {"the current song unknown", {known(60), unknown, known(30)}, {}, 1, 80, false, "残り 約0分30秒以上"},
        {"nothing known", {unknown, unknown}, {}, 0, 0, false, "残り 不明"},
        {"the last song repeats", {known(60)}, {}, 0, 0, true, "残り 約1分0秒以上"},
        {"the end of the set", {known(60)}, {}, 0, 480, false, "残り 0分0秒"},
        {"past the end", {known(60)}, {}, 0, 9999, false, "残り 0分0秒"},
        // Each song at the tempo it is played at.
        {"the next song at double tempo", {known(60), known(90)}, {100, 200}, 0, 0, false, "残り 1分45秒"},
        {"the current song at half tempo", {known(60), known(90)}, {50, 100}, 0, 0, false, "残り 3分30秒"},
        {"the rest of a song at half tempo", {known(60), known(90)}, {50, 100}, 0, 240, false, "残り 2分30秒"},
        {"tempi of the songs behind do not count", {known(60), known(90)}, {200, 50}, 1, 0, false, "残り 3分0秒"},
        {"a tempo missing counts as the song's own", {known(60), known(90)}, {200}, 0, 0, false, "残り 2分0秒"},
        {"an unknown song at a tempo", {known(60), unknown}, {150, 200}, 0, 0, false, "残り 約0分40秒以上"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(timeLeftText(timeLeft(r.songs, r.tempos, r.current, r.position, r.lastRepeats)), r.text)
            << r.name;
    EXPECT_EQ(timeLeftText(noTimeLeft()), "残り 0分0秒");
    EXPECT_EQ(timeLeftText(std::nullopt), "残り 計算中");
    // A second begun is a second left.
    TimeLeft oneUs;
    oneUs.us = 1;
    oneUs.anyKnown = true;
    EXPECT_EQ(timeLeftText(oneUs), "残り 0分1秒");
    EXPECT_EQ(elapsedText(0), "経過 0分0秒");
    EXPECT_EQ(elapsedText(125'999), "経過 2分5秒");
    EXPECT_EQ(elapsedText(3'725'000), "経過 62分5秒");
    EXPECT_EQ(elapsedText(-5000), "経過 0分0秒"); // the clock set back
}

TEST(SetClock, SongTimingsThroughTheMidiFileReader)
{
    TestApp app;
    const SongTiming slow = readSongTiming(app.makeFile("slow.mid", songBytes(10, 1'000'000)));
    EXPECT_TRUE(slow.known);
    EXPECT_EQ(slow.lengthUs, 10'000'000);
    EXPECT_EQ(slow.tempo.tickToUs(slow.tempo.stepToTick(4)), 1'000'000);
    for (const QString &bad : {app.makeFile("garbage.mid", "MThd garbage"), app.path("missing.mid"),
                               app.dir()})
        EXPECT_FALSE(readSongTiming(bad).known) << bad.toStdString();
}

TEST(SetClock, ANewerListWinsOverAnOlderRead)
{
    TestApp app;
    QStringList first, second;
    for (int i = 0; i < 50; ++i)
        first << app.makeFile(QStringLiteral("a%1.mid").arg(i), songBytes(2));
    second << app.makeFile("b.mid", songBytes(20)) << app.path("missing.mid");
    int ready = 0; // declared first: it outlives the reader that counts into it
    SongLengths lengths;
    QObject::connect(&lengths, &SongLengths::lengthsReady, &lengths, [&ready] { ++ready; });
    lengths.setPaths(first);
    lengths.setPaths(second);
    EXPECT_FALSE(lengths.ready());
    lengths.waitForResult();
    QCoreApplication::processEvents();
    ASSERT_TRUE(lengths.ready());
    EXPECT_EQ(ready, 1);
    ASSERT_EQ(lengths.timings().size(), 2u);
    EXPECT_EQ(lengths.timings()[0].lengthUs, 10'000'000);
    EXPECT_FALSE(lengths.timings()[1].known);
    // The same paths again read nothing.
    lengths.setPaths(second);
    EXPECT_TRUE(lengths.ready());
}

TEST(SetClock, RunsThroughAMedleyWithAnUnknownSong)
{
    qint64 now = 1'000'000; // the window's clock reads it until the window goes
    TestApp app;
    const QString a = app.makeFile("a.mid", songBytes(120)); // 60 s
    const QString b = app.makeFile("b.mid", "not a MIDI file");
    const QString c = app.makeFile("c.mid", songBytes(60)); // 30 s
    app.device.setSong(a, {480, 0});
    app.device.setSong(b, {64, 0});
    app.device.setSong(c, {240, 0});
    const QString list = app.makeList("set.mnu", {"1 " + a, "0 " + b, "0 " + c});
    app.start();
    TfrmMain *w = app.main();
    w->showRecorder().setClock([&] { return now; });
    EXPECT_EQ(w->showRecorder().elapsedLabel()->text(), "");
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "");

    app.dialogs.openFile(list);
    w->action("mnuOpenItem")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 計算中");
    w->showRecorder().songLengths().waitForResult();
    EXPECT_EQ(w->showRecorder().elapsedLabel()->text(), "経過 0分0秒");
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 約1分30秒以上");

    // Time runs from the first Enter, on through the medley.
    now += 5000; // before the show: not counted
    w->showRecorder().refreshClock();
    EXPECT_EQ(w->showRecorder().elapsedLabel()->text(), "経過 0分0秒");
    w->action("ButtonPlay")->trigger();
    app.device.advance(240);
    w->PlayTimerTimer();
    now += 30'000;
    w->showRecorder().refreshClock();
    EXPECT_EQ(w->showRecorder().elapsedLabel()->text(), "経過 0分30秒");
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 約1分0秒以上");

    app.device.finish();
    app.device.deliverNotifications();
    ASSERT_EQ(w->lstLive->itemIndex(), 1);
    ASSERT_TRUE(w->playing);
    now += 31'000;
    w->showRecorder().refreshClock();
    EXPECT_EQ(w->showRecorder().elapsedLabel()->text(), "経過 1分1秒");
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 約0分30秒以上");

    // b ends the medley; c waits, and the clock goes on while the performer talks.
    app.device.finish();
    app.device.deliverNotifications();
    ASSERT_EQ(w->lstLive->itemIndex(), 2);
    ASSERT_FALSE(w->playing);
    now += 60'000;
    w->showRecorder().refreshClock();
    EXPECT_EQ(w->showRecorder().elapsedLabel()->text(), "経過 2分1秒");
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 0分30秒");

    // Another list is another show.
    app.dialogs.openFile(list);
    w->action("mnuOpenItem")->trigger();
    QCoreApplication::processEvents();
    w->showRecorder().songLengths().waitForResult();
    EXPECT_EQ(w->showRecorder().elapsedLabel()->text(), "経過 0分0秒");
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 約1分30秒以上");
}

// The set clock of a show whose first song is played at double tempo, with
// QS mode on for the last song: once that has ended, the set is over, also
// while the song stands by again, until a song is started.
TEST(SetClock, CountsEachSongAtItsTempoAndShowsTheSetOverAfterTheLastSong)
{
    TestApp app;
    const QString a = app.makeFile("a.mid", songBytes(120)); // 60 s, 30 s at 200 %
    const QString b = app.makeFile("b.mid", songBytes(60));  // 30 s
    app.device.setSong(a, {480, 0});
    app.device.setSong(b, {240, 0});
    const QString list = app.makeList("set.mnu", {"0 " + a, "0 " + b});
    app.makeFile("set.mnu.kzs", ("Kazoon song settings 1\r\n0\t200\t100\t" + a + "\r\n").toUtf8());
    app.start();
    TfrmMain *w = app.main();
    app.dialogs.openFile(list);
    w->action("mnuOpenItem")->trigger();
    QCoreApplication::processEvents();
    w->showRecorder().songLengths().waitForResult();
    ASSERT_EQ(w->Player().Adjust().tempoPercent, 200);
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 1分0秒");

    w->action("ButtonPlay")->trigger();
    app.device.advance(240); // half of the song: 15 s at its tempo
    w->PlayTimerTimer();
    w->showRecorder().refreshClock();
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 0分45秒");

    app.device.finish();
    app.device.deliverNotifications();
    ASSERT_EQ(w->lstLive->itemIndex(), 1);
    w->showRecorder().refreshClock();
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 0分30秒");

    w->mnuQsItemClick();
    w->ButtonSBClick();
    app.device.advance(15);
    w->PlayTimerTimer();
    ASSERT_EQ(w->playerState, StandbyDone);
    w->ButtonPlayClick();
    app.device.finish();
    w->PlayTimerTimer(); // the end, and the last song stands by again
    ASSERT_EQ(w->playerState, StandingBy);
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 0分0秒");
    app.device.advance(15);
    w->PlayTimerTimer();
    ASSERT_EQ(w->playerState, StandbyDone);
    w->showRecorder().refreshClock();
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 0分0秒") << "a song stood by is not yet started";

    // Enter starts the last song once more: its rest from the standby step.
    w->ButtonPlayClick();
    EXPECT_EQ(w->showRecorder().timeLeftLabel()->text(), "残り 0分29秒");
}

} // namespace
