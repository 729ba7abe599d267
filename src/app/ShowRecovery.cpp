// The show's state file (reopening the show after a crash) and the set clock
// of the main window.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/SafeFile.h"
#include "app/ShortText.h"
#include "app/ShowState.h"
#include "player/SequencerDevice.h"
#include "player/SetClock.h"
#include "player/TrackBar.h"
#include "songlist/CheckListBox.h"
#include "songlist/SongListFile.h"

namespace kazoon {

namespace {

const QString kRestoreQuestion =
    QStringLiteral("カズーンは前回、正しく終了しませんでした。\r\n"
                   "前回の演奏の続きから、曲リストを開き直しますか？\r\n\r\n");
const QString kCannotRestore = QStringLiteral("前回の演奏の曲リストを開き直せません。\r\n\r\n");
const QString kDamagedText =
    QStringLiteral("前回の演奏の記録ファイルが壊れているため、曲リストを開き直せません。\r\n"
                   "記録ファイルは削除します。\r\n\r\n");
const QString kListGoneText = QStringLiteral("次の曲リストファイルが見つかりません。\r\n");
const QString kListChangedText =
    QStringLiteral("曲リストファイルが壊れているか、前回の演奏のあとで変更されています。\r\n");
const QString kSongGoneText =
    QStringLiteral("リストに書かれている、次の曲ファイルが見つかりません。\r\n"
                   "パスとファイル名が正しいか確認してください。\r\n");
// A list or a song on a drive not yet connected: the show can still come back.
const QString kTryAgainText =
    QStringLiteral("\r\n\r\nファイルを確かめてからカズーンをもう一度起動すると、"
                   "続きから開き直せます。");

QString listName(const ShowState &s)
{
    return s.listPath.isEmpty() ? QStringLiteral("新規曲リスト")
                                : shortenMiddle(QFileInfo(s.listPath).fileName());
}

} // namespace

void TfrmMain::showStateChanged()
{
    if (!showEnded_)
        showStateTimer.start();
}

void TfrmMain::saveShowState()
{
    if (showEnded_ || terminating_ || lstDmy.count() == 0)
        return;
    ShowState s;
    s.listPath = isNewList() ? QString() : listFileName;
    s.songIndex = qBound(0, songIndex, lstDmy.count() - 1);
    s.modified = listModified || isNewList();
    if (s.modified)
        s.entries = lstDmy.items;
    s.startedMs = showStartedMs;
    const QByteArray bytes = showStateBytes(s);
    const QString path = showStatePath(env_.settingsPath);
    // Losing the state file costs nothing on stage: no box, the show goes on.
    if (!bytes.isEmpty()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (replaceFile(path, bytes).result == FileWrite::Ok)
            showStateWritten_ = true;
        else
            qWarning("kazoon: the show state file cannot be written: %s", qPrintable(path));
    }

    QStringList paths;
    paths.reserve(lstDmy.count());
    for (int i = 0; i < lstDmy.count(); ++i)
        paths << songPath(i);
    songLengths->setPaths(paths);
    setClockTimer.start();
    refreshSetClock();
}

void TfrmMain::removeShowState()
{
    showStateTimer.stop();
    showEnded_ = true;
    // A state this run never took up (a show not yet restored) is left for
    // the next start.
    if (showStateWritten_)
        QFile::remove(showStatePath(env_.settingsPath));
}

void TfrmMain::offerShowRestore()
{
    const QString path = showStatePath(env_.settingsPath);
    const ShowStateFile file = readShowStateFile(path);
    if (file.status == ShowStateFile::Absent)
        return;
    const auto stop = mb::Ok | mb::IconStop;
    if (file.status == ShowStateFile::Damaged) {
        showMessage(kDamagedText + shortenMiddle(path), kAppTitle, stop);
        QFile::remove(path);
        return;
    }
    const ShowState &s = file.state;
    const QString where =
        QStringLiteral("曲リスト: ") + listName(s) + QStringLiteral("\r\n")
        + QStringLiteral("%1曲目").arg(s.songIndex + 1)
        + (s.modified ? QStringLiteral("（保存していない変更があります）") : QString());
    if (showMessage(kRestoreQuestion + where, kAppTitle, mb::YesNo | mb::IconQuestion)
        != mb::IdYes) {
        QFile::remove(path);
        return;
    }

    // A saved list is read again from its file, as Open reads it.
    QStringList lines = s.entries;
    if (!s.modified) {
        // A pipe or a folder in its place is refused without being read.
        const songlist::ReadResult read = songlist::readFile(s.listPath);
        if (read.status == songlist::ReadResult::Unreadable) {
            showMessage(kCannotRestore + kListGoneText + shortenMiddle(s.listPath) + kTryAgainText,
                        kAppTitle, stop);
            return;
        }
        lines = read.lines;
        if (read.status == songlist::ReadResult::TooLarge || songlist::firstBrokenLine(lines) >= 0
            || s.songIndex >= lines.size()) {
            showMessage(kCannotRestore + kListChangedText + shortenMiddle(s.listPath), kAppTitle,
                        stop);
            QFile::remove(path);
            return;
        }
    }
    if (const int missing = songlist::firstMissingSong(lines); missing >= 0) {
        showMessage(kCannotRestore + kSongGoneText
                        + shortenMiddle(songlist::entryPath(lines.at(missing))) + kTryAgainText,
                    kAppTitle, stop);
        return;
    }

    showList(s.listPath, lines, s.songIndex);
    listModified = listModified || s.modified;
    showStartedMs = s.startedMs;
    showStateChanged();
}

void TfrmMain::resetSetClock()
{
    showStartedMs = 0;
    setOver = false;
    refreshSetClock();
}

void TfrmMain::startSetClock()
{
    if (showStartedMs != 0)
        return;
    showStartedMs = clockNow();
    showStateChanged();
    refreshSetClock();
}

void TfrmMain::refreshSetClock()
{
    const auto setText = [](QLabel *label, const QString &text) {
        if (label->text() != text)
            label->setText(text);
    };
    const int n = lstDmy.count();
    if (n == 0) {
        setText(lblElapsed, QString());
        setText(lblTimeLeft, QString());
        return;
    }
    setText(lblElapsed, player::elapsedText(showStartedMs == 0 ? 0 : clockNow() - showStartedMs));
    std::optional<player::TimeLeft> left;
    if (setOver) {
        left = player::noTimeLeft();
    } else if (songLengths->ready() && int(songLengths->timings().size()) == n) {
        const bool lastRepeats = lstLive->count() == n && lstLive->isChecked(n - 1);
        const int current = qBound(0, songIndex, n - 1);
        std::vector<int> tempos;
        tempos.reserve(std::size_t(n));
        for (int i = 0; i < n; ++i)
            tempos.push_back(songSettings.value(songPath(i)).clamped().tempoPercent);
        // The loaded song as it is heard, also while its settings dialog tries a tempo.
        if (songLoaded && songFileName == songPath(current))
            tempos[std::size_t(current)] = Player().Adjust().tempoPercent;
        left = player::timeLeft(songLengths->timings(), tempos, current,
                                songLoaded ? trackBar->Position() : 0, lastRepeats);
    }
    setText(lblTimeLeft, player::timeLeftText(left));
}

} // namespace kazoon
