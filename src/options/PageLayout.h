#pragma once

#include <QLatin1String>
#include <QRect>

namespace kazoon {

// Names a control of the options dialog (tests and screen readers find it by
// that name) and places it.
template <class W>
W *named(W *widget, const char *name, QRect geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

} // namespace kazoon
