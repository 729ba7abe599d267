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
#include <utility>

#include "app/AppTitle.h"
#include "app/Colors.h"
#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/Fonts.h"
#include "app/IniFile.h"
#include "app/OutputControl.h"
#include "remote/MidiRemoteInput.h"
#include "remote/RemoteInput.h"
#include "options/OutputPage.h"
#include "options/PageLayout.h"
#include "options/ClickPage.h"
#include "options/RemotePage.h"
#include "options/SongLyricsBoxes.h"
#include "lyrics/TfrmWrd.h"

namespace kazoon {

namespace {

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
} // namespace

TfrmOption::TfrmOption(OptionsContext context, QWidget *parent)
    : QDialog(parent), context_(std::move(context))
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
                         "GroupBox2", QRect(8, 8, 317, 84));
    cmdFont = named(new QPushButton(QStringLiteral("フォント(&F)"), group2), "cmdFont",
                    QRect(12, 22, 90, 25));
    cmdFcolor = named(new QPushButton(QStringLiteral("文字色(&C)"), group2), "cmdFcolor",
                      QRect(112, 22, 90, 25));
    cmdBcolor = named(new QPushButton(QStringLiteral("背景色(&B)"), group2), "cmdBcolor",
                      QRect(212, 22, 90, 25));
    cmdDefault = named(new QPushButton(QStringLiteral("初期設定に戻す(&D)"), group2),
                       "cmdDefault", QRect(12, 54, 140, 25));
    auto *radioGroup = named(new QGroupBox(QStringLiteral("歌詞カードのフォルダ"), lyricsPage),
                             "RadioGroup1", QRect(8, 98, 317, 100));
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
                      "chkOnStop", QRect(16, 204, 300, 20));
    songLyricsBoxes = named(new SongLyricsBoxes(lyricsPage), "SongLyricsBoxes", QRect(16, 226, 310, 42));
    lblDmy = named(new QLabel(lyricsPage), "lblDmy", QRect(0, 0, 10, 10));
    lblDmy->setVisible(false);

    outputPage = new OutputPage(context_.output, context_.dialogs, context_.message);
    PageControl->addTab(outputPage, QStringLiteral("MIDI出力"));
    remotePage = new RemotePage(context_.remote, context_.remoteBindings, context_.setRemoteLearner);
    PageControl->addTab(remotePage, QStringLiteral("MIDIリモート"));
    clickPage = new ClickPage([output = context_.output] { return output ? output->ports() : QStringList(); });
    PageControl->addTab(clickPage, QStringLiteral("クリック"));

    // Controls without a caption of their own are named for screen readers.
    StepBar->setAccessibleName(QStringLiteral("スタンバイする Step の微調整"));
    txtBer->setAccessibleName(QStringLiteral("Step の微調整値"));
    UpDown->setAccessibleName(QStringLiteral("Step の微調整値の増減"));
    txtDir->setAccessibleName(QStringLiteral("歌詞カードのフォルダ"));

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
    connect(PageControl, &QTabWidget::currentChanged, this, [this] {
        if (PageControl->currentWidget() == outputPage)
            outputPage->refreshPorts();
    });
    RadioWrd1Click();

    if (!context_.settingsPath.isEmpty())
        readSettings(IniFile(context_.settingsPath));
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
    clickPage->readSettings(ini);
    songLyricsBoxes->readSettings(ini);
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
    clickPage->writeSettings(ini);
    songLyricsBoxes->writeSettings(ini);
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

bool TfrmOption::folderRuleChanged(int savedMode, const QString &savedPath, int mode,
                                   const QString &path)
{
    return mode != savedMode || (mode == 2 && path != savedPath);
}

std::optional<OptionsChange> TfrmOption::execModal()
{
    change_.reset();
    FormShow();
    if (context_.dialogs)
        context_.dialogs->exec(this);
    else
        exec();
    return std::exchange(change_, std::nullopt);
}

