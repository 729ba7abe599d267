#include "app/IniFile.h"

#include <algorithm>

#include "app/FileErrors.h"
#include "app/SafeFile.h"
#include "app/ShortText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <stdexcept>

#include "app/ParseInt.h"

namespace kazoon {

namespace {

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Shift_JIS");
    if (sjis.isValid())
        return sjis.decode(bytes);
    return text;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(const QString &path) : path_(path)
{
    QFile file(path);
    // Only as much as the file holds is allocated: reading at the limit would
    // take 16 MiB for every settings file.
    if (file.open(QIODevice::ReadOnly))
        parse(file.read(file.size() > 0 ? std::min<qint64>(file.size(), kMaxFileSize) : kMaxFileSize));
}

void IniFile::parse(const QByteArray &bytes)
{
    lines_.clear();
    QString text = decode(bytes);
    text.remove(QChar(u'\0'));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList raw = text.split(u'\n');
    if (!raw.isEmpty() && raw.constLast().isEmpty())
        raw.removeLast();
    lines_.reserve(raw.size());
    for (QString &s : raw) {
        Line line;
        const QString t = s.trimmed();
        if (t.startsWith(u'[')) {
            const qsizetype close = t.indexOf(u']');
            line.section = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
            if (line.section.isEmpty())
                line.section = QStringLiteral("[]"); // never matches a real section
        } else if (!t.startsWith(u';')) {
            const qsizetype eq = t.indexOf(u'=');
            if (eq > 0)
                line.key = t.left(eq).trimmed();
        }
        line.text = std::move(s);
        lines_.append(std::move(line));
    }
}

qsizetype IniFile::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < lines_.size(); ++i)
        if (!lines_[i].section.isEmpty() && sameName(lines_[i].section, section))
            return i;
    return -1;
}

qsizetype IniFile::findKey(qsizetype header, const QString &key) const
{
    for (qsizetype i = header + 1; i < lines_.size() && lines_[i].section.isEmpty(); ++i)
        if (!lines_[i].key.isEmpty() && sameName(lines_[i].key, key))
            return i;
    return -1;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList result;
    const qsizetype header = findSection(section);
    if (header < 0)
        return result;
    for (qsizetype i = header + 1; i < lines_.size() && lines_[i].section.isEmpty(); ++i)
        if (!lines_[i].key.isEmpty())
            result.append(lines_[i].key);
    return result;
}

QString IniFile::value(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return QString();
    const qsizetype i = findKey(header, key);
    if (i < 0)
        return QString();
    const QString &t = lines_[i].text;
    QString v = t.mid(t.indexOf(u'=') + 1).trimmed();
    // A value in matching quotes reads without them, as initialisation files do.
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    if (v.isNull())
        v = QLatin1String("");
    return v.left(kMaxText);
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const QString v = value(section, key);
    return v.isNull() ? def : v;
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    return parseInteger(value(section, key)).value_or(def);
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    // A line break would end the line and corrupt the file; keep the first line.
    QString v = value;
    for (qsizetype i = 0; i < v.size(); ++i)
        if (v[i] == u'\n' || v[i] == u'\r') {
            v.truncate(i);
            break;
        }
    Line line{key + u'=' + v, QString(), key};

    qsizetype header = findSection(section);
    if (header < 0) {
        lines_.append(Line{u'[' + section + u']', section, QString()});
        lines_.append(std::move(line));
        return;
    }
    const qsizetype i = findKey(header, key);
    if (i >= 0) {
        // Keep the key's spelling as the file has it.
        line.text = lines_[i].key + u'=' + v;
        line.key = lines_[i].key;
        lines_[i] = std::move(line);
        return;
    }
    // After the section's last key (blank lines and comments before the next
    // section stay where they are).
    qsizetype at = header + 1;
    for (qsizetype j = header + 1; j < lines_.size() && lines_[j].section.isEmpty(); ++j)
        if (!lines_[j].key.isEmpty())
            at = j + 1;
    lines_.insert(at, std::move(line));
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString IniFile::text() const
{
    QString out;
    for (const Line &line : lines_) {
        out += line.text;
        out += u'\n';
    }
    return out;
}

void IniFile::save() const
{
    // A read-only settings file is the user's choice: refuse rather than replace it.
    const QFileInfo info(path_);
    QDir().mkpath(info.absolutePath());
    const FileWrite written = info.exists() && !info.isWritable()
                                  ? FileWrite{FileWrite::CannotOpen, EACCES}
                                  : replaceFile(path_, text().toUtf8());
    if (written.result != FileWrite::Ok)
        throw std::runtime_error(QStringLiteral("設定ファイル「%1」に書き込めません。\r\n%2")
                                     .arg(shortenMiddle(path_), fileErrorReason(written.error))
                                     .toStdString());
}

} // namespace kazoon
