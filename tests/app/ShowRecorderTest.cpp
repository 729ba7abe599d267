#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "app/ShowRecorder.h"
#include "app/ShowState.h"

namespace kazoon {
namespace {

// The recorder on its own, the window's side played by plain values.
struct Rig {
    QTemporaryDir dir;
    QLabel elapsed, left;
    ShowSnapshot now;
    bool closing = false;
    qint64 clock = 1'000'000;
    std::unique_ptr<ShowRecorder> recorder;

    Rig()
    {
        ShowHost host;
        host.snapshot = [this] { return now; };
        host.lastSongRepeats = [] { return false; };
        host.tempoPercent = [](int) { return 100; };
        host.position = [] { return std::int64_t(0); };
        host.closing = [this] { return closing; };
        recorder = std::make_unique<ShowRecorder>(host, dir.filePath(QStringLiteral("kazoon.ini")),
                                                  &elapsed, &left);
        recorder->setClock([this] { return clock; });
    }
    QString statePath() const { return showStatePath(dir.filePath(QStringLiteral("kazoon.ini"))); }
    ShowStateFile state() const { return readShowStateFile(statePath()); }
};

TEST(ShowRecorder, WritesWhatTheWindowShowsAndOnlyWhenItMay)
{
    const struct {
        const char *name;
        ShowSnapshot now;
        bool closing;
        bool written;
        ShowState expected;
    } cases[] = {
        {"saved list", {"/set.mnu", false, {"0 /a.mid", "1 /b.mid"}, 1}, false, true, {"/set.mnu", 1, false, {}, 0}},
        {"changes kept with the entries", {"/set.mnu", true, {"0 /a.mid"}, 0}, false, true,
         {"/set.mnu", 0, true, {"0 /a.mid"}, 0}},
        {"song index held inside the list", {"/set.mnu", false, {"0 /a.mid"}, 5}, false, true,
         {"/set.mnu", 0, false, {}, 0}},
        {"no songs", {"/set.mnu", false, {}, 0}, false, false, {}},
        {"ending after an error", {"/set.mnu", false, {"0 /a.mid"}, 0}, true, false, {}},
    };
    for (const auto &c : cases) {
        Rig r;
        r.now = c.now;
        r.closing = c.closing;
        r.recorder->changed();
        QCoreApplication::processEvents(); // once the running handler is done
        const ShowStateFile file = r.state();
        EXPECT_EQ(file.status == ShowStateFile::Ok, c.written) << c.name;
        if (c.written) {
            EXPECT_EQ(file.state, c.expected) << c.name;
        }
    }
}

TEST(ShowRecorder, TheCleanCloseRemovesOnlyWhatThisRunWrote)
{
    Rig left; // a state a crash left behind, not yet taken up
    QFile f(left.statePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(showStateBytes({"/old.mnu", 0, false, {}, 0}));
    f.close();
    left.recorder->ended();
    EXPECT_TRUE(QFile::exists(left.statePath())) << "kept for the next start";

    Rig run;
    run.now = {"/set.mnu", false, {"0 /a.mid"}, 0};
    run.recorder->save();
    ASSERT_TRUE(QFile::exists(run.statePath()));
    run.recorder->ended();
    EXPECT_FALSE(QFile::exists(run.statePath()));
    run.recorder->changed();
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFile::exists(run.statePath())) << "nothing is written after the close";
}

TEST(ShowRecorder, TheClockStartsAtTheFirstEnterOnlyAndShowsTheSetOver)
{
    Rig r;
    r.recorder->refreshClock();
    EXPECT_EQ(r.elapsed.text(), QString()) << "no list, no clock";
    r.now = {"/set.mnu", false, {"0 /nowhere.mid"}, 0};
    r.recorder->refreshClock();
    EXPECT_EQ(r.elapsed.text(), QStringLiteral("経過 0分0秒"));
    EXPECT_EQ(r.left.text(), QStringLiteral("残り 計算中"));
    r.recorder->startClock();
    r.clock += 61'000;
    r.recorder->startClock(); // a second Enter does not restart it
    r.recorder->setSetOver(true);
    EXPECT_EQ(r.elapsed.text(), QStringLiteral("経過 1分1秒"));
    EXPECT_EQ(r.left.text(), QStringLiteral("残り 0分0秒"));
    r.recorder->resetClock();
    EXPECT_FALSE(r.recorder->setOver());
    EXPECT_EQ(r.elapsed.text(), QStringLiteral("経過 0分0秒"));
    r.recorder->songLengths().waitForResult();
}

} // namespace
} // namespace kazoon
