#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "app/MainWindow.h"
#include "options/OutputPage.h"
#include "options/RemotePage.h"
#include "options/TfrmOption.h"
#include "remote/MidiRemote.h"
#include "remote/MidiRemoteInput.h"
#include "songlist/CheckListBox.h"
#include "support/TestApp.h"
#include "support/FakeRemoteInput.h"

using namespace kazoon;
using kazoon::test::TestApp;

namespace {

using kazoon::test::midiMessage;

constexpr int kPlay = int(RemoteCommand::Play), kStop = int(RemoteCommand::Stop),
              kNext = int(RemoteCommand::Next);

class RemotePage : public ::testing::Test {
protected:
    TestApp app;
    TfrmMain *w = nullptr;

    void start(const QString &settings)
    {
        app.remote.portNames = {QStringLiteral("Foot 28:0"), QStringLiteral("Pad 20:0")};
        app.writeSettings(settings);
        w = app.start().main();
    }

    // Opens the options as the menu does; `script` works the dialog and
    // returns its answer (or clicks OK or Cancel itself).
    void open(std::function<int(TfrmOption *)> script)
    {
        app.dialogs.onExec([script](QDialog *d) {
            auto *dlg = static_cast<TfrmOption *>(d);
            dlg->PageControl->setCurrentWidget(dlg->remotePage);
            return script(dlg);
        });
        w->mnuOptionItemClick();
    }

