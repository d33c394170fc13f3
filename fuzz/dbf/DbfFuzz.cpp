// libFuzzer target for the DBF reader: any bytes either open as a table or
// are refused with an exception; an opened table is browsed, every value
// read, filtered, written back and read again.
#include "common/Exception.h"
#include "plugin/foundation/dbf/MemDBFTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace velta;

namespace {

void browse(TMemDBFTable& table)
{
    for (table.First(); !table.Eof(); table.Next())
        for (int f = 0; f < table.FieldCount(); ++f) {
            DbfField& field = table.Fields(f);
            field.Value();
            field.AsString();
            field.IsNull();
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemDBFTable table;
    try {
        table.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const Exception&) {
        return 0;
    }
    try {
        browse(table);
        table.SetShowDeleted(true);
        browse(table);
        if (table.FieldCount() > 0) {
            const DbfField& first = table.Fields(0);
            table.SetFilter(first.FieldName() + QStringLiteral(">=1"));
            table.SetFiltered(true);
            browse(table);
            table.SetFilterOptions(foCaseInsensitive | foNoPartialCompare);
            table.SetFilter(first.FieldName() + QStringLiteral("=A"));
            browse(table);
            table.Locate(first.FieldName(), Variant(1), loCaseInsensitive | loPartialKey);
        }
    } catch (const Exception&) {
        return 0;
    }
    // What was read must be written and read back.
    const QByteArray saved = table.SaveToBytes();
    TMemDBFTable again;
    again.LoadFromBytes(saved);
    if (again.RecordCount() != table.RecordCount() || again.FieldCount() != table.FieldCount())
        std::abort();
    return 0;
}
