#include "songlist/TfrmInstruments.h"
#include "app/DialogButton.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QScrollArea>

#include "app/AppTitle.h"
#include "app/Dialogs.h"
#include "app/Fonts.h"
#include "app/ParseInt.h"
#include "app/ShortText.h"
#include "options/PortList.h"

namespace kazoon {

namespace {

const QString kNone = QStringLiteral("なし");
const QString kSongOutput = QStringLiteral("曲の出力");

// A value shown as it goes out, with "なし" below the range for none.
QSpinBox *valueBox(QWidget *parent, const QString &accessible, int low, int high)
{
    auto *s = new QSpinBox(parent);
    s->setRange(low - 1, high);
    s->setSpecialValueText(kNone);
    s->setAccessibleName(accessible);
    s->setAlignment(Qt::AlignRight);
    return s;
}

} // namespace

TfrmInstruments::TfrmInstruments(InstrumentDialogHooks hooks, const QString &songName,
                                 const engine::InstrumentSetup &setup, QWidget *parent)
    : QDialog(parent), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("frmInstruments"));
    setWindowTitle(QStringLiteral("音色の設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(uiFont());

    auto *song = new QLabel(shortenMiddle(songName), this);
    song->setAccessibleDescription(QStringLiteral("曲"));
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("曲:"), this));
    top->addWidget(song, 1);

    // The 16 channels scroll, so that the dialog fits a laptop's screen.
    auto *table = new QWidget;
    auto *grid = new QGridLayout(table);
    const QStringList heads = {QStringLiteral("チャンネル"), QStringLiteral("バンクMSB"), QStringLiteral("バンクLSB"),
                               QStringLiteral("プログラム"), QStringLiteral("コントロールチェンジ (番号=値)")};
    for (int c = 0; c < heads.size(); ++c)
        grid->addWidget(new QLabel(heads.at(c), table), 0, c);
    for (int ch = 0; ch < engine::InstrumentSetup::kChannels; ++ch) {
        const QString name = QStringLiteral("チャンネル%1 ").arg(ch + 1);
        ChannelRow &r = rows[std::size_t(ch)];
        r.bankMsb = valueBox(table, name + QStringLiteral("バンクMSB"), 0, 127);
        r.bankLsb = valueBox(table, name + QStringLiteral("バンクLSB"), 0, 127);
        r.program = valueBox(table, name + QStringLiteral("プログラム"), 1, 128);
        r.controls = new QLineEdit(table);
        r.controls->setAccessibleName(name + QStringLiteral("コントロールチェンジ"));
        if (ch == 0)
            r.controls->setPlaceholderText(QStringLiteral("例: 7=100 91=40"));
        r.bankMsb->setObjectName(QStringLiteral("spnBankMsb%1").arg(ch + 1));
        r.bankLsb->setObjectName(QStringLiteral("spnBankLsb%1").arg(ch + 1));
        r.program->setObjectName(QStringLiteral("spnProgram%1").arg(ch + 1));
        r.controls->setObjectName(QStringLiteral("edtControls%1").arg(ch + 1));
        grid->addWidget(new QLabel(QString::number(ch + 1), table), ch + 1, 0, Qt::AlignCenter);
        grid->addWidget(r.bankMsb, ch + 1, 1);
        grid->addWidget(r.bankLsb, ch + 1, 2);
        grid->addWidget(r.program, ch + 1, 3);
        grid->addWidget(r.controls, ch + 1, 4);
        // A bank is chosen with a program only.
        connect(r.program, &QSpinBox::valueChanged, this, [msb = r.bankMsb, lsb = r.bankLsb](int program) {
            msb->setEnabled(program > 0);
            lsb->setEnabled(program > 0);
        });
    }
    grid->setColumnStretch(4, 1);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrChannels"));
    scroll->setWidget(table);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // About eight channels in view; the rest scroll.
    scroll->setMinimumHeight(table->sizeHint().height() * 9 / 17);
    scroll->setMaximumHeight(table->sizeHint().height() + 4);
    scroll->setMinimumWidth(table->sizeHint().width() + 24);
    auto *channelsLabel = new QLabel(QStringLiteral("各チャンネルの音色(&C):"), this);
    channelsLabel->setBuddy(rows[0].bankMsb);

    lblSysex = new QLabel(this);
    lblSysex->setObjectName(QStringLiteral("lblSysex"));
    lblSysex->setAccessibleDescription(QStringLiteral("システムエクスクルーシブのファイル"));
    lblSysex->setFrameShape(QFrame::StyledPanel);
    lblSysex->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdSysex = dialogButton(this, "cmdSysex", QStringLiteral("参照(&B)..."), QStringLiteral("参照"));
    cmdNoSysex = dialogButton(this, "cmdNoSysex", QStringLiteral("なし(&N)"), QStringLiteral("なし"));
    auto *sysexLabel = new QLabel(QStringLiteral("システムエクスクルーシブ(&X):"), this);
    sysexLabel->setBuddy(cmdSysex);
    auto *sysex = new QHBoxLayout;
    sysex->addWidget(lblSysex, 1);
    sysex->addWidget(cmdSysex);
    sysex->addWidget(cmdNoSysex);
    auto *sysexNote = new QLabel(QStringLiteral("ファイルのメッセージ (F0～F7) を、各チャンネルの音色より先に送ります。"), this);

    chkSongNo = new QCheckBox(QStringLiteral("曲番号を送る(&S)"), this);
    chkSongNo->setObjectName(QStringLiteral("chkSongNo"));
    chkSongNo->setToolTip(QStringLiteral("曲を読み込むとき、キーボードや照明卓にプログラムチェンジで曲番号を送ります"));
    spnSongNo = new QSpinBox(this);
    spnSongNo->setObjectName(QStringLiteral("spnSongNo"));
    spnSongNo->setRange(1, 128);
    spnSongNo->setAccessibleName(QStringLiteral("曲番号"));
    spnSongNoChannel = new QSpinBox(this);
    spnSongNoChannel->setObjectName(QStringLiteral("spnSongNoChannel"));
    spnSongNoChannel->setRange(1, 16);
    spnSongNoChannel->setAccessibleName(QStringLiteral("曲番号のチャンネル"));
    cboSongNoPort = new QComboBox(this);
    cboSongNoPort->setObjectName(QStringLiteral("cboSongNoPort"));
    cboSongNoPort->setAccessibleName(QStringLiteral("曲番号のポート"));
    auto *numberLabel = new QLabel(QStringLiteral("曲番号(&G):"), this);
    numberLabel->setBuddy(spnSongNo);
    auto *channelLabel = new QLabel(QStringLiteral("チャンネル(&H):"), this);
    channelLabel->setBuddy(spnSongNoChannel);
    auto *portLabel = new QLabel(QStringLiteral("ポート(&O):"), this);
    portLabel->setBuddy(cboSongNoPort);
    auto *number = new QHBoxLayout;
    number->addWidget(chkSongNo);
    number->addSpacing(12);
    number->addWidget(numberLabel);
    number->addWidget(spnSongNo);
    number->addWidget(channelLabel);
    number->addWidget(spnSongNoChannel);
    number->addWidget(portLabel);
    number->addWidget(cboSongNoPort, 1);

    cmdClear = dialogButton(this, "cmdClear", QStringLiteral("すべて消去(&A)"), QStringLiteral("すべて消去"));
    OKBtn = dialogButton(this, "OKBtn", QStringLiteral("OK"), QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = dialogButton(this, "CancelBtn", QStringLiteral("キャンセル"), QStringLiteral("キャンセル"));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cmdClear);
    bottom->addStretch();
    bottom->addWidget(OKBtn);
    bottom->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(channelsLabel);
    layout->addWidget(scroll, 1);
    layout->addWidget(sysexLabel);
    layout->addLayout(sysex);
    layout->addWidget(sysexNote);
    layout->addSpacing(6);
    layout->addLayout(number);
    layout->addSpacing(8);
    layout->addLayout(bottom);

    load(setup);
    connect(cmdSysex, &QPushButton::clicked, this, [this] { chooseSysex(); });
    connect(cmdNoSysex, &QPushButton::clicked, this, [this] {
        sysexFile_.clear();
        showSysex();
    });
    connect(chkSongNo, &QCheckBox::toggled, this, [this] { setSongNumberEnabled(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { load({}); });
    connect(OKBtn, &QPushButton::clicked, this, &TfrmInstruments::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmInstruments::load(const engine::InstrumentSetup &setup)
{
    for (int ch = 0; ch < engine::InstrumentSetup::kChannels; ++ch) {
        const engine::ChannelSetup &c = setup.channels[std::size_t(ch)];
        ChannelRow &r = rows[std::size_t(ch)];
        r.bankMsb->setValue(c.bankMsb);
        r.bankLsb->setValue(c.bankLsb);
        r.program->setValue(c.program < 0 ? 0 : c.program + 1);
        r.bankMsb->setEnabled(c.program >= 0);
        r.bankLsb->setEnabled(c.program >= 0);
        r.controls->setText(controlsText(c.controls));
    }
    sysexFile_ = QString::fromStdString(setup.sysexFile);
    showSysex();
    chkSongNo->setChecked(setup.songNumber >= 0);
    spnSongNo->setValue(setup.songNumber < 0 ? 1 : setup.songNumber + 1);
    spnSongNoChannel->setValue(setup.songNumberChannel + 1);
    const QStringList offered = hooks_.ports ? hooks_.ports() : QStringList();
    showPortList(cboSongNoPort, portList(offered, QString::fromStdString(setup.songNumberPort), kSongOutput));
    setSongNumberEnabled();
}

engine::InstrumentSetup TfrmInstruments::setup() const
{
    engine::InstrumentSetup s;
    for (int ch = 0; ch < engine::InstrumentSetup::kChannels; ++ch) {
        const ChannelRow &r = rows[std::size_t(ch)];
        engine::ChannelSetup &c = s.channels[std::size_t(ch)];
        c.program = r.program->value() - 1;
        // A bank goes with a program only.
        c.bankMsb = c.program < 0 ? -1 : r.bankMsb->value();
        c.bankLsb = c.program < 0 ? -1 : r.bankLsb->value();
        c.controls = parseControls(r.controls->text()).value_or(std::vector<std::pair<int, int>>{});
    }
    s.sysexFile = sysexFile_.toStdString();
    if (chkSongNo->isChecked()) {
        s.songNumber = spnSongNo->value() - 1;
        s.songNumberChannel = spnSongNoChannel->value() - 1;
        s.songNumberPort = cboSongNoPort->currentData().toString().toStdString();
    }
    return s;
}

void TfrmInstruments::accept()
{
    for (int ch = 0; ch < engine::InstrumentSetup::kChannels; ++ch) {
        QLineEdit *edit = rows[std::size_t(ch)].controls;
        if (parseControls(edit->text()))
            continue;
        if (hooks_.showMessage)
            hooks_.showMessage(QStringLiteral("チャンネル%1のコントロールチェンジが正しくありません。\r\n"
                                              "「番号=値」を空白で区切って入力してください (番号 0～119、値 0～127)。")
                                   .arg(ch + 1),
                               kAppTitle, mb::Ok | mb::IconExclamation);
        edit->setFocus();
        edit->selectAll();
        return;
    }
    QDialog::accept();
}

std::optional<std::vector<std::pair<int, int>>> TfrmInstruments::parseControls(const QString &text)
{
    static const QRegularExpression space(QStringLiteral("[\\s,]+"));
    std::vector<std::pair<int, int>> out;
    for (const QString &pair : text.split(space, Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return std::nullopt;
        const auto controller = parseInteger(QStringView(pair).left(equals));
        const auto value = parseInteger(QStringView(pair).mid(equals + 1));
        if (!controller || !value || *controller < 0 || *controller > 119 || *value < 0 || *value > 127)
            return std::nullopt;
        out.emplace_back(*controller, *value);
    }
    return out;
}

QString TfrmInstruments::controlsText(const std::vector<std::pair<int, int>> &controls)
{
    QStringList pairs;
    for (const auto &[controller, value] : controls)
        pairs << QStringLiteral("%1=%2").arg(controller).arg(value);
    return pairs.join(QLatin1Char(' '));
}

void TfrmInstruments::chooseSysex()
{
    const QString folder = sysexFile_.isEmpty() ? QString() : QFileInfo(sysexFile_).absolutePath();
    const QString file = hooks_.chooseSysex ? hooks_.chooseSysex(folder) : QString();
    if (file.isEmpty())
        return;
    // Checked now, so that a damaged file never reaches an instrument.
    if (const QString refused = hooks_.readSysex ? hooks_.readSysex(file) : QString(); !refused.isEmpty()) {
        if (hooks_.showMessage)
            hooks_.showMessage(refused, kAppTitle, mb::Ok | mb::IconExclamation);
        return;
    }
    sysexFile_ = file;
    showSysex();
}

void TfrmInstruments::showSysex()
{
    lblSysex->setText(sysexFile_.isEmpty() ? kNone : shortenMiddle(QFileInfo(sysexFile_).fileName()));
    lblSysex->setToolTip(sysexFile_);
    cmdNoSysex->setEnabled(!sysexFile_.isEmpty());
}

void TfrmInstruments::setSongNumberEnabled()
{
    for (QWidget *w : std::initializer_list<QWidget *>{spnSongNo, spnSongNoChannel, cboSongNoPort})
        w->setEnabled(chkSongNo->isChecked());
}

} // namespace kazoon
