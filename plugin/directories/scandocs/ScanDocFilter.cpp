#include "plugin/directories/scandocs/ScanDocFilter.h"

#include "common/QuotedStr.h"
#include "common/SysUtils.h"

namespace velta::directories::scandocs {

const QStringList& SearchFieldNames()
{
    static const QStringList names{QStringLiteral("DOCNUMBER"), QStringLiteral("CNTSENDER"),
                                   QStringLiteral("CNTTARGET"), QStringLiteral("CNTPER"),
                                   QStringLiteral("OPERATOR"),  QStringLiteral("DRIVER")};
    return names;
}

QString GroupFilter(int typeId)
{
    if (typeId < 0)
        return QString();
    return QStringLiteral(" (DOCTYPE=") + QString::number(typeId) + QStringLiteral(") ");
}

QString SearchFilter(const QString& groupFilter, const QString& fieldName, const QString& text)
{
    if (text.isEmpty())
        return groupFilter;
    QString filter = groupFilter;
    if (!filter.isEmpty())
        filter += QStringLiteral(" AND ");
    return filter + Format(QStringLiteral(" (%s LIKE %s) "),
                           {Variant(fieldName), Variant(QuotedStr(QLatin1Char('%') + text + QLatin1Char('%')))});
}

} // namespace velta::directories::scandocs
