#include "app/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace kazoon {

QRect placeOnScreens(const QRect &stored, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return stored;
    for (const QRect &screen : screens)
        if (screen.intersects(stored))
            return stored;
    const QRect &primary = screens.constFirst();
    QRect placed(QPoint(), stored.size().boundedTo(primary.size()).expandedTo(QSize(1, 1)));
    placed.moveCenter(primary.center());
    return placed;
}

QList<QRect> availableScreenAreas()
{
    QList<QRect> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen != primary)
            areas.append(screen->availableGeometry());
    return areas;
}

} // namespace kazoon
