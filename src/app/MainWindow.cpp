#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <utility>

#include "app/Command.h"
#include "app/Dialogs.h"
#include "app/Fonts.h"
#include "app/Icons.h"
#include "app/ScreenAwake.h"
#include "app/ShowRecorder.h"
#include "app/TfrmAbout.h"
#include "app/ToolButton.h"
#include "lyrics/LyricsPages.h"
#include "player/SequencerDevice.h"
#include "player/TrackBar.h"
#include "remote/MidiRemote.h"
#include "songlist/CheckListBox.h"
#include "songlist/PerSongSettings.h"

namespace kazoon {

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(pal);
    return l;
}

// The menu bar never takes the keyboard at a lone Alt: on stage an Alt
// tapped by mistake would leave the show's keys, Esc among them, in a menu
// bar whose menus are off while a song plays. The menus still open through
// their Alt+letter mnemonics.
class MenuBarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TfrmMain::TfrmMain(const Environment &env, QWidget *parent)
    : QMainWindow(parent), env_(env), remote_(std::make_unique<MidiRemote>(env.remote, remoteHost()))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(kNewListCaption);
    setWindowIcon(icon(IconId::App));
    setFont(uiFont());

    buildLayout();
    buildMenusAndToolBars();
    screenAwake_ = std::make_unique<ScreenAwake>(ScreenAwake::busNamed(env_.desktopBus));
    auto *menuBarStyle = new MenuBarStyle;
    menuBarStyle->setParent(this); // outlives the menu bar, created before it
    menuBar()->setStyle(menuBarStyle);
    buildSongSettingsCommands();

    PlayTimer.setObjectName(QStringLiteral("PlayTimer"));
    PlayTimer.setInterval(50);
    LagTimer.setObjectName(QStringLiteral("LagTimer"));
    LagTimer.setInterval(300);
    connect(&PlayTimer, &QTimer::timeout, this, &TfrmMain::PlayTimerTimer);
    connect(&LagTimer, &QTimer::timeout, this, &TfrmMain::LagTimerTimer);
    connect(lstLive, &CheckListBox::clicked, this, &TfrmMain::lstLiveClick);
    connect(lstLive, &CheckListBox::clickCheck, this, &TfrmMain::lstLiveClickCheck);
    connect(trackBar, &TrackBar::change, this, &TfrmMain::TrackBarChange);
    if (env_.device)
        env_.device->setOnNotify([this] { PlayerNotify(); });

    // Keys reach FormKeyDown/FormKeyUp from the window and from the two
    // controls that take the focus.
    lstLive->installEventFilter(this);
    trackBar->installEventFilter(this);

    // The window's layout is fixed.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildLyricsPages();
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    if (env_.device)
        env_.device->setOnNotify(nullptr);
    FormDestroy();
}

