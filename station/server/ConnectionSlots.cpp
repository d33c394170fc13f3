#include "station/server/ConnectionSlots.h"

namespace velta::station {

ConnectionSlots::ConnectionSlots(int maxTotal, int maxPerAddress)
    : maxTotal_(maxTotal)
    , maxPerAddress_(maxPerAddress)
{
}

QHostAddress ConnectionSlots::normalized(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

ConnectionSlots::Take ConnectionSlots::take(const QHostAddress& address)
{
    const QHostAddress key = normalized(address);
    const std::lock_guard lock(mutex_);
    if (total_ >= maxTotal_)
        return Take::TotalFull;
    int& count = perAddress_[key];
    if (count >= maxPerAddress_) {
        if (count == 0)
            perAddress_.remove(key);
        return Take::AddressFull;
    }
    ++count;
    ++total_;
    return Take::Taken;
}

void ConnectionSlots::release(const QHostAddress& address)
{
    const QHostAddress key = normalized(address);
    const std::lock_guard lock(mutex_);
    auto it = perAddress_.find(key);
    if (it == perAddress_.end())
        return;
    if (--*it == 0)
        perAddress_.erase(it);
    --total_;
}

int ConnectionSlots::total() const
{
    const std::lock_guard lock(mutex_);
    return total_;
}

int ConnectionSlots::from(const QHostAddress& address) const
{
    const std::lock_guard lock(mutex_);
    return perAddress_.value(normalized(address));
}

} // namespace velta::station
