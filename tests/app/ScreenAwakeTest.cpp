#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

#include "app/ScreenAwake.h"
#include "support/TestApp.h"

namespace kazoon::test {
namespace {

// A bus of our own: the test never touches the session of whoever runs it,
// and runs where there is none (CI, as root, headless).
class PrivateBus {
public:
    PrivateBus()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty() || !dir_.isValid())
            return;
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<auth>EXTERNAL</auth><policy context=\"default\">"
                                  "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                  "<allow own=\"*\"/></policy></busconfig>")
                       .arg(dir_.path())
                       .toUtf8());
        file.close();
        daemon_.start(program, {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                                QStringLiteral("--nofork")});
        const QDeadlineTimer deadline(10'000);
        while (!daemon_.canReadLine() && !deadline.hasExpired() && daemon_.state() != QProcess::NotRunning)
            daemon_.waitForReadyRead(100);
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString &name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    const QString &address() const { return address_; }
    // A connection of its own, as another program on the desktop has.
    QDBusConnection connect(const QString &name)
    {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// A desktop service that hands out cookies for holds on the screen.
class FakeInhibitor : public QDBusVirtualObject {
public:
    explicit FakeInhibitor(QString interface) : interface_(std::move(interface)) {}
    QList<uint> held;
    QStringList reasons;

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != interface_)
            return false;
        if (message.member() == QLatin1String("Inhibit") && message.arguments().size() == 2) {
            const uint cookie = next_++;
            held << cookie;
            reasons << message.arguments().at(0).toString() + QLatin1Char('/') + message.arguments().at(1).toString();
            connection.send(message.createReply(QVariant::fromValue(cookie)));
            return true;
        }
        if (message.member() == QLatin1String("UnInhibit") && message.arguments().size() == 1) {
            held.removeOne(message.arguments().at(0).toUInt());
            connection.send(message.createReply());
            return true;
        }
        return false;
    }
    QString introspect(const QString &) const override { return QString(); }

private:
    QString interface_;
    uint next_ = 7;
};

struct Desktop {
    FakeInhibitor screenSaver{QStringLiteral("org.freedesktop.ScreenSaver")};
    FakeInhibitor power{QStringLiteral("org.freedesktop.PowerManagement.Inhibit")};

    explicit Desktop(QDBusConnection bus)
    {
        bus.registerVirtualObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver);
        bus.registerVirtualObject(QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"), &power);
        EXPECT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        EXPECT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.PowerManagement")));
    }
    int held() const { return int(screenSaver.held.size() + power.held.size()); }
};

bool waitFor(const std::function<bool()> &done, int ms = 5000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Whatever the program prints meanwhile.
struct Said {
    static inline QStringList lines;
    QtMessageHandler previous;
    Said()
    {
        lines.clear();
        previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { lines << text; });
    }
    ~Said() { qInstallMessageHandler(previous); }
};

#define REQUIRE_BUS(bus)                                                                           \
    if ((bus).address().isEmpty())                                                                 \
    GTEST_SKIP() << "no dbus-daemon to run a private bus"

TEST(ScreenAwake, HoldsTheScreenSaverAndThePowerManagerUntilLetGoOrGone)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    Desktop desktop(bus.connect(QStringLiteral("desktop")));
    auto awake = std::make_unique<ScreenAwake>(ScreenAwake::busNamed(bus.address()));

    awake->setWanted(true);
    awake->setWanted(true); // asked twice, held once
    ASSERT_TRUE(waitFor([&] { return awake->held() == 2; }));
    EXPECT_EQ(desktop.screenSaver.held.size(), 1);
    EXPECT_EQ(desktop.power.held.size(), 1);
    EXPECT_EQ(desktop.screenSaver.reasons.value(0), QStringLiteral("カズーン/曲リストを開いています"));

    awake->setWanted(false);
    EXPECT_TRUE(waitFor([&] { return desktop.held() == 0; })) << "given back";

    // Let go before the answers came: the cookies go back as they arrive.
    awake->setWanted(true);
    awake->setWanted(false);
    EXPECT_TRUE(waitFor([&] { return desktop.screenSaver.reasons.size() == 2 && desktop.power.reasons.size() == 2; }));
    EXPECT_TRUE(waitFor([&] { return desktop.held() == 0; }));
    EXPECT_EQ(awake->held(), 0);

    awake->setWanted(true);
    ASSERT_TRUE(waitFor([&] { return awake->held() == 2; }));
    awake.reset();
    EXPECT_TRUE(waitFor([&] { return desktop.held() == 0; })) << "given back at the end";
}

TEST(ScreenAwake, WithoutServiceOrBusNothingHappensAndNothingIsSaid)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    Said said;
    for (const QString &name : {bus.address(), QString(), QStringLiteral("unix:path=/nonexistent/kazoon-bus")}) {
        ScreenAwake awake(ScreenAwake::busNamed(name));
        QDeadlineTimer quick(500);
        awake.setWanted(true);
        EXPECT_FALSE(quick.hasExpired()) << "never waits for the bus";
        waitFor([] { return false; }, 300); // the answers, if any, come
        EXPECT_EQ(awake.held(), 0) << name.toStdString();
        awake.setWanted(false);
    }
    EXPECT_TRUE(Said::lines.isEmpty()) << Said::lines.join(QLatin1Char('\n')).toStdString();
}

TEST(ScreenAwake, TheWindowHoldsTheScreenWhileASongListIsOpen)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    Desktop desktop(bus.connect(QStringLiteral("desktop")));
    TestApp app;
    app.env.desktopBus = bus.address();
    app.start();
    waitFor([] { return false; }, 200);
    EXPECT_EQ(desktop.held(), 0) << "no list yet";

    app.openList({QStringLiteral("a.mid")});
    EXPECT_TRUE(waitFor([&] { return desktop.held() == 2; }));
    app.openList({QStringLiteral("b.mid")});
    waitFor([] { return false; }, 200);
    EXPECT_EQ(desktop.held(), 2) << "one hold while lists follow each other";

    app.stop();
    EXPECT_TRUE(waitFor([&] { return desktop.held() == 0; })) << "given back when the program ends";
}

} // namespace
} // namespace kazoon::test
