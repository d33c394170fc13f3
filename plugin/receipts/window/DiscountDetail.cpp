#include "plugin/receipts/window/DiscountDetail.h"

#include "common/SysUtils.h"
#include "plugin/data/ClientDataSet.h"

#include <QStringList>

namespace velta::receipts {

QList<DiscountRow> ReadDiscountRows(TClientDataSet& rows)
{
    QList<DiscountRow> read;
    TField& name = rows.FieldByName(QStringLiteral("DSCNAME"));
    TField& valueType = rows.FieldByName(QStringLiteral("DSCVALTYPE"));
    TField& value = rows.FieldByName(QStringLiteral("DSCVAL"));
    TField& param = rows.FieldByName(QStringLiteral("DSCPARAM"));
    for (rows.First(); !rows.Eof(); rows.Next())
        read.append({name.AsString(), valueType.AsInteger(), value.AsCurrency(), param.AsString()});
    return read;
}

QString DiscountUnit(int valueType)
{
    switch (valueType) {
    case 1:
        return QStringLiteral("%");
    case 2:
        return QStringLiteral("р.");
    case 3:
        return QStringLiteral("л.");
    default:
        return QString();
    }
}

QString DiscountDetailText(const QList<DiscountRow>& rows)
{
    QStringList lines;
    for (const DiscountRow& row : rows)
        lines << row.name + QStringLiteral(": ") + Format(QStringLiteral("%.1f"), {Variant(row.value)}) +
                     DiscountUnit(row.valueType) + QLatin1Char(' ') + row.param;
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace velta::receipts
