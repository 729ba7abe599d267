#pragma once

#include <QPushButton>
#include <QString>

namespace kazoon {

// A push button of our dialogs, named for tests and screen readers. It never
// fires on Enter by itself: Enter belongs to the field that has the focus,
// and to OK only where the dialog says so.
inline QPushButton *dialogButton(QWidget *parent, const char *name, const QString &text, const QString &accessible)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(accessible);
    b->setAutoDefault(false);
    return b;
}

} // namespace kazoon
