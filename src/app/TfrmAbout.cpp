#include "app/TfrmAbout.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "app/Fonts.h"
#include "app/Icons.h"

namespace kazoon {

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, QPoint at)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->move(at);
    l->adjustSize();
    return l;
}

} // namespace

TfrmAbout::TfrmAbout(std::function<void(const QUrl &)> openUrl, QWidget *parent)
    : QDialog(parent), openUrl_(std::move(openUrl))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(uiFont());
    setFixedSize(313, 211);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 297, 153);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto *image = new QLabel(panel);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(24, 24, 41, 41);
    image->setPixmap(drawIcon(IconId::App, 32));
    image->setAlignment(Qt::AlignCenter);

    QLabel *title = label(panel, "Label1", QStringLiteral("カズーン"), QPoint(100, 16));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(15);
    title->setFont(titleFont);
    title->adjustSize();
    QLabel *version = label(panel, "Label7", kVersionText, QPoint(169, 18));
    QLabel *tagline =
        label(panel, "Label2", QStringLiteral("ステージのための MIDI プレーヤー"), QPoint(100, 40));
    QLabel *copyright = label(panel, "Label3", QStringLiteral("Copyright © ") + kMakerName, QPoint(100, 56));
    QLabel *urlCaption = label(panel, "Label5", QStringLiteral("URL:"), QPoint(100, 80));
    QLabel *mailCaption = label(panel, "Label6", QStringLiteral("E-mail:"), QPoint(100, 96));
    lblURL = label(panel, "lblURL", kWebAddress, QPoint(142, 80));
    lblEmail = label(panel, "lblEmail", kMailAddress, QPoint(142, 96));
    for (QLabel *link : {lblURL, lblEmail}) {
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        QPalette pal = link->palette();
        pal.setColor(QPalette::WindowText, Qt::blue);
        link->setPalette(pal);
        link->setCursor(Qt::PointingHandCursor);
        link->adjustSize();
        link->installEventFilter(this);
    }

    // The addresses follow their captions and are drawn whole: when the
    // longer one would reach the panel's edge, the text column moves left
    // (never onto the image).
    const int captions = std::max(urlCaption->width(), mailCaption->width()) + 4;
    const int addressAt = std::max(42, captions);
    const int addresses = std::max(lblURL->width(), lblEmail->width());
    const int right = panel->contentsRect().right() - 4;
    const int shift = std::clamp(100 + addressAt + addresses - 1 - right, 0,
                                 100 - (image->geometry().right() + 8));
    for (QLabel *l : {title, version, tagline, copyright, urlCaption, mailCaption})
        l->move(l->x() - shift, l->y());
    lblURL->move(100 - shift + addressAt, 80);
    lblEmail->move(100 - shift + addressAt, 96);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(120, 176, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmAbout::lblURLClick()
{
    if (openUrl_)
        openUrl_(QUrl(kWebAddress));
}

void TfrmAbout::lblEmailClick()
{
    if (openUrl_)
        openUrl_(QUrl(QStringLiteral("mailto:") + kMailAddress));
}

void TfrmAbout::showEvent(QShowEvent *event)
{
    // In the middle of the screen, not over the main window, which may sit
    // in a corner.
    if (const QScreen *s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == lblURL) {
            lblURLClick();
            return true;
        }
        if (watched == lblEmail) {
            lblEmailClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kazoon
