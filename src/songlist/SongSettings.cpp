#include "songlist/SongSettings.h"

#include "app/FileErrors.h"
#include "app/ParseInt.h"
#include "app/SafeFile.h"
#include "app/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace kazoon::songlist {

QString settingsPath(const QString &listPath) { return listPath + QStringLiteral(".kzs"); }

namespace {

std::optional<int> field(QStringView text, int low, int high)
{
    const std::optional<int> value = parseInteger(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

} // namespace

SettingsParse parseSongSettings(const QByteArray &bytes)
{
    SettingsParse result;
    const QStringList lines = splitLines(decodeText(bytes));
    if (lines.isEmpty() || lines.first() != kSettingsHeader)
        return result;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() < 4)
            return {}; // nothing of a damaged file is used
        const auto key = field(parts.at(0), SongAdjust::kMinTranspose, SongAdjust::kMaxTranspose);
        const auto tempo = field(parts.at(1), SongAdjust::kMinTempo, SongAdjust::kMaxTempo);
        const auto volume = field(parts.at(2), SongAdjust::kMinVolume, SongAdjust::kMaxVolume);
        // The path is the rest of the line, tabs and all.
        const QString path = line.section(QLatin1Char('\t'), 3);
        if (!key || !tempo || !volume || path.isEmpty() || path.contains(QChar(0)))
            return {};
        const SongAdjust adjust{*key, *tempo, *volume};
        if (adjust.neutral())
            result.settings.remove(path);
        else
            result.settings.insert(path, adjust);
    }
    result.ok = true;
    return result;
}

QByteArray serialiseSongSettings(const SongSettings &settings)
{
    QString text = kSettingsHeader + QLatin1String("\r\n");
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        const SongAdjust a = it.value().clamped();
        if (a.neutral())
            continue;
        text += QStringLiteral("%1\t%2\t%3\t").arg(a.transpose).arg(a.tempoPercent).arg(a.volumePercent) + it.key()
                + QLatin1String("\r\n");
    }
    return text.toUtf8();
}

SongSettings matchSongSettings(const SongSettings &stored, const QStringList &songPaths)
{
    QMap<QString, QStringList> byName;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        byName[QFileInfo(it.key()).fileName()].append(it.key());
    SongSettings matched;
    for (const QString &path : songPaths) {
        if (auto it = stored.constFind(path); it != stored.cend()) {
            matched.insert(path, it.value());
            continue;
        }
        const QStringList candidates = byName.value(QFileInfo(path).fileName());
        if (candidates.size() == 1)
            matched.insert(path, stored.value(candidates.first()));
    }
    return matched;
}

SettingsRead readSongSettings(const QString &listPath)
{
    SettingsRead result;
    const SmallFile file = readSmallFile(settingsPath(listPath), kMaxSettingsFileSize);
    if (file.status == SmallFile::Missing)
        return result;
    result.status = SettingsRead::Damaged;
    if (file.status != SmallFile::Ok)
        return result;
    SettingsParse parsed = parseSongSettings(file.bytes);
    if (!parsed.ok)
        return result;
    result.status = SettingsRead::Ok;
    result.settings = std::move(parsed.settings);
    return result;
}

QString writeSongSettings(const QString &listPath, const SongSettings &settings, const QStringList &songPaths)
{
    SongSettings kept;
    for (const QString &path : songPaths)
        if (auto it = settings.constFind(path); it != settings.cend() && !it.value().neutral())
            kept.insert(path, it.value());
    const QString path = settingsPath(listPath);
    if (kept.isEmpty()) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return {};
        return fileErrorReason(EACCES);
    }
    const FileWrite written = replaceFile(path, serialiseSongSettings(kept));
    return written.result == FileWrite::Ok ? QString() : fileErrorReason(written.error);
}

QString settingsBadge(const SongAdjust &adjust)
{
    QStringList parts;
    if (adjust.transpose > 0)
        parts << QStringLiteral("♯%1").arg(adjust.transpose);
    else if (adjust.transpose < 0)
        parts << QStringLiteral("♭%1").arg(-adjust.transpose);
    if (adjust.tempoPercent != 100)
        parts << QStringLiteral("%1%").arg(adjust.tempoPercent);
    if (adjust.volumePercent != 100)
        parts << QStringLiteral("音量%1%").arg(adjust.volumePercent);
    return parts.join(QLatin1Char(' '));
}

} // namespace kazoon::songlist
