#include "options/PortList.h"

#include <QComboBox>

#include "app/OutputControl.h"

namespace kazoon {

PortList portList(const QStringList &offered, const QString &remembered,
                  const std::optional<QString> &none)
{
    PortList list;
    if (none)
        list.entries.append({*none, QString()});
    const int first = int(list.entries.size());
    for (const QString &name : offered)
        list.entries.append({name, name});
    list.current = none ? 0 : -1;
    if (remembered.isEmpty())
        return list;
    if (const int found = findPort(offered, remembered); found >= 0) {
        list.entries[first + found].port = remembered;
        list.current = first + found;
    } else {
        list.entries.append({QStringLiteral("%1(見つかりません)").arg(remembered), remembered});
        list.current = int(list.entries.size()) - 1;
    }
    return list;
}

void showPortList(QComboBox *box, const PortList &list)
{
    box->clear();
    for (const PortEntry &entry : list.entries)
        box->addItem(entry.text, entry.port);
    box->setCurrentIndex(list.current);
}

} // namespace kazoon
