#pragma once
// A transaction on a station database that rolls back unless committed, so a
// failure half way through a series of writes leaves nothing behind.
namespace velta::station {

class StationDatabase;

class Transaction {
public:
    explicit Transaction(StationDatabase& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    bool active() const { return active_; }

private:
    StationDatabase& db_;
    bool active_ = false;
};

} // namespace velta::station
