#include "options/SongLyricsBoxes.h"

#include <QVBoxLayout>

#include "app/IniFile.h"

namespace kazoon {

namespace {
const QString kWords = QStringLiteral("Words");
const QString kSongLyrics = QStringLiteral("SongLyrics");
const QString kNextLine = QStringLiteral("NextLine");
} // namespace

SongLyricsBoxes::SongLyricsBoxes(QWidget *page) : QWidget(page)
{
    setObjectName(QStringLiteral("SongLyricsBoxes"));
    chkSongWrd = new QCheckBox(QStringLiteral("歌詞カードがないときは曲に入っている歌詞を表示する"), this);
    chkSongWrd->setObjectName(QStringLiteral("chkSongWrd"));
    chkSongWrd->setChecked(true);
    chkNextLine = new QCheckBox(QStringLiteral("次のページの最初の行を表示する"), this);
    chkNextLine->setObjectName(QStringLiteral("chkNextLine"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(chkSongWrd);
    layout->addWidget(chkNextLine);
}

void SongLyricsBoxes::readSettings(const IniFile &ini)
{
    chkSongWrd->setChecked(ini.readBool(kWords, kSongLyrics, true));
    chkNextLine->setChecked(ini.readBool(kWords, kNextLine, false));
}

void SongLyricsBoxes::writeSettings(IniFile &ini) const
{
    ini.writeBool(kWords, kSongLyrics, chkSongWrd->isChecked());
    ini.writeBool(kWords, kNextLine, chkNextLine->isChecked());
}

void SongLyricsBoxes::keep()
{
    keptSongLyrics_ = chkSongWrd->isChecked();
    keptNextLine_ = chkNextLine->isChecked();
}

void SongLyricsBoxes::restore()
{
    chkSongWrd->setChecked(keptSongLyrics_);
    chkNextLine->setChecked(keptNextLine_);
}

} // namespace kazoon
