#include "player/PlayerRules.h"

#include <algorithm>

#include "player/PlayerState.h"
#include "player/engine/DeviceErrors.h"

namespace kazoon::player {

QString lengthText(std::int64_t smpte)
{
    const int minutes = int((smpte >> 8) & 0xFF);
    const int seconds = int((smpte >> 16) & 0xFF);
    return QStringLiteral("%1分%2秒").arg(minutes).arg(seconds);
}

QString infoText(int playerState)
{
    switch (playerState) {
    case NoSong: return QStringLiteral("MIDIファイルが選択されていません。");
    case Ready: return QStringLiteral("[Enter]キーで再生します。");
    case Playing: return QStringLiteral("再生中･･･\r\n[Esc]キーで停止します。");
    case StandbyDone: return QStringLiteral("スタンバイ完了。\r\n[Enter]キーで再生します。");
    case QsWaiting: return QStringLiteral("QSモードです。\r\n[Enter]キーでスタンバイします。");
    case StandingBy: return QStringLiteral("スタンバイしています･･･");
    case LoadError: return QStringLiteral("エラー!!\r\nMIDIファイルをロードできません。");
    case Lesson: return QStringLiteral("レッスンモードです。\r\nリストの移動はできません。");
    default: return QString();
    }
}

DeviceCheck deviceCheck(int error)
{
    if (error == 0)
        return DeviceCheck::Ok;
    return error == device_error::PortInUse ? DeviceCheck::PortBusy : DeviceCheck::Fatal;
}

namespace {
PositionMove moveTo(int target, bool stepOneAtZero = false)
{
    return {PositionMove::MoveTo, target, stepOneAtZero};
}
PositionMove refresh(bool stepOneAtZero = false)
{
    return {PositionMove::Refresh, 0, stepOneAtZero};
}
} // namespace

// From step 0 the first move lands one short of n, so that the display
// (position + 1) reads n and the walk back lands on the same steps.
PositionMove forwardBy(int p, int max, StepDisplay d, int n)
{
    if (p == 0 && d.shows(0))
        return moveTo(std::min(n - 1, max));
    if (p < max - n)
        return moveTo(p + n);
    return moveTo(max);
}

PositionMove backBy(int p, StepDisplay d, int n)
{
    if (p > n)
        return moveTo(p - n);
    if (d.shows(n + 1))
        return moveTo(0, true);
    if (p == 0)
        return refresh();
    return moveTo(0);
}

PositionMove forwardOne(int p, int max, StepDisplay d)
{
    if (p >= max)
        return {};
    if (p == 0 && d.shows(0))
        return refresh(true);
    return moveTo(p + 1);
}

PositionMove backOne(int p, StepDisplay d)
{
    if (p <= 0)
        return refresh();
    return moveTo(p - 1, d.shows(2));
}

} // namespace kazoon::player
