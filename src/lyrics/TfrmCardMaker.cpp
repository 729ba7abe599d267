#include "lyrics/TfrmCardMaker.h"
#include "app/DialogButton.h"

#include <QFileInfo>
#include <cerrno>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/AppTitle.h"
#include "app/Dialogs.h"
#include "app/FileErrors.h"
#include "app/Fonts.h"
#include "app/SafeFile.h"
#include "app/ShortText.h"
#include "app/TextFile.h"
#include "lyrics/LyricsCard.h"
#include "player/SequencerDevice.h"

namespace kazoon {

namespace {

constexpr auto kCaption = "歌詞カードの作成";
// A text file to open as lyrics is read whole; anything larger is no lyrics.
constexpr qint64 kMaxTextSize = 1024 * 1024;
// An existing card is copied to its backup whole, whatever its size.
constexpr qint64 kMaxBackupSize = 64 * 1024 * 1024;

} // namespace

TfrmCardMaker::TfrmCardMaker(CardMakerHooks hooks, QWidget *parent)
    : QDialog(parent), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("frmCardMaker"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setFont(uiFont());
    resize(560, 420);

    lblSong = new QLabel(this);
    lblSong->setObjectName(QStringLiteral("lblSong"));
    lblSong->setAccessibleDescription(QStringLiteral("曲と歌詞カード"));

    auto *lblLyrics = new QLabel(QStringLiteral("歌詞(&L) - 空行でページを区切ります"), this);
    memLyrics = new QPlainTextEdit(this);
    memLyrics->setObjectName(QStringLiteral("memLyrics"));
    memLyrics->setAccessibleName(QStringLiteral("歌詞"));
    memLyrics->setTabChangesFocus(true);
    lblLyrics->setBuddy(memLyrics);
    cmdOpenText = dialogButton(this, "cmdOpenText", QStringLiteral("テキストファイルを開く(&O)..."),
                             QStringLiteral("テキストファイルを開く"));
    cmdSongLyrics = dialogButton(this, "cmdSongLyrics", QStringLiteral("曲の歌詞を読み込む(&E)"),
                               QStringLiteral("曲の歌詞を読み込む"));

    auto *lblMarks = new QLabel(QStringLiteral("ページの開始ステップ(&M)"), this);
    grdMarks = new QTableWidget(0, 2, this);
    grdMarks->setObjectName(QStringLiteral("grdMarks"));
    grdMarks->setAccessibleName(QStringLiteral("ページの開始ステップ"));
    grdMarks->setHorizontalHeaderLabels({QStringLiteral("ステップ"), QStringLiteral("ページ")});
    grdMarks->horizontalHeader()->setStretchLastSection(true);
    grdMarks->verticalHeader()->setDefaultSectionSize(18);
    grdMarks->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMarks->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMarks->setColumnWidth(0, 64);
    lblMarks->setBuddy(grdMarks);
    cmdMinus = dialogButton(this, "cmdMinus", QStringLiteral("-1"),
                          QStringLiteral("選んだステップを一つ前へ"));
    cmdPlus = dialogButton(this, "cmdPlus", QStringLiteral("+1"),
                         QStringLiteral("選んだステップを一つ後へ"));
    cmdUndo = dialogButton(this, "cmdUndo", QStringLiteral("取り消し(&U)"),
                         QStringLiteral("最後の記録を取り消す"));

    cmdPlay = dialogButton(this, "cmdPlay", QStringLiteral("再生(&P)"), QStringLiteral("再生"));
    cmdStop = dialogButton(this, "cmdStop", QStringLiteral("停止(&T)"), QStringLiteral("停止"));
    cmdPrev = dialogButton(this, "cmdPrev", QStringLiteral("先頭に戻る(&R)"),
                         QStringLiteral("先頭に戻る"));
    lblStep = new QLabel(QStringLiteral("0"), this);
    lblStep->setObjectName(QStringLiteral("lblStep"));
    lblStep->setAccessibleDescription(QStringLiteral("ステップ"));
    lblStep->setMinimumWidth(48);
    lblStep->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    cmdNext = dialogButton(this, "cmdNext", QStringLiteral("次のページ"), QStringLiteral("次のページ"));
    cmdNext->setMinimumHeight(56);
    QFont big = uiFont();
    big.setPixelSize(24);
    cmdNext->setFont(big);
    cmdNext->setToolTip(QStringLiteral("再生中に押すと、いまのステップを次のページの始まりに記録します (スペースキー)"));

    cmdSave = dialogButton(this, "cmdSave", QStringLiteral("保存(&S)"), QStringLiteral("保存"));
    cmdClose = dialogButton(this, "cmdClose", QStringLiteral("閉じる"), QStringLiteral("閉じる"));

    auto *left = new QVBoxLayout;
    left->addWidget(lblLyrics);
    left->addWidget(memLyrics, 1);
    auto *sources = new QHBoxLayout;
    sources->addWidget(cmdOpenText);
    sources->addWidget(cmdSongLyrics);
    sources->addStretch(1);
    left->addLayout(sources);
    auto *nudges = new QHBoxLayout;
    nudges->addWidget(cmdMinus);
    nudges->addWidget(cmdPlus);
    nudges->addWidget(cmdUndo);
    auto *right = new QVBoxLayout;
    right->addWidget(lblMarks);
    right->addWidget(grdMarks, 1);
    right->addLayout(nudges);
    auto *panes = new QHBoxLayout;
    panes->addLayout(left, 1);
    panes->addLayout(right, 1);
    auto *transport = new QHBoxLayout;
    transport->addWidget(cmdPlay);
    transport->addWidget(cmdStop);
    transport->addWidget(cmdPrev);
    transport->addStretch(1);
    transport->addWidget(new QLabel(QStringLiteral("ステップ:"), this));
    transport->addWidget(lblStep);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdSave);
    bottom->addWidget(cmdClose);
    auto *all = new QVBoxLayout(this);
    all->addWidget(lblSong);
    all->addLayout(panes, 1);
    all->addLayout(transport);
    all->addWidget(cmdNext);
    all->addLayout(bottom);

