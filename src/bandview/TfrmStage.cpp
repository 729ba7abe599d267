#include "bandview/TfrmStage.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

#include "app/Fonts.h"
#include "app/Icons.h"
#include "app/IniFile.h"
#include "app/ScreenPlacement.h"

namespace kazoon {

namespace {
const QString kStage = QStringLiteral("Stage");

QLabel *valueLabel(QWidget *parent, const char *name, const QString &purpose, Qt::Alignment align)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    // Read as the value it shows; what it is goes in its description.
    l->setAccessibleDescription(purpose);
    l->setAlignment(align);
    l->setTextFormat(Qt::PlainText);
    return l;
}
} // namespace

TfrmStage::TfrmStage(StageWindowHooks hooks) : QWidget(nullptr), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("frmStage"));
    setWindowTitle(QStringLiteral("ステージ表示"));
    setWindowIcon(icon(IconId::App));
    setFont(uiFont());
    setAttribute(Qt::WA_QuitOnClose, false); // closing it only hides it
    setFocusPolicy(Qt::StrongFocus);
    // Light type on black: bright enough from a distance, dark enough not to
    // light up a dim stage.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    lblStageState = valueLabel(this, "lblStageState", QStringLiteral("プレーヤーの状態"),
                               Qt::AlignLeft | Qt::AlignVCenter);
    lblStageTime = valueLabel(this, "lblStageTime", QStringLiteral("セットの残り時間"),
                              Qt::AlignRight | Qt::AlignVCenter);
    lblStageSong = valueLabel(this, "lblStageSong", QStringLiteral("今の曲"), Qt::AlignCenter);
    lblStageSong->setWordWrap(true);
    lblStageMedley = valueLabel(this, "lblStageMedley", QStringLiteral("曲のつなぎ"), Qt::AlignCenter);
    QPalette accent = pal;
    accent.setColor(QPalette::WindowText, QColor(0x8a, 0xb4, 0xf8));
    lblStageMedley->setPalette(accent);
    lblStageNext = valueLabel(this, "lblStageNext", QStringLiteral("次の曲"), Qt::AlignCenter);
    lblStageNext->setWordWrap(true);
    QPalette dim = pal;
    dim.setColor(QPalette::WindowText, QColor(0xd0, 0xd0, 0xd0));
    lblStageNext->setPalette(dim);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 8, 16, 12);
    grid->addWidget(lblStageState, 0, 0);
    grid->addWidget(lblStageTime, 0, 1);
    grid->addWidget(lblStageSong, 1, 0, 1, 2);
    grid->addWidget(lblStageMedley, 2, 0, 1, 2);
    grid->addWidget(lblStageNext, 3, 0, 1, 2);
    grid->setRowStretch(1, 3);
    grid->setRowStretch(3, 2);

    resize(kDefaultWidth, kDefaultHeight);
    showContent(StageContent());
}

void TfrmStage::showContent(const StageContent &c)
{
    const auto set = [](QLabel *label, const QString &text) {
        if (label->text() != text)
            label->setText(text);
    };
    set(lblStageState, stageStateText(c.state));
    set(lblStageTime, c.timeLeft);
    set(lblStageSong, c.current);
    set(lblStageMedley, c.medley ? QStringLiteral("→ 続けて次の曲へ") : QString());
    set(lblStageNext, c.index < 0 ? QString()
                      : c.next.isEmpty() ? QStringLiteral("次: （最後の曲）")
                                         : QStringLiteral("次: ") + c.next);
}

void TfrmStage::showWindow()
{
    show();
    raise();
}

void TfrmStage::fitType()
{
    // Type follows the window: a second screen gets it as large as it goes.
    const int base = std::max(10, std::min(width() / 22, height() / 10));
    const auto sized = [this](QLabel *label, int px, bool bold) {
        QFont f = font();
        f.setPixelSize(px);
        f.setBold(bold);
        label->setFont(f);
    };
    sized(lblStageState, base, true);
    sized(lblStageTime, base, true);
    sized(lblStageSong, base * 2 + base / 2, true);
    sized(lblStageMedley, base, true);
    sized(lblStageNext, base + base / 2, false);
}

void TfrmStage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitType();
}

void TfrmStage::keyPressEvent(QKeyEvent *event)
{
    if (!(hooks_.keyDown && hooks_.keyDown(this, event->key(), event->modifiers())))
        QWidget::keyPressEvent(event);
}

void TfrmStage::keyReleaseEvent(QKeyEvent *event)
{
    if (hooks_.keyUp)
        hooks_.keyUp(this, event->key(), event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void TfrmStage::readSettings(const IniFile &ini)
{
    const int width = ini.readInteger(kStage, QStringLiteral("Width"), kDefaultWidth);
    const int height = ini.readInteger(kStage, QStringLiteral("Height"), kDefaultHeight);
    const QRect stored(ini.readInteger(kStage, QStringLiteral("Left"), 0),
                       ini.readInteger(kStage, QStringLiteral("Top"), 0),
                       width >= 100 && width <= 16384 ? width : kDefaultWidth,
                       height >= 60 && height <= 16384 ? height : kDefaultHeight);
    // A place stored on a monitor that is gone comes back onto the screen.
    const QRect placed = placeOnScreens(stored, availableScreenAreas());
    move(placed.topLeft());
    resize(placed.size());
    const int state = ini.readInteger(kStage, QStringLiteral("WindowState"), 0);
    if (state == 2)
        setWindowState(Qt::WindowMaximized);
    else if (state == 3)
        setWindowState(Qt::WindowFullScreen);
    openAtStart_ = ini.readBool(kStage, QStringLiteral("Visible"), false);
}

void TfrmStage::writeSettings(IniFile &ini) const
{
    const Qt::WindowStates state = windowState();
    const bool whole = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    ini.writeInteger(kStage, QStringLiteral("Top"), pos().y());
    ini.writeInteger(kStage, QStringLiteral("Left"), pos().x());
    if (!whole) {
        ini.writeInteger(kStage, QStringLiteral("Width"), width());
        ini.writeInteger(kStage, QStringLiteral("Height"), height());
    }
    ini.writeInteger(kStage, QStringLiteral("WindowState"),
                     state & Qt::WindowFullScreen ? 3 : state & Qt::WindowMaximized ? 2 : 0);
    ini.writeBool(kStage, QStringLiteral("Visible"), isVisible());
}

} // namespace kazoon
