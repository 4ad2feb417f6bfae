#include "web/liveaddress.h"

#include <QNetworkInterface>
#include <QUrl>

namespace live {

std::optional<QHostAddress> listenAddress(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("*"))
        return QHostAddress(QHostAddress::Any);
    QHostAddress address;
    if (!address.setAddress(trimmed))
        return std::nullopt;
    return address;
}

namespace {

// 10/8, 172.16/12, 192.168/16: the addresses of a local network.
bool isPrivate(const QHostAddress& address)
{
    return address.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8) ||
           address.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12) ||
           address.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

} // namespace

QList<QHostAddress> networkAddresses()
{
    QList<QHostAddress> found;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        if (!nic.flags().testFlag(QNetworkInterface::IsUp) || nic.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                found.append(ip);
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const QHostAddress& a, const QHostAddress& b) {
        return isPrivate(a) && !isPrivate(b);
    });
    return found;
}

QStringList addressesToOpen(const QHostAddress& listening, quint16 port)
{
    QList<QHostAddress> hosts;
    if (listening == QHostAddress::Any || listening == QHostAddress::AnyIPv4 || listening == QHostAddress::AnyIPv6) {
        hosts = networkAddresses();
        if (hosts.isEmpty())
            hosts.append(QHostAddress(QHostAddress::LocalHost));
    } else {
        hosts.append(listening);
    }
    QStringList urls;
    for (const QHostAddress& host : hosts) {
        QUrl url;
        url.setScheme(QStringLiteral("http"));
        url.setHost(host.toString());
        url.setPort(port);
        url.setPath(QStringLiteral("/"));
        urls.append(url.toString());
    }
    return urls;
}

} // namespace live
