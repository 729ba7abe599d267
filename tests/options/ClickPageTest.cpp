#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>

#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "options/ClickPage.h"
#include "options/TfrmOption.h"
#include "support/TestApp.h"

using namespace kazoon;
using kazoon::test::TestApp;
using Route = engine::ClickSettings::Route;

namespace {

class ClickOptionsPage : public ::testing::Test {
protected:
    TestApp app;
    TfrmMain *w = nullptr;

    void start(const QString &settings)
    {
        app.output.portNames = {QStringLiteral("Module 20:0"), QStringLiteral("In-ear 24:0")};
        app.writeSettings(settings);
        w = app.start().main();
    }
    void open(std::function<void(TfrmOption *)> script)
    {
        app.dialogs.onExec([script](QDialog *d) {
            auto *dlg = static_cast<TfrmOption *>(d);
            dlg->PageControl->setCurrentWidget(dlg->clickPage);
            script(dlg);
            return dlg->result();
        });
        w->mnuOptionItemClick();
    }
    QString written() const
    {
        IniFile ini(QString{});
        w->frmOption->writeSettings(ini);
        return ini.text();
    }
};

TEST_F(ClickOptionsPage, SettingsReachTheEngineAtStartAndDamagedOnesFallBack)
{
    start(QStringLiteral("[Click]\r\nRoute=Split\r\nChannel=16\r\nLevel=60\r\nAccent=0\r\nCount=2\r\n"));
    const engine::ClickSettings &c = app.device.click;
    EXPECT_EQ(c.route, Route::Split);
    EXPECT_EQ(c.channel, 15);
    EXPECT_EQ(c.level, 60);
    EXPECT_FALSE(c.accent);
    EXPECT_EQ(w->liveSettings().click().countBars, 2);
    EXPECT_TRUE(w->frmOption->clickPage->rdoClickSplit->isChecked());
}

TEST_F(ClickOptionsPage, DamagedValuesAreTheirDefaults)
{
    start(QStringLiteral("[Click]\r\nRoute=loud\r\nChannel=17\r\nLevel=-5\r\nCount=7\r\n"));
    EXPECT_EQ(app.device.click, engine::ClickSettings{});
    EXPECT_EQ(w->liveSettings().click(), ClickOptions{});
}

TEST_F(ClickOptionsPage, OkPutsTheClickOnAPortAndCancelChangesNothing)
{
    start(QString());
    EXPECT_EQ(app.device.click.route, Route::Off);
    open([](TfrmOption *dlg) {
        ClickPage *p = dlg->clickPage;
        EXPECT_FALSE(p->cmbClickPort->isEnabled());
        EXPECT_FALSE(p->spnClickLevel->isEnabled());
        p->rdoClickPort->setChecked(true);
        EXPECT_TRUE(p->cmbClickPort->isEnabled());
        ASSERT_EQ(p->cmbClickPort->count(), 2);
        p->cmbClickPort->setCurrentIndex(1);
        p->spnClickLevel->setValue(100);
        p->cmbCountDefault->setCurrentIndex(0);
        dlg->CancelBtn->click();
    });
    EXPECT_EQ(app.device.click.route, Route::Off);
    EXPECT_EQ(w->liveSettings().click().countBars, 1);

    open([](TfrmOption *dlg) {
        ClickPage *p = dlg->clickPage;
        EXPECT_TRUE(p->rdoClickNone->isChecked()) << "shown as in force, not as left at Cancel";
        p->rdoClickPort->setChecked(true);
        p->cmbClickPort->setCurrentIndex(1);
        p->spnClickChannel->setValue(16);
        p->cmbCountDefault->setCurrentIndex(2);
        dlg->OKBtn->click();
    });
    EXPECT_EQ(app.device.click.route, Route::Port);
    EXPECT_EQ(app.device.click.port, "In-ear 24:0");
    EXPECT_EQ(app.device.click.channel, 15);
    EXPECT_EQ(w->liveSettings().click().countBars, 2);
    const QString text = written();
    EXPECT_TRUE(text.contains(QStringLiteral("[Click]\nRoute=port\nPort=In-ear 24:0\nChannel=16\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Count=2")));
}

} // namespace