void TfrmMain::buildLayout()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(483, 267);
    client->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(client);

    lstLive = new CheckListBox(client);
    lstLive->setObjectName(QStringLiteral("lstLive"));
    lstLive->setAccessibleName(QStringLiteral("曲リスト"));
    lstLive->setGeometry(264, 48, 201, 145);
    lstLive->setFont(uiFont());
    lstLive->setFocusPolicy(Qt::StrongFocus);

    trackBar = new TrackBar(client);
    trackBar->setObjectName(QStringLiteral("TrackBar"));
    trackBar->setAccessibleName(QStringLiteral("演奏位置"));
    trackBar->setGeometry(8, 208, 465, 25);
    trackBar->setOrientation(Qt::Horizontal);
    trackBar->setSingleStep(16);
    trackBar->setPageStep(128);
    trackBar->setTickPosition(QSlider::NoTicks);
    trackBar->setMax(0);
    trackBar->setPosition(0);
    trackBar->setFocusPolicy(Qt::StrongFocus);

    auto *panel1 = new QFrame(client);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setGeometry(24, 56, 209, 73);
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setLineWidth(1);
    lblInfo = label(panel1, "lblInfo", QStringLiteral("曲リストを開いてください。"),
                    QRect(1, 1, 207, 48));
    lblInfo->setAlignment(Qt::AlignCenter);
    lblInfo->setWordWrap(true);
    // Sized to its text, so that no font cuts the caption short.
    label(panel1, "Label2", QStringLiteral("Step :"), QRect(108, 45, 29, 12))->adjustSize();
    lblStep = label(panel1, "lblStep", QString(), QRect(136, 45, 41, 12));
    lblStep->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The loaded song's own settings: a row of its own along the bottom of
    // the panel, under the step display, as high as the longest settings
    // need in the panel's font.
    auto *lblAdjust = new QLabel(panel1);
    lblAdjust->setObjectName(QStringLiteral("lblAdjust"));
    // A screen reader reads the settings themselves; this says what they are.
    lblAdjust->setAccessibleDescription(QStringLiteral("曲の設定"));
    lblAdjust->setPalette(lblStep->palette());
    lblAdjust->setText(songlist::settingsBadge(
        {engine::SongAdjust::kMaxTranspose, engine::SongAdjust::kMaxTempo, engine::SongAdjust::kMaxVolume}));
    const QSize longest = lblAdjust->sizeHint();
    lblAdjust->clear();
    const QRect inside = panel1->contentsRect().adjusted(3, 0, -3, 0);
    lblAdjust->setGeometry(inside.left(), inside.bottom() + 1 - longest.height(), inside.width(),
                           longest.height());
    songSettings_ = std::make_unique<PerSongSettings>(songSettingsHost(), env_.dialogs, lblAdjust, this);

    // The set clock, under the panel: time since the show began, time left in the set.
    auto *lblElapsed = label(client, "lblElapsed", QString(), QRect(24, 131, 96, 16));
    auto *lblTimeLeft = label(client, "lblTimeLeft", QString(), QRect(124, 131, 134, 16));
    showRecorder_ = std::make_unique<ShowRecorder>(showHost(), env_.settingsPath, lblElapsed, lblTimeLeft);

    statusBar_ = new QStatusBar(client);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setGeometry(0, 246, 483, 21);
    statusBar_->setSizeGripEnabled(false);
    statusPanel0 = new QLabel(statusBar_);
    statusPanel0->setObjectName(QStringLiteral("statusPanel0"));
    statusPanel0->setFixedWidth(420);
    statusPanel1 = new QLabel(statusBar_);
    statusPanel1->setObjectName(QStringLiteral("statusPanel1"));
    statusPanel1->setFixedWidth(50);
    statusPanel1->setAlignment(Qt::AlignCenter);
    statusBar_->addWidget(statusPanel0);
    statusBar_->addWidget(statusPanel1);

    // A screen reader reads what these show (their text); what they are is
    // their description, never a name that would hide the value.
    const std::pair<QLabel *, const char16_t *> values[] = {
        {lblInfo, u"プレーヤーの状態"},    {lblStep, u"ステップ"},
        {lblElapsed, u"ショーの経過時間"}, {lblTimeLeft, u"セットの残り時間"},
        {statusPanel0, u"曲のファイル"},   {statusPanel1, u"曲の長さ"},
    };
    for (const auto &[value, purpose] : values)
        value->setAccessibleDescription(QString::fromUtf16(purpose));

    ToolBar = new QToolBar(client);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setGeometry(0, 0, 483, 29);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);

    ToolBarPlayer = new QToolBar(client);
    ToolBarPlayer->setObjectName(QStringLiteral("ToolBarPlayer"));
    ToolBarPlayer->setGeometry(16, 152, 249, 49);
    ToolBarPlayer->setIconSize(QSize(32, 32));
    ToolBarPlayer->setMovable(false);
    ToolBarPlayer->setFloatable(false);
    ToolBarPlayer->setStyleSheet(QStringLiteral("QToolBar { border: none; }"));
}

