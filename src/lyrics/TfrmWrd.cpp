#include "lyrics/TfrmWrd.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Colors.h"
#include "app/Command.h"
#include "app/Fonts.h"
#include "app/ToolButton.h"
#include "app/Icons.h"
#include "app/IniFile.h"
#include "app/ScreenPlacement.h"
#include "lyrics/LyricsLabel.h"

namespace kazoon {

namespace {
const QString kWords = QStringLiteral("Words");
const QString kDefaultFont = QStringLiteral("ＭＳ Ｐ明朝");
const QString kCaption = QStringLiteral("歌詞カード");
} // namespace

TfrmWrd::TfrmWrd(LyricsWindowHooks hooks)
    : QWidget(nullptr), hooks_(std::move(hooks)), foreColor_(kWindowTextColor), backColor_(kWhiteColor)
{
    setObjectName(QStringLiteral("frmWrd"));
    setWindowTitle(kCaption);
    setWindowIcon(icon(IconId::Lyrics));
    setFont(uiFont());
    resize(kDefaultWidth, kDefaultHeight);
    // Closing the lyrics card only hides it; closing the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::StrongFocus);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    PanelWrd = new QWidget(this);
    PanelWrd->setObjectName(QStringLiteral("PanelWrd"));
    PanelWrd->setAutoFillBackground(true);
    outer->addWidget(PanelWrd);

    auto *layout = new QVBoxLayout(PanelWrd);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar = new QToolBar(PanelWrd);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setFixedHeight(29);
    layout->addWidget(ToolBar);

    lblWrd = new lyrics::LyricsLabel(PanelWrd);
    lblWrd->setObjectName(QStringLiteral("lblWrd"));
    // Read as the lyrics it shows.
    lblWrd->setAccessibleDescription(QStringLiteral("歌詞"));
    QFont lyricsFont(kDefaultFont);
    lyricsFont.setPointSize(36);
    lblWrd->setFont(lyricsFont);
    layout->addWidget(lblWrd, 1);
    // The next page's first line: read as the line it shows, like the page.
    lblNext = new lyrics::LyricsLabel(PanelWrd);
    lblNext->setObjectName(QStringLiteral("lblNext"));
    lblNext->setAccessibleDescription(QStringLiteral("次のページの最初の行"));
    lblNext->hide();
    layout->addWidget(lblNext);
    connect(lblWrd, &lyrics::LyricsLabel::roomChanged, this, [this] {
        fitNextLine();
        if (hooks_.roomChanged)
            hooks_.roomChanged();
    });
    fitNextLine();

    auto gap = [this] {
        auto *w = new QWidget(ToolBar);
        w->setFixedWidth(8);
        ToolBar->addWidget(w);
    };
    auto button = [this](const char *name, const QString &hint, IconId image, Command *command) {
        QAction *a = addToolButton(ToolBar, this, name, hint, image, QSize(23, 23));
        if (command)
            command->addButton(a);
        return a;
    };
    gap();
    ButtonSB = button("ButtonSB", QStringLiteral("スタンバイ"), IconId::Standby, hooks_.standby);
    gap();
    ButtonPlay = button("ButtonPlay", QStringLiteral("再生"), IconId::Play, hooks_.play);
    ButtonStop = button("ButtonStop", QStringLiteral("停止"), IconId::Stop, hooks_.stop);
    ButtonPrev = button("ButtonPrev", QStringLiteral("先頭に戻る"), IconId::Prev, hooks_.prev);

    // The main window's short cuts (F5, F9, F11, ...) work here as well,
    // each only while its command is enabled.
    for (QAction *a : std::as_const(hooks_.actions)) {
        if (!a->shortcut().isEmpty())
            addAction(a);
    }

    setForeColor(foreColor_);
    setBackColor(backColor_);
    readSettings(IniFile(hooks_.settingsPath));
}

void TfrmWrd::setLyrics(const QString &text)
{
    // The page of the last tick is the same string: no need to compare a long page.
    if (text.isSharedWith(lyrics_) || text == lyrics_)
        return;
    lyrics_ = text;
    // A lone CR would be drawn as a blank and push a centred line aside.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lblWrd->setPage(shown);
}

void TfrmWrd::setNextLine(const QString &line)
{
    if (line.isSharedWith(nextLine_) || line == nextLine_)
        return;
    nextLine_ = line;
    lblNext->setPage(line);
}

void TfrmWrd::setShowsNextLine(bool on)
{
    if (on == showsNextLine())
        return;
    lblNext->setVisible(on);
    // A window not shown yet has its room laid out when it shows.
    if (!isVisible() && hooks_.roomChanged)
        hooks_.roomChanged();
}

void TfrmWrd::fitNextLine()
{
    // Half the page's type, never below the smallest readable size, on one line.
    QFont font = lblWrd->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(std::max(lyrics::kSmallestLyricsPointSize, font.pointSizeF() / 2));
    else
        font.setPixelSize(std::max(1, font.pixelSize() / 2));
    lblNext->setFont(font);
    lblNext->setFixedHeight(QFontMetrics(font, lblNext).height());
}

int TfrmWrd::linesThatFit()
{
    // A hidden window lays out its label only when it shows: the room it
    // will have is laid out here, the window first, then the panel in it.
    if (!isVisible()) {
        for (QWidget *w : {static_cast<QWidget *>(this), PanelWrd}) {
            w->layout()->invalidate();
            w->layout()->activate();
        }
    }
    return std::max(2, lyrics::linesThatFit(lblWrd->font(), lblWrd->contentsRect().size(), lblWrd));
}

void TfrmWrd::setCardName(const QString &cardName)
{
    setWindowTitle(cardName.isEmpty() ? kCaption : kCaption + QStringLiteral(" - ") + cardName);
}

void TfrmWrd::showCard()
{
    show();
    raise();
    activateWindow();
}

void TfrmWrd::setForeColor(int value)
{
    foreColor_ = value;
    QPalette pal = lblWrd->palette();
    pal.setColor(QPalette::WindowText, colorFromValue(value));
    lblWrd->setPalette(pal);
    setNextLineColor();
}

void TfrmWrd::setBackColor(int value)
{
    backColor_ = value;
    QPalette pal = PanelWrd->palette();
    pal.setColor(QPalette::Window, colorFromValue(value));
    PanelWrd->setPalette(pal);
    setNextLineColor();
}

void TfrmWrd::setNextLineColor()
{
    // Dimmer: halfway from the text colour to the background, whatever they are.
    const QColor fore = colorFromValue(foreColor_), back = colorFromValue(backColor_);
    QPalette pal = lblNext->palette();
    pal.setColor(QPalette::WindowText, QColor((fore.red() + back.red()) / 2,
                                              (fore.green() + back.green()) / 2,
                                              (fore.blue() + back.blue()) / 2));
    lblNext->setPalette(pal);
}

void TfrmWrd::readSettings(const IniFile &ini)
{
    const int top = ini.readInteger(kWords, QStringLiteral("Top"), 0);
    const int left = ini.readInteger(kWords, QStringLiteral("Left"), 0);
    const int state = ini.readInteger(kWords, QStringLiteral("WindowState"), 0);
    const int width = ini.readInteger(kWords, QStringLiteral("Width"), kDefaultWidth);
    const int height = ini.readInteger(kWords, QStringLiteral("Height"), kDefaultHeight);
    // A place stored on a monitor that is gone comes back onto the screen.
    const QRect placed = placeOnScreens(QRect(left, top, width, height), availableScreenAreas());
    move(placed.topLeft());
    resize(placed.size());
    // Applied after the size, so that a maximised window keeps the stored
    // size as its normal size.
    if (state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (state == 1)
        setWindowState(Qt::WindowMinimized);

    QFont font(ini.readString(kWords, QStringLiteral("FontName"), kDefaultFont));
    const int size = ini.readInteger(kWords, QStringLiteral("FontSize"), 36);
    font.setPointSize(size > 0 ? size : 36);
    // A stored flag adds its style; the designed font is neither bold nor italic.
    if (ini.readBool(kWords, QStringLiteral("FontBold"), true))
        font.setBold(true);
    if (ini.readBool(kWords, QStringLiteral("FontItalic"), false))
        font.setItalic(true);
    lblWrd->setFont(font);
    setForeColor(ini.readInteger(kWords, QStringLiteral("ForeColor"), kWindowTextColor));
    setBackColor(ini.readInteger(kWords, QStringLiteral("BackColor"), kWhiteColor));
}

void TfrmWrd::writeSettings(IniFile &ini) const
{
    const Qt::WindowStates state = windowState();
    const bool maximised = state & Qt::WindowMaximized;
    // A minimised window keeps its restored position and size in pos()/size().
    ini.writeInteger(kWords, QStringLiteral("Top"), pos().y());
    ini.writeInteger(kWords, QStringLiteral("Left"), pos().x());
    if (!maximised) {
        ini.writeInteger(kWords, QStringLiteral("Width"), width());
        ini.writeInteger(kWords, QStringLiteral("Height"), height());
    }
    ini.writeInteger(kWords, QStringLiteral("WindowState"),
                     maximised && !(state & Qt::WindowMinimized) ? 2 : 0);
    const QFont font = lblWrd->font();
    ini.writeString(kWords, QStringLiteral("FontName"), font.family());
    ini.writeInteger(kWords, QStringLiteral("FontSize"), font.pointSize());
    ini.writeBool(kWords, QStringLiteral("FontBold"), font.bold());
    ini.writeBool(kWords, QStringLiteral("FontItalic"), font.italic());
    ini.writeInteger(kWords, QStringLiteral("ForeColor"), foreColor_);
    ini.writeInteger(kWords, QStringLiteral("BackColor"), backColor_);
}

void TfrmWrd::keyPressEvent(QKeyEvent *event)
{
    if (!hooks_.keyDown(this, event->key(), event->modifiers()))
        QWidget::keyPressEvent(event);
}

void TfrmWrd::keyReleaseEvent(QKeyEvent *event)
{
    hooks_.keyUp(this, event->key(), event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void TfrmWrd::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        hooks_.activated();
    QWidget::changeEvent(event);
}

} // namespace kazoon
