#include "app/ToolButton.h"

#include <QAction>
#include <QPushButton>
#include <QToolBar>

namespace kazoon {

QAction *addToolButton(QToolBar *bar, QObject *owner, const char *name, const QString &hint,
                       IconId image, QSize size)
{
    auto *a = new QAction(icon(image), hint, owner);
    a->setObjectName(QLatin1String(name));
    a->setToolTip(hint);
    bar->addAction(a);
    if (QWidget *w = bar->widgetForAction(a)) {
        w->setFixedSize(size);
        w->setFocusPolicy(Qt::NoFocus);
    }
    return a;
}

QPushButton *placeButton(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace kazoon