    connect(cmdOpenText, &QPushButton::clicked, this, &TfrmCardMaker::cmdOpenTextClick);
    connect(cmdSongLyrics, &QPushButton::clicked, this, &TfrmCardMaker::cmdSongLyricsClick);
    connect(cmdPlay, &QPushButton::clicked, this, &TfrmCardMaker::cmdPlayClick);
    connect(cmdStop, &QPushButton::clicked, this, &TfrmCardMaker::cmdStopClick);
    connect(cmdPrev, &QPushButton::clicked, this, &TfrmCardMaker::cmdPrevClick);
    connect(cmdNext, &QPushButton::clicked, this, &TfrmCardMaker::cmdNextClick);
    connect(cmdUndo, &QPushButton::clicked, this, &TfrmCardMaker::cmdUndoClick);
    connect(cmdPlus, &QPushButton::clicked, this, &TfrmCardMaker::cmdPlusClick);
    connect(cmdMinus, &QPushButton::clicked, this, &TfrmCardMaker::cmdMinusClick);
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSaveClick(); });
    connect(cmdClose, &QPushButton::clicked, this, &TfrmCardMaker::cmdCloseClick);
    connect(memLyrics, &QPlainTextEdit::textChanged, this, [this] {
        if (!refreshing_)
            changed_ = true;
        refreshMarks();
    });
    connect(grdMarks, &QTableWidget::cellChanged, this, &TfrmCardMaker::markEdited);
    tickTimer.setInterval(50);
    connect(&tickTimer, &QTimer::timeout, this, &TfrmCardMaker::tick);

    // The space bar taps wherever the focus is while the song plays.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
    setPlaying(false);
}

int TfrmCardMaker::make(const QString &songFileName, const lyrics::CardLocation &card)
{
    songFileName_ = songFileName;
    cardPath_ = card.path;
    // Without a folder the path names the root of the file system.
    noLyricsFolder_ = card.noFolder;
    lblSong->setText(QStringLiteral("曲: %1\r\n歌詞カード: %2")
                         .arg(shortenMiddle(QFileInfo(songFileName).fileName()),
                              shortenMiddle(cardPath_)));
    // A card the song already has is the start: its pages and marks.
    const lyrics::LyricsCard existing = lyrics::readLyricsCard(cardPath_);
    refreshing_ = true;
    memLyrics->setPlainText(existing.usable() ? lyrics::textFromPages(existing.pages) : QString());
    refreshing_ = false;
    taps_.setMarks(existing.usable() ? existing.marks : QList<int>());
    refreshMarks();
    changed_ = false;

    mainPosition_ = device().Position();
    restored_ = false;
    setPlaying(false);
    showStep();
    memLyrics->setFocus();
    const int result = hooks_.dialogs->exec(this);
    restore();
    return result;
}

