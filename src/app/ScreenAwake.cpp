#include "app/ScreenAwake.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "app/AppTitle.h"

namespace kazoon {

namespace {
// What the desktop shows of who keeps the screen on, and why.
const QString kReason = QStringLiteral("曲リストを開いています");
} // namespace

ScreenAwake::ScreenAwake(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), bus_(bus),
      services_{{// The screen saver, and with it the display's power saving on most desktops.
                 {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
                 // The power manager, where the screen saver's hold does not reach it.
                 {"org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
                  "org.freedesktop.PowerManagement.Inhibit"}}}
{
}

// A hold granted after this is never given back by us; the desktop drops it
// when our connection to the bus closes with the program.
ScreenAwake::~ScreenAwake() { setWanted(false); }

QDBusConnection ScreenAwake::busNamed(const QString &name)
{
    if (name == QLatin1String("session"))
        return QDBusConnection::sessionBus();
    if (name.isEmpty())
        return QDBusConnection(QString()); // not connected
    return QDBusConnection::connectToBus(name, QStringLiteral("kazoon-desktop ") + name);
}

void ScreenAwake::setWanted(bool wanted)
{
    wanted_ = wanted;
    for (Service &service : services_) {
        if (wanted)
            ask(service);
        else
            giveBack(service);
    }
}

int ScreenAwake::held() const
{
    int n = 0;
    for (const Service &service : services_)
        n += service.holding ? 1 : 0;
    return n;
}

void ScreenAwake::ask(Service &service)
{
    if (!bus_.isConnected() || service.holding || service.asking)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(service.name), QLatin1String(service.path),
                                                       QLatin1String(service.interface),
                                                       QStringLiteral("Inhibit"));
    call << kAppTitle << kReason;
    service.asking = true;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, &service](QDBusPendingCallWatcher *w) { answered(service, w); });
}

void ScreenAwake::answered(Service &service, QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    service.asking = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError())
        return; // no such service here: the screen is the desktop's business
    service.cookie = reply.value();
    service.holding = true;
    if (!wanted_)
        giveBack(service); // let go while the answer was on its way
}

void ScreenAwake::giveBack(Service &service)
{
    if (!service.holding)
        return;
    service.holding = false;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(service.name), QLatin1String(service.path),
                                                       QLatin1String(service.interface),
                                                       QStringLiteral("UnInhibit"));
    call << service.cookie;
    bus_.send(call); // the answer says nothing we need
}

} // namespace kazoon
