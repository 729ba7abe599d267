#include "options/TfrmOption.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabWidget>
#include <algorithm>

#include "app/AppTitle.h"
#include "app/Colors.h"
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/Fonts.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"
#include "app/OutputControl.h"
#include "lyrics/TfrmWrd.h"
#include "lyrics/TfrmWrdDir.h"
#include "remote/MidiRemoteInput.h"
#include "remote/RemoteInput.h"
#include "songlist/CheckListBox.h"

namespace kazoon {

namespace {

template <class W>
W *named(W *widget, const char *name, QRect geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// The x at which `bar` shows `value` (its handle's centre, its tick), in
// the bar's parent.
int barX(const QSlider *bar, int value)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = option.sliderValue = value;
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.tickPosition = bar->tickPosition();
    option.tickInterval = bar->tickInterval();
    option.upsideDown = bar->invertedAppearance() != (option.direction == Qt::RightToLeft);
    const QRect handle =
        bar->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, bar);
    return bar->x() + handle.center().x();
}

// Gives a label the size of its text, its middle at `x`, its top at `top`.
void placeCentred(QLabel *label, int x, int top)
{
    const QSize size = label->sizeHint();
    label->setGeometry(x - (size.width() - 1) / 2, top, size.width(), size.height());
}

const QString kDefaultLyricsFont = QStringLiteral("ＭＳ Ｐ明朝");
const QString kMissingPort = QStringLiteral("%1(見つかりません)");

// The audio systems offered, in this order and under these names, when the
// installed synthesizer has them. Others stay as the settings name them.
const std::pair<const char *, const char *> kDrivers[] = {
    {"pulseaudio", "PulseAudio/PipeWire"},
    {"pipewire", "PipeWire"},
    {"jack", "JACK"},
    {"alsa", "ALSA"},
};

using engine::SynthSetting;

int intSetting(const engine::OutputConfig &config, SynthSetting setting, int def)
{
    const std::string *value = config.synthSetting(setting);
    bool ok = false;
    const int number = value ? QString::fromStdString(*value).trimmed().toInt(&ok) : 0;
    return ok ? number : def;
}

bool sameOutput(const engine::OutputConfig &a, const engine::OutputConfig &b)
{
    return a.device == b.device && a.port == b.port && a.soundFont == b.soundFont &&
           a.fluidSettings == b.fluidSettings && a.gmReset == b.gmReset;
}

} // namespace

