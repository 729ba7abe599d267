#include "options/MidiClockPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "app/IniFile.h"
#include "options/PageLayout.h"
#include "options/PortList.h"

namespace kazoon {

namespace {
const QString kSection = QStringLiteral("MidiClock");
}

MidiClockPage::MidiClockPage(std::function<QStringList()> ports, QWidget *parent)
    : QWidget(parent), ports_(std::move(ports))
{
    setObjectName(QStringLiteral("TabSheetMidiClock"));
    chkMidiClock = named(new QCheckBox(QStringLiteral("MIDIクロックを送る(&K)"), this), "chkMidiClock",
                         QRect(12, 12, 310, 20));
    auto *port = named(new QLabel(QStringLiteral("出力ポート(&P):"), this), "lblMidiClockPort",
                       QRect(30, 43, 90, 16));
    cmbMidiClockPort = named(new QComboBox(this), "cmbMidiClockPort", QRect(122, 40, 199, 22));
    port->setBuddy(cmbMidiClockPort);
    cmbMidiClockPort->setAccessibleName(QStringLiteral("MIDIクロックの出力ポート"));
    auto *note = named(new QLabel(QStringLiteral("曲のテンポに合わせて4分音符あたり24回のクロックを送ります。"
                                                 "曲の先頭からはスタートを、途中からはソングポジションと"
                                                 "コンティニューを送り、停止と曲の終わりでストップを送ります。"
                                                 "カウント中はカウントのテンポで送ります。"),
                                  this),
                       "lblMidiClockNote", QRect(12, 76, 310, 100));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(chkMidiClock, &QCheckBox::toggled, this, [this] { updateControls(); });
    showCurrent();
}

void MidiClockPage::readSettings(const IniFile &ini)
{
    MidiClockOptions o;
    o.send = ini.readBool(kSection, QStringLiteral("Send"), false);
    o.port = ini.readString(kSection, QStringLiteral("Port"), QString());
    inForce_ = o;
    showCurrent();
}

void MidiClockPage::writeSettings(IniFile &ini) const
{
    ini.writeBool(kSection, QStringLiteral("Send"), inForce_.send);
    ini.writeString(kSection, QStringLiteral("Port"), inForce_.port);
}

void MidiClockPage::showCurrent()
{
    chkMidiClock->setChecked(inForce_.send);
    const QStringList offered = ports_ ? ports_() : QStringList();
    showPortList(cmbMidiClockPort, portList(offered, inForce_.port));
    if (cmbMidiClockPort->currentIndex() < 0 && cmbMidiClockPort->count() > 0)
        cmbMidiClockPort->setCurrentIndex(0); // ticking the box then needs no second choice
    updateControls();
}

const MidiClockOptions &MidiClockPage::accept()
{
    inForce_ = edited();
    return inForce_;
}

MidiClockOptions MidiClockPage::edited() const
{
    MidiClockOptions o;
    o.send = chkMidiClock->isChecked();
    o.port = cmbMidiClockPort->currentIndex() >= 0 ? cmbMidiClockPort->currentData().toString() : inForce_.port;
    // A clock without a port sends nothing: the box stays unticked rather than promise one.
    o.send = o.send && !o.port.isEmpty();
    return o;
}

void MidiClockPage::updateControls() { cmbMidiClockPort->setEnabled(chkMidiClock->isChecked()); }

} // namespace kazoon