QStringList TfrmCardMaker::pages() const
{
    return lyrics::pagesFromText(memLyrics->toPlainText());
}

bool TfrmCardMaker::deviceOk()
{
    switch (hooks_.checkDevice()) {
    case player::DeviceCheck::Ok: return true;
    case player::DeviceCheck::PortBusy: return false;
    case player::DeviceCheck::Fatal: break;
    }
    // The main window is ending the program; nothing more is played here.
    restored_ = true;
    tickTimer.stop();
    playing_ = false;
    QDialog::done(QDialog::Rejected);
    return false;
}

void TfrmCardMaker::setPlaying(bool on)
{
    playing_ = on;
    if (on)
        tickTimer.start();
    else
        tickTimer.stop();
    cmdPlay->setEnabled(!on);
    cmdStop->setEnabled(on);
    cmdNext->setEnabled(on);
    // The lyrics stay as they are while the pages are tapped.
    memLyrics->setReadOnly(on);
    cmdOpenText->setEnabled(!on);
    cmdSongLyrics->setEnabled(!on);
    cmdSave->setEnabled(!on);
}

void TfrmCardMaker::cmdPlayClick()
{
    if (playing_)
        return;
    SequencerDevice &dev = device();
    bool fromTop = false;
    try {
        if (dev.Position() >= dev.Length()) {
            dev.SeekToStart();
            if (!deviceOk())
                return;
        }
        fromTop = dev.Position() == 0;
        // The main window must not hear of this play's end: it would move
        // its list on to the next song.
        dev.SetNotifyNext(false);
        dev.Play();
    } catch (const DeviceError &) {
        // The song is gone from the device; there is nothing to play.
        return;
    }
    if (!deviceOk())
        return;
    // A pass from the top taps the pages anew; one from the middle goes on.
    if (fromTop)
        taps_.startTake();
    setPlaying(true);
    showStep();
}

void TfrmCardMaker::cmdStopClick()
{
    if (!playing_)
        return;
    SequencerDevice &dev = device();
    try {
        dev.Stop();
    } catch (const DeviceError &) {
    }
    setPlaying(false);
    if (!deviceOk())
        return;
    showStep();
}

void TfrmCardMaker::cmdPrevClick()
{
    SequencerDevice &dev = device();
    const bool wasPlaying = playing_;
    try {
        dev.SeekToStart();
    } catch (const DeviceError &) {
        return;
    }
    setPlaying(false);
    if (!deviceOk())
        return;
    showStep();
    if (wasPlaying)
        cmdPlayClick();
}

void TfrmCardMaker::cmdNextClick()
{
    if (!playing_)
        return;
    // The position at the press, not the last tick's, so that a tap on the
    // beat lands on that step.
    taps_.tap(int(device().Position() + 1));
    changed_ = true;
    refreshMarks();
    grdMarks->scrollToItem(grdMarks->item(taps_.count() - 1, 0));
}

void TfrmCardMaker::cmdUndoClick()
{
    if (taps_.undo()) {
        changed_ = true;
        refreshMarks();
    }
}

void TfrmCardMaker::nudgeSelected(int delta)
{
    const int row = grdMarks->currentRow();
    if (taps_.nudge(row, delta)) {
        changed_ = true;
        refreshMarks();
        grdMarks->setCurrentCell(row, 0);
    }
}

void TfrmCardMaker::tick()
{
    SequencerDevice &dev = device();
    if (playing_ && dev.Mode() != DeviceMode::Playing)
        setPlaying(false);
    showStep();
}

void TfrmCardMaker::showStep()
{
    SequencerDevice &dev = device();
    const std::int64_t pos = dev.Position();
    // As the main window: step 0 at the top of a song not yet played.
    step_ = player::StepDisplay::at(pos, playing_);
    lblStep->setText(step_.text());
    showCurrentPage();
}

void TfrmCardMaker::showCurrentPage()
{
    // The page the lyrics window would show now, in bold, so that a second
    // pass through the song shows whether the marks sit right.
    const int page = lyrics::pageForPosition(taps_.marks(), step_,
                                             int(device().Position()));
    if (page == lyrics::kKeepPage)
        return;
    for (int row = 0; row < grdMarks->rowCount(); ++row) {
        if (QTableWidgetItem *item = grdMarks->item(row, 1)) {
            QFont font = item->font();
            if (font.bold() != (row == page)) {
                font.setBold(row == page);
                item->setFont(font);
            }
        }
    }
}

