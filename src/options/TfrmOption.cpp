#include "options/TfrmOption.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include "app/Fonts.h"
#include "app/IniFile.h"
#include "app/MainWindow.h"

namespace kazoon {

namespace {

template <class W>
W *named(W *widget, const char *name, QRect geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
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
                         QRect(8, 8, 317, 137));
    named(new QLabel(QStringLiteral("スタンバイする Step の微調整"), group1), "Label1",
          QRect(12, 20, 200, 16));
    StepBar = named(new QSlider(Qt::Horizontal, group1), "StepBar", QRect(8, 40, 300, 30));
    StepBar->setRange(-15, 16);
    StepBar->setPageStep(4);
    StepBar->setTickInterval(1);
    StepBar->setTickPosition(QSlider::TicksBelow);
    named(new QLabel(QStringLiteral("-15"), group1), "Label3", QRect(8, 74, 24, 14));
    named(new QLabel(QStringLiteral("0"), group1), "Label5", QRect(140, 74, 12, 14));
    named(new QLabel(QStringLiteral("+16"), group1), "Label7", QRect(284, 74, 24, 14));
    txtBer = named(new QLineEdit(QStringLiteral("0"), group1), "txtBer", QRect(12, 100, 25, 20));
    txtBer->setReadOnly(true);
    UpDown = named(new QSpinBox(group1), "UpDown", QRect(38, 100, 18, 20));
    UpDown->setRange(-15, 16);
    UpDown->setWrapping(false);
    UpDown->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    named(new QLabel(QStringLiteral("1 Step  =  1/16小節"), group1), "Label2",
          QRect(80, 102, 200, 16));
    chkOnLsn = named(new QCheckBox(QStringLiteral("レッスンモードを使用可能にする"), modePage),
                     "chkOnLsn", QRect(16, 160, 300, 20));
    chkOnRep = named(
        new QCheckBox(QStringLiteral("最後の曲のメドレーチェックを有効にしてリピート再生する"),
                      modePage),
        "chkOnRep", QRect(16, 188, 310, 20));

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

    OKBtn = named(new QPushButton(QStringLiteral("OK"), this), "OKBtn", QRect(184, 316, 75, 25));
    OKBtn->setDefault(true);
    CancelBtn = named(new QPushButton(QStringLiteral("キャンセル"), this), "CancelBtn",
                      QRect(268, 316, 75, 25));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(RadioWrd1, &QRadioButton::clicked, this, &TfrmOption::RadioWrd1Click);
    connect(RadioWrd2, &QRadioButton::clicked, this, &TfrmOption::RadioWrd2Click);
    RadioWrd1Click();

    if (main_)
        readSettings(IniFile(main_->env().settingsPath));
}

void TfrmOption::readSettings(const IniFile &ini)
{
    // The bar keeps the offset within -15..16.
    StepBar->setValue(ini.readInteger(QStringLiteral("QS_Mode"), QStringLiteral("Ber"), 0));
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

} // namespace kazoon
