#include "options/LiveSettings.h"

#include "options/ClickPage.h"
#include "options/SongLyricsBoxes.h"
#include "options/TfrmOption.h"

namespace kazoon {

int LiveSettings::standbyOffset() const { return options_ ? options_->StepBar->value() : 0; }

bool LiveSettings::muteStandby() const { return options_ && options_->chkOnMute->isChecked(); }

bool LiveSettings::lessonAllowed() const { return options_ && options_->chkOnLsn->isChecked(); }

bool LiveSettings::repeatAllowed() const { return options_ && options_->chkOnRep->isChecked(); }

bool LiveSettings::showWhileStopped() const
{
    return options_ && options_->chkOnStop->isChecked();
}

LyricsFolderRule LiveSettings::lyricsFolderRule() const
{
    return options_ && options_->RadioWrd2->isChecked() ? LyricsFolderRule::OwnFolder
                                                        : LyricsFolderRule::BesideSong;
}

QString LiveSettings::lyricsFolder() const { return options_ ? options_->txtDir->text() : QString(); }

bool LiveSettings::songLyrics() const
{
    return !options_ || options_->songLyricsBoxes->chkSongWrd->isChecked();
}

bool LiveSettings::showNextLine() const
{
    return options_ && options_->songLyricsBoxes->chkNextLine->isChecked();
}

} // namespace kazoon

namespace kazoon {

ClickOptions LiveSettings::click() const { return options_ ? options_->clickPage->inForce() : ClickOptions(); }

} // namespace kazoon