TfrmOption::TfrmOption(TfrmMain *main, QWidget *parent) : QDialog(parent), main_(main)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(355, 349);
    setFont(uiFont());

    PageControl = named(new QTabWidget(this), "PageControl", QRect(8, 8, 339, 297));
    auto *modePage = new QWidget;
    modePage->setObjectName(QStringLiteral("TabSheet1"));
    auto *lyricsPage = new QWidget;
    lyricsPage->setObjectName(QStringLiteral("TabSheet2"));
    PageControl->addTab(modePage, QStringLiteral("モード設定"));
    PageControl->addTab(lyricsPage, QStringLiteral("歌詞カード"));

    auto *group1 = named(new QGroupBox(QStringLiteral("QSモード"), modePage), "GroupBox1",
                         QRect(8, 8, 317, 161));
    named(new QLabel(QStringLiteral("スタンバイする Step の微調整"), group1), "Label1",
          QRect(12, 20, 200, 16));
    StepBar = named(new QSlider(Qt::Horizontal, group1), "StepBar", QRect(8, 40, 300, 30));
    StepBar->setRange(-15, 16);
    StepBar->setPageStep(4);
    StepBar->setTickInterval(1);
    StepBar->setTickPosition(QSlider::TicksBelow);
    // The bar only as high as its style needs, so that the scale under it
    // stays close to its ticks: a bold mark, and the value under the mark,
    // at both ends and at zero, each centred on the bar's place for it.
    StepBar->resize(StepBar->width(), StepBar->sizeHint().height());
    QFont markFont = font();
    markFont.setBold(true);
    const struct {
        const char *mark, *number;
        const char16_t *text;
        int value;
    } scale[] = {
        {"Panel3", "Label3", u"-15", -15},
        {"Panel5", "Label5", u"0", 0},
        {"Panel4", "Label7", u"+16", 16},
    };
    for (const auto &at : scale) {
        const int x = barX(StepBar, at.value);
        auto *mark = new QLabel(QStringLiteral("|"), group1);
        mark->setObjectName(QLatin1String(at.mark));
        mark->setFont(markFont);
        mark->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        placeCentred(mark, x, StepBar->geometry().bottom() + 1);
        auto *number = new QLabel(QString::fromUtf16(at.text), group1);
        number->setObjectName(QLatin1String(at.number));
        number->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        placeCentred(number, x, mark->geometry().bottom() + 1);
    }
    txtBer = named(new QLineEdit(QStringLiteral("0"), group1), "txtBer", QRect(12, 100, 25, 20));
    txtBer->setReadOnly(true);
    UpDown = named(new QSpinBox(group1), "UpDown", QRect(38, 100, 18, 20));
    UpDown->setRange(-15, 16);
    UpDown->setWrapping(false);
    UpDown->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    named(new QLabel(QStringLiteral("1 Step  =  1/16小節"), group1), "Label2",
          QRect(80, 102, 200, 16));
    chkOnMute = named(new QCheckBox(QStringLiteral("スタンバイ中は音を出さない"), group1),
                      "chkOnMute", QRect(12, 130, 295, 20));
    chkOnLsn = named(new QCheckBox(QStringLiteral("レッスンモードを使用可能にする"), modePage),
                     "chkOnLsn", QRect(16, 184, 300, 20));
    chkOnRep = named(
        new QCheckBox(QStringLiteral("最後の曲のメドレーチェックを有効にしてリピート再生する"),
                      modePage),
        "chkOnRep", QRect(16, 212, 310, 20));

    auto *group2 = named(new QGroupBox(QStringLiteral("歌詞カードのデザイン"), lyricsPage),
                         "GroupBox2", QRect(8, 8, 317, 88));
    cmdFont = named(new QPushButton(QStringLiteral("フォント(&F)"), group2), "cmdFont",
                    QRect(12, 22, 90, 25));
    cmdFcolor = named(new QPushButton(QStringLiteral("文字色(&C)"), group2), "cmdFcolor",
                      QRect(112, 22, 90, 25));
    cmdBcolor = named(new QPushButton(QStringLiteral("背景色(&B)"), group2), "cmdBcolor",
                      QRect(212, 22, 90, 25));
    cmdDefault = named(new QPushButton(QStringLiteral("初期設定に戻す(&D)"), group2),
                       "cmdDefault", QRect(12, 54, 140, 25));
    auto *radioGroup = named(new QGroupBox(QStringLiteral("歌詞カードのフォルダ"), lyricsPage),
                             "RadioGroup1", QRect(8, 104, 317, 112));
    RadioWrd1 = named(new QRadioButton(QStringLiteral("MIDIファイルと同じフォルダに置く"), radioGroup),
                      "RadioWrd1", QRect(12, 20, 290, 20));
    RadioWrd2 = named(new QRadioButton(QStringLiteral("専用のフォルダを指定する"), radioGroup),
                      "RadioWrd2", QRect(12, 44, 200, 20));
    cmdDir = named(new QPushButton(QStringLiteral("参照(&S)"), radioGroup), "cmdDir",
                   QRect(228, 42, 75, 25));
    txtDir = named(new QLineEdit(radioGroup), "txtDir", QRect(28, 74, 276, 20));
    txtDir->setReadOnly(true);
    txtDir->setBackgroundRole(QPalette::Button);
    RadioWrd1->setChecked(true);
    chkOnStop = named(new QCheckBox(QStringLiteral("プレーヤーの停止中も歌詞を表示する"), lyricsPage),
                      "chkOnStop", QRect(16, 228, 300, 20));
    lblDmy = named(new QLabel(lyricsPage), "lblDmy", QRect(0, 0, 10, 10));
    lblDmy->setVisible(false);

    OutputPage = new QWidget;
    OutputPage->setObjectName(QStringLiteral("TabSheet3"));
    PageControl->addTab(OutputPage, QStringLiteral("MIDI出力"));
    RadioSynth = named(new QRadioButton(QStringLiteral("内蔵シンセサイザー(&I)"), OutputPage),
                       "RadioSynth", QRect(12, 8, 200, 20));
    named(new QLabel(QStringLiteral("サウンドフォント:"), OutputPage), "lblSoundFont",
          QRect(28, 32, 120, 16))
        ->setBuddy(cmbSoundFont = named(new QComboBox(OutputPage), "cmbSoundFont",
                                        QRect(28, 50, 212, 22)));
    cmbSoundFont->setEditable(true);
    cmbSoundFont->setInsertPolicy(QComboBox::NoInsert);
    cmbSoundFont->lineEdit()->setPlaceholderText(QStringLiteral("標準のGMサウンドフォント"));
    cmdSoundFont = named(new QPushButton(QStringLiteral("参照..."), OutputPage), "cmdSoundFont",
                         QRect(246, 49, 75, 24));
    named(new QLabel(QStringLiteral("オーディオ:"), OutputPage), "lblDriver",
          QRect(28, 80, 70, 16))
        ->setBuddy(cmbDriver = named(new QComboBox(OutputPage), "cmbDriver",
                                     QRect(100, 77, 160, 22)));
    named(new QLabel(QStringLiteral("バッファ:"), OutputPage), "lblBuffer", QRect(28, 106, 70, 16))
        ->setBuddy(spnPeriodSize = named(new QSpinBox(OutputPage), "spnPeriodSize",
                                         QRect(100, 103, 64, 22)));
    named(new QLabel(QStringLiteral("×"), OutputPage), "lblTimes", QRect(168, 106, 12, 16));
    spnPeriods = named(new QSpinBox(OutputPage), "spnPeriods", QRect(182, 103, 48, 22));
    lblLatency = named(new QLabel(OutputPage), "lblLatency", QRect(236, 106, 90, 16));
    RadioPort = named(new QRadioButton(QStringLiteral("外部MIDIポート(&P)"), OutputPage),
                      "RadioPort", QRect(12, 132, 200, 20));
    cmbPort = named(new QComboBox(OutputPage), "cmbPort", QRect(28, 154, 293, 22));
    RadioNone = named(new QRadioButton(QStringLiteral("出力しない(&N)"), OutputPage), "RadioNone",
                      QRect(12, 182, 200, 20));
    chkGmReset = named(new QCheckBox(QStringLiteral("曲の前にGMリセットを送る"), OutputPage),
                       "chkGmReset", QRect(12, 208, 300, 20));
    cmdTest = named(new QPushButton(QStringLiteral("テスト(&T)"), OutputPage), "cmdTest",
                    QRect(12, 236, 90, 25));
    RadioSynth->setChecked(true);

    RemotePage = new QWidget;
    RemotePage->setObjectName(QStringLiteral("TabSheet4"));
    PageControl->addTab(RemotePage, QStringLiteral("MIDIリモート"));
    named(new QLabel(QStringLiteral("入力ポート(&R):"), RemotePage), "lblRemotePort",
          QRect(12, 12, 90, 16))
        ->setBuddy(cmbRemotePort = named(new QComboBox(RemotePage), "cmbRemotePort",
                                         QRect(104, 9, 217, 22)));
    lblRemoteNone = named(new QLabel(kNoMidiInputText, RemotePage), "lblRemoteNone",
                          QRect(12, 36, 310, 16));
    for (int i = 0; i < kRemoteCommandCount; ++i) {
        const auto command = RemoteCommand(i);
        const QString caption = RemoteBindings::caption(command);
        const int y = 62 + i * 30;
        auto *name = new QLabel(caption, RemotePage);
        name->setGeometry(12, y + 4, 100, 16);
        lblRemoteBinding[i] = new QLabel(RemotePage);
        lblRemoteBinding[i]->setObjectName(QStringLiteral("lblRemoteBinding%1").arg(i));
        lblRemoteBinding[i]->setGeometry(112, y + 4, 112, 16);
        lblRemoteBinding[i]->setAccessibleDescription(caption + QStringLiteral("の割り当て"));
        cmdRemoteLearn[i] = new QPushButton(QStringLiteral("学習"), RemotePage);
        cmdRemoteLearn[i]->setObjectName(QStringLiteral("cmdRemoteLearn%1").arg(i));
        cmdRemoteLearn[i]->setGeometry(226, y, 48, 24);
        cmdRemoteLearn[i]->setAccessibleName(caption + QStringLiteral("を学習"));
        cmdRemoteClear[i] = new QPushButton(QStringLiteral("解除"), RemotePage);
        cmdRemoteClear[i]->setObjectName(QStringLiteral("cmdRemoteClear%1").arg(i));
        cmdRemoteClear[i]->setGeometry(278, y, 44, 24);
        cmdRemoteClear[i]->setAccessibleName(caption + QStringLiteral("の割り当てを解除"));
        connect(cmdRemoteLearn[i], &QPushButton::clicked, this, [this, i] { remoteLearnClick(i); });
        connect(cmdRemoteClear[i], &QPushButton::clicked, this, [this, i] { remoteClearClick(i); });
    }
    cmbRemotePort->setAccessibleName(QStringLiteral("MIDIリモートの入力ポート"));

    // Controls without a caption of their own are named for screen readers.
    StepBar->setAccessibleName(QStringLiteral("スタンバイする Step の微調整"));
    txtBer->setAccessibleName(QStringLiteral("Step の微調整値"));
    UpDown->setAccessibleName(QStringLiteral("Step の微調整値の増減"));
    txtDir->setAccessibleName(QStringLiteral("歌詞カードのフォルダ"));
    cmbSoundFont->setAccessibleName(QStringLiteral("サウンドフォント"));
    cmbDriver->setAccessibleName(QStringLiteral("オーディオ"));
    spnPeriodSize->setAccessibleName(QStringLiteral("バッファの長さ(フレーム)"));
    spnPeriods->setAccessibleName(QStringLiteral("バッファの数"));
    cmbPort->setAccessibleName(QStringLiteral("外部MIDIポート"));
    // A label that shows a value is read as its value; this says what it is.
    lblLatency->setAccessibleDescription(QStringLiteral("遅延"));

    OKBtn = named(new QPushButton(QStringLiteral("OK"), this), "OKBtn", QRect(184, 316, 75, 25));
    OKBtn->setDefault(true);
    CancelBtn = named(new QPushButton(QStringLiteral("キャンセル"), this), "CancelBtn",
                      QRect(268, 316, 75, 25));
    connect(OKBtn, &QPushButton::clicked, this, &TfrmOption::OKBtnClick);
    // Cancel, Esc and the close box all reject; done() puts the snapshot back.
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(StepBar, &QSlider::valueChanged, this, &TfrmOption::StepBarChange);
    connect(UpDown, &QSpinBox::valueChanged, this, &TfrmOption::UpDownClick);
    StepBar->installEventFilter(this);
    txtBer->installEventFilter(this);
    connect(cmdFont, &QPushButton::clicked, this, &TfrmOption::cmdFontClick);
    connect(cmdFcolor, &QPushButton::clicked, this, &TfrmOption::cmdFcolorClick);
    connect(cmdBcolor, &QPushButton::clicked, this, &TfrmOption::cmdBcolorClick);
    connect(cmdDefault, &QPushButton::clicked, this, &TfrmOption::cmdDefaultClick);
    connect(RadioWrd1, &QRadioButton::clicked, this, &TfrmOption::RadioWrd1Click);
    connect(RadioWrd2, &QRadioButton::clicked, this, &TfrmOption::RadioWrd2Click);
    connect(cmdDir, &QPushButton::clicked, this, &TfrmOption::cmdDirClick);
    for (QRadioButton *radio : {RadioSynth, RadioPort, RadioNone})
        connect(radio, &QRadioButton::toggled, this, &TfrmOption::updateOutputControls);
    connect(spnPeriodSize, &QSpinBox::valueChanged, this, &TfrmOption::updateLatency);
    connect(spnPeriods, &QSpinBox::valueChanged, this, &TfrmOption::updateLatency);
    connect(cmdSoundFont, &QPushButton::clicked, this, &TfrmOption::cmdSoundFontClick);
    connect(cmdTest, &QPushButton::clicked, this, &TfrmOption::cmdTestClick);
    connect(PageControl, &QTabWidget::currentChanged, this, [this] {
        if (PageControl->currentWidget() == OutputPage)
            refreshPorts();
    });
    RadioWrd1Click();
    updateOutputControls();

    if (main_)
        readSettings(IniFile(main_->env().settingsPath));
}

