#pragma once
// FilterProgram: a filter expression bound to the columns of a record store,
// compiled once per filter text. It tests many records at a time against the
// typed column arrays, without building a Variant per record.
#include "plugin/foundation/DataSetTypes.h"
#include "plugin/data/FilterParser.h"
#include "plugin/data/RecordStore.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace velta {

class FilterNode {
public:
    virtual ~FilterNode() = default;
    // out[i] = 1 when record ids[i] passes.
    virtual void eval(const RecordStore& store, const int* ids, size_t count, std::uint8_t* out) const = 0;
    // Keeps in `ids` only the records that pass, in their order.
    virtual void select(const RecordStore& store, std::vector<int>& ids) const;
};

class FilterProgram {
public:
    // Parses and binds the text; raises EDatabaseError for bad text, unknown
    // fields ("Field '%s' not found") and values that do not suit their field.
    static FilterProgram compile(const QString& text, const RecordStore& store, TFilterOptions options);

    // True when the text has no condition.
    bool passesAll() const { return !root_; }
    void select(const RecordStore& store, std::vector<int>& ids) const;
    bool accepts(const RecordStore& store, int record) const;

private:
    std::shared_ptr<const FilterNode> root_;
};

} // namespace velta