int TfrmCardMaker::currentPage() const
{
    for (int row = 0; row < grdMarks->rowCount(); ++row)
        if (grdMarks->item(row, 1) && grdMarks->item(row, 1)->font().bold())
            return row;
    return lyrics::kEmptyPage;
}

void TfrmCardMaker::refreshMarks()
{
    if (refreshing_)
        return;
    refreshing_ = true;
    const QStringList pageList = pages();
    const QList<int> &marks = taps_.marks();
    const int rows = int(std::max(pageList.size(), marks.size()));
    grdMarks->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        auto *mark = new QTableWidgetItem(row < marks.size() ? QString::number(marks.at(row))
                                                             : QString());
        if (row >= marks.size())
            mark->setFlags(mark->flags() & ~Qt::ItemIsEditable);
        grdMarks->setItem(row, 0, mark);
        QString first = row < pageList.size()
                            ? pageList.at(row).section(QLatin1String("\r\n"), 0, 0)
                            : QStringLiteral("(ページがありません)");
        auto *page = new QTableWidgetItem(first);
        page->setFlags(page->flags() & ~Qt::ItemIsEditable);
        grdMarks->setItem(row, 1, page);
    }
    cmdUndo->setEnabled(taps_.canUndo());
    refreshing_ = false;
    showCurrentPage();
}

void TfrmCardMaker::markEdited(int row, int column)
{
    if (refreshing_ || column != 0)
        return;
    QTableWidgetItem *item = grdMarks->item(row, 0);
    const std::optional<int> value = item ? lyrics::stepMark(item->text().trimmed()) : std::nullopt;
    if (value && taps_.setMark(row, *value))
        changed_ = true;
    else
        hooks_.showMessage(QStringLiteral("ステップには0以上の整数を入力してください。"),
                           QString::fromUtf8(kCaption), mb::Ok | mb::IconExclamation);
    // Shows the value kept, the old one after a refused entry.
    QMetaObject::invokeMethod(this, &TfrmCardMaker::refreshMarks, Qt::QueuedConnection);
}

void TfrmCardMaker::cmdOpenTextClick()
{
    hooks_.fileDialog(true);
    const QString path = hooks_.dialogs->getOpenFileName(
        this, QFileInfo(songFileName_).absolutePath(),
        QStringLiteral("テキストファイル(*.txt);;すべてのファイル(*)"));
    hooks_.fileDialog(false);
    if (path.isEmpty())
        return;
    const SmallFile file = readSmallFile(path, kMaxTextSize);
    if (file.status != SmallFile::Ok) {
        const QString why = file.status == SmallFile::TooLarge
                                ? QStringLiteral("ファイルが大きすぎます。(1MBまで)")
                            : file.status == SmallFile::Missing
                                ? fileErrorReason(ENOENT)
                                : QStringLiteral("テキストファイルではないか、読み込めません。");
        hooks_.showMessage(QStringLiteral("歌詞を読み込めません。\r\n") + shortenMiddle(path)
                               + QStringLiteral("\r\n\r\n") + why,
                           kAppTitle, mb::Ok | mb::IconStop);
        return;
    }
    // A card opened as text gives its pages, without its marks.
    const QString text = decodeText(file.bytes);
    const lyrics::LyricsCard card = lyrics::parseLyricsCard(splitLines(text));
    memLyrics->setPlainText(card.usable() ? lyrics::textFromPages(card.pages) : text);
}

void TfrmCardMaker::cmdSongLyricsClick()
{
    if (playing_)
        return;
    const lyrics::LyricsCard card = hooks_.songLyrics ? hooks_.songLyrics() : lyrics::LyricsCard();
    if (!card.usable()) {
        hooks_.showMessage(QStringLiteral("この曲には歌詞が入っていません。\r\n"
                                          "歌詞を入力するか、テキストファイルを開いてください。"),
                           QString::fromUtf8(kCaption), mb::Ok | mb::IconExclamation);
        return;
    }
    // What is in the dialog goes only when the performer says so.
    if (!memLyrics->toPlainText().trimmed().isEmpty() || taps_.count() > 0) {
        const QString question =
            (changed_ ? QStringLiteral("歌詞カードは保存されていません。\r\n") : QString())
            + QStringLiteral("今の歌詞とステップを、曲に入っている歌詞で置き換えますか?");
        if (hooks_.showMessage(question, QString::fromUtf8(kCaption),
                               mb::YesNo | mb::IconQuestion | mb::DefButton2)
            != mb::IdYes)
            return;
    }
    refreshing_ = true;
    memLyrics->setPlainText(lyrics::textFromPages(card.pages));
    refreshing_ = false;
    taps_.setMarks(card.marks);
    changed_ = true;
    refreshMarks();
}

