#pragma once
// Helpers of the dataset tests: datasets loaded from rows, and reading a
// column of every record shown.
#include "FakeStationServer.h"
#include "common/DateTime.h"
#include "plugin/data/ClientDataSet.h"

#include <QStringList>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

namespace velta::test {

inline void loadRows(TClientDataSet& ds, const QVector<FieldDef>& fields, const QVector<QVector<Variant>>& rows)
{
    ds.SetDataPacket(makePacket(fields, rows));
}

// The texts of one field over all records shown, from the first; the cursor
// is left where it was.
inline QStringList columnTexts(TClientDataSet& ds, const QString& field)
{
    QStringList texts;
    const TBookmark mark = ds.GetBookmark();
    for (ds.First(); !ds.Eof(); ds.Next())
        texts << ds.FieldByName(field).AsString();
    if (!mark.isNull() && ds.BookmarkValid(mark))
        ds.GotoBookmark(mark);
    return texts;
}

inline FieldDef keyField(const QString& name, FieldType type)
{
    FieldDef def(name, type);
    def.setFlag(FieldInKey, true);
    return def;
}

} // namespace velta::test
