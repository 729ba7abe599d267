#include "songlist/SongSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace kazoon::songlist;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

// Any bytes give settings or a refusal; settings read are in range, write back
// to bytes that read as the same settings, and match a list without fault.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SettingsParse parsed = parseSongSettings(bytes);
    if (!parsed.ok) {
        check(parsed.settings.isEmpty());
        return 0;
    }
    QStringList paths;
    for (auto it = parsed.settings.cbegin(); it != parsed.settings.cend(); ++it) {
        check(!it.key().isEmpty());
        const SongRecord &record = it.value();
        check(record.adjust == record.adjust.clamped() && !record.neutral());
        check(record.count.bars >= SongCount::kDefaultBars && record.count.bars <= SongCount::kMaxBars);
        check(settingsBadge(record.adjust).isEmpty() == record.adjust.neutral());
        paths << it.key() << QStringLiteral("/moved/") + it.key().section(QLatin1Char('/'), -1);
    }
    const SettingsParse again = parseSongSettings(serialiseSongSettings(parsed.settings));
    check(again.ok && again.settings == parsed.settings);
    const SongSettings matched = matchSongSettings(parsed.settings, paths);
    for (auto it = matched.cbegin(); it != matched.cend(); ++it)
        check(paths.contains(it.key()));
    return 0;
}
