#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolBar>
#include <gtest/gtest.h>
#include <ostream>

#include "support/TestApp.h"
#include "app/Command.h"
#include "app/MainWindow.h"
#include "options/TfrmOption.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"

namespace kazoon::test {

// What the player panel shows: the state, the four commands, the bar and the
// lock, compared in one go so that a table row reads as the state it expects.
struct Panel {
    int state = NoSong;
    bool sb = false, play = false, playDown = false, stop = false, prev = false;
    bool bar = false;
    int pos = 0;
    bool playing = false;

    bool operator==(const Panel &) const = default;
    friend std::ostream &operator<<(std::ostream &os, const Panel &p)
    {
        return os << "{state " << p.state << ", sb " << p.sb << ", play " << p.play << " down "
                  << p.playDown << ", stop " << p.stop << ", prev " << p.prev << ", bar " << p.bar
                  << " at " << p.pos << ", playing " << p.playing << "}";
    }
};

inline Panel panelOf(const TfrmMain *w)
{
    Panel p;
    p.state = w->playerState;
    p.sb = w->cmdSB->button()->isEnabled();
    p.play = w->cmdPlay->button()->isEnabled();
    p.playDown = w->cmdPlay->isDown();
    p.stop = w->cmdStop->button()->isEnabled();
    p.prev = w->cmdPrev->button()->isEnabled();
    p.bar = w->trackBar->isEnabled();
    p.pos = w->trackBar->Position();
    p.playing = w->playing;
    return p;
}

class PlayerTest : public ::testing::Test {
protected:
    struct SongSpec {
        const char *name;
        std::int64_t steps = 64;
        bool marked = false;
    };

    TestApp app;
    FakeDevice &dev = app.device;
    TfrmMain *w = nullptr;

    void SetUp() override { w = app.start().main(); }

    // Fills the song list as opening a list file does and loads the first song.
    void setList(std::initializer_list<SongSpec> songs)
    {
        for (const SongSpec &s : songs) {
            const QString name = QString::fromLatin1(s.name);
            const QString path = app.makeSong(name, {s.steps, 0});
            w->lstLive->addLine(name, s.marked);
            w->lstDmy.items << QString(s.marked ? QStringLiteral("1 ") : QStringLiteral("0 ")) + path;
        }
        w->mnuPlayer->setEnabled(true);
        w->lstLive->setItemIndex(0);
        w->LoadSelectedSong();
    }

    QString songPath(const char *name) const { return app.path(QString::fromLatin1(name)); }

    Panel panel() const { return panelOf(w); }

    // One tick of the 50 ms position timer, which must be running.
    void tick()
    {
        ASSERT_TRUE(w->PlayTimer.isActive());
        w->PlayTimerTimer();
    }
    // The end of the 300 ms delay, which must be pending.
    void lag()
    {
        ASSERT_TRUE(w->LagTimer.isActive());
        w->LagTimerTimer();
    }
    // Plays on by `steps` and lets the timer follow.
    void playOn(int steps)
    {
        dev.advance(steps);
        tick();
    }

    QString step() const { return w->lblStep->text(); }
    QString info() const { return w->lblInfo->text(); }
    int current() const { return w->lstLive->itemIndex(); }
    int opens() const { return int(dev.calls.filter(QStringLiteral("Open ")).size()); }
    bool locked() const { return !w->lstLive->isEnabled(); }
    void setOffset(int offset) { w->frmOption->StepBar->setValue(offset); }
    void setQs(bool on)
    {
        if (w->cmdQs->isDown() != on)
            w->mnuQsItemClick();
    }
};

} // namespace kazoon::test
