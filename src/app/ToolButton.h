#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include "app/Icons.h"

class QAction;
class QObject;
class QPushButton;
class QWidget;
class QToolBar;

namespace kazoon {

// Adds a tool button to `bar`: an action owned by `owner`, named `name`, with
// `hint` as its text and tool tip. The button keeps `size` and never takes the
// keyboard focus, which stays with the song list and the position bar.
QAction *addToolButton(QToolBar *bar, QObject *owner, const char *name, const QString &hint,
                       IconId image, QSize size);

// A push button of a dialog with a fixed layout: named and placed.
QPushButton *placeButton(QWidget *parent, const char *name, const QString &text, QRect geometry);

} // namespace kazoon
