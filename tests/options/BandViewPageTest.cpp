#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>

#include "../bandview/BandClient.h"
#include "app/MainWindow.h"
#include "bandview/BandView.h"
#include "options/BandViewPage.h"
#include "options/TfrmOption.h"
#include "support/TestApp.h"

using namespace kazoon;
using namespace kazoon::test;

namespace {

// A port nobody listens at just now.
int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class BandViewOptions : public ::testing::Test {
protected:
    TestApp app;
    TfrmMain *w = nullptr;

    void start(const QString &settings = QString())
    {
        if (!settings.isEmpty())
            app.writeSettings(settings);
        w = app.start().main();
        w->bandView().setListenAddress(QHostAddress::LocalHost);
        w->bandView().setAddressSource([] { return QStringList{"192.168.1.5", "10.0.0.2"}; });
    }

    // Opens the options on the band view page; `script` works the dialog and
    // returns its answer (or clicks OK itself).
    void open(std::function<int(TfrmOption *, BandViewPage *)> script)
    {
        app.dialogs.onExec([script](QDialog *d) {
            auto *dlg = static_cast<TfrmOption *>(d);
            dlg->PageControl->setCurrentWidget(dlg->bandViewPage);
            return script(dlg, dlg->bandViewPage);
        });
        w->mnuOptionItemClick();
    }
};

} // namespace

TEST_F(BandViewOptions, TurningOnMakesACodeForTheAddressAndOkOpensTheView)
{
    start();
    const int port = freePort();
    QString shown;
    open([&](TfrmOption *dlg, BandViewPage *page) {
        EXPECT_FALSE(page->chkBand->isChecked());
        EXPECT_EQ(page->chkBand->text(), QStringLiteral("バンドビューを開く(&B)"));
        EXPECT_EQ(page->txtBandPort->value(), 8765);
        EXPECT_TRUE(page->txtBandAddress->text().isEmpty());
        page->chkBand->click();
        page->txtBandPort->setValue(port);
        shown = page->txtBandAddress->text();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("http://192.168.1.5:%1/?k=").arg(port)));
        EXPECT_FALSE(page->imgBandQr->pixmap().isNull());
        EXPECT_EQ(page->imgBandQr->accessibleDescription(), shown);
        // The other network's address is one choice away.
        page->cmbBandHost->setCurrentIndex(1);
        EXPECT_TRUE(page->txtBandAddress->text().startsWith(QStringLiteral("http://10.0.0.2:")));
        dlg->OKBtn->click();
        return int(dlg->result());
    });
    const BandViewSettings s = w->bandView().settings();
    ASSERT_TRUE(s.enabled);
    EXPECT_EQ(s.port, port);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("?k=") + s.code));
    EXPECT_TRUE(w->bandView().server().isListening());
    EXPECT_EQ(statusLine(get(quint16(port), "/?k=" + s.code.toUtf8())), "HTTP/1.1 200 OK");

    // The next opening shows the same code; Cancel keeps everything.
    open([&](TfrmOption *, BandViewPage *page) {
        EXPECT_TRUE(page->chkBand->isChecked());
        EXPECT_EQ(page->txtBandAddress->text(), shown);
        page->chkBand->click();
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(w->bandView().server().isListening());

    // Off closes the server.
    open([&](TfrmOption *dlg, BandViewPage *page) {
        page->chkBand->click();
        dlg->OKBtn->click();
        return int(dlg->result());
    });
    EXPECT_FALSE(w->bandView().server().isListening());
    EXPECT_EQ(w->bandView().settings().code, s.code) << "the code stays for the next time";
}

TEST_F(BandViewOptions, NewCodeClosesThePagesOpenedWithTheOldOne)
{
    const int port = freePort();
    start(QStringLiteral("[BandView]\r\nEnabled=1\r\nPort=%1\r\nCode=abcdefghjkmn\r\n").arg(port));
    ASSERT_TRUE(w->bandView().server().isListening());
    PageClient old(quint16(port), QStringLiteral("abcdefghjkmn"));
    ASSERT_TRUE(runUntil([&] { return !old.messages.isEmpty(); }));

    open([&](TfrmOption *dlg, BandViewPage *page) {
        const QString before = page->txtBandAddress->text();
        page->cmdBandCode->click();
        EXPECT_NE(page->txtBandAddress->text(), before);
        dlg->OKBtn->click();
        return int(dlg->result());
    });
    const QString code = w->bandView().settings().code;
    EXPECT_NE(code, QStringLiteral("abcdefghjkmn"));
    EXPECT_TRUE(runUntil([&] { return old.closed; }));
    PageClient fresh(quint16(port), code);
    EXPECT_TRUE(runUntil([&] { return !fresh.messages.isEmpty(); }));
}

TEST_F(BandViewOptions, PortInUseIsToldOnThePageAndTheShowGoesOn)
{
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0));
    const int taken = other.serverPort();
    const QString message =
        QStringLiteral("ポート %1 は他のプログラムが使っています。別のポート番号にしてください。").arg(taken);

    // At start: a line in the status bar, and the page says it.
    start(QStringLiteral("[BandView]\r\nEnabled=1\r\nPort=%1\r\nCode=abcdefghjkmn\r\n").arg(taken));
    EXPECT_FALSE(w->bandView().server().isListening());
    EXPECT_EQ(w->statusBar_->currentMessage(), QStringLiteral("バンドビュー: ") + message);
    EXPECT_TRUE(app.dialogs.boxes.isEmpty());

    const int port = freePort();
    open([&](TfrmOption *dlg, BandViewPage *page) {
        EXPECT_EQ(page->lblBandProblem->text(), message);
        // OK with the port still taken: the dialog stays on the page.
        dlg->OKBtn->click();
        EXPECT_EQ(dlg->result(), int(QDialog::Rejected));
        EXPECT_EQ(dlg->PageControl->currentWidget(), page);
        EXPECT_EQ(page->lblBandProblem->text(), message);
        page->txtBandPort->setValue(port);
        dlg->OKBtn->click();
        return int(dlg->result());
    });
    EXPECT_TRUE(w->bandView().server().isListening());
    EXPECT_EQ(w->bandView().server().port(), port);
    EXPECT_TRUE(w->bandView().problem().isEmpty());
}
