#pragma once

// Where the live results are listened for and where a phone finds them.

#include <QHostAddress>
#include <QStringList>
#include <optional>

namespace live {

constexpr quint16 kDefaultPort = 8080;

// The address to listen on: empty or "*" for every address of the
// computer, else an IPv4 or IPv6 address; nothing for any other text.
std::optional<QHostAddress> listenAddress(const QString& text);

// The addresses of the computer a phone on the local network can reach
// (IPv4, not the loopback), first the private ones.
QList<QHostAddress> networkAddresses();

// The URLs to open the pages at: for every address, those of
// networkAddresses() (the loopback one when there is none); else the
// address itself.
QStringList addressesToOpen(const QHostAddress& listening, quint16 port);

} // namespace live
