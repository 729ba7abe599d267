#include "app/ShowRecorder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include "app/AppTitle.h"
#include "app/Dialogs.h"
#include "app/SafeFile.h"
#include "app/ShortText.h"
#include "app/ShowState.h"
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

ShowRecorder::ShowRecorder(ShowHost host, QString settingsPath, QLabel *elapsed, QLabel *timeLeft)
    : host_(std::move(host)), settingsPath_(std::move(settingsPath)), elapsed_(elapsed),
      timeLeft_(timeLeft), now_([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(0);
    QObject::connect(&saveTimer_, &QTimer::timeout, &saveTimer_, [this] { save(); });
    clockTimer_.setInterval(500);
    QObject::connect(&clockTimer_, &QTimer::timeout, &clockTimer_, [this] { refreshClock(); });
    QObject::connect(&songLengths_, &player::SongLengths::lengthsReady, &songLengths_,
                     [this] { refreshClock(); });
}

ShowRecorder::~ShowRecorder() = default;

void ShowRecorder::changed()
{
    if (!ended_)
        saveTimer_.start();
}

void ShowRecorder::save()
{
    const ShowSnapshot now = host_.snapshot();
    const int n = int(now.entries.size());
    if (ended_ || host_.closing() || n == 0)
        return;
    ShowState s;
    s.listPath = now.listPath;
    s.songIndex = qBound(0, now.songIndex, n - 1);
    s.modified = now.modified;
    if (s.modified)
        s.entries = now.entries;
    s.startedMs = startedMs_;
    const QByteArray bytes = showStateBytes(s);
    const QString path = showStatePath(settingsPath_);
    // Losing the state file costs nothing on stage: no box, the show goes on.
    if (!bytes.isEmpty()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (replaceFile(path, bytes).result == FileWrite::Ok)
            written_ = true;
        else
            qWarning("kazoon: the show state file cannot be written: %s", qPrintable(path));
    }

    QStringList paths;
    paths.reserve(n);
    for (const QString &entry : now.entries)
        paths << songlist::entryPath(entry);
    songLengths_.setPaths(paths);
    clockTimer_.start();
    refreshClock();
}

void ShowRecorder::ended()
{
    saveTimer_.stop();
    ended_ = true;
    // A state this run never took up (a show not yet restored) is left for
    // the next start.
    if (written_)
        QFile::remove(showStatePath(settingsPath_));
}

void ShowRecorder::offerRestore()
{
    const QString path = showStatePath(settingsPath_);
    const ShowStateFile file = readShowStateFile(path);
    if (file.status == ShowStateFile::Absent)
        return;
    const auto stop = mb::Ok | mb::IconStop;
    if (file.status == ShowStateFile::Damaged) {
        host_.showMessage(kDamagedText + shortenMiddle(path), kAppTitle, stop);
        QFile::remove(path);
        return;
    }
    const ShowState &s = file.state;
    const QString where =
        QStringLiteral("曲リスト: ") + listName(s) + QStringLiteral("\r\n")
        + QStringLiteral("%1曲目").arg(s.songIndex + 1)
        + (s.modified ? QStringLiteral("（保存していない変更があります）") : QString());
    if (host_.showMessage(kRestoreQuestion + where, kAppTitle, mb::YesNo | mb::IconQuestion)
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
            host_.showMessage(kCannotRestore + kListGoneText + shortenMiddle(s.listPath) + kTryAgainText,
                              kAppTitle, stop);
            return;
        }
        lines = read.lines;
        if (read.status == songlist::ReadResult::TooLarge || songlist::firstBrokenLine(lines) >= 0
            || s.songIndex >= lines.size()) {
            host_.showMessage(kCannotRestore + kListChangedText + shortenMiddle(s.listPath),
                              kAppTitle, stop);
            QFile::remove(path);
            return;
        }
    }
    if (const int missing = songlist::firstMissingSong(lines); missing >= 0) {
        host_.showMessage(kCannotRestore + kSongGoneText
                              + shortenMiddle(songlist::entryPath(lines.at(missing))) + kTryAgainText,
                          kAppTitle, stop);
        return;
    }

    host_.reopen(s.listPath, lines, s.songIndex, s.modified);
    startedMs_ = s.startedMs;
    changed();
}

void ShowRecorder::resetClock()
{
    startedMs_ = 0;
    setOver_ = false;
    refreshClock();
}

void ShowRecorder::startClock()
{
    if (startedMs_ != 0)
        return;
    startedMs_ = now_();
    changed();
    refreshClock();
}

void ShowRecorder::setSetOver(bool over)
{
    setOver_ = over;
    refreshClock();
}

void ShowRecorder::refreshClock()
{
    const auto setText = [](QLabel *label, const QString &text) {
        if (label->text() != text)
            label->setText(text);
    };
    const ShowSnapshot now = host_.snapshot();
    const int n = int(now.entries.size());
    if (n == 0) {
        setText(elapsed_, QString());
        setText(timeLeft_, QString());
        return;
    }
    setText(elapsed_, player::elapsedText(startedMs_ == 0 ? 0 : now_() - startedMs_));
    std::optional<player::TimeLeft> left;
    if (setOver_) {
        left = player::noTimeLeft();
    } else if (songLengths_.ready() && int(songLengths_.timings().size()) == n) {
        const int current = qBound(0, now.songIndex, n - 1);
        std::vector<int> tempos;
        tempos.reserve(std::size_t(n));
        for (int i = 0; i < n; ++i)
            tempos.push_back(host_.tempoPercent(i));
        left = player::timeLeft(songLengths_.timings(), tempos, current, host_.position(),
                                host_.lastSongRepeats());
    }
    setText(timeLeft_, player::timeLeftText(left));
}

} // namespace kazoon
