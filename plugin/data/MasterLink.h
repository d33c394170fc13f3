#pragma once
// The link by which a detail dataset follows its master's current record.
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"

namespace velta {

class TClientDataSet::MasterLink final : public TDataLink {
public:
    explicit MasterLink(TClientDataSet& detail) : detail_(detail) {}

protected:
    void dataChanged(const DataChange& change) override;

private:
    TClientDataSet& detail_;
};

} // namespace velta
