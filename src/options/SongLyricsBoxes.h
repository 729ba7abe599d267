#pragma once

#include <QCheckBox>
#include <QWidget>

namespace kazoon {

class IniFile;

// The lyrics page's choices for lyrics beyond the card files: the lyrics the
// song carries when it has no card, and the next page's first line under the
// page. Stored in [Words] as SongLyrics and NextLine.
class SongLyricsBoxes : public QWidget {
    Q_OBJECT
public:
    explicit SongLyricsBoxes(QWidget *page);

    void readSettings(const IniFile &ini);
    void writeSettings(IniFile &ini) const;
    // At the dialog's opening: what Cancel puts back.
    void keep();
    void restore();
    // The song's lyrics were switched on or off since keep(): the cards must
    // be looked up again.
    bool songLyricsChanged() const { return chkSongWrd->isChecked() != keptSongLyrics_; }

    QCheckBox *chkSongWrd = nullptr, *chkNextLine = nullptr;

private:
    bool keptSongLyrics_ = true, keptNextLine_ = false;
};

} // namespace kazoon
