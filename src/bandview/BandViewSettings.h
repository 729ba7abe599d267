#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace kazoon {

class IniFile;

// The band view's settings ([BandView] in the settings file).
struct BandViewSettings {
    static constexpr int kDefaultPort = 8765;
    // Characters of an access code: no 0/o, 1/l/i, so that it can be read
    // out and typed on a phone.
    static constexpr int kCodeLength = 12;

    bool enabled = false;
    int port = kDefaultPort;
    QString code; // empty until the view is first turned on

    bool operator==(const BandViewSettings &) const = default;

    // A damaged value reads as its default; a damaged code as none.
    static BandViewSettings read(const IniFile &ini);
    void write(IniFile &ini) const;
};

// A new access code from the system's cryptographically strong source.
QString newAccessCode();
// Whether `code` has the form of an access code.
bool isAccessCode(const QString &code);
// Compares in a time that does not depend on where the texts differ, so that
// the code cannot be guessed a character at a time.
bool sameCode(const QByteArray &given, const QByteArray &expected);

// The address a phone's browser opens: http://host:port/?k=code.
QString bandViewAddress(const QString &host, int port, const QString &code);

// What the options page needs of the band view.
struct BandViewPageHooks {
    std::function<BandViewSettings()> inUse;
    // Why the view could not listen at `port`; empty when it can.
    std::function<QString(int port)> checkPort;
    // This computer's addresses in the local network, the likeliest first.
    std::function<QStringList()> addresses;
    // Why the view, turned on, is not running now; empty when it runs.
    std::function<QString()> problem;
};

} // namespace kazoon