void TfrmOption::readSettings(const IniFile &ini)
{
    // The bar keeps the offset within -15..16.
    StepBar->setValue(ini.readInteger(QStringLiteral("QS_Mode"), QStringLiteral("Ber"), 0));
    chkOnMute->setChecked(ini.readBool(QStringLiteral("QS_Mode"), QStringLiteral("Mute"), false));
    if (ini.readInteger(QStringLiteral("Words"), QStringLiteral("Dir_Option"), 1) == 2) {
        RadioWrd2->setChecked(true);
        RadioWrd2Click();
    } else {
        RadioWrd1->setChecked(true);
        RadioWrd1Click();
    }
    txtDir->setText(ini.readString(QStringLiteral("Words"), QStringLiteral("Path"), QString()));
    chkOnStop->setChecked(ini.readBool(QStringLiteral("Words"), QStringLiteral("Ind_Option"), false));
    chkOnLsn->setChecked(ini.readBool(QStringLiteral("Lesson"), QStringLiteral("Set"), false));
    chkOnRep->setChecked(ini.readBool(QStringLiteral("Repeat"), QStringLiteral("Set"), false));
}

void TfrmOption::writeSettings(IniFile &ini) const
{
    ini.writeInteger(QStringLiteral("QS_Mode"), QStringLiteral("Ber"), StepBar->value());
    ini.writeBool(QStringLiteral("QS_Mode"), QStringLiteral("Mute"), chkOnMute->isChecked());
    ini.writeInteger(QStringLiteral("Words"), QStringLiteral("Dir_Option"),
                     RadioWrd1->isChecked() ? 1 : 2);
    ini.writeString(QStringLiteral("Words"), QStringLiteral("Path"), txtDir->text());
    ini.writeBool(QStringLiteral("Words"), QStringLiteral("Ind_Option"), chkOnStop->isChecked());
    ini.writeBool(QStringLiteral("Lesson"), QStringLiteral("Set"), chkOnLsn->isChecked());
    ini.writeBool(QStringLiteral("Repeat"), QStringLiteral("Set"), chkOnRep->isChecked());
}

