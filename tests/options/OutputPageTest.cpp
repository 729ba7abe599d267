#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTest>

#include "app/Colors.h"
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "lyrics/TfrmWrd.h"
#include "options/OutputPage.h"
#include "options/RemotePage.h"
#include "options/TfrmOption.h"
#include "songlist/CheckListBox.h"
#include "support/TestApp.h"
#include "OptionDialogFixture.h"

using namespace kazoon;
using kazoon::test::OptionDialog;
using kazoon::test::TestApp;
using kazoon::test::portConfig;
using engine::OutputConfig;

namespace {

const std::string *setting(const OutputConfig &config, const std::string &key)
{
    for (const auto &[name, value] : config.fluidSettings)
        if (name == key)
            return &value;
    return nullptr;
}

} // namespace

TEST_F(OptionDialog, APortRememberedButMissingIsShownAsMissingNotReplaced)
{
    const struct {
        const char *remembered;
        QStringList ports;
        const char *shown;
        int switches; // OK on another page switches only when the choice changed
    } rows[] = {
        {"SC-88 MIDI 1 24:0", {"USB MIDI 1 20:0"}, "SC-88 MIDI 1 24:0(見つかりません)", 0},
        // The same port under new numbers is the remembered one.
        {"SC-88 MIDI 1 24:0", {"USB MIDI 1 20:0", "SC-88 MIDI 1 28:0"}, "SC-88 MIDI 1 28:0", 0},
        {"SC-88 MIDI 1", {}, "SC-88 MIDI 1(見つかりません)", 0},
        {"", {"USB MIDI 1 20:0"}, "USB MIDI 1 20:0", 1}, // no port yet: the first is offered
    };
    start();
    for (const auto &r : rows) {
        app.output.applied.clear();
        app.output.setConfig(portConfig(r.remembered));
        app.output.portNames = r.ports;
        open([&](TfrmOption *o) {
            EXPECT_TRUE(o->outputPage->RadioPort->isChecked());
            EXPECT_EQ(o->outputPage->cmbPort->currentText(), r.shown) << r.remembered;
            o->OKBtn->click();
        });
        EXPECT_EQ(app.output.applied.size(), r.switches) << r.remembered;
        EXPECT_EQ(app.output.config().port, r.switches ? r.ports.at(0).toStdString() : r.remembered);
    }
    // The list is asked again each time the page comes up.
    app.output.setConfig(portConfig("B"));
    app.output.portNames = {"A"};
    open([&](TfrmOption *o) {
        EXPECT_EQ(o->outputPage->cmbPort->currentText(), "B(見つかりません)");
        app.output.portNames = {"A", "B"};
        o->PageControl->setCurrentWidget(o->outputPage);
        EXPECT_EQ(o->outputPage->cmbPort->currentText(), "B");
        EXPECT_EQ(o->outputPage->cmbPort->count(), 2);
    });
}

TEST_F(OptionDialog, OkSwitchesTheOutputAtOnce)
{
    start();
    app.output.portNames = {"USB MIDI 1 20:0", "SC-88 MIDI 1 24:0"};
    open([](TfrmOption *o) {
        EXPECT_TRUE(o->outputPage->RadioSynth->isChecked());
        EXPECT_FALSE(o->outputPage->cmbPort->isEnabled());
        o->outputPage->RadioPort->click();
        EXPECT_TRUE(o->outputPage->cmbPort->isEnabled());
        EXPECT_FALSE(o->outputPage->cmbSoundFont->isEnabled());
        o->outputPage->cmbPort->setCurrentIndex(1);
        o->outputPage->chkGmReset->setChecked(true);
        o->OKBtn->click();
    });
    ASSERT_EQ(app.output.applied.size(), 1);
    const OutputConfig &c = app.output.applied.at(0);
    EXPECT_EQ(c.device, OutputConfig::Device::Port);
    EXPECT_EQ(c.port, "SC-88 MIDI 1 24:0");
    EXPECT_TRUE(c.gmReset);
    EXPECT_TRUE(c.fluidSettings.empty()) << "untouched synthesizer settings are not written";

    // OK on the sound output page opens the output again even when unchanged,
    // so that a device plugged back in is taken up.
    open([](TfrmOption *o) {
        o->PageControl->setCurrentWidget(o->outputPage);
        o->OKBtn->click();
    });
    EXPECT_EQ(app.output.applied.size(), 2);
    open([](TfrmOption *o) {
        o->outputPage->RadioNone->click();
        EXPECT_FALSE(o->outputPage->cmdTest->isEnabled());
        o->OKBtn->click();
    });
    EXPECT_EQ(app.output.config().device, OutputConfig::Device::None);
}

