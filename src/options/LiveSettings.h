#pragma once

#include <QString>

#include "options/ClickOptions.h"
#include "options/MidiClockOptions.h"

namespace kazoon {

class TfrmOption;

// Where the lyrics cards are kept; the values are those of the settings file.
enum class LyricsFolderRule { BesideSong = 1, OwnFolder = 2 };

// The options as the rest of the program reads them. The options dialog's
// controls hold the values, so a change made there counts at once; without
// the dialog every option has its default.
class LiveSettings {
public:
    explicit LiveSettings(const TfrmOption *options) : options_(options) {}

    int standbyOffset() const; // -15..16, added to the standby step
    bool muteStandby() const;  // the standby run sends no notes
    bool lessonAllowed() const;
    bool repeatAllowed() const; // the last song may carry a medley mark
    bool showWhileStopped() const; // lyrics stay visible while stopped
    LyricsFolderRule lyricsFolderRule() const;
    QString lyricsFolder() const; // for OwnFolder
    bool songLyrics() const;   // a song without a card shows the lyrics it carries
    bool showNextLine() const; // the next page's first line shows under the page
    MidiClockOptions midiClock() const; // in force (changed on OK)
    ClickOptions click() const;   // in force (changed on OK)

private:
    const TfrmOption *options_;
};

} // namespace kazoon
