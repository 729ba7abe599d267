#include "options/BandViewPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "bandview/QrCode.h"
#include "options/PageLayout.h"

namespace kazoon {

namespace {
const QString kNoNetwork =
    QStringLiteral("このコンピューターはネットワークにつながっていません。バンドの端末と同じネットワークにつないでください。");
} // namespace

BandViewPage::BandViewPage(BandViewPageHooks hooks, QWidget *parent)
    : QWidget(parent), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("TabSheet5"));
    chkBand = named(new QCheckBox(QStringLiteral("バンドビューを開く(&B)"), this), "chkBand",
                    QRect(12, 10, 200, 20));
    named(new QLabel(QStringLiteral("ポート(&P):"), this), "lblBandPort", QRect(12, 40, 64, 16))
        ->setBuddy(txtBandPort = named(new QSpinBox(this), "txtBandPort", QRect(78, 37, 72, 22)));
    txtBandPort->setRange(1024, 65535);
    txtBandPort->setValue(BandViewSettings::kDefaultPort);
    cmdBandCode = named(new QPushButton(QStringLiteral("新しいコードにする"), this), "cmdBandCode",
                        QRect(170, 36, 150, 25));
    named(new QLabel(QStringLiteral("ネットワーク(&N):"), this), "lblBandHost", QRect(12, 70, 90, 16))
        ->setBuddy(cmbBandHost = named(new QComboBox(this), "cmbBandHost", QRect(104, 67, 216, 22)));
    txtBandAddress = named(new QLineEdit(this), "txtBandAddress", QRect(12, 96, 308, 22));
    txtBandAddress->setReadOnly(true);
    imgBandQr = named(new QLabel(this), "imgBandQr", QRect(12, 124, 140, 140));
    imgBandQr->setAlignment(Qt::AlignCenter);
    lblBandProblem = named(new QLabel(this), "lblBandProblem", QRect(160, 124, 160, 140));
    lblBandProblem->setWordWrap(true);
    lblBandProblem->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    txtBandPort->setAccessibleName(QStringLiteral("バンドビューのポート"));
    cmbBandHost->setAccessibleName(QStringLiteral("バンドビューのネットワーク"));
    txtBandAddress->setAccessibleName(QStringLiteral("スマートフォンのブラウザーで開くアドレス"));
    lblBandProblem->setAccessibleDescription(QStringLiteral("バンドビューの状態"));

    connect(chkBand, &QCheckBox::clicked, this, &BandViewPage::chkBandClick);
    connect(cmdBandCode, &QPushButton::clicked, this, &BandViewPage::cmdBandCodeClick);
    connect(txtBandPort, &QSpinBox::valueChanged, this, [this] { showAddress(); });
    connect(cmbBandHost, &QComboBox::currentIndexChanged, this, [this] { showAddress(); });
}

void BandViewPage::showCurrent()
{
    const BandViewSettings s = hooks_.inUse ? hooks_.inUse() : BandViewSettings();
    chkBand->setChecked(s.enabled);
    txtBandPort->setValue(s.port);
    code_ = s.code;
    const QStringList hosts = hooks_.addresses ? hooks_.addresses() : QStringList();
    cmbBandHost->clear();
    cmbBandHost->addItems(hosts);
    cmbBandHost->setEnabled(hosts.size() > 1);
    const QString problem = hooks_.problem ? hooks_.problem() : QString();
    lblBandProblem->setText(problem);
    showAddress();
}

void BandViewPage::chkBandClick()
{
    // The code is made when the view is first turned on, so that the address
    // can be handed round before the show.
    if (chkBand->isChecked() && !isAccessCode(code_))
        code_ = newAccessCode();
    lblBandProblem->clear();
    showAddress();
}

void BandViewPage::cmdBandCodeClick()
{
    code_ = newAccessCode();
    showAddress();
}

void BandViewPage::showAddress()
{
    const bool on = chkBand->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(txtBandPort), static_cast<QWidget *>(cmdBandCode),
                       static_cast<QWidget *>(txtBandAddress)})
        w->setEnabled(on);
    cmbBandHost->setEnabled(on && cmbBandHost->count() > 1);
    const QString host = cmbBandHost->currentText();
    if (!on || host.isEmpty() || !isAccessCode(code_)) {
        txtBandAddress->clear();
        imgBandQr->clear();
        imgBandQr->setAccessibleName(QString());
        imgBandQr->setAccessibleDescription(QString());
        if (on && host.isEmpty() && lblBandProblem->text().isEmpty())
            lblBandProblem->setText(kNoNetwork);
        return;
    }
    const QString address = bandViewAddress(host, txtBandPort->value(), code_);
    txtBandAddress->setText(address);
    // Whole pixels a module, so that every module is as wide as the next.
    const int modules = qrCodeImage(address, 1).width();
    const int scale = modules > 0 ? std::max(1, imgBandQr->width() / modules) : 1;
    imgBandQr->setPixmap(QPixmap::fromImage(qrCodeImage(address, scale)));
    // A picture has no text of its own: it is named while it shows the code.
    imgBandQr->setAccessibleName(QStringLiteral("アドレスのQRコード"));
    imgBandQr->setAccessibleDescription(address);
}

BandViewSettings BandViewPage::settings() const
{
    BandViewSettings s;
    s.enabled = chkBand->isChecked();
    s.port = txtBandPort->value();
    s.code = code_;
    return s;
}

bool BandViewPage::checkOnOk()
{
    if (!chkBand->isChecked() || !hooks_.checkPort)
        return true;
    const QString reason = hooks_.checkPort(txtBandPort->value());
    lblBandProblem->setText(reason);
    return reason.isEmpty();
}

} // namespace kazoon