void TfrmMain::buildMenusAndToolBars()
{
    auto makeAction = [this](const char *name, const QString &text, QKeySequence shortcut = {}) {
        auto *a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        actions_[a->objectName()] = a;
        return a;
    };
    auto makeButton = [this](QToolBar *bar, const char *name, const QString &hint, IconId image,
                             QSize size) {
        QAction *a = addToolButton(bar, this, name, hint, image, size);
        actions_[a->objectName()] = a;
        return a;
    };
    // Tool bar separators are 8 pixels wide, whatever the style draws.
    auto makeGap = [this](QToolBar *bar, const char *name) {
        auto *gap = new QWidget(bar);
        gap->setFixedWidth(8);
        QAction *a = bar->addWidget(gap);
        a->setObjectName(QLatin1String(name));
        actions_[a->objectName()] = a;
    };
    auto makeMenu = [this](const char *name, const QString &title) {
        QMenu *m = menuBar()->addMenu(title);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        actions_[m->objectName()] = m->menuAction();
        return m;
    };
    auto separator = [this](QMenu *menu, const char *name) {
        QAction *a = menu->addSeparator();
        a->setObjectName(QLatin1String(name));
        actions_[a->objectName()] = a;
    };
    auto command = [this](QAction *item, QAction *button, void (TfrmMain::*handler)()) {
        return new Command(item, button, [this, handler] { (this->*handler)(); }, this);
    };

    const QSize small(23, 23), large(55, 38);

    // Menus.
    mnuFile = makeMenu("mnuFile", QStringLiteral("ファイル(&F)"));
    QAction *mnuNewItem = makeAction("mnuNewItem", QStringLiteral("新規曲リストの作成(&N)..."),
                                     QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction *mnuOpenItem = makeAction("mnuOpenItem", QStringLiteral("曲リストを開く(&O)..."),
                                      QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuOverItem = makeAction("mnuOverItem", QStringLiteral("上書き保存(&S)"),
                             QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveItem = makeAction("mnuSaveItem", QStringLiteral("名前を付けて保存(&A)..."));
    mnuExitItem = makeAction("mnuExitItem", QStringLiteral("カズーンの終了(&X)"));
    mnuFile->addAction(mnuNewItem);
    mnuFile->addAction(mnuOpenItem);
    separator(mnuFile, "N1");
    mnuFile->addAction(mnuOverItem);
    mnuFile->addAction(mnuSaveItem);
    separator(mnuFile, "N2");
    mnuFile->addAction(mnuExitItem);

    mnuEdit = makeMenu("mnuEdit", QStringLiteral("編集(&E)"));
    QAction *mnuMenuItem = makeAction("mnuMenuItem", QStringLiteral("曲リストの編集(&L)..."));
    QAction *mnuMedleyItem = makeAction("mnuMedleyItem", QStringLiteral("全て連続再生(&M)"));
    QAction *mnuClearItem = makeAction("mnuClearItem", QStringLiteral("全て一曲づつ再生(&C)"));
    mnuEdit->addAction(mnuMenuItem);
    separator(mnuEdit, "N5");
    mnuEdit->addAction(mnuMedleyItem);
    mnuEdit->addAction(mnuClearItem);
    QAction *mnuCardItem = makeAction("mnuCardItem", QStringLiteral("歌詞カードの作成(&K)..."));
    separator(mnuEdit, "NCard");
    mnuEdit->addAction(mnuCardItem);
    // The menu is off while a song plays; the item needs a loaded song too.
    connect(mnuEdit, &QMenu::aboutToShow, this,
            [this, mnuCardItem] { mnuCardItem->setEnabled(songLoaded && !playing); });
    connect(mnuCardItem, &QAction::triggered, this, &TfrmMain::mnuCardItemClick);

    mnuSet = makeMenu("mnuSet", QStringLiteral("設定(&S)"));
    QAction *mnuQsItem = makeAction("mnuQsItem", QStringLiteral("QSモード(&Q)"), Qt::Key_F9);
    QAction *mnuWrdItem = makeAction("mnuWrdItem", QStringLiteral("歌詞カード機能(&W)"));
    QAction *mnuWrdEditItem =
        makeAction("mnuWrdEditItem", QStringLiteral("歌詞カードの更新(&R)"), Qt::Key_F5);
    QAction *mnuLsnItem = makeAction("mnuLsnItem", QStringLiteral("カズーンでレッスン(&L)"));
    QAction *mnuSflgItem =
        makeAction("mnuSflgItem", QStringLiteral("開始位置に設定(&F)"), Qt::Key_F11);
    QAction *mnuEflgItem =
        makeAction("mnuEflgItem", QStringLiteral("終了位置に設定(&E)"), Qt::Key_F12);
    mnuOptionItem = makeAction("mnuOptionItem", QStringLiteral("オプション(&O)..."));
    mnuQsItem->setCheckable(true);
    mnuWrdItem->setCheckable(true);
    mnuLsnItem->setCheckable(true);
    mnuSet->addAction(mnuQsItem);
    separator(mnuSet, "N3");
    mnuSet->addAction(mnuWrdItem);
    mnuSet->addAction(mnuWrdEditItem);
    separator(mnuSet, "N4");
    mnuSet->addAction(mnuLsnItem);
    mnuSet->addAction(mnuSflgItem);
    mnuSet->addAction(mnuEflgItem);
    separator(mnuSet, "N6");
    mnuSet->addAction(mnuOptionItem);

    mnuPlayer = makeMenu("mnuPlayer", QStringLiteral("プレーヤー(&P)"));
    QAction *mnuSBItem = makeAction("mnuSBItem", QStringLiteral("スタンバイ(&B)        Enter"));
    QAction *mnuPlayItem = makeAction("mnuPlayItem", QStringLiteral("再生(&P)            Enter"));
    QAction *mnuStopItem = makeAction("mnuStopItem", QStringLiteral("停止(&S)            Esc"));
    QAction *mnuPrevItem = makeAction("mnuPrevItem", QStringLiteral("先頭に戻る(&R)    BkSp"));
    mnuPlayer->addAction(mnuSBItem);
    separator(mnuPlayer, "N7");
    mnuPlayer->addAction(mnuPlayItem);
    mnuPlayer->addAction(mnuStopItem);
    mnuPlayer->addAction(mnuPrevItem);
    separator(mnuPlayer, "N10");
    QAction *mnuPanicItem = makeAction("mnuPanicItem", QStringLiteral("全ての音を止める(&A)"));
    mnuPlayer->addAction(mnuPanicItem);
    connect(mnuPanicItem, &QAction::triggered, this, &TfrmMain::mnuPanicItemClick);

    mnuHelp = makeMenu("mnuHelp", QStringLiteral("ヘルプ(&H)"));
    QAction *mnuHelpItem =
        makeAction("mnuHelpItem", QStringLiteral("カズーンのヘルプ(&H)..."), Qt::Key_F1);
    mnuHPItem = makeAction("mnuHPItem", kMakerName + QStringLiteral("のホームページ(&L)"));
    mnuAboutItem = makeAction("mnuAboutItem", QStringLiteral("バージョン情報(&A)..."));
    mnuHelp->addAction(mnuHelpItem);
    mnuHelp->addAction(mnuHPItem);
    separator(mnuHelp, "N11");
    mnuHelp->addAction(mnuAboutItem);

    // Tool bars.
    QAction *ButtonNew = makeButton(ToolBar, "ButtonNew", QStringLiteral("新規曲リストの作成"),
                                    IconId::New, small);
    QAction *ButtonOpen =
        makeButton(ToolBar, "ButtonOpen", QStringLiteral("曲リストを開く"), IconId::Open, small);
    QAction *ButtonSave =
        makeButton(ToolBar, "ButtonSave", QStringLiteral("曲リストの保存"), IconId::Save, small);
    makeGap(ToolBar, "Button1");
    QAction *ButtonEdit =
        makeButton(ToolBar, "ButtonEdit", QStringLiteral("曲リストの編集"), IconId::Edit, small);
    QAction *ButtonMedley = makeButton(ToolBar, "ButtonMedley", QStringLiteral("全て連続再生"),
                                       IconId::Medley, small);
    QAction *ButtonClear = makeButton(ToolBar, "ButtonClear", QStringLiteral("全て一曲づつ再生"),
                                      IconId::Clear, small);
    makeGap(ToolBar, "Button2");
    QAction *ButtonQs = makeButton(ToolBar, "ButtonQs", QStringLiteral("QSモード"), IconId::Qs, small);
    makeGap(ToolBar, "Button3");
    QAction *ButtonWrd =
        makeButton(ToolBar, "ButtonWrd", QStringLiteral("歌詞カード機能"), IconId::Wrd, small);
    QAction *ButtonWrdEdit = makeButton(ToolBar, "ButtonWrdEdit", QStringLiteral("歌詞カードの更新"),
                                        IconId::WrdEdit, small);
    makeGap(ToolBar, "Button4");
    QAction *ButtonLesson = makeButton(ToolBar, "ButtonLesson",
                                       QStringLiteral("カズーンでレッスン"), IconId::Lesson, small);
    QAction *ButtonSflg =
        makeButton(ToolBar, "ButtonSflg", QStringLiteral("開始位置に設定"), IconId::Sflg, small);
    QAction *ButtonEflg =
        makeButton(ToolBar, "ButtonEflg", QStringLiteral("終了位置に設定"), IconId::Eflg, small);
    makeGap(ToolBar, "ToolButton2");
    QAction *ButtonHelp =
        makeButton(ToolBar, "ButtonHelp", QStringLiteral("カズーンのヘルプ"), IconId::Help, small);

    QAction *ButtonSB =
        makeButton(ToolBarPlayer, "ButtonSB", QStringLiteral("スタンバイ"), IconId::Standby, large);
    makeGap(ToolBarPlayer, "ButtonA");
    QAction *ButtonPlay =
        makeButton(ToolBarPlayer, "ButtonPlay", QStringLiteral("再生"), IconId::Play, large);
    QAction *ButtonStop =
        makeButton(ToolBarPlayer, "ButtonStop", QStringLiteral("停止"), IconId::Stop, large);
    QAction *ButtonPrev =
        makeButton(ToolBarPlayer, "ButtonPrev", QStringLiteral("先頭に戻る"), IconId::Prev, large);

    // Commands: a menu item and its tool button share one handler.
    cmdNew = command(mnuNewItem, ButtonNew, &TfrmMain::mnuNewItemClick);
    cmdOpen = command(mnuOpenItem, ButtonOpen, &TfrmMain::mnuOpenItemClick);
    cmdSave = command(nullptr, ButtonSave, &TfrmMain::ButtonSaveClick);
    cmdEdit = command(mnuMenuItem, ButtonEdit, &TfrmMain::mnuMenuItemClick);
    cmdMedley = command(mnuMedleyItem, ButtonMedley, &TfrmMain::mnuMedleyItemClick);
    cmdClear = command(mnuClearItem, ButtonClear, &TfrmMain::mnuClearItemClick);
    cmdQs = command(mnuQsItem, ButtonQs, &TfrmMain::ButtonQsClick);
    cmdWrd = command(mnuWrdItem, ButtonWrd, &TfrmMain::ButtonWrdClick);
    cmdWrdEdit = command(mnuWrdEditItem, ButtonWrdEdit, &TfrmMain::mnuWrdEditItemClick);
    cmdLesson = command(mnuLsnItem, ButtonLesson, &TfrmMain::mnuLsnItemClick);
    cmdSflg = command(mnuSflgItem, ButtonSflg, &TfrmMain::ButtonSflgClick);
    cmdEflg = command(mnuEflgItem, ButtonEflg, &TfrmMain::ButtonEflgClick);
    cmdHelp = command(mnuHelpItem, ButtonHelp, &TfrmMain::mnuHelpItemClick);
    cmdSB = command(mnuSBItem, ButtonSB, &TfrmMain::ButtonSBClick);
    cmdPlay = command(mnuPlayItem, ButtonPlay, &TfrmMain::ButtonPlayClick);
    cmdStop = command(mnuStopItem, ButtonStop, &TfrmMain::ButtonStopClick);
    cmdPrev = command(mnuPrevItem, ButtonPrev, &TfrmMain::ButtonPrevClick);

    connect(mnuOverItem, &QAction::triggered, this, &TfrmMain::mnuOverItemClick);
    connect(mnuSaveItem, &QAction::triggered, this, &TfrmMain::mnuSaveItemClick);
    connect(mnuExitItem, &QAction::triggered, this, &TfrmMain::mnuExitItemClick);
    connect(mnuOptionItem, &QAction::triggered, this, &TfrmMain::mnuOptionItemClick);
    connect(mnuHPItem, &QAction::triggered, this, &TfrmMain::mnuHPItemClick);
    connect(mnuAboutItem, &QAction::triggered, this, &TfrmMain::mnuAboutItemClick);
}

QAction *TfrmMain::action(const QString &name) const
{
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TfrmMain::attachWindows(TfrmWrdDir *wrdDir, TfrmOption *option, TfrmSelect *select,
                             TfrmWrd *wrd, TfrmAbout *about)
{
    frmWrdDir = wrdDir;
    frmOption = option;
    frmSelect = select;
    frmWrd = wrd;
    frmAbout = about;
    if (option)
        Player().SetClick(liveSettings().click().click);
}

int TfrmMain::showMessage(const QString &text, const QString &caption, int flags)
{
    msgBoxOpen = true;
    const int answer = dialogs().messageBox(this, text, caption, flags);
    msgBoxOpen = false;
    return answer;
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == lstLive || watched == trackBar) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool press = event->type() == QEvent::KeyPress;
        if (press && FormKeyDown(watched, key->key(), key->modifiers()))
            return true; // swallowed: the control does not act on it
        if (!press)
            FormKeyUp(watched, key->key(), key->modifiers());
        // The control acts on the key itself; the key does not travel on to
        // the window, whose handler has just seen it.
        watched->event(event);
        event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::keyPressEvent(QKeyEvent *event)
{
    if (!FormKeyDown(this, event->key(), event->modifiers()))
        QMainWindow::keyPressEvent(event);
}

void TfrmMain::keyReleaseEvent(QKeyEvent *event)
{
    FormKeyUp(this, event->key(), event->modifiers());
    QMainWindow::keyReleaseEvent(event);
}

void TfrmMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QMainWindow::changeEvent(event);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // After AppException, or once the program is ending, nothing more is
    // asked or written.
    if (terminating_ || destroyed_) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

} // namespace kazoon