void TfrmOption::RadioWrd1Click()
{
    cmdDir->setEnabled(false);
    txtDir->setEnabled(false);
}

void TfrmOption::RadioWrd2Click()
{
    cmdDir->setEnabled(true);
    txtDir->setEnabled(true);
}

QString TfrmOption::offsetText(int value)
{
    return value > 0 ? QStringLiteral("+%1").arg(value) : QString::number(value);
}

QString TfrmOption::latencyText(int periodSize, int periods, double sampleRate)
{
    if (sampleRate <= 0)
        return QString();
    const double ms = audioLatencyMs(periods, periodSize, sampleRate);
    return QStringLiteral("%1 ミリ秒").arg(ms, 0, 'f', 1);
}

bool TfrmOption::folderRuleChanged(int savedMode, const QString &savedPath, int mode,
                                   const QString &path)
{
    return mode != savedMode || (mode == 2 && path != savedPath);
}

OutputControl *TfrmOption::output() const { return main_ ? main_->env().output : nullptr; }

int TfrmOption::execModal()
{
    FormShow();
    return main_ ? main_->dialogs().exec(this) : exec();
}

void TfrmOption::FormShow()
{
    savedStepPosition = StepBar->value();
    UpDown->setValue(StepBar->value());
    txtBer->setText(offsetText(StepBar->value()));
    TfrmWrd *wrd = main_ ? main_->frmWrd : nullptr;
    if (wrd) {
        pendingWidth = wrd->width();
        pendingHeight = wrd->height();
        lblDmy->setFont(wrd->lblWrd->font());
        setPendingColors(wrd->foreColor(), wrd->backColor());
    }
    savedFolderMode = RadioWrd2->isChecked() ? 2 : 1;
    savedFolderPath = txtDir->text();
    savedShowWhileStopped = chkOnStop->isChecked();
    savedLessonEnabled = chkOnLsn->isChecked();
    savedRepeatLast = chkOnRep->isChecked();
    savedMuteStandby = chkOnMute->isChecked();
    outputPageShow();
    remotePageShow();
}

