#include "bandview/LanAddress.h"

#include <QNetworkInterface>
#include <algorithm>
#include <initializer_list>
#include <vector>

namespace kazoon {

namespace {

bool startsWithAny(const QString &name, std::initializer_list<const char *> prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const char *prefix) { return name.startsWith(QLatin1String(prefix)); });
}

// Networks inside this computer: virtual machines and containers.
bool virtualInterface(const QString &name)
{
    return startsWithAny(name, {"docker", "br-", "virbr", "veth", "vmnet", "vboxnet", "lxc", "lxd",
                                "podman", "cni", "flannel"});
}

bool tunnelInterface(const InterfaceAddress &a)
{
    return a.pointToPoint || startsWithAny(a.interfaceName, {"tun", "tap", "wg", "zt", "tailscale"});
}

bool privateIpv4(quint32 a)
{
    return (a >> 24) == 10 || (a >> 20) == (172u << 4 | 1) || (a >> 16) == (192u << 8 | 168);
}

} // namespace

QStringList rankLanAddresses(const QList<InterfaceAddress> &addresses)
{
    struct Ranked {
        int rank;
        int order;
        QString text;
    };
    std::vector<Ranked> ranked;
    for (const InterfaceAddress &a : addresses) {
        const QHostAddress &ip = a.address;
        if (!a.up || a.loopback || ip.isLoopback() || ip.isNull() || ip.isLinkLocal() ||
            ip.isMulticast())
            continue;
        int rank;
        if (ip.protocol() == QAbstractSocket::IPv4Protocol) {
            rank = tunnelInterface(a)                    ? 3
                   : virtualInterface(a.interfaceName)    ? 2
                   : privateIpv4(ip.toIPv4Address())      ? 0
                                                          : 1;
        } else if (ip.protocol() == QAbstractSocket::IPv6Protocol) {
            rank = tunnelInterface(a) || virtualInterface(a.interfaceName) ? 5 : 4;
        } else {
            continue;
        }
        QHostAddress plain = ip;
        plain.setScopeId(QString());
        const QString text = plain.toString();
        if (std::none_of(ranked.begin(), ranked.end(), [&](const Ranked &r) { return r.text == text; }))
            ranked.push_back({rank, int(ranked.size()), text});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const Ranked &x, const Ranked &y) { return x.rank < y.rank; });
    QStringList out;
    for (const Ranked &r : ranked)
        out << r.text;
    return out;
}

QStringList lanAddresses()
{
    QList<InterfaceAddress> all;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        for (const QNetworkAddressEntry &entry : i.addressEntries())
            all.append({i.name(), entry.ip(),
                        flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning),
                        flags.testFlag(QNetworkInterface::IsLoopBack),
                        flags.testFlag(QNetworkInterface::IsPointToPoint)});
    }
    return rankLanAddresses(all);
}

} // namespace kazoon