bool TfrmCardMaker::cmdSaveClick()
{
    if (playing_)
        return false;
    const QStringList pageList = pages();
    const QList<int> &marks = taps_.marks();
    const lyrics::CardCheck check = lyrics::checkCard(pageList, marks);
    if (check.problem != lyrics::CardCheck::Ok) {
        hooks_.showMessage(lyrics::cardProblemText(check, int(pageList.size()), int(marks.size())),
                           QString::fromUtf8(kCaption), mb::Ok | mb::IconExclamation);
        return false;
    }
    const auto cannotSave = [this](const QString &why) {
        hooks_.showMessage(QStringLiteral("歌詞カードを保存できません。\r\n") + shortenMiddle(cardPath_)
                               + QStringLiteral("\r\n\r\n") + why,
                           kAppTitle, mb::Ok | mb::IconStop);
        return false;
    };

    if (noLyricsFolder_)
        return cannotSave(QStringLiteral("歌詞カードのフォルダが指定されていません。\r\n"
                                         "「設定」→「オプション」で指定してください。"));
    const QFileInfo existing(cardPath_);
    if (existing.exists() || existing.isSymLink()) {
        if (!existing.isFile())
            return cannotSave(QStringLiteral("同じ名前のフォルダまたは特殊なファイルがあります。"));
        const QString backup = lyrics::backupPath(cardPath_);
        const int answer = hooks_.showMessage(
            QStringLiteral("歌詞カード「%1」は既にあります。\r\n元のカードを「%2」として残し、"
                           "上書きしますか?")
                .arg(QFileInfo(cardPath_).fileName(), QFileInfo(backup).fileName()),
            QString::fromUtf8(kCaption), mb::YesNo | mb::IconQuestion);
        if (answer != mb::IdYes)
            return false;
        const SmallFile old = readSmallFile(cardPath_, kMaxBackupSize);
        if (old.status != SmallFile::Ok)
            return cannotSave(QStringLiteral("元のカードを読み込めないため、控えを残せません。"));
        const FileWrite kept = replaceFile(backup, old.bytes);
        if (kept.result != FileWrite::Ok)
            return cannotSave(QStringLiteral("元のカードの控えを書き込めません。")
                              + fileErrorReason(kept.error));
    }
    const FileWrite written = replaceFile(cardPath_, lyrics::cardBytes(pageList, marks));
    if (written.result != FileWrite::Ok)
        return cannotSave(fileErrorReason(written.error));

    changed_ = false;
    // The lyrics window reads the new card at once.
    hooks_.cardSaved();
    hooks_.showMessage(QStringLiteral("歌詞カードを保存しました。\r\n") + shortenMiddle(cardPath_),
                       QString::fromUtf8(kCaption), mb::Ok);
    return true;
}

bool TfrmCardMaker::mayClose()
{
    if (!changed_)
        return true;
    // The taps of a whole pass through the song are not lost to a stray Esc.
    return hooks_.showMessage(QStringLiteral("歌詞カードは保存されていません。\r\n"
                                             "保存せずに閉じますか?"),
                              QString::fromUtf8(kCaption),
                              mb::YesNo | mb::IconQuestion | mb::DefButton2)
           == mb::IdYes;
}

void TfrmCardMaker::cmdCloseClick()
{
    if (playing_)
        cmdStopClick();
    if (mayClose())
        done(QDialog::Accepted);
}

void TfrmCardMaker::reject()
{
    if (playing_) {
        cmdStopClick();
        return;
    }
    if (mayClose())
        done(QDialog::Rejected);
}

void TfrmCardMaker::done(int result)
{
    restore();
    QDialog::done(result);
}

void TfrmCardMaker::restore()
{
    // The device goes back to where the main window left it, stopped, so
    // that its panel and the device agree again.
    if (restored_)
        return;
    restored_ = true;
    tickTimer.stop();
    SequencerDevice &dev = device();
    try {
        if (playing_)
            dev.Stop();
        dev.Seek(mainPosition_);
    } catch (const DeviceError &) {
    }
    setPlaying(false);
    hooks_.checkDevice();
}

bool TfrmCardMaker::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && playing_) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            if (!key->isAutoRepeat())
                cmdNextClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kazoon
