#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QComboBox;

namespace kazoon {

// A port box's entries: the text shown and the port name it stands for.
struct PortEntry {
    QString text, port;
    bool operator==(const PortEntry &) const = default;
};

struct PortList {
    QList<PortEntry> entries;
    int current = -1; // the entry chosen; -1 for none
};

// The entries of a port box: `none` first when given (standing for no
// port), then the ports offered. The remembered port is chosen under its
// remembered name, as the numbers ALSA adds may change; one that is gone
// stays the choice, never quietly another port, shown last as
// "<name>(見つかりません)". Nothing remembered chooses `none`, or nothing.
PortList portList(const QStringList &offered, const QString &remembered,
                  const std::optional<QString> &none = std::nullopt);

// Puts the entries into `box` (the port as each entry's data) and chooses.
void showPortList(QComboBox *box, const PortList &list);

} // namespace kazoon
