#include "plugin/directories/ContragentDbfFields.h"

#include "plugin/directories/ContragentRoles.h"

#include <QHash>
#include <QStringList>

namespace velta::directories {

const char kContragentDbfFieldMap[] =
    "INN;Name;FullName;Address;Phone=Phones;OKPO;KPP;RSchet;KSchet;BankName;BIK;Fax;ContactInfo=ContInfo;"
    "LicNum=LicenceNum;LicDate;LicOrg=LicenceOrg;COUNTRYCODE=COUNTRYCOD;OTHER";

QList<DbfFieldMapEntry> ParseDbfFieldMap(const QString& map)
{
    QList<DbfFieldMapEntry> entries;
    for (const QString& entry : map.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq < 0)
            entries.append({entry.trimmed(), entry.trimmed()});
        else
            entries.append({entry.left(eq).trimmed(), entry.mid(eq + 1).trimmed()});
    }
    return entries;
}

const QList<DbfFieldMapEntry>& ContragentDbfFieldMap()
{
    static const QList<DbfFieldMapEntry> map = ParseDbfFieldMap(QString::fromLatin1(kContragentDbfFieldMap));
    return map;
}

QString DbfFieldOfColumn(const QString& column)
{
    for (const DbfFieldMapEntry& e : ContragentDbfFieldMap())
        if (e.directoryField.compare(column, Qt::CaseInsensitive) == 0)
            return e.dbfField.toUpper();
    return QString();
}

QString ColumnOfDbfField(const QString& dbfField)
{
    for (const DbfFieldMapEntry& e : ContragentDbfFieldMap())
        if (e.dbfField.compare(dbfField, Qt::CaseInsensitive) == 0)
            return e.directoryField;
    return QString();
}

int DbfTextLength(const QString& dbfField)
{
    static const QHash<QString, int> lengths = {
        {QStringLiteral("INN"), 20},        {QStringLiteral("NAME"), 100},      {QStringLiteral("FULLNAME"), 100},
        {QStringLiteral("ADDRESS"), 100},   {QStringLiteral("BANKNAME"), 100},  {QStringLiteral("CONTINFO"), 100},
        {QStringLiteral("LICENCEORG"), 100}, {QStringLiteral("PHONES"), 50},    {QStringLiteral("OKPO"), 15},
        {QStringLiteral("KPP"), 20},        {QStringLiteral("RSCHET"), 30},     {QStringLiteral("KSCHET"), 30},
        {QStringLiteral("BIK"), 15},        {QStringLiteral("FAX"), 30},        {QStringLiteral("LICENCENUM"), 30},
        {QStringLiteral("OTHER"), 200},     {QStringLiteral("VOLIST"), kVoListLength},
    };
    return lengths.value(dbfField.toUpper(), 0);
}

const QList<DbfRoleFlag>& ContragentDbfFlags()
{
    static const QList<DbfRoleFlag> flags = {
        {"ISMANUF", 7, kRoleGoodsMaker},        {"ISREGIONAL", 8, 0},
        {"ISSUPPLIER", 9, kRoleGoodsSupplier},  {"ISTOVARBUY", 10, kRoleGoodsBuyer},
        {"ISGSMSUPP", 2, kRoleFuelSupplier},    {"ISGSMADDR", 3, kRoleFuelConsignee},
        {"ISGSMTRAN", 4, kRoleFuelCarrier},     {"ISGSMPAY", 5, kRoleTransportPayer},
        {"ISGSMKEEPR", 6, kRoleFuelKeeper},
    };
    return flags;
}

} // namespace velta::directories
