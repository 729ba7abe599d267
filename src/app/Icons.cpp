#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace kazoon {

namespace {

const QColor kInk(40, 40, 48);

void page(QPainter &p, QColor fill = Qt::white)
{
    QPainterPath path;
    path.moveTo(3, 1);
    path.lineTo(10, 1);
    path.lineTo(13, 4);
    path.lineTo(13, 15);
    path.lineTo(3, 15);
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(fill);
    p.drawPath(path);
    p.drawLine(QPointF(10, 1), QPointF(10, 4));
    p.drawLine(QPointF(10, 4), QPointF(13, 4));
}

void textLines(QPainter &p, int top, int bottom)
{
    p.setPen(QPen(QColor(90, 110, 160), 1));
    for (int y = top; y <= bottom; y += 2)
        p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
}

void checkBox(QPainter &p, bool checked)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
    if (checked) {
        p.setPen(QPen(QColor(20, 140, 60), 2));
        p.drawPolyline(QPolygonF{QPointF(4.5, 8), QPointF(7, 11), QPointF(12, 4.5)});
    }
}

void note(QPainter &p, QColor color)
{
    p.setPen(QPen(color, 1.4));
    p.setBrush(color);
    p.drawEllipse(QRectF(3, 10, 5, 4));
    p.drawLine(QPointF(7.5, 12), QPointF(7.5, 2.5));
    p.drawLine(QPointF(7.5, 2.5), QPointF(12, 5));
}

void flag(QPainter &p, QColor color)
{
    p.setPen(QPen(kInk, 1.4));
    p.drawLine(QPointF(4, 2), QPointF(4, 15));
    p.setPen(QPen(color.darker(130), 1));
    p.setBrush(color);
    p.drawPolygon(QPolygonF{QPointF(4.5, 2), QPointF(13, 5), QPointF(4.5, 8)});
}

// Player images on a 32 x 32 grid.
void triangle(QPainter &p, QRectF r, QColor color)
{
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawPolygon(QPolygonF{r.topLeft(), QPointF(r.right(), r.center().y()), r.bottomLeft()});
}

void draw16(QPainter &p, IconId id)
{
    switch (id) {
    case IconId::New:
        page(p);
        p.setPen(QPen(QColor(230, 170, 0), 1.5));
        p.drawLine(QPointF(8, 7), QPointF(8, 13));
        p.drawLine(QPointF(5, 10), QPointF(11, 10));
        break;
    case IconId::Open:
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(250, 210, 90));
        p.drawPolygon(QPolygonF{QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5.5),
                                QPointF(14.5, 5.5), QPointF(14.5, 13.5), QPointF(1.5, 13.5)});
        p.setBrush(QColor(255, 230, 140));
        p.drawPolygon(QPolygonF{QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(14.5, 13.5),
                                QPointF(1.5, 13.5)});
        break;
    case IconId::Save:
        p.setPen(QPen(QColor(20, 40, 90), 1));
        p.setBrush(QColor(60, 100, 190));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case IconId::Edit:
        page(p);
        textLines(p, 6, 12);
        p.setPen(QPen(QColor(200, 80, 30), 2.2));
        p.drawLine(QPointF(14, 7), QPointF(8, 14));
        break;
    case IconId::Medley:
        checkBox(p, true);
        break;
    case IconId::Clear:
        checkBox(p, false);
        break;
    case IconId::Qs: {
        QFont f(QStringLiteral("Sans"));
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QPen(QColor(200, 90, 0), 1));
        p.setBrush(QColor(255, 235, 190));
        p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 2, 2);
        p.setPen(QColor(120, 50, 0));
        p.drawText(QRectF(0, 2, 16, 12), Qt::AlignCenter, QStringLiteral("QS"));
        break;
    }
    case IconId::Wrd:
        page(p, QColor(255, 250, 220));
        note(p, QColor(200, 40, 90));
        break;
    case IconId::WrdEdit:
        p.setPen(QPen(QColor(20, 130, 70), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
        p.setBrush(QColor(20, 130, 70));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF{QPointF(10, 0.5), QPointF(14.5, 3.5), QPointF(10, 6.5)});
        break;
    case IconId::Lesson:
        p.setPen(QPen(QColor(110, 60, 20), 1));
        p.setBrush(QColor(210, 150, 80));
        p.drawPolygon(QPolygonF{QPointF(6, 1.5), QPointF(10, 1.5), QPointF(13.5, 14.5),
                                QPointF(2.5, 14.5)});
        p.setPen(QPen(kInk, 1.4));
        p.drawLine(QPointF(8, 12), QPointF(11.5, 3));
        break;
    case IconId::Sflg:
        flag(p, QColor(40, 170, 70));
        break;
    case IconId::Eflg:
        flag(p, QColor(210, 40, 40));
        break;
    case IconId::Help: {
        p.setPen(QPen(QColor(20, 60, 150), 1));
        p.setBrush(QColor(60, 120, 220));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        QFont f(QStringLiteral("Sans"));
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    default:
        break;
    }
}

