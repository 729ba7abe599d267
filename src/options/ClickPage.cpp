#include "options/ClickPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "app/IniFile.h"
#include "options/PageLayout.h"
#include "options/PortList.h"

namespace kazoon {

namespace {

using Route = engine::ClickSettings::Route;

const QString kSection = QStringLiteral("Click");
const char *const kRouteNames[] = {"none", "mix", "split", "port"};

QString countText(int bars) { return bars == 0 ? QStringLiteral("なし") : QStringLiteral("%1小節").arg(bars); }

} // namespace

ClickPage::ClickPage(std::function<QStringList()> ports, QWidget *parent)
    : QWidget(parent), ports_(std::move(ports))
{
    setObjectName(QStringLiteral("TabSheetClick"));
    rdoClickNone = named(new QRadioButton(QStringLiteral("クリックなし(&N)"), this), "rdoClickNone",
                         QRect(12, 8, 310, 20));
    rdoClickMix = named(new QRadioButton(QStringLiteral("曲に混ぜる(&M)"), this), "rdoClickMix",
                        QRect(12, 30, 310, 20));
    rdoClickSplit = named(new QRadioButton(QStringLiteral("左右に分ける (左: クリック / 右: 曲)(&S)"), this),
                          "rdoClickSplit", QRect(12, 52, 310, 20));
    rdoClickSplit->setToolTip(QStringLiteral("内蔵シンセサイザーで、曲を右チャンネルにモノラルで、"
                                             "クリックだけを左チャンネルに出します"));
    rdoClickPort = named(new QRadioButton(QStringLiteral("MIDIポート(&P)"), this), "rdoClickPort",
                         QRect(12, 74, 108, 20));
    cmbClickPort = named(new QComboBox(this), "cmbClickPort", QRect(122, 72, 199, 22));
    cmbClickPort->setAccessibleName(QStringLiteral("クリックのMIDIポート"));

    auto *channel = named(new QLabel(QStringLiteral("チャンネル(&H):"), this), "lblClickChannel",
                          QRect(30, 104, 90, 16));
    spnClickChannel = named(new QSpinBox(this), "spnClickChannel", QRect(122, 101, 56, 22));
    spnClickChannel->setRange(1, 16);
    spnClickChannel->setAccessibleName(QStringLiteral("クリックのMIDIチャンネル"));
    channel->setBuddy(spnClickChannel);
    named(new QLabel(QStringLiteral("(MIDIで鳴らすとき)"), this), "lblClickChannelNote", QRect(184, 104, 140, 16));

    auto *level = named(new QLabel(QStringLiteral("音量(&V):"), this), "lblClickLevel", QRect(12, 136, 108, 16));
    spnClickLevel = named(new QSpinBox(this), "spnClickLevel", QRect(122, 133, 70, 22));
    spnClickLevel->setRange(0, engine::ClickSettings::kMaxLevel);
    spnClickLevel->setSuffix(QStringLiteral(" %"));
    spnClickLevel->setSingleStep(5);
    spnClickLevel->setAccessibleName(QStringLiteral("クリックの音量"));
    level->setBuddy(spnClickLevel);
    chkClickAccent = named(new QCheckBox(QStringLiteral("小節の1拍目を強くする(&A)"), this), "chkClickAccent",
                           QRect(12, 162, 310, 20));

    auto *count = named(new QLabel(QStringLiteral("カウントの既定(&C):"), this), "lblCountDefault",
                        QRect(12, 196, 108, 16));
    cmbCountDefault = named(new QComboBox(this), "cmbCountDefault", QRect(122, 193, 90, 22));
    cmbCountDefault->setAccessibleName(QStringLiteral("カウントの既定"));
    for (int bars = 0; bars <= 2; ++bars)
        cmbCountDefault->addItem(countText(bars), bars);
    count->setBuddy(cmbCountDefault);
    auto *note = named(new QLabel(QStringLiteral("カウントは曲の先頭とスタンバイの位置から再生するときに鳴ります。"
                                                 "曲ごとのカウントは「曲の設定」で変えられます。"),
                                  this),
                       "lblCountNote", QRect(12, 222, 310, 40));
    note->setWordWrap(true);

    for (QRadioButton *r : {rdoClickNone, rdoClickMix, rdoClickSplit, rdoClickPort})
        connect(r, &QRadioButton::toggled, this, [this] { updateControls(); });
    showCurrent();
}

void ClickPage::readSettings(const IniFile &ini)
{
    ClickOptions o;
    const QString route = ini.readString(kSection, QStringLiteral("Route"), QStringLiteral("none")).toLower();
    for (int i = 0; i < 4; ++i)
        if (route == QLatin1String(kRouteNames[i]))
            o.click.route = Route(i);
    o.click.port = ini.readString(kSection, QStringLiteral("Port"), QString()).toStdString();
    const int channel = ini.readInteger(kSection, QStringLiteral("Channel"), 10);
    o.click.channel = channel >= 1 && channel <= 16 ? channel - 1 : 9;
    const int level = ini.readInteger(kSection, QStringLiteral("Level"), o.click.level);
    if (level >= 0 && level <= engine::ClickSettings::kMaxLevel)
        o.click.level = level;
    o.click.accent = ini.readBool(kSection, QStringLiteral("Accent"), true);
    const int bars = ini.readInteger(kSection, QStringLiteral("Count"), o.countBars);
    if (bars >= 0 && bars <= 2)
        o.countBars = bars;
    inForce_ = o;
    showCurrent();
}

void ClickPage::writeSettings(IniFile &ini) const
{
    const engine::ClickSettings &c = inForce_.click;
    ini.writeString(kSection, QStringLiteral("Route"), QLatin1String(kRouteNames[int(c.route)]));
    ini.writeString(kSection, QStringLiteral("Port"), QString::fromStdString(c.port));
    ini.writeInteger(kSection, QStringLiteral("Channel"), c.channel + 1);
    ini.writeInteger(kSection, QStringLiteral("Level"), c.level);
    ini.writeBool(kSection, QStringLiteral("Accent"), c.accent);
    ini.writeInteger(kSection, QStringLiteral("Count"), inForce_.countBars);
}

void ClickPage::showCurrent()
{
    const engine::ClickSettings &c = inForce_.click;
    QRadioButton *radios[] = {rdoClickNone, rdoClickMix, rdoClickSplit, rdoClickPort};
    radios[int(c.route)]->setChecked(true);
    const QStringList offered = ports_ ? ports_() : QStringList();
    showPortList(cmbClickPort, portList(offered, QString::fromStdString(c.port)));
    spnClickChannel->setValue(c.channel + 1);
    spnClickLevel->setValue(c.level);
    chkClickAccent->setChecked(c.accent);
    cmbCountDefault->setCurrentIndex(inForce_.countBars);
    updateControls();
}

ClickOptions ClickPage::edited() const
{
    ClickOptions o;
    o.click.route = rdoClickMix->isChecked()     ? Route::Mix
                    : rdoClickSplit->isChecked() ? Route::Split
                    : rdoClickPort->isChecked()  ? Route::Port
                                                 : Route::Off;
    o.click.port = cmbClickPort->currentData().toString().toStdString();
    o.click.channel = spnClickChannel->value() - 1;
    o.click.level = spnClickLevel->value();
    o.click.accent = chkClickAccent->isChecked();
    o.countBars = cmbCountDefault->currentData().toInt();
    return o;
}

const ClickOptions &ClickPage::accept()
{
    inForce_ = edited();
    return inForce_;
}

void ClickPage::updateControls()
{
    const bool on = !rdoClickNone->isChecked();
    cmbClickPort->setEnabled(rdoClickPort->isChecked());
    // Notes carry the click on a port of its own, or mixed into a song on a port.
    spnClickChannel->setEnabled(rdoClickPort->isChecked() || rdoClickMix->isChecked());
    spnClickLevel->setEnabled(on);
    chkClickAccent->setEnabled(on);
    cmbCountDefault->setEnabled(on);
}

} // namespace kazoon
