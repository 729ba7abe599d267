#include <gtest/gtest.h>

#include "options/LiveSettings.h"
#include "options/TfrmOption.h"

using namespace kazoon;

TEST(LiveSettings, ReadsWhatTheOptionControlsHoldAtEachMoment)
{
    TfrmOption dialog{OptionsContext{}};
    const LiveSettings live(&dialog);

    struct Row {
        int offset;
        bool lesson, repeat, onStop, ownFolder, mute;
        const char *folder;
    };
    const Row rows[] = {
        {0, false, false, false, false, false, ""},
        {-15, true, false, true, true, true, "/songs/歌詞"},
        {16, false, true, false, false, true, "/kept"},
        {7, true, true, true, true, false, ""},
    };
    for (const Row &r : rows) {
        dialog.StepBar->setValue(r.offset);
        dialog.chkOnLsn->setChecked(r.lesson);
        dialog.chkOnRep->setChecked(r.repeat);
        dialog.chkOnStop->setChecked(r.onStop);
        dialog.chkOnMute->setChecked(r.mute);
        (r.ownFolder ? dialog.RadioWrd2 : dialog.RadioWrd1)->setChecked(true);
        dialog.txtDir->setText(QString::fromUtf8(r.folder));

        SCOPED_TRACE(r.offset);
        EXPECT_EQ(live.standbyOffset(), r.offset);
        EXPECT_EQ(live.lessonAllowed(), r.lesson);
        EXPECT_EQ(live.repeatAllowed(), r.repeat);
        EXPECT_EQ(live.showWhileStopped(), r.onStop);
        EXPECT_EQ(live.muteStandby(), r.mute);
        EXPECT_EQ(live.lyricsFolderRule(),
                  r.ownFolder ? LyricsFolderRule::OwnFolder : LyricsFolderRule::BesideSong);
        EXPECT_EQ(live.lyricsFolder(), QString::fromUtf8(r.folder));
    }
}

TEST(LiveSettings, WithoutTheDialogEveryOptionHasItsDefault)
{
    const LiveSettings live(nullptr);
    EXPECT_EQ(live.standbyOffset(), 0);
    EXPECT_FALSE(live.lessonAllowed());
    EXPECT_FALSE(live.repeatAllowed());
    EXPECT_FALSE(live.showWhileStopped());
    EXPECT_FALSE(live.muteStandby());
    EXPECT_EQ(live.lyricsFolderRule(), LyricsFolderRule::BesideSong);
    EXPECT_EQ(live.lyricsFolder(), QString());
}
