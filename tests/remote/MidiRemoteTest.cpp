#include <gtest/gtest.h>

#include <QStringList>

#include "app/IniFile.h"
#include "remote/MidiRemote.h"
#include "remote/MidiRemoteInput.h"
#include "support/FakeRemoteInput.h"

namespace kazoon {
namespace {

using kazoon::test::midiMessage;

// A window that records what the remote asked of it.
struct Host {
    bool busy = false;
    QList<int> keys;
    QStringList status;

    RemoteHost hooks()
    {
        RemoteHost h;
        h.busy = [this] { return busy; };
        h.runKey = [this](int key) { keys << key; };
        h.showStatus = [this](const QString &text, int) { status << text; };
        return h;
    }
};

IniFile settings(const char *text)
{
    IniFile ini;
    ini.parse(QByteArray(text));
    return ini;
}

const char *const kBindings = "[Remote]\r\nPort=Foot\r\nPlay=note:0:60\r\nStop=note:0:61\r\n"
                              "Top=note:0:62\r\nNext=cc:0:80\r\nPrevious=cc:0:81\r\nQS=pc:9:5\r\n";

TEST(MidiRemote, EachCommandGivesItsKey)
{
    const struct {
        QByteArray message;
        int key;
    } cases[] = {
        {midiMessage({0x90, 60, 100}), Qt::Key_Return}, {midiMessage({0x90, 61, 1}), Qt::Key_Escape},
        {midiMessage({0x90, 62, 127}), Qt::Key_Backspace}, {midiMessage({0xB0, 80, 127}), Qt::Key_Down},
        {midiMessage({0xB0, 81, 64}), Qt::Key_Up},       {midiMessage({0xC9, 5}), Qt::Key_F9},
        {midiMessage({0x90, 60, 0}), 0},                  {midiMessage({0xB0, 80, 63}), 0},
        {midiMessage({0xC0, 5}), 0},                      {midiMessage({0xF8}), 0},
    };
    for (const auto &c : cases) {
        test::FakeRemoteInput input;
        input.portNames = {QStringLiteral("Foot")};
        Host host;
        MidiRemote remote(&input, host.hooks());
        remote.start(settings(kBindings));
        remote.message(c.message);
        EXPECT_EQ(host.keys, c.key ? QList<int>{c.key} : QList<int>{}) << c.message.toHex().constData();
    }
}

TEST(MidiRemote, BusyWindowTakesNothingButThePedalIsFollowed)
{
    test::FakeRemoteInput input;
    input.portNames = {QStringLiteral("Foot")};
    Host host;
    MidiRemote remote(&input, host.hooks());
    remote.start(settings(kBindings));
    host.busy = true;
    remote.message(midiMessage({0xB0, 80, 127})); // pressed while a box is up
    host.busy = false;
    remote.message(midiMessage({0xB0, 80, 127})); // still held: no new press
    EXPECT_TRUE(host.keys.isEmpty());
    remote.message(midiMessage({0xB0, 80, 0}));
    remote.message(midiMessage({0xB0, 80, 127}));
    EXPECT_EQ(host.keys, QList<int>{Qt::Key_Down});
}

TEST(MidiRemote, LearnerTakesEveryMessageWhileSet)
{
    test::FakeRemoteInput input;
    Host host;
    MidiRemote remote(&input, host.hooks());
    remote.start(settings(kBindings));
    QList<QByteArray> learnt;
    remote.setLearner([&](const QByteArray &m) { learnt << m; });
    EXPECT_TRUE(remote.learning());
    remote.message(midiMessage({0x90, 60, 100}));
    remote.setLearner(nullptr);
    EXPECT_FALSE(remote.learning());
    remote.message(midiMessage({0x90, 60, 100}));
    EXPECT_EQ(learnt, QList<QByteArray>{midiMessage({0x90, 60, 100})});
    EXPECT_EQ(host.keys, QList<int>{Qt::Key_Return});
}

TEST(MidiRemote, StartToldOnceWhenThePortIsMissing)
{
    test::FakeRemoteInput input;
    Host host;
    MidiRemote remote(&input, host.hooks());
    remote.start(settings(kBindings));
    EXPECT_EQ(host.status, QStringList(remotePortMissingText(QStringLiteral("Foot"))));
    EXPECT_EQ(remote.bindings().port, QStringLiteral("Foot")) << "kept for when it is back";
}

TEST(MidiRemote, ApplyReopensOnlyWhenThePortChangedOrIsNotOpen)
{
    const struct {
        const char *name;
        QString before, next;
        QStringList ports;
        int opens;     // asked to open after apply
        QString reason;
    } cases[] = {
        {"same port, open", "Foot", "Foot", {"Foot"}, 0, QString()},
        {"new port", "Foot", "Pad", {"Foot", "Pad"}, 1, QString()},
        {"same port, missing at start, back now", "Foot", "Foot", {}, 1, QString()},
        {"new port missing", "Foot", "Gone", {"Foot"}, 1, QStringLiteral("Gone")},
        {"none now", "Foot", "", {"Foot"}, 0, QString()},
    };
    for (const auto &c : cases) {
        test::FakeRemoteInput input;
        input.portNames = c.ports;
        Host host;
        MidiRemote remote(&input, host.hooks());
        RemoteBindings first;
        first.port = c.before;
        remote.apply(first);
        if (QLatin1String(c.name).startsWith(QLatin1String("same port, missing")))
            input.portNames = {QStringLiteral("Foot")};
        const qsizetype asked = input.opened.size();
        const int closes = input.closes;
        RemoteBindings next;
        next.port = c.next;
        next[RemoteCommand::Stop] = RemoteBinding{RemoteBinding::Note, 0, 40};
        const QString reason = remote.apply(next);
        EXPECT_EQ(input.opened.size() - asked, c.opens) << c.name;
        EXPECT_EQ(reason, c.reason.isEmpty() ? QString() : remotePortMissingText(c.reason)) << c.name;
        EXPECT_EQ(remote.bindings(), next) << c.name << ": the bindings are taken either way";
        if (c.next.isEmpty()) {
            EXPECT_GT(input.closes, closes) << c.name << ": the port is closed";
        }
    }
}

TEST(MidiRemote, WithoutAnInputNothingHappens)
{
    Host host;
    MidiRemote remote(nullptr, host.hooks());
    remote.start(settings(kBindings));
    RemoteBindings next;
    next.port = QStringLiteral("Pad");
    EXPECT_EQ(remote.apply(next), QString());
    EXPECT_EQ(remote.bindings(), RemoteBindings());
    IniFile ini;
    remote.writeSettings(ini);
    EXPECT_TRUE(ini.keys(QStringLiteral("Remote")).isEmpty());
}

TEST(MidiRemote, SettingsSectionOnlyOnceSetUp)
{
    test::FakeRemoteInput input;
    Host host;
    MidiRemote remote(&input, host.hooks());
    IniFile untouched;
    remote.writeSettings(untouched);
    EXPECT_TRUE(untouched.keys(QStringLiteral("Remote")).isEmpty()) << "never set up";

    IniFile cleared = settings("[Remote]\r\nPort=Foot\r\n");
    remote.writeSettings(cleared);
    EXPECT_EQ(cleared.value(QStringLiteral("Remote"), QStringLiteral("Port")), QString())
        << "a section there is written even with nothing set";
}

} // namespace
} // namespace kazoon
