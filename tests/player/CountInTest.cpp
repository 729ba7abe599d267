#include <QCheckBox>
#include <QComboBox>
#include <QFile>

#include "PlayerFixture.h"
#include "options/ClickPage.h"
#include "songlist/PerSongSettings.h"
#include "songlist/SongSettings.h"
#include "songlist/TfrmSong.h"

namespace kazoon::test {
namespace {

class CountIn : public PlayerTest {
protected:
    void setDefaultCount(int bars)
    {
        w->frmOption->clickPage->cmbCountDefault->setCurrentIndex(bars);
        w->frmOption->clickPage->accept();
    }
    // The selected song's count through its settings dialog.
    void setSongCount(int bars, bool clickDuringSong)
    {
        app.dialogs.onExec([=](QDialog *d) {
            auto *dialog = static_cast<TfrmSong *>(d);
            dialog->cmbCount->setCurrentIndex(bars);
            dialog->chkClick->setChecked(clickDuringSong);
            dialog->OKBtn->click();
            return dialog->result();
        });
        w->mnuSongItem->trigger();
    }
};

// A count leads into a start from the top and from standby; a marked song
// running on, a start from where a stop left the song and a lesson passage
// start without one.
TEST_F(CountIn, BeforeAStartFromTheTopOrStandbyOnly)
{
    setList({{"a.mid", 32, true}, {"b.mid", 48, false}, {"c.mid", 64, false}});
    setDefaultCount(2);
    w->ButtonPlayClick();
    EXPECT_EQ(dev.lastPlayCount, 2) << "from the top";
    playOn(8); // the bar follows the song, and goes back to the top with the next
    dev.finish();
    tick();
    ASSERT_EQ(current(), 1);
    EXPECT_EQ(dev.lastPlayCount, 0) << "the marked song's follower runs straight on";
    playOn(5);
    w->ButtonStopClick();
    w->ButtonPlayClick();
    EXPECT_EQ(dev.lastPlayCount, 0) << "on from where the stop left it";
    w->ButtonStopClick();
    w->ButtonPrevClick();
    w->ButtonPlayClick();
    EXPECT_EQ(dev.lastPlayCount, 2) << "back at the top";
    w->ButtonStopClick();

    setQs(true);
    w->lstLive->setItemIndex(2);
    w->LoadSelectedSong();
    w->ButtonSBClick();
    EXPECT_EQ(dev.lastPlayCount, 0) << "the standby run";
    playOn(20);
    ASSERT_EQ(w->playerState, StandbyDone);
    setDefaultCount(1);
    w->ButtonPlayClick();
    EXPECT_EQ(dev.lastPlayCount, 1) << "from the standby point";
}

TEST_F(CountIn, TheSongsOwnCountAndClickComeFromItsSettings)
{
    setList({{"a.mid", 32, false}, {"b.mid", 48, false}});
    setDefaultCount(1);
    setSongCount(0, true);
    EXPECT_TRUE(dev.clickDuringSong) << "heard at once on the loaded song";
    EXPECT_TRUE(w->listModified);
    w->ButtonPlayClick();
    EXPECT_EQ(dev.lastPlayCount, 0);
    w->ButtonStopClick();

    // Another song keeps the default, also when the default changes later.
    w->lstLive->setItemIndex(1);
    w->LoadSelectedSong();
    EXPECT_FALSE(dev.clickDuringSong);
    setSongCount(1, false); // the default as shown: nothing of its own
    EXPECT_EQ(w->songSettings().settings().value(songPath("b.mid")).count, songlist::SongCount{});
    setDefaultCount(2);
    w->ButtonPlayClick();
    EXPECT_EQ(dev.lastPlayCount, 2);
    w->ButtonStopClick();

    w->lstLive->setItemIndex(0);
    w->LoadSelectedSong();
    EXPECT_TRUE(dev.clickDuringSong) << "the song's own, given again at its load";
    EXPECT_EQ(w->songSettings().settings().value(songPath("a.mid")).count, (songlist::SongCount{0, true}));
}

} // namespace
} // namespace kazoon::test
