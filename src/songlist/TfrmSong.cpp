#include "songlist/TfrmSong.h"
#include "app/DialogButton.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <algorithm>

#include "app/Fonts.h"
#include "app/ShortText.h"

namespace kazoon {

namespace {

QSpinBox *spinBox(QWidget *parent, const char *name, const QString &accessible, int low, int high,
                  const QString &suffix)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(low, high);
    s->setSuffix(suffix);
    s->setAccessibleName(accessible);
    s->setAlignment(Qt::AlignRight);
    return s;
}

} // namespace

TfrmSong::TfrmSong(SongTrial trial, const QString &songPath, const engine::SongAdjust &adjust, QWidget *parent)
    : QDialog(parent), trial_(std::move(trial))
{
    using engine::SongAdjust;
    setObjectName(QStringLiteral("frmSong"));
    setWindowTitle(QStringLiteral("曲の設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(uiFont());

    lblSong = new QLabel(shortenMiddle(QFileInfo(songPath).fileName()), this);
    lblSong->setObjectName(QStringLiteral("lblSong"));
    lblSong->setAccessibleDescription(QStringLiteral("曲"));
    spnKey = spinBox(this, "spnKey", QStringLiteral("キー"), SongAdjust::kMinTranspose, SongAdjust::kMaxTranspose,
                     QStringLiteral(" 半音"));
    spnKey->setPrefix(QString()); // a sign shows the direction
    spnTempo = spinBox(this, "spnTempo", QStringLiteral("テンポ"), SongAdjust::kMinTempo, SongAdjust::kMaxTempo,
                       QStringLiteral(" %"));
    spnTempo->setSingleStep(5);
    spnVolume = spinBox(this, "spnVolume", QStringLiteral("音量"), SongAdjust::kMinVolume, SongAdjust::kMaxVolume,
                        QStringLiteral(" %"));
    spnVolume->setSingleStep(5);

    auto *grid = new QGridLayout;
    auto row = [&](int r, const QString &text, QWidget *field, const QString &note) {
        auto *l = new QLabel(text, this);
        l->setBuddy(field);
        grid->addWidget(l, r, 0);
        grid->addWidget(field, r, 1);
        grid->addWidget(new QLabel(note, this), r, 2);
    };
    grid->addWidget(new QLabel(QStringLiteral("曲:"), this), 0, 0);
    grid->addWidget(lblSong, 0, 1, 1, 2);
    row(1, QStringLiteral("キー(&K):"), spnKey, QStringLiteral("-12～+12 (ドラムは変わりません)"));
    row(2, QStringLiteral("テンポ(&T):"), spnTempo, QStringLiteral("50～200 %"));
    row(3, QStringLiteral("音量(&V):"), spnVolume, QStringLiteral("0～150 %"));
    cmbCount = new QComboBox(this);
    cmbCount->setObjectName(QStringLiteral("cmbCount"));
    cmbCount->setAccessibleName(QStringLiteral("カウント"));
    cmbCount->addItem(QStringLiteral("なし"), 0);
    cmbCount->addItem(QStringLiteral("1小節"), 1);
    cmbCount->addItem(QStringLiteral("2小節"), 2);
    row(4, QStringLiteral("カウント(&C):"), cmbCount, QStringLiteral("先頭とスタンバイの位置から"));
    chkClick = new QCheckBox(QStringLiteral("曲の間もクリックを鳴らす(&L)"), this);
    chkClick->setObjectName(QStringLiteral("chkClick"));
    grid->addWidget(chkClick, 5, 1, 1, 2);

    cmdDefault = dialogButton(this, "cmdDefault", QStringLiteral("元に戻す(&D)"), QStringLiteral("元に戻す"));
    cmdPlay = dialogButton(this, "cmdPlay", QStringLiteral("この設定で再生(&P)"), QStringLiteral("この設定で再生"));
    cmdPlay->setToolTip(QStringLiteral("曲の今の位置から、この設定で再生します"));
    cmdInstruments = dialogButton(this, "cmdInstruments", QStringLiteral("音色の設定..."), QStringLiteral("音色の設定"));
    cmdInstruments->setToolTip(QStringLiteral("曲を読み込むとき外部の音源や機器に送る、音色などの設定です"));
    cmdInstruments->setVisible(bool(trial_.instruments));
    auto *tools = new QHBoxLayout;
    tools->addWidget(cmdDefault);
    tools->addWidget(cmdInstruments);
    tools->addStretch();
    tools->addWidget(cmdPlay);

    OKBtn = dialogButton(this, "OKBtn", QStringLiteral("OK"), QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = dialogButton(this, "CancelBtn", QStringLiteral("キャンセル"), QStringLiteral("キャンセル"));
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(OKBtn);
    bottom->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(tools);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setAdjust(adjust);
    for (QSpinBox *s : {spnKey, spnTempo, spnVolume})
        connect(s, &QSpinBox::valueChanged, this, [this] { changed(); });
    connect(cmdDefault, &QPushButton::clicked, this, [this] { setAdjust({}); });
    connect(cmdPlay, &QPushButton::clicked, this, [this] { play(); });
    connect(cmdInstruments, &QPushButton::clicked, this, [this] {
        if (trial_.instruments)
            trial_.instruments();
    });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    changed();
}

engine::SongAdjust TfrmSong::adjust() const
{
    return engine::SongAdjust{spnKey->value(), spnTempo->value(), spnVolume->value()}.clamped();
}

void TfrmSong::setAdjust(const engine::SongAdjust &adjust)
{
    const engine::SongAdjust a = adjust.clamped();
    spnKey->setValue(a.transpose);
    spnTempo->setValue(a.tempoPercent);
    spnVolume->setValue(a.volumePercent);
}

void TfrmSong::setCount(const songlist::SongCount &count, int defaultBars)
{
    shownCount_ = count;
    const bool own = count.bars != songlist::SongCount::kDefaultBars;
    shownBars_ = std::clamp(own ? count.bars : defaultBars, 0, songlist::SongCount::kMaxBars);
    cmbCount->setCurrentIndex(shownBars_);
    chkClick->setChecked(count.clickDuringSong);
}

songlist::SongCount TfrmSong::count() const
{
    songlist::SongCount c = shownCount_;
    const int bars = cmbCount->currentData().toInt();
    if (bars != shownBars_)
        c.bars = bars;
    c.clickDuringSong = chkClick->isChecked();
    return c;
}

bool TfrmSong::songLoaded() const { return trial_.loaded(); }

void TfrmSong::changed()
{
    spnKey->setPrefix(spnKey->value() > 0 ? QStringLiteral("+") : QString());
    if (songLoaded())
        trial_.apply(adjust());
    cmdPlay->setEnabled(songLoaded() && trial_.mayPlay());
}

// Through the window's own play command, so that every rule of a play holds.
void TfrmSong::play()
{
    if (!songLoaded() || !trial_.mayPlay())
        return;
    trial_.apply(adjust());
    trial_.play();
    cmdPlay->setEnabled(trial_.mayPlay());
}

} // namespace kazoon
