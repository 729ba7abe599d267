#include "bandview/BandViewSettings.h"

#include <QRandomGenerator>

#include "app/IniFile.h"

namespace kazoon {

namespace {
const QString kSection = QStringLiteral("BandView");
constexpr char kCodeAlphabet[] = "abcdefghjkmnpqrstuvwxyz23456789";
constexpr int kAlphabetSize = sizeof kCodeAlphabet - 1;
} // namespace

BandViewSettings BandViewSettings::read(const IniFile &ini)
{
    BandViewSettings s;
    s.enabled = ini.readBool(kSection, QStringLiteral("Enabled"), false);
    const int port = ini.readInteger(kSection, QStringLiteral("Port"), kDefaultPort);
    s.port = port >= 1 && port <= 65535 ? port : kDefaultPort;
    const QString code = ini.readString(kSection, QStringLiteral("Code"), QString());
    if (isAccessCode(code))
        s.code = code;
    // A view turned on without a usable code gets a new one: the old
    // address no longer works, which is safer than a guessable code.
    if (s.enabled && s.code.isEmpty())
        s.code = newAccessCode();
    return s;
}

void BandViewSettings::write(IniFile &ini) const
{
    ini.writeBool(kSection, QStringLiteral("Enabled"), enabled);
    ini.writeInteger(kSection, QStringLiteral("Port"), port);
    ini.writeString(kSection, QStringLiteral("Code"), code);
}

QString newAccessCode()
{
    QString code;
    QRandomGenerator *source = QRandomGenerator::system();
    for (int i = 0; i < BandViewSettings::kCodeLength; ++i)
        code += QLatin1Char(kCodeAlphabet[source->bounded(kAlphabetSize)]);
    return code;
}

bool isAccessCode(const QString &code)
{
    if (code.size() != BandViewSettings::kCodeLength)
        return false;
    const QLatin1String alphabet(kCodeAlphabet);
    for (QChar c : code)
        if (!alphabet.contains(c))
            return false;
    return true;
}

bool sameCode(const QByteArray &given, const QByteArray &expected)
{
    if (expected.isEmpty())
        return false;
    // Every byte of the given text is looked at, against the expected text
    // taken round, and a length that differs counts as a difference.
    unsigned diff = unsigned(given.size() ^ expected.size());
    const qsizetype n = given.size();
    for (qsizetype i = 0; i < n; ++i)
        diff |= unsigned(quint8(given[i]) ^ quint8(expected[i % expected.size()]));
    return diff == 0;
}

QString bandViewAddress(const QString &host, int port, const QString &code)
{
    const QString shown = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("http://%1:%2/?k=%3").arg(shown).arg(port).arg(code);
}

} // namespace kazoon