void TfrmOption::FormShow()
{
    savedStepPosition = StepBar->value();
    UpDown->setValue(StepBar->value());
    txtBer->setText(offsetText(StepBar->value()));
    shownDesign_ = context_.lyricsDesign ? context_.lyricsDesign() : std::nullopt;
    if (shownDesign_) {
        pendingWidth = shownDesign_->size.width();
        pendingHeight = shownDesign_->size.height();
        lblDmy->setFont(shownDesign_->font);
        setPendingColors(shownDesign_->foreColor, shownDesign_->backColor);
    }
    savedFolderMode = RadioWrd2->isChecked() ? 2 : 1;
    savedFolderPath = txtDir->text();
    savedShowWhileStopped = chkOnStop->isChecked();
    savedLessonEnabled = chkOnLsn->isChecked();
    savedRepeatLast = chkOnRep->isChecked();
    savedMuteStandby = chkOnMute->isChecked();
    songLyricsBoxes->keep();
    outputPage->showCurrent();
    remotePage->showCurrent();
    clickPage->showCurrent();
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
    if (!shownDesign_ || !context_.dialogs)
        return;
    QFont font = shownDesign_->font;
    if (!context_.dialogs->chooseFont(this, font))
        return;
    // The lyrics font has no effects: the settings keep only bold and
    // italic, so an underline would be shown now and gone at the next start.
    font.setUnderline(false);
    font.setStrikeOut(false);
    lblDmy->setFont(font);
    // The font dialog offers no colour: the text colour is the window's again.
    setPendingColors(shownDesign_->foreColor, pendingBackColor_);
}

void TfrmOption::cmdFcolorClick()
{
    if (!shownDesign_ || !context_.dialogs)
        return;
    QColor color = colorFromValue(shownDesign_->foreColor);
    if (context_.dialogs->chooseColor(this, color))
        setPendingColors(colorValue(color), pendingBackColor_);
}

void TfrmOption::cmdBcolorClick()
{
    if (!shownDesign_ || !context_.dialogs)
        return;
    QColor color = colorFromValue(shownDesign_->backColor);
    if (context_.dialogs->chooseColor(this, color))
        setPendingColors(pendingForeColor_, colorValue(color));
}

void TfrmOption::cmdDefaultClick()
{
    if (shownDesign_ && shownDesign_->normalState) {
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
    if (!context_.chooseLyricsFolder)
        return;
    if (const std::optional<QString> chosen = context_.chooseLyricsFolder(txtDir->text()))
        txtDir->setText(*chosen);
}

void TfrmOption::OKBtnClick()
{
    // The output first: when it cannot be opened the dialog stays, with
    // nothing applied, so that the performer can choose again.
    const QString reason = outputPage->apply(PageControl->currentWidget() == outputPage);
    if (!reason.isEmpty()) {
        PageControl->setCurrentWidget(outputPage);
        if (context_.message)
            context_.message(reason, kAppTitle, mb::IconStop);
        return;
    }
    clickPage->accept();
    change_ = changeOnOk();
    accept();
}

OptionsChange TfrmOption::changeOnOk() const
{
    OptionsChange change;
    if (shownDesign_) {
        LyricsDesign design = *shownDesign_;
        design.font = lblDmy->font();
        design.foreColor = pendingForeColor_;
        design.backColor = pendingBackColor_;
        design.size = QSize(pendingWidth, pendingHeight);
        change.lyrics = design;
    }
    const int mode = RadioWrd2->isChecked() ? 2 : 1;
    change.folderRuleChanged = folderRuleChanged(savedFolderMode, savedFolderPath, mode, txtDir->text());
    change.showWhileStopped = chkOnStop->isChecked();
    change.songLyricsChanged = songLyricsBoxes->songLyricsChanged();
    change.lessonAllowed = chkOnLsn->isChecked();
    change.repeatAllowed = chkOnRep->isChecked();
    change.remote = remotePage->bindings();
    change.click = clickPage->inForce();
    return change;
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
    songLyricsBoxes->restore();
    outputPage->cancel();
}

void TfrmOption::done(int result)
{
    remotePage->stopLearning();
    if (result != QDialog::Accepted)
        CancelBtnClick();
    outputPage->closed();
    QDialog::done(result);
}

void TfrmOption::keyPressEvent(QKeyEvent *event)
{
    // Esc while learning ends the learning, not the dialog.
    if (event->key() == Qt::Key_Escape && remotePage->learning()) {
        remotePage->stopLearning();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kazoon
