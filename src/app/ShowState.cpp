#include "app/ShowState.h"

#include <QFileInfo>
#include <QStringDecoder>

#include "app/TextFile.h"
#include "songlist/SongListFile.h"

namespace kazoon {

namespace {

const QByteArray kVersionLine = QByteArrayLiteral("Kazoon show state 1");

bool holdsLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

std::optional<qint64> number(const QString &text, qint64 max)
{
    // Plain decimal digits only: no signs, blanks or prefixes.
    if (text.isEmpty() || text.size() > 19)
        return std::nullopt;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value > max)
        return std::nullopt;
    return value;
}

} // namespace

QByteArray showStateBytes(const ShowState &state)
{
    if (holdsLineBreak(state.listPath))
        return {};
    for (const QString &entry : state.entries)
        if (holdsLineBreak(entry))
            return {};
    QString text = QString::fromUtf8(kVersionLine) + QLatin1Char('\n');
    text += QStringLiteral("list=") + state.listPath + QLatin1Char('\n');
    text += QStringLiteral("song=%1\n").arg(state.songIndex);
    text += QStringLiteral("modified=%1\n").arg(state.modified ? 1 : 0);
    text += QStringLiteral("started=%1\n").arg(state.startedMs);
    if (state.modified)
        for (const QString &entry : state.entries)
            text += QStringLiteral("entry=") + entry + QLatin1Char('\n');
    return text.toUtf8();
}

std::optional<ShowState> parseShowState(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || !text.endsWith(QLatin1Char('\n')))
        return std::nullopt; // not ours, or cut short by the crash
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeLast();
    if (lines.isEmpty() || lines.first() != QString::fromUtf8(kVersionLine))
        return std::nullopt;

    ShowState state;
    bool haveList = false, haveSong = false, haveModified = false, haveStarted = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.contains(QLatin1Char('\r')) || line.contains(QChar(0)))
            return std::nullopt;
        const QStringView key = QStringView(line).left(eq);
        const QString value = line.mid(eq + 1);
        if (key == u"entry") {
            // Entries come last and hold what a song list line holds.
            if (!haveStarted || !state.modified || songlist::isBrokenLine(value)
                || (value.at(0) != u'0' && value.at(0) != u'1') || value.size() < 3
                || value.at(1) != u' ')
                return std::nullopt;
            state.entries.append(value);
        } else if (!state.entries.isEmpty()) {
            return std::nullopt;
        } else if (key == u"list" && !haveList) {
            state.listPath = value;
            haveList = true;
        } else if (key == u"song" && !haveSong) {
            const auto n = number(value, 1'000'000);
            if (!n)
                return std::nullopt;
            state.songIndex = int(*n);
            haveSong = true;
        } else if (key == u"modified" && !haveModified) {
            if (value != u"0" && value != u"1")
                return std::nullopt;
            state.modified = value == u"1";
            haveModified = true;
        } else if (key == u"started" && !haveStarted) {
            const auto n = number(value, qint64(1) << 53);
            if (!n)
                return std::nullopt;
            state.startedMs = *n;
            haveStarted = true;
        } else {
            return std::nullopt;
        }
    }
    if (!(haveList && haveSong && haveModified && haveStarted))
        return std::nullopt;
    // A saved list is read from its file; an unsaved one is all in here,
    // and a new list is always unsaved.
    if (state.modified ? state.entries.isEmpty() || state.songIndex >= state.entries.size()
                       : state.listPath.isEmpty())
        return std::nullopt;
    return state;
}

QString showStatePath(const QString &settingsPath)
{
    return QFileInfo(settingsPath).absolutePath() + QStringLiteral("/Kazoon.show");
}

ShowStateFile readShowStateFile(const QString &path)
{
    // Room for the largest song list and its header.
    const SmallFile file = readSmallFile(path, songlist::kMaxFileSize + 64 * 1024);
    ShowStateFile result;
    if (file.status == SmallFile::Missing)
        return result;
    const std::optional<ShowState> state =
        file.status == SmallFile::Ok ? parseShowState(file.bytes) : std::nullopt;
    if (!state) {
        result.status = ShowStateFile::Damaged;
        return result;
    }
    result.status = ShowStateFile::Ok;
    result.state = *state;
    return result;
}

} // namespace kazoon
