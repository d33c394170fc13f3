#include "station/db/Transaction.h"

#include "station/db/StationDatabase.h"

namespace velta::station {

Transaction::Transaction(StationDatabase& db)
    : db_(db)
{
    db_.begin();
    active_ = true;
}

Transaction::~Transaction()
{
    if (active_)
        db_.rollback();
}

void Transaction::commit()
{
    db_.commit();
    active_ = false;
}

} // namespace velta::station
