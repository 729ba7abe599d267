#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

namespace kazoon {

// One address of one network interface, as the ranking needs it.
struct InterfaceAddress {
    QString interfaceName;
    QHostAddress address;
    bool up = true;
    bool loopback = false;
    bool pointToPoint = false; // a VPN tunnel and the like
};

// The addresses a phone in the same room can reach this computer at, the
// likeliest first: IPv4 on a real network card before the private networks
// of virtual machines and containers, before tunnels. Loopback, link-local
// and interfaces that are down are left out; an empty list means no network.
QStringList rankLanAddresses(const QList<InterfaceAddress> &addresses);

// This computer's addresses, ranked.
QStringList lanAddresses();

} // namespace kazoon
