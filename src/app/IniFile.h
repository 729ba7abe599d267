#pragma once

#include <QString>
#include <QStringList>

namespace kazoon {

// The settings file as an initialisation file edited in place: values are
// replaced where they stand, missing keys are added at the end of their
// section, missing sections at the end of the file, and every other line
// (unknown sections and keys, comments, junk) is kept in its order.
// Section and key names match without regard to case.
class IniFile {
public:
    static constexpr int kMaxText = 2047;
    // Bytes read from a file at most; anything beyond is damage, not settings.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

    IniFile() = default;
    // Reads the file; a missing or unreadable file reads as empty.
    explicit IniFile(const QString &path);

    // Decodes settings text: UTF-8, or Shift-JIS when the bytes are not valid
    // UTF-8. NUL bytes are dropped.
    void parse(const QByteArray &bytes);

    const QString &path() const { return path_; }

    // The raw value (trimmed, at most kMaxText characters), or a null string
    // when the key is missing.
    QString value(const QString &section, const QString &key) const;

    // The keys of a section in file order (empty when the section is missing).
    QStringList keys(const QString &section) const;

    QString readString(const QString &section, const QString &key, const QString &def) const;
    int readInteger(const QString &section, const QString &key, int def) const;
    bool readBool(const QString &section, const QString &key, bool def) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // The file's text as it would be written.
    QString text() const;
    // Writes the file through a temporary file and a rename; throws
    // std::runtime_error naming the file when that is refused.
    void save() const;

private:
    struct Line {
        QString text;
        QString section; // set for a section header
        QString key;     // set for a key=value line
    };
    // Index of the section header line, or -1.
    qsizetype findSection(const QString &section) const;
    // Index of the key's line within the section starting at `header`, or -1.
    qsizetype findKey(qsizetype header, const QString &key) const;

    QString path_;
    QList<Line> lines_;
};

} // namespace kazoon
