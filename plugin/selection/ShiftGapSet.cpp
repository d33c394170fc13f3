#include "plugin/selection/ShiftGapSet.h"

#include "plugin/data/ClientDataSet.h"
#include "plugin/data/Field.h"

#include <cstdlib>

namespace velta::selection {

ShiftGapSet::ShiftGapSet(TClientDataSet& cursor, QString field)
    : cursor_(cursor)
    , field_(std::move(field))
{
}

ShiftGapSet::~ShiftGapSet() = default;

void ShiftGapSet::Follow(TDataSource* source)
{
    SetDataSource(source);
    stale_ = true;
}

bool ShiftGapSet::IsBeforeGap(int shift)
{
    if (stale_)
        rebuild();
    return marked_.count(shift) != 0;
}

void ShiftGapSet::dataChanged(const DataChange& change)
{
    // Moving through the list or entering edit state changes no number.
    if (change.kind != DataChange::Scrolled && change.kind != DataChange::StateChanged)
        stale_ = true;
}

void ShiftGapSet::rebuild()
{
    marked_.clear();
    stale_ = false;
    if (!cursor_.Active())
        return;
    TField& number = cursor_.FieldByName(field_);
    // The shift of the record before, when it has one.
    bool hasPrevious = false;
    int previous = 0;
    for (cursor_.First(); !cursor_.Eof(); cursor_.Next()) {
        hasPrevious = hasPrevious && !number.IsNull();
        if (number.IsNull())
            continue;
        const int shift = number.AsInteger();
        if (hasPrevious && std::abs(shift - previous) > 1)
            marked_.insert(previous);
        previous = shift;
        hasPrevious = true;
    }
}

} // namespace velta::selection