    QString binding(TfrmOption *dlg, int i) const { return dlg->remotePage->lblRemoteBinding[i]->text(); }
};

TEST_F(RemotePage, LearnClearAndOkSaveTheBindingsAndOpenThePort)
{
    start(QStringLiteral("[Remote]\r\nPort=Foot 24:0\r\nPlay=pc:0:1\r\n"));
    ASSERT_EQ(app.remote.portName(), QStringLiteral("Foot 24:0"));
    open([&](TfrmOption *dlg) {
        EXPECT_EQ(dlg->remotePage->cmbRemotePort->currentText(), QStringLiteral("Foot 28:0"));
        EXPECT_EQ(binding(dlg, kPlay), QStringLiteral("プログラム 1 (ch1)"));
        EXPECT_TRUE(dlg->remotePage->lblRemoteNone->isHidden());

        dlg->remotePage->cmdRemoteLearn[kPlay]->click();
        EXPECT_EQ(binding(dlg, kPlay), QStringLiteral("学習中…"));
        app.remote.send(midiMessage({0x80, 60, 0}));  // a release is not learnt
        app.remote.send(midiMessage({0xB0, 64, 10})); // nor a pedal going up
        EXPECT_TRUE(dlg->remotePage->learning());
        app.remote.send(midiMessage({0x92, 60, 90}));
        EXPECT_FALSE(dlg->remotePage->learning());
        EXPECT_EQ(binding(dlg, kPlay), QStringLiteral("ノート 60 (ch3)"));

        dlg->remotePage->cmdRemoteLearn[kStop]->click();
        app.remote.send(midiMessage({0xB0, 64, 127}));
        EXPECT_EQ(binding(dlg, kStop), QStringLiteral("CC64 (ch1)"));

        // The same press for another command moves the binding there.
        dlg->remotePage->cmdRemoteLearn[kNext]->click();
        app.remote.send(midiMessage({0x92, 60, 90}));
        EXPECT_EQ(binding(dlg, kNext), QStringLiteral("ノート 60 (ch3)"));
        EXPECT_EQ(binding(dlg, kPlay), QStringLiteral("未設定"));

        dlg->remotePage->cmdRemoteClear[kStop]->click();
        EXPECT_EQ(binding(dlg, kStop), QStringLiteral("未設定"));
        EXPECT_EQ(w->remote().bindings()[RemoteCommand::Play],
                  (RemoteBinding{RemoteBinding::Program, 0, 1}))
            << "nothing is live before OK";

        dlg->remotePage->cmbRemotePort->setCurrentIndex(dlg->remotePage->cmbRemotePort->findText(QStringLiteral("Pad 20:0")));
        dlg->OKBtn->click();
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(app.remote.portName(), QStringLiteral("Pad 20:0"));
    EXPECT_EQ(w->remote().bindings()[RemoteCommand::Next], (RemoteBinding{RemoteBinding::Note, 2, 60}));
    EXPECT_FALSE(w->remote().bindings()[RemoteCommand::Play].isSet());
    EXPECT_FALSE(w->remote().learning()) << "the show takes the input again";

    w->writeSettings();
    const QString text = app.readSettings();
    for (const char *line : {"Port=Pad 20:0", "Play=\n", "Stop=\n", "Next=note:2:60"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << " in " << text.toStdString();
}

TEST_F(RemotePage, EscEndsLearningAndCancelKeepsTheBindingsInUse)
{
    start(QStringLiteral("[Remote]\r\nPort=Foot 24:0\r\nPlay=note:0:60\r\n"));
    const RemoteBindings before = w->remote().bindings();
    const int opens = int(app.remote.opened.size());
    open([&](TfrmOption *dlg) {
        dlg->remotePage->cmdRemoteLearn[kPlay]->click();
        QTest::keyClick(dlg, Qt::Key_Escape);
        EXPECT_TRUE(dlg->isVisible()) << "Esc ends the learning, not the dialog";
        EXPECT_FALSE(dlg->remotePage->learning());
        EXPECT_EQ(binding(dlg, kPlay), QStringLiteral("ノート 60 (ch1)"));

        dlg->remotePage->cmdRemoteLearn[kPlay]->click();
        app.remote.send(midiMessage({0xC0, 7}));
        dlg->remotePage->cmbRemotePort->setCurrentIndex(0); // none
        dlg->CancelBtn->click();
        return int(QDialog::Rejected);
    });
    EXPECT_EQ(w->remote().bindings(), before);
    EXPECT_EQ(app.remote.portName(), QStringLiteral("Foot 24:0"));
    EXPECT_EQ(app.remote.opened.size(), opens);
    EXPECT_FALSE(w->remote().learning());

    // The next opening shows the bindings in use, not what was cancelled.
    open([&](TfrmOption *dlg) {
        EXPECT_EQ(binding(dlg, kPlay), QStringLiteral("ノート 60 (ch1)"));
        EXPECT_EQ(dlg->remotePage->cmbRemotePort->currentText(), QStringLiteral("Foot 28:0"));
        return int(QDialog::Rejected);
    });
}

TEST_F(RemotePage, PortsMissingAndNoMidiInputAtAll)
{
    struct Case {
        const char *name;
        bool offered;
        QString port;
        QString shown;
        bool enabled;
    };
    const Case cases[] = {
        {"missing port", true, QStringLiteral("Keys 30:0"), QStringLiteral("Keys 30:0(見つかりません)"), true},
        {"no port chosen", true, QString(), QStringLiteral("(なし)"), true},
        {"no MIDI input", false, QStringLiteral("Keys 30:0"), QStringLiteral("Keys 30:0(見つかりません)"), false},
    };
    for (const Case &c : cases) {
        TestApp other;
        other.remote.offered = c.offered;
        other.remote.portNames = {QStringLiteral("Foot 28:0")};
        other.writeSettings(QStringLiteral("[Remote]\r\nPort=") + c.port + QStringLiteral("\r\n"));
        TfrmMain *m = other.start().main();
        other.dialogs.onExec([&](QDialog *d) {
            auto *dlg = static_cast<TfrmOption *>(d);
            EXPECT_EQ(dlg->remotePage->cmbRemotePort->currentText(), c.shown) << c.name;
            EXPECT_EQ(dlg->remotePage->lblRemoteNone->isHidden(), c.offered) << c.name;
            EXPECT_EQ(dlg->remotePage->lblRemoteNone->text(), kNoMidiInputText);
            EXPECT_EQ(dlg->remotePage->cmbRemotePort->isEnabled(), c.enabled) << c.name;
            EXPECT_EQ(dlg->remotePage->cmdRemoteLearn[0]->isEnabled(), c.enabled) << c.name;
            dlg->OKBtn->click();
            return int(QDialog::Accepted);
        });
        m->mnuOptionItemClick();
        EXPECT_EQ(m->remote().bindings().port, c.port) << c.name << ": OK keeps a missing port";
        const QString told = c.port.isEmpty() ? QString()
                             : c.offered    ? remotePortMissingText(c.port)
                                            : kNoMidiInputText;
        EXPECT_EQ(m->statusBar_->currentMessage(), told) << c.name;
        EXPECT_TRUE(other.dialogs.boxes.isEmpty()) << c.name;
    }
}

} // namespace