void TfrmOption::setPendingColors(int fore, int back)
{
    pendingForeColor_ = fore;
    pendingBackColor_ = back;
    QPalette pal = lblDmy->palette();
    pal.setColor(QPalette::WindowText, colorFromValue(fore));
    pal.setColor(QPalette::Window, colorFromValue(back));
    lblDmy->setPalette(pal);
}

void TfrmOption::StepBarChange()
{
    UpDown->setValue(StepBar->value());
    txtBer->setText(offsetText(StepBar->value()));
}

void TfrmOption::UpDownClick()
{
    StepBar->setValue(UpDown->value());
    txtBer->setText(offsetText(StepBar->value()));
}

bool TfrmOption::StepBarKeyDown(int key)
{
    // Up raises the offset, unlike a plain horizontal slider.
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        StepBar->setValue(std::max(StepBar->value() - 1, StepBar->minimum()));
        return true;
    case Qt::Key_Up:
    case Qt::Key_Right:
        StepBar->setValue(std::min(StepBar->value() + 1, StepBar->maximum()));
        return true;
    default:
        return false;
    }
}

bool TfrmOption::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == StepBar || watched == txtBer) && event->type() == QEvent::KeyPress &&
        StepBarKeyDown(static_cast<QKeyEvent *>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TfrmOption::cmdFontClick()
{
    TfrmWrd *wrd = main_ ? main_->frmWrd : nullptr;
    if (!wrd)
        return;
    QFont font = wrd->lblWrd->font();
    if (!main_->dialogs().chooseFont(this, font))
        return;
    // The lyrics font has no effects: the settings keep only bold and
    // italic, so an underline would be shown now and gone at the next start.
    font.setUnderline(false);
    font.setStrikeOut(false);
    lblDmy->setFont(font);
    // The font dialog offers no colour: the text colour is the window's again.
    setPendingColors(wrd->foreColor(), pendingBackColor_);
}

void TfrmOption::cmdFcolorClick()
{
    TfrmWrd *wrd = main_ ? main_->frmWrd : nullptr;
    if (!wrd)
        return;
    QColor color = colorFromValue(wrd->foreColor());
    if (main_->dialogs().chooseColor(this, color))
        setPendingColors(colorValue(color), pendingBackColor_);
}

void TfrmOption::cmdBcolorClick()
{
    TfrmWrd *wrd = main_ ? main_->frmWrd : nullptr;
    if (!wrd)
        return;
    QColor color = colorFromValue(wrd->backColor());
    if (main_->dialogs().chooseColor(this, color))
        setPendingColors(pendingForeColor_, colorValue(color));
}

void TfrmOption::cmdDefaultClick()
{
    TfrmWrd *wrd = main_ ? main_->frmWrd : nullptr;
    if (wrd && !(wrd->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        pendingWidth = TfrmWrd::kDefaultWidth;
        pendingHeight = TfrmWrd::kDefaultHeight;
    }
    // The style (bold, italic) stays as it is.
    QFont font = lblDmy->font();
    font.setFamily(kDefaultLyricsFont);
    font.setPointSize(36);
    lblDmy->setFont(font);
    setPendingColors(0, kWhiteColor);
}

void TfrmOption::cmdDirClick()
{
    if (!main_ || !main_->frmWrdDir)
        return;
    // The chooser writes the chosen folder into txtDir when closed with OK.
    main_->frmWrdDir->choose(txtDir->text());
}

void TfrmOption::OKBtnClick()
{
    // The output first: when it cannot be opened the dialog stays, with
    // nothing applied, so that the performer can choose again.
    if (!applyOutput(PageControl->currentWidget() == OutputPage))
        return;

    if (TfrmWrd *wrd = main_ ? main_->frmWrd : nullptr) {
        // A maximised or minimised window keeps its size.
        if (!(wrd->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
            wrd->resize(pendingWidth, pendingHeight);
        wrd->lblWrd->setFont(lblDmy->font());
        wrd->setForeColor(pendingForeColor_);
        wrd->setBackColor(pendingBackColor_);
    }
    accept();
    if (!main_)
        return;
    applyRemote();

    const int mode = RadioWrd2->isChecked() ? 2 : 1;
    if (folderRuleChanged(savedFolderMode, savedFolderPath, mode, txtDir->text()))
        main_->ResetLyricsCard();

    if (chkOnStop->isChecked())
        main_->ShowLyricsCard();
    else
        main_->hideLyricsWindow();

    const int n = main_->lstLive->count();
    if (chkOnLsn->isChecked()) {
        if (n > 0)
            main_->cmdLesson->setEnabled(true);
    } else {
        if (main_->lessonMode) {
            main_->mnuLsnItemClick(OKBtn);
            main_->lessonMode = false;
        }
        main_->cmdLesson->setEnabled(false);
    }

    if (!chkOnRep->isChecked() && n > 0 && main_->lstLive->isChecked(n - 1)) {
        main_->setSongMark(n - 1, false);
        main_->listModified = true;
        if (main_->lstLive->itemIndex() == n - 1)
            main_->setListHint(n - 1);
    }
}

void TfrmOption::CancelBtnClick()
{
    StepBar->setValue(savedStepPosition);
    if (savedFolderMode == 2) {
        RadioWrd2->setChecked(true);
        RadioWrd2Click();
    } else {
        RadioWrd1->setChecked(true);
        RadioWrd1Click();
    }
    txtDir->setText(savedFolderPath);
    chkOnStop->setChecked(savedShowWhileStopped);
    chkOnLsn->setChecked(savedLessonEnabled);
    chkOnRep->setChecked(savedRepeatLast);
    chkOnMute->setChecked(savedMuteStandby);
    // A test may have switched the output: the one in use at opening comes back.
    if (OutputControl *out = output(); out && !sameOutput(out->config(), savedOutput)) {
        const QString reason = out->apply(savedOutput);
        if (!reason.isEmpty())
            reportOutputFailure(reason);
    }
}

void TfrmOption::done(int result)
{
    stopLearning();
    if (result != QDialog::Accepted)
        CancelBtnClick();
    if (OutputControl *out = output())
        out->stopTestChord();
    QDialog::done(result);
}

void TfrmOption::outputPageShow()
{
    OutputControl *out = output();
    const engine::OutputConfig config = out ? out->config() : engine::OutputConfig();
    audio_ = out ? out->synthAudio() : SynthAudio();
    const SynthAudio &audio = audio_;
    savedOutput = config;

    switch (config.device) {
    case engine::OutputConfig::Device::Synth: RadioSynth->setChecked(true); break;
    case engine::OutputConfig::Device::Port: RadioPort->setChecked(true); break;
    case engine::OutputConfig::Device::None: RadioNone->setChecked(true); break;
    }

    cmbSoundFont->clear();
    if (out)
        cmbSoundFont->addItems(out->soundFonts());
    cmbSoundFont->setEditText(QString::fromStdString(config.soundFont));

    cmbDriver->clear();
    cmbDriver->addItem(QStringLiteral("自動"), QString());
    for (const auto &[name, caption] : kDrivers)
        if (audio.drivers.contains(QLatin1String(name)))
            cmbDriver->addItem(QString::fromUtf8(caption), QString::fromLatin1(name));
    const std::string *driver = config.synthSetting(SynthSetting::AudioDriver);
    const QString chosen = driver ? QString::fromStdString(*driver).trimmed() : QString();
    int at = cmbDriver->findData(chosen);
    if (at < 0) {
        // A system the page does not offer (a file, oss) stays as written.
        cmbDriver->addItem(chosen, chosen);
        at = cmbDriver->count() - 1;
    }
    cmbDriver->setCurrentIndex(at);

    spnPeriodSize->setRange(audio.minPeriodSize, audio.maxPeriodSize);
    spnPeriods->setRange(audio.minPeriods, audio.maxPeriods);
    spnPeriodSize->setValue(intSetting(config, SynthSetting::PeriodSize, audio.periodSize));
    spnPeriods->setValue(intSetting(config, SynthSetting::Periods, audio.periods));
    chkGmReset->setChecked(config.gmReset);

    cmbPort->clear();
    refreshPorts();
    updateOutputControls();
    updateLatency();
}

void TfrmOption::refreshPorts()
{
    OutputControl *out = output();
    if (!out)
        return;
    // The port chosen on the page, or else the one in use.
    QString wanted = cmbPort->currentData().toString();
    if (wanted.isEmpty())
        wanted = QString::fromStdString(out->config().port);
    const QStringList names = out->ports();
    cmbPort->clear();
    for (const QString &name : names)
        cmbPort->addItem(name, name);
    // Nothing remembered: no port is chosen until the performer picks one.
    cmbPort->setCurrentIndex(-1);
    if (wanted.isEmpty())
        return;
    const int found = findPort(names, wanted);
    if (found >= 0) {
        // The name stays as remembered: the numbers ALSA adds may change.
        cmbPort->setItemData(found, wanted);
        cmbPort->setCurrentIndex(found);
    } else {
        // Gone for now, but still the choice: never quietly another port.
        cmbPort->addItem(kMissingPort.arg(wanted), wanted);
        cmbPort->setCurrentIndex(cmbPort->count() - 1);
    }
}

void TfrmOption::updateOutputControls()
{
    const bool synth = RadioSynth->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{cmbSoundFont, cmdSoundFont, cmbDriver, spnPeriodSize,
                                                       spnPeriods, lblLatency})
        w->setEnabled(synth);
    cmbPort->setEnabled(RadioPort->isChecked());
    if (RadioPort->isChecked() && cmbPort->currentIndex() < 0 && cmbPort->count() > 0)
        cmbPort->setCurrentIndex(0);
    cmdTest->setEnabled(!RadioNone->isChecked());
}

void TfrmOption::updateLatency()
{
    OutputControl *out = output();
    const engine::OutputConfig config = out ? out->config() : engine::OutputConfig();
    const std::string *rate = config.synthSetting(SynthSetting::SampleRate);
    bool ok = false;
    double sampleRate = rate ? QString::fromStdString(*rate).toDouble(&ok) : 0.0;
    if (!ok || sampleRate <= 0)
        sampleRate = audio_.sampleRate;
    lblLatency->setText(latencyText(spnPeriodSize->value(), spnPeriods->value(), sampleRate));
}

engine::OutputConfig TfrmOption::outputFromPage() const
{
    OutputControl *out = output();
    engine::OutputConfig config = out ? out->config() : engine::OutputConfig();
    const SynthAudio &audio = audio_;
    config.device = RadioPort->isChecked()   ? engine::OutputConfig::Device::Port
                    : RadioNone->isChecked() ? engine::OutputConfig::Device::None
                                             : engine::OutputConfig::Device::Synth;
    config.soundFont = cmbSoundFont->currentText().trimmed().toStdString();

    // A setting the file does not hold is written only when it differs from
    // the synthesizer's own default, which may improve with the library.
    const std::string driver = cmbDriver->currentData().toString().toStdString();
    if (config.synthSetting(SynthSetting::AudioDriver) || !driver.empty())
        config.setSynthSetting(SynthSetting::AudioDriver, driver); // blank: the automatic choice
    if (config.synthSetting(SynthSetting::PeriodSize) || spnPeriodSize->value() != audio.periodSize)
        config.setSynthSetting(SynthSetting::PeriodSize, std::to_string(spnPeriodSize->value()));
    if (config.synthSetting(SynthSetting::Periods) || spnPeriods->value() != audio.periods)
        config.setSynthSetting(SynthSetting::Periods, std::to_string(spnPeriods->value()));

    const QString port = cmbPort->currentData().toString();
    if (!port.isEmpty())
        config.port = port.toStdString();
    config.gmReset = chkGmReset->isChecked();
    return config;
}

bool TfrmOption::applyOutput(bool always)
{
    OutputControl *out = output();
    if (!out)
        return true;
    const engine::OutputConfig next = outputFromPage();
    if (!always && sameOutput(next, out->config()))
        return true;
    const QString reason = out->apply(next);
    if (reason.isEmpty())
        return true;
    PageControl->setCurrentWidget(OutputPage);
    reportOutputFailure(reason);
    return false;
}

void TfrmOption::reportOutputFailure(const QString &reason)
{
    if (main_)
        main_->showMessage(reason, kAppTitle, mb::IconStop);
}

void TfrmOption::cmdSoundFontClick()
{
    if (!main_)
        return;
    const QString current = cmbSoundFont->currentText().trimmed();
    QString folder = QFileInfo(current).absolutePath();
    if (current.isEmpty() || !QFileInfo(folder).isDir())
        folder = soundFontFolder();
    const QString chosen = main_->dialogs().getOpenFileName(
        this, folder, QStringLiteral("サウンドフォント(*.sf2 *.sf3);;すべてのファイル(*)"));
    if (!chosen.isEmpty())
        cmbSoundFont->setEditText(chosen);
}

void TfrmOption::cmdTestClick()
{
    OutputControl *out = output();
    if (!out)
        return;
    QString reason;
    if (const engine::OutputConfig next = outputFromPage(); !sameOutput(next, out->config()))
        reason = out->apply(next);
    if (reason.isEmpty())
        reason = out->testChord();
    if (!reason.isEmpty())
        reportOutputFailure(reason);
}

namespace {
RemoteInput *remoteOf(TfrmMain *main) { return main ? main->env().remote : nullptr; }
} // namespace

void TfrmOption::remotePageShow()
{
    stopLearning();
    RemoteInput *remote = remoteOf(main_);
    pendingRemote_ = main_ ? main_->remoteBindings : RemoteBindings();
    const bool offered = remote && remote->available();
    lblRemoteNone->setVisible(!offered);
    cmbRemotePort->clear();
    cmbRemotePort->addItem(QStringLiteral("(なし)"), QString());
    const QStringList names = offered ? remote->ports() : QStringList();
    for (const QString &name : names)
        cmbRemotePort->addItem(name, name);
    const QString wanted = pendingRemote_.port;
    int at = 0;
    if (!wanted.isEmpty()) {
        const int found = findPort(names, wanted);
        if (found >= 0) {
            // The name stays as remembered: the numbers ALSA adds may change.
            at = found + 1;
            cmbRemotePort->setItemData(at, wanted);
        } else {
            cmbRemotePort->addItem(kMissingPort.arg(wanted), wanted);
            at = cmbRemotePort->count() - 1;
        }
    }
    cmbRemotePort->setCurrentIndex(at);
    cmbRemotePort->setEnabled(offered);
    for (int i = 0; i < kRemoteCommandCount; ++i) {
        cmdRemoteLearn[i]->setEnabled(offered);
        cmdRemoteClear[i]->setEnabled(offered);
        lblRemoteBinding[i]->setEnabled(offered);
    }
    showRemoteBindings();
}

void TfrmOption::showRemoteBindings()
{
    for (int i = 0; i < kRemoteCommandCount; ++i)
        lblRemoteBinding[i]->setText(i == learning_ ? QStringLiteral("学習中…")
                                                    : pendingRemote_[RemoteCommand(i)].text());
}

void TfrmOption::remoteLearnClick(int command)
{
    if (!main_ || command < 0 || command >= kRemoteCommandCount)
        return;
    learning_ = command;
    // The next message of the input comes here rather than to the show.
    main_->remoteLearner = [this](const QByteArray &message) { remoteLearnt(message); };
    showRemoteBindings();
}

void TfrmOption::remoteClearClick(int command)
{
    if (command < 0 || command >= kRemoteCommandCount)
        return;
    stopLearning();
    pendingRemote_[RemoteCommand(command)] = RemoteBinding();
    showRemoteBindings();
}

void TfrmOption::remoteLearnt(const QByteArray &message)
{
    if (learning_ < 0)
        return;
    // Note-offs, a pedal going up, clock and the like are not learnt: the
    // page waits for a press.
    const RemoteBinding binding = RemoteBinding::fromMessage(message, pendingRemote_.threshold);
    if (!binding.isSet())
        return;
    // One press gives one command: the binding leaves any other command.
    for (int i = 0; i < kRemoteCommandCount; ++i)
        if (pendingRemote_[RemoteCommand(i)] == binding)
            pendingRemote_[RemoteCommand(i)] = RemoteBinding();
    pendingRemote_[RemoteCommand(learning_)] = binding;
    stopLearning();
}

void TfrmOption::stopLearning()
{
    learning_ = -1;
    if (main_)
        main_->remoteLearner = nullptr;
    showRemoteBindings();
}

RemoteBindings TfrmOption::remoteFromPage() const
{
    RemoteBindings b = pendingRemote_;
    b.port = cmbRemotePort->currentData().toString();
    return b;
}

void TfrmOption::applyRemote()
{
    RemoteInput *remote = remoteOf(main_);
    if (!remote)
        return;
    const RemoteBindings next = remoteFromPage();
    const bool reopen = next.port != main_->remoteBindings.port || remote->portName() != next.port;
    main_->remoteBindings.assign(next);
    if (!reopen)
        return;
    const QString reason = main_->openRemotePort();
    if (!reason.isEmpty())
        main_->statusBar_->showMessage(reason, 30'000);
}

void TfrmOption::keyPressEvent(QKeyEvent *event)
{
    // Esc while learning ends the learning, not the dialog.
    if (event->key() == Qt::Key_Escape && learning_ >= 0) {
        stopLearning();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kazoon
