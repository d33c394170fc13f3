#pragma once
// ConnectionSlots: the station server's count of the connections it serves,
// in all and per client address, so that one computer cannot take every slot.
// Safe to use from any thread: the listener takes slots, the workers give
// them back when their connections end.
#include <QHash>
#include <QHostAddress>
#include <mutex>

namespace velta::station {

class ConnectionSlots {
public:
    ConnectionSlots(int maxTotal, int maxPerAddress);

    enum class Take { Taken, TotalFull, AddressFull };
    Take take(const QHostAddress& address);
    void release(const QHostAddress& address);

    int total() const;
    int from(const QHostAddress& address) const;

    // IPv4 addresses mapped into IPv6 count as the IPv4 address.
    static QHostAddress normalized(const QHostAddress& address);

private:
    const int maxTotal_;
    const int maxPerAddress_;
    mutable std::mutex mutex_;
    int total_ = 0;
    QHash<QHostAddress, int> perAddress_;
};

} // namespace velta::station
