#pragma once

#include <QList>
#include <QRect>

namespace kazoon {

// Where a window stored at `stored` opens, given the available areas of the
// screens (the primary screen first). A window that meets any screen stays
// where it was stored; one that meets none (its monitor was removed) is
// centred on the primary screen, keeping its size when it fits there and
// shrunk to the screen when it does not. Without screens nothing moves.
QRect placeOnScreens(const QRect &stored, const QList<QRect> &screens);

// The available areas of the screens now attached, the primary screen first.
QList<QRect> availableScreenAreas();

} // namespace kazoon
