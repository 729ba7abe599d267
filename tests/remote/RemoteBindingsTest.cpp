#include <gtest/gtest.h>

#include "app/IniFile.h"
#include "remote/MidiRemoteInput.h"
#include "remote/RemoteBindings.h"
#include "support/FakeRemoteInput.h"

namespace kazoon {
namespace {

using kazoon::test::midiMessage;

TEST(RemoteBindings, SettingsTextAndCaptions)
{
    struct Row {
        const char *ini;
        RemoteBinding binding;
        const char *text;
        const char *written;
    };
    const Row rows[] = {
        {"note:0:60", {RemoteBinding::Note, 0, 60}, "ノート 60 (ch1)", "note:0:60"},
        {"cc:15:64", {RemoteBinding::Control, 15, 64}, "CC64 (ch16)", "cc:15:64"},
        {" PC : 3 : 127 ", {RemoteBinding::Program, 3, 127}, "プログラム 127 (ch4)", "pc:3:127"},
        {"", {}, "未設定", ""},
        {"note:16:60", {}, "未設定", ""},
        {"note:0:128", {}, "未設定", ""},
        {"note:-1:60", {}, "未設定", ""},
        {"note:0", {}, "未設定", ""},
        {"pitch:0:1", {}, "未設定", ""},
        {"note:x:1", {}, "未設定", ""},
    };
    for (const Row &r : rows) {
        const RemoteBinding b = RemoteBinding::fromIni(QString::fromUtf8(r.ini));
        EXPECT_EQ(b, r.binding) << r.ini;
        EXPECT_EQ(b.text(), QString::fromUtf8(r.text)) << r.ini;
        EXPECT_EQ(b.iniText(), QString::fromUtf8(r.written)) << r.ini;
    }
}

TEST(RemoteBindings, WhatAMessageIsLearntAs)
{
    struct Row {
        QByteArray message;
        RemoteBinding binding;
    };
    const Row rows[] = {
        {midiMessage({0x90, 60, 100}), {RemoteBinding::Note, 0, 60}},
        {midiMessage({0x93, 36, 1}), {RemoteBinding::Note, 3, 36}},
        {midiMessage({0x90, 60, 0}), {}}, // a note-off in disguise
        {midiMessage({0x80, 60, 64}), {}},
        {midiMessage({0xB1, 64, 127}), {RemoteBinding::Control, 1, 64}},
        {midiMessage({0xB1, 64, 64}), {RemoteBinding::Control, 1, 64}},
        {midiMessage({0xB1, 64, 63}), {}}, // a pedal going up
        {midiMessage({0xCF, 5}), {RemoteBinding::Program, 15, 5}},
        {midiMessage({0xE0, 0, 64}), {}},
        {midiMessage({0xF8}), {}},
        {midiMessage({0xF0, 0x7E, 0xF7}), {}},
        {midiMessage({0x90, 60}), {}}, // cut short
        {midiMessage({0xC0}), {}},
        {midiMessage({60, 100}), {}},
        {QByteArray(), {}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(RemoteBinding::fromMessage(r.message, 64), r.binding) << r.message.toHex().constData();
}

TEST(RemoteBindings, MatchFiresControlChangesOnTheRisingEdgeOnly)
{
    RemoteBindings b;
    b[RemoteCommand::Play] = {RemoteBinding::Note, 0, 60};
    b[RemoteCommand::Next] = {RemoteBinding::Control, 0, 64};
    b[RemoteCommand::Qs] = {RemoteBinding::Program, 2, 7};
    struct Step {
        QByteArray message;
        std::optional<RemoteCommand> fired;
    };
    const Step steps[] = {
        {midiMessage({0x90, 60, 100}), RemoteCommand::Play},
        {midiMessage({0x90, 60, 100}), RemoteCommand::Play}, // notes fire every time
        {midiMessage({0x91, 60, 100}), std::nullopt},        // another channel
        {midiMessage({0xB0, 64, 127}), RemoteCommand::Next},
        {midiMessage({0xB0, 64, 127}), std::nullopt}, // held
        {midiMessage({0xB0, 64, 80}), std::nullopt},
        {midiMessage({0xB0, 65, 127}), std::nullopt}, // another controller
        {midiMessage({0xB0, 64, 0}), std::nullopt},
        {midiMessage({0xB0, 64, 64}), RemoteCommand::Next},
        {midiMessage({0xC2, 7}), RemoteCommand::Qs},
        {midiMessage({0xC2, 8}), std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(b.match(steps[i].message), steps[i].fired) << "step " << i;
}

TEST(RemoteBindings, ReadAndWriteInPlace)
{
    IniFile ini;
    ini.parse("[Main]\r\nTop=5\r\n[Remote]\r\n; my pedal\r\nPort=Foot 24:0\r\nPlay=note:0:60\r\n"
              "Stop=junk\r\nQS=pc:9:5\r\nThreshold=300\r\n[Words]\r\nSet=1\r\n");
    RemoteBindings b;
    b.read(ini);
    EXPECT_EQ(b.port, QStringLiteral("Foot 24:0"));
    EXPECT_EQ(b.threshold, RemoteBindings::kDefaultThreshold) << "out of range";
    EXPECT_EQ(b[RemoteCommand::Play], (RemoteBinding{RemoteBinding::Note, 0, 60}));
    EXPECT_FALSE(b[RemoteCommand::Stop].isSet());
    EXPECT_EQ(b[RemoteCommand::Qs], (RemoteBinding{RemoteBinding::Program, 9, 5}));

    b[RemoteCommand::Next] = {RemoteBinding::Control, 0, 64};
    b[RemoteCommand::Play] = {};
    b[RemoteCommand::Panic] = {RemoteBinding::Note, 9, 70};
    b.write(ini);
    QString text = ini.text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Main]\nTop=5\n[Remote]\n; my pedal\nPort=Foot 24:0\nPlay=\nStop=\nQS=pc:9:5\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Next=cc:0:64"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Previous=\nPanic=note:9:70\n[Words]\nSet=1"))) << text.toStdString();

    RemoteBindings again;
    again.read(ini);
    EXPECT_EQ(again, b);
}

} // namespace
} // namespace kazoon

namespace kazoon {
namespace {

// The system's input, wherever the tests run: with no ALSA sequencer it says
// so instead of throwing; with one, a port that is not there is named.
TEST(MidiRemoteInput, OpensNothingThatIsNotThereAndNeverThrows)
{
    MidiRemoteInput input;
    const QString reason = input.open(QStringLiteral("Kazoon test port that is not there 99:0"));
    if (input.available()) {
        EXPECT_EQ(reason, remotePortMissingText(QStringLiteral("Kazoon test port that is not there 99:0")));
    } else {
        EXPECT_EQ(reason, kNoMidiInputText);
        EXPECT_TRUE(input.ports().isEmpty());
    }
    EXPECT_TRUE(input.portName().isEmpty());
    input.close();
}

} // namespace
} // namespace kazoon
