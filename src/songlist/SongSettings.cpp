#include "songlist/SongSettings.h"

#include "app/FileErrors.h"
#include "app/ParseInt.h"
#include "app/SafeFile.h"
#include "app/TextFile.h"
#include "songlist/SetupLines.h"

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

const QLatin1String kSongTag("song"), kAdjustTag("adjust"), kCountTag("count"), kDefaultBars("default");

bool validPath(const QString &path) { return !path.isEmpty() && !path.contains(QChar(0)); }

std::optional<SongAdjust> adjustFields(const QStringList &parts, qsizetype first)
{
    const auto key = field(parts.at(first), SongAdjust::kMinTranspose, SongAdjust::kMaxTranspose);
    const auto tempo = field(parts.at(first + 1), SongAdjust::kMinTempo, SongAdjust::kMaxTempo);
    const auto volume = field(parts.at(first + 2), SongAdjust::kMinVolume, SongAdjust::kMaxVolume);
    if (!key || !tempo || !volume)
        return std::nullopt;
    return SongAdjust{*key, *tempo, *volume};
}

void keep(SongSettings &settings, const QString &path, const SongRecord &record)
{
    if (record.neutral())
        settings.remove(path);
    else
        settings.insert(path, record);
}

bool parseVersion1(const QStringList &lines, SongSettings &settings)
{
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() < 4)
            return false;
        const std::optional<SongAdjust> adjust = adjustFields(parts, 0);
        // The path is the rest of the line, tabs and all.
        const QString path = line.section(QLatin1Char('\t'), 3);
        if (!adjust || !validPath(path))
            return false;
        SongRecord record = settings.value(path);
        record.adjust = *adjust;
        keep(settings, path, record);
    }
    return true;
}

bool parseCount(const QStringList &parts, SongCount &count)
{
    if (parts.size() < 3)
        return false;
    const auto bars = parts.at(1) == kDefaultBars ? std::optional<int>(SongCount::kDefaultBars)
                                                   : field(parts.at(1), 0, SongCount::kMaxBars);
    const auto click = field(parts.at(2), 0, 1);
    if (!bars || !click)
        return false;
    count = SongCount{*bars, *click == 1};
    return true;
}

bool parseVersion2(const QStringList &lines, SongSettings &settings)
{
    QString path; // of the record being read
    SongRecord record;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.isEmpty())
            continue;
        const QStringList parts = line.split(QLatin1Char('\t'));
        const QString &tag = parts.first();
        if (tag == kSongTag) {
            if (!path.isEmpty())
                keep(settings, path, record);
            path = line.section(QLatin1Char('\t'), 1);
            if (parts.size() < 2 || !validPath(path))
                return false;
            record = {};
        } else if (tag == kAdjustTag) {
            const std::optional<SongAdjust> adjust = parts.size() >= 4 ? adjustFields(parts, 1) : std::nullopt;
            if (path.isEmpty() || !adjust)
                return false;
            record.adjust = *adjust;
        } else if (tag == kCountTag) {
            if (path.isEmpty() || !parseCount(parts, record.count))
                return false;
        } else if (isSetupTag(tag)) {
            if (path.isEmpty() || !parseSetupLine(line, record.instruments))
                return false;
        } else if (!path.isEmpty()) {
            record.otherLines.append(line);
        }
    }
    if (!path.isEmpty())
        keep(settings, path, record);
    return true;
}

// "Kazoon song settings <n>": n, or 0 when the line is not a version line.
int version(const QString &line)
{
    const QString prefix = kSettingsHeader.left(kSettingsHeader.lastIndexOf(QLatin1Char(' ')) + 1);
    if (!line.startsWith(prefix))
        return 0;
    return qMax(0, parseInteger(QStringView(line).mid(prefix.size())).value_or(0));
}

} // namespace

SettingsParse parseSongSettings(const QByteArray &bytes)
{
    SettingsParse result;
    const QStringList lines = splitLines(decodeText(bytes));
    const int v = lines.isEmpty() ? 0 : version(lines.first());
    if (v == 0)
        return result;
    const bool ok = v == 1 ? parseVersion1(lines, result.settings) : parseVersion2(lines, result.settings);
    if (!ok)
        return {}; // nothing of a damaged file is used
    result.ok = true;
    return result;
}

QByteArray serialiseSongSettings(const SongSettings &settings)
{
    const QLatin1String tab("\t"), end("\r\n");
    QString text = kSettingsHeader + end;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        const SongAdjust a = it.value().adjust.clamped();
        const SongCount &c = it.value().count;
        if (a.neutral() && c.neutral() && it.value().instruments.empty() && it.value().otherLines.isEmpty())
            continue;
        text += kSongTag + tab + it.key() + end;
        if (!a.neutral())
            text += kAdjustTag + QStringLiteral("\t%1\t%2\t%3").arg(a.transpose).arg(a.tempoPercent).arg(a.volumePercent) + end;
        if (!c.neutral()) {
            const int bars = qBound(SongCount::kDefaultBars, c.bars, SongCount::kMaxBars);
            text += kCountTag + tab + (bars == SongCount::kDefaultBars ? QString(kDefaultBars) : QString::number(bars))
                    + tab + (c.clickDuringSong ? QLatin1Char('1') : QLatin1Char('0')) + end;
        }
        for (const QString &line : setupLines(it.value().instruments))
            text += line + end;
        for (const QString &line : it.value().otherLines)
            text += line + end;
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