TEST_F(OptionDialog, AnOutputThatCannotOpenIsReportedOnOkAndTheOldOneStays)
{
    start("[Repeat]\nSet=1\n");
    openList();
    app.output.portNames = {"USB MIDI 1"};
    app.output.failNext(QStringLiteral("MIDI出力ポートを使用できません。"));
    bool openAfterBox = false;
    open([&](TfrmOption *o) {
        o->StepBar->setValue(5);
        o->chkOnRep->setChecked(false);
        o->outputPage->RadioPort->click();
        o->PageControl->setCurrentIndex(0);
        o->OKBtn->click();
        openAfterBox = o->isVisible();
        EXPECT_EQ(o->PageControl->currentWidget(), o->outputPage);
        o->CancelBtn->click();
    });
    EXPECT_TRUE(openAfterBox);
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, "MIDI出力ポートを使用できません。");
    EXPECT_EQ(app.dialogs.boxes[0].caption, "カズーン");
    EXPECT_EQ(app.dialogs.boxes[0].flags, mb::IconStop);
    EXPECT_EQ(app.output.config().device, OutputConfig::Device::Synth);
    EXPECT_TRUE(app.output.applied.isEmpty());
    // Nothing else of OK happened either.
    EXPECT_TRUE(w->lstLive->isChecked(2));
    EXPECT_EQ(dlg->StepBar->value(), 0);
}

TEST_F(OptionDialog, TheSynthesizerPageOffersTheLibrarysAudioSystemsAndShowsTheLatency)
{
    OutputConfig config;
    config.soundFont = app.makeFile("sf/mine.sf2", "RIFF").toStdString();
    config.fluidSettings = {{"audio.driver", "alsa"}, {"synth.sample-rate", "44100"}};
    app.output.setConfig(config);
    app.output.soundFontPaths = {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"};
    start();
    open([&](TfrmOption *o) {
        QStringList drivers;
        for (int i = 0; i < o->outputPage->cmbDriver->count(); ++i)
            drivers << o->outputPage->cmbDriver->itemText(i);
        EXPECT_EQ(drivers, QStringList({"自動", "PulseAudio/PipeWire", "JACK", "ALSA"}));
        EXPECT_EQ(o->outputPage->cmbDriver->currentText(), "ALSA");
        EXPECT_EQ(o->outputPage->cmbSoundFont->currentText(), QString::fromStdString(config.soundFont));
        EXPECT_EQ(o->outputPage->cmbSoundFont->itemText(0), "/usr/share/sounds/sf2/FluidR3_GM.sf2");
        // The fake's default buffer: 64 frames twice, at the settings' 44.1 kHz.
        EXPECT_EQ(o->outputPage->lblLatency->text(), "2.9 ミリ秒");
        o->outputPage->spnPeriodSize->setValue(128);
        o->outputPage->spnPeriods->setValue(3);
        EXPECT_EQ(o->outputPage->lblLatency->text(), "8.7 ミリ秒");
        o->outputPage->cmbDriver->setCurrentIndex(0);
        app.dialogs.openFile("/sf/other.sf3");
        o->outputPage->cmdSoundFont->click();
        o->OKBtn->click();
    });
    ASSERT_EQ(app.output.applied.size(), 1);
    const OutputConfig &c = app.output.applied.at(0);
    EXPECT_EQ(c.soundFont, "/sf/other.sf3");
    ASSERT_TRUE(setting(c, "audio.driver"));
    EXPECT_EQ(*setting(c, "audio.driver"), "") << "automatic is written blank, not dropped";
    EXPECT_EQ(*setting(c, "audio.period-size"), "128");
    EXPECT_EQ(*setting(c, "audio.periods"), "3");
    EXPECT_EQ(*setting(c, "synth.sample-rate"), "44100");
    ASSERT_EQ(app.dialogs.openRequests.size(), 1);
    EXPECT_EQ(app.dialogs.openRequests[0].folder, app.path("sf"));
    EXPECT_TRUE(app.dialogs.openRequests[0].filter.contains("*.sf2 *.sf3"));

    const struct {
        int size, periods;
        double rate;
        const char *text;
    } rows[] = {{64, 16, 44100, "23.2 ミリ秒"}, {64, 2, 48000, "2.7 ミリ秒"}, {256, 2, 48000, "10.7 ミリ秒"}};
    for (const auto &r : rows)
        EXPECT_EQ(OutputPage::latencyText(r.size, r.periods, r.rate), r.text);
}

TEST_F(OptionDialog, TheTestChordPlaysOnTheChosenOutputAndCancelTakesTheOldOneBack)
{
    start();
    app.output.portNames = {"USB MIDI 1"};
    open([&](TfrmOption *o) {
        o->outputPage->RadioPort->click();
        o->outputPage->cmdTest->click();
        EXPECT_EQ(app.output.chords, 1);
        EXPECT_EQ(app.output.config().device, OutputConfig::Device::Port);
        o->outputPage->cmdTest->click(); // the same output again: no second switch
        EXPECT_EQ(app.output.chords, 2);
        EXPECT_EQ(app.output.applied.size(), 1);
        o->CancelBtn->click();
    });
    EXPECT_FALSE(app.output.chordSounding);
    ASSERT_EQ(app.output.applied.size(), 2);
    EXPECT_EQ(app.output.config().device, OutputConfig::Device::Synth);

    // A switch for the test that fails: the box, and no chord.
    app.output.failNext(QStringLiteral("使用できません。"));
    open([](TfrmOption *o) {
        o->outputPage->RadioPort->click();
        o->outputPage->cmdTest->click();
        o->CancelBtn->click();
    });
    EXPECT_EQ(app.output.chords, 2);
    ASSERT_EQ(app.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.dialogs.boxes[0].text, "使用できません。");
}