void draw32(QPainter &p, IconId id)
{
    const QColor green(40, 170, 70), blue(50, 100, 200), red(200, 50, 50);
    switch (id) {
    case IconId::Standby:
        triangle(p, QRectF(6, 7, 14, 18), QColor(240, 170, 30));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(22, 7, 4, 18));
        break;
    case IconId::Play:
        triangle(p, QRectF(8, 5, 18, 22), green);
        break;
    case IconId::Stop:
        p.setPen(QPen(red.darker(140), 1));
        p.setBrush(red);
        p.drawRect(QRectF(7.5, 7.5, 17, 17));
        break;
    case IconId::Prev:
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawRect(QRectF(5, 8, 4, 16));
        p.drawPolygon(QPolygonF{QPointF(18, 8), QPointF(18, 24), QPointF(9, 16)});
        p.drawPolygon(QPolygonF{QPointF(27, 8), QPointF(27, 24), QPointF(18, 16)});
        break;
    case IconId::App:
    case IconId::Lyrics: {
        const bool lyrics = id == IconId::Lyrics;
        p.setPen(QPen(QColor(120, 40, 10), 1.5));
        p.setBrush(lyrics ? QColor(255, 245, 210) : QColor(250, 190, 60));
        if (lyrics)
            p.drawRoundedRect(QRectF(3, 2, 26, 28), 3, 3);
        else
            p.drawEllipse(QRectF(2, 2, 28, 28));
        const QColor ink = lyrics ? QColor(60, 60, 120) : QColor(120, 30, 60);
        p.setPen(QPen(ink, 2.5));
        p.setBrush(ink);
        p.drawEllipse(QRectF(8, 19, 8, 6));
        p.drawLine(QPointF(15, 22), QPointF(15, 7));
        p.drawLine(QPointF(15, 7), QPointF(23, 11));
        if (lyrics) {
            p.setPen(QPen(QColor(90, 110, 160), 1.5));
            p.drawLine(QPointF(19, 17), QPointF(26, 17));
            p.drawLine(QPointF(19, 21), QPointF(26, 21));
            p.drawLine(QPointF(19, 25), QPointF(26, 25));
        }
        break;
    }
    default:
        break;
    }
}

bool isPlayerImage(IconId id)
{
    return id == IconId::Standby || id == IconId::Play || id == IconId::Stop ||
           id == IconId::Prev || id == IconId::App || id == IconId::Lyrics;
}

} // namespace

QPixmap drawIcon(IconId id, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Each picture is drawn on its own grid and scaled to the size asked for.
    const double grid = isPlayerImage(id) ? 32.0 : 16.0;
    p.scale(size / grid, size / grid);
    if (grid == 32.0)
        draw32(p, id);
    else
        draw16(p, id);
    return pixmap;
}

QIcon icon(IconId id)
{
    QIcon result;
    result.addPixmap(drawIcon(id, 16));
    result.addPixmap(drawIcon(id, 32));
    return result;
}

} // namespace kazoon
