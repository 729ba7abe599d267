#include "bandview/StageContent.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "player/PlayerState.h"

namespace kazoon {

namespace {
const char *stateId(StageState state)
{
    switch (state) {
    case StageState::Waiting: return "waiting";
    case StageState::StandingBy: return "standby";
    case StageState::Playing: return "playing";
    case StageState::Stopped: return "stopped";
    case StageState::NoSong: break;
    }
    return "none";
}
} // namespace

StageState stageStateOf(int playerState, bool playing, bool atTop)
{
    switch (playerState) {
    case NoSong:
        return StageState::NoSong;
    case Playing:
        return StageState::Playing;
    case StandingBy:
    case StandbyDone:
        return StageState::StandingBy;
    case LoadError:
        return StageState::Stopped;
    default: // waiting for Enter, in QS mode or a lesson
        if (playing)
            return StageState::Playing;
        return atTop ? StageState::Waiting : StageState::Stopped;
    }
}

QString stageStateText(StageState state)
{
    switch (state) {
    case StageState::Waiting: return QStringLiteral("待機中");
    case StageState::StandingBy: return QStringLiteral("スタンバイ中");
    case StageState::Playing: return QStringLiteral("再生中");
    case StageState::Stopped: return QStringLiteral("停止中");
    case StageState::NoSong: break;
    }
    return QStringLiteral("曲がありません");
}

QString stageSongTitle(const QString &line)
{
    for (const char *extension : {".mid", ".midi", ".kar", ".rmi", ".smf"}) {
        const QLatin1String e(extension);
        if (line.endsWith(e, Qt::CaseInsensitive) && line.size() > e.size())
            return line.left(line.size() - e.size());
    }
    return line;
}

QByteArray StageContent::toJson() const
{
    QJsonArray list;
    for (const StageSong &song : songs)
        list.append(QJsonObject{{QStringLiteral("title"), song.title},
                                {QStringLiteral("medley"), song.medley}});
    QString page = lyrics;
    page.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QJsonObject o{
        {QStringLiteral("current"), current},
        {QStringLiteral("next"), next},
        {QStringLiteral("medley"), medley},
        {QStringLiteral("state"), QLatin1String(stateId(state))},
        {QStringLiteral("stateText"), stageStateText(state)},
        {QStringLiteral("timeLeft"), timeLeft},
        {QStringLiteral("songs"), list},
        {QStringLiteral("index"), index},
        {QStringLiteral("lyrics"), page},
        {QStringLiteral("nextLine"), nextLine},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace kazoon
