#pragma once
// Small types shared by every dataset (the dBase table and the client
// datasets): dataset states, field kinds,
// alignments, locate and filter options and bookmarks, with the framework's names.

#include <cstdint>

namespace velta {

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields };

enum TFieldKind { fkData, fkCalculated, fkLookup };

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

enum TFilterOption : unsigned { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = unsigned;

// A bookmark names one record of a dataset's data; it stays valid while the
// record exists, whatever filter or index the cursor uses, and is shared by
// cloned cursors over the same data.
struct TBookmark {
    std::uint64_t store = 0; // identity of the data the record belongs to; 0: no bookmark
    int record = -1;

    bool isNull() const { return store == 0; }
    friend bool operator==(const TBookmark&, const TBookmark&) = default;
};

} // namespace velta
