#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace kazoon;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The sections of the text in file order, one name for each spelling that
// matches without regard to case.
QStringList sectionNames(const QString &text)
{
    QStringList names;
    QSet<QString> seen;
    for (const QString &line : text.split(u'\n')) {
        const QString t = line.trimmed();
        if (!t.startsWith(u'['))
            continue;
        const qsizetype close = t.indexOf(u']');
        const QString name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
        if (!name.isEmpty() && !seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            names.append(name);
        }
    }
    return names;
}

struct Entry {
    QString section;
    QString key;
    QString value;
};

// Every key of every section with its value, through each of the readers.
QList<Entry> readAll(const IniFile &ini)
{
    QList<Entry> all;
    for (const QString &section : sectionNames(ini.text())) {
        for (const QString &key : ini.keys(section)) {
            const QString value = ini.value(section, key);
            check(!value.isNull() && value.size() <= IniFile::kMaxText);
            check(ini.readString(section, key, QStringLiteral("-")) == value);
            // A number reads the same whatever the default; anything else gives the default.
            const int seven = ini.readInteger(section, key, 7);
            const int eight = ini.readInteger(section, key, 8);
            check(seven == eight || (seven == 7 && eight == 8));
            check(ini.readBool(section, key, false) == (ini.readInteger(section, key, 0) != 0));
            check(ini.readBool(section, key, true) == (ini.readInteger(section, key, 1) != 0));
            all.append({section, key, value});
        }
    }
    return all;
}

// What value() gives for a written value: its first line, trimmed, without
// one pair of matching quotes, cut to the longest text read.
QString readBack(QString v)
{
    for (qsizetype i = 0; i < v.size(); ++i)
        if (v[i] == u'\n' || v[i] == u'\r') {
            v.truncate(i);
            break;
        }
    v = v.trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.left(IniFile::kMaxText);
}

QString settingsPath()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kazoon-fuzz-XXXXXX"));
    check(dir.isValid());
    return dir.filePath(QStringLiteral("Kazoon.ini"));
}

} // namespace

// Parses the bytes as the settings file, reads every key, then writes values
// as the program does when it closes and checks that the saved file reads
// back with the same values, the written ones included, and that a write
// changes no other key.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // No file yet: the reader's 16 MiB buffer would cost more than the rest.
    QFile::remove(settingsPath());
    IniFile ini(settingsPath());
    ini.parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QList<Entry> before = readAll(ini);

    // The text as it would be written parses to the same text again.
    IniFile again;
    again.parse(ini.text().toUtf8());
    check(again.text() == ini.text());

    // Writes into existing keys (a value taken from the input) and into a
    // new key of an existing and of a new section.
    QList<Entry> written;
    const QString value = before.isEmpty() ? QStringLiteral(" \"x\"\r\ny") : before.last().value + u'\'';
    if (!before.isEmpty())
        written.append({before.first().section, before.first().key, value});
    if (before.size() > 1)
        written.append({before.last().section, before.last().key, QString::number(before.size())});
    if (!before.isEmpty())
        written.append({before.first().section, QStringLiteral("KazoonFuzzKey"), value});
    written.append({QStringLiteral("KazoonFuzz"), QStringLiteral("Key"), value});
    for (const Entry &w : written)
        ini.writeString(w.section, w.key, w.value);

    ini.save();
    QFile file(settingsPath());
    check(file.open(QIODevice::ReadOnly));
    IniFile saved;
    saved.parse(file.readAll());
    check(saved.text() == ini.text());
    // The last write to a key is the one that counts.
    QSet<QString> checked;
    for (auto w = written.crbegin(); w != written.crend(); ++w) {
        const QString name = (w->section + u'\n' + w->key).toCaseFolded();
        if (!checked.contains(name))
            check(saved.value(w->section, w->key) == readBack(w->value));
        checked.insert(name);
    }
    for (const Entry &e : before) {
        bool overwritten = false;
        for (const Entry &w : written)
            overwritten = overwritten || (w.section.compare(e.section, Qt::CaseInsensitive) == 0
                                          && w.key.compare(e.key, Qt::CaseInsensitive) == 0);
        if (!overwritten)
            check(saved.value(e.section, e.key) == e.value);
    }
    return 0;
}
