#include "plugin/directories/ContragentQuery.h"

#include "common/QuotedStr.h"

namespace velta::directories {

QString ContragentGroupQuery(int role, int payType)
{
    QStringList lines{QStringLiteral("SELECT DISTINCT c.* FROM CONTRAGENT c")};
    if (role > 0) {
        lines << QStringLiteral("LEFT JOIN CONTRAGENTTYPE ct ON ct.CONTR_ID = c.CONTR_ID");
        QString where = QStringLiteral("WHERE ct.CTYPE = %1 AND COALESCE(c.ISDELETE, 0)=0").arg(role);
        if (payType >= 0)
            where += QStringLiteral(" AND PARAM1=%1").arg(payType);
        lines << where;
    } else {
        lines << QStringLiteral("WHERE COALESCE(c.ISDELETE, 0)=0");
    }
    lines << QStringLiteral("ORDER BY c.NAME");
    return lines.join(QStringLiteral("\r\n"));
}

const QStringList& SearchFieldCaptions()
{
    static const QStringList captions = {QStringLiteral("Наименование"), QStringLiteral("Полное имя"),
                                         QStringLiteral("ИНН"), QStringLiteral("Адрес"), QStringLiteral("Телефон")};
    return captions;
}

const QStringList& SearchFieldNames()
{
    static const QStringList names = {QStringLiteral("Name"), QStringLiteral("FullName"), QStringLiteral("INN"),
                                      QStringLiteral("Address"), QStringLiteral("Phone")};
    return names;
}

QString ContragentFilterText(const QString& fieldName, const QString& text)
{
    return QStringLiteral("(%1 LIKE %2)").arg(fieldName, QuotedStr(QLatin1Char('%') + text + QLatin1Char('%')));
}

} // namespace velta::directories
