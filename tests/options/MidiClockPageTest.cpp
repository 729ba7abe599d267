#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "app/MainWindow.h"
#include "options/MidiClockPage.h"
#include "options/TfrmOption.h"
#include "support/TestApp.h"
#include "OptionDialogFixture.h"

using namespace kazoon;
using kazoon::test::OptionDialog;

TEST_F(OptionDialog, MidiClockPortFromTheSettingsReachesTheDeviceAtStartAndOnOk)
{
    app.output.portNames = {QStringLiteral("USB MIDI 1 20:0"), QStringLiteral("Drums 24:0")};
    start(QStringLiteral("[MidiClock]\nSend=1\nPort=Drums 24:0\n"));
    EXPECT_EQ(app.device.midiClockPort, "Drums 24:0");

    // Cancel changes nothing, whatever the page showed.
    open([](TfrmOption *d) {
        EXPECT_TRUE(d->midiClockPage->chkMidiClock->isChecked());
        EXPECT_EQ(d->midiClockPage->cmbMidiClockPort->currentText(), QStringLiteral("Drums 24:0"));
        d->midiClockPage->chkMidiClock->setChecked(false);
        d->CancelBtn->click();
    });
    EXPECT_EQ(app.device.midiClockPort, "Drums 24:0");

    open([](TfrmOption *d) {
        EXPECT_TRUE(d->midiClockPage->chkMidiClock->isChecked());
        d->midiClockPage->chkMidiClock->setChecked(false);
        EXPECT_FALSE(d->midiClockPage->cmbMidiClockPort->isEnabled());
        d->OKBtn->click();
    });
    EXPECT_EQ(app.device.midiClockPort, "");
    w->writeSettings();
    const QString ini = app.readSettings();
    // The port is kept for the next time the clock is wanted.
    EXPECT_TRUE(ini.contains(QStringLiteral("[MidiClock]\nSend=0\nPort=Drums 24:0"))) << ini.toStdString();
}

TEST_F(OptionDialog, MidiClockTickedWithoutAPortChoosesTheFirstOrSendsNothing)
{
    start();
    EXPECT_EQ(app.device.midiClockPort, ""); // no clock by default
    open([](TfrmOption *d) {
        d->midiClockPage->chkMidiClock->setChecked(true);
        d->OKBtn->click();
    });
    EXPECT_EQ(app.device.midiClockPort, ""); // no port there at all
    EXPECT_FALSE(w->liveSettings().midiClock().send);

    app.output.portNames = {QStringLiteral("USB MIDI 1 20:0")};
    open([](TfrmOption *d) {
        d->midiClockPage->chkMidiClock->setChecked(true);
        d->OKBtn->click();
    });
    EXPECT_EQ(app.device.midiClockPort, "USB MIDI 1 20:0");
}

TEST_F(OptionDialog, MidiClockDamagedOrMissingPortIsKeptNotReplaced)
{
    app.output.portNames = {QStringLiteral("USB MIDI 1 20:0")};
    start(QStringLiteral("[MidiClock]\nSend=yes please\nPort=Gone 28:0\n"));
    EXPECT_EQ(app.device.midiClockPort, ""); // a damaged switch is off
    open([](TfrmOption *d) {
        EXPECT_EQ(d->midiClockPage->cmbMidiClockPort->currentText(), QStringLiteral("Gone 28:0(見つかりません)"));
        d->midiClockPage->chkMidiClock->setChecked(true);
        d->OKBtn->click();
    });
    // The performer is told when the song is played, as for the song's own port.
    EXPECT_EQ(app.device.midiClockPort, "Gone 28:0");
}
