#pragma once
// The shifts of a list that stand before a gap in the numbering: those whose
// next record in list order is more than one number away (the last record
// never). Worked out by walking a look-ahead cursor once, on the first
// question after the list's data changed, so painting a cell is a lookup.
#include "plugin/data/DataSource.h"

#include <QString>
#include <unordered_set>

namespace velta::selection {

class ShiftGapSet : private TDataLink {
public:
    // cursor: a clone of the list's dataset with a position of its own;
    // field: the shift number's field.
    ShiftGapSet(TClientDataSet& cursor, QString field);
    ~ShiftGapSet() override;

    // Follows the changes of the list shown through source; null stops.
    void Follow(TDataSource* source);
    bool IsBeforeGap(int shift);

private:
    void dataChanged(const DataChange& change) override;
    void rebuild();

    TClientDataSet& cursor_;
    const QString field_;
    std::unordered_set<int> marked_;
    bool stale_ = true;
};

} // namespace velta::selection
