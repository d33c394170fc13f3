#include "plugin/directories/ContragentRecord.h"

#include "plugin/data/ClientDataSet.h"
#include "plugin/data/Field.h"

#include <QStringList>
#include <cmath>

namespace velta::directories {

const QList<ContragentTextColumn>& ContragentTextColumns()
{
    using R = ContragentRecord;
    static const QList<ContragentTextColumn> columns = {
        {"NAME", &R::name},         {"FULLNAME", &R::fullName}, {"INN", &R::inn},
        {"ADDRESS", &R::address},   {"PHONE", &R::phone},       {"OKPO", &R::okpo},
        {"KPP", &R::kpp},           {"RSCHET", &R::rschet},     {"BANKNAME", &R::bankName},
        {"KSCHET", &R::kschet},     {"BIK", &R::bik},           {"FAX", &R::fax},
        {"CONTACTINFO", &R::contactInfo}, {"OTHER", &R::other}, {"LICNUM", &R::licNum},
        {"LICORG", &R::licOrg},
    };
    return columns;
}

ContragentRecord ReadContragent(const TClientDataSet& list)
{
    ContragentRecord record;
    record.id = list.FieldByName(QStringLiteral("CONTR_ID")).AsInteger();
    for (const ContragentTextColumn& c : ContragentTextColumns())
        record.*c.member = list.FieldByName(QString::fromLatin1(c.column)).AsString();
    const TField& licDate = list.FieldByName(QStringLiteral("LICDATE"));
    record.licDate = licDate.IsNull() ? 0 : licDate.AsDateTime();
    const TField& country = list.FieldByName(QStringLiteral("COUNTRYCODE"));
    record.countryCode = country.IsNull() ? 643 : country.AsInteger();
    return record;
}

void WriteContragent(TClientDataSet& list, const ContragentRecord& record)
{
    for (const ContragentTextColumn& c : ContragentTextColumns())
        list.FieldByName(QString::fromLatin1(c.column)).SetAsString(record.*c.member);
    TField& licDate = list.FieldByName(QStringLiteral("LICDATE"));
    if (record.licDate > EncodeDate(1899, 12, 31))
        licDate.SetAsDateTime(std::trunc(record.licDate));
    else
        licDate.SetValue(Variant::null());
    list.FieldByName(QStringLiteral("COUNTRYCODE")).SetAsInteger(record.countryCode);
    list.FieldByName(QStringLiteral("ISDELETE")).SetAsInteger(0);
}

const QStringList& ChooserColumns()
{
    static const QStringList columns = {
        QStringLiteral("CONTR_ID"), QStringLiteral("INN"),         QStringLiteral("NAME"),   QStringLiteral("FULLNAME"),
        QStringLiteral("ADDRESS"),  QStringLiteral("PHONE"),       QStringLiteral("OKPO"),   QStringLiteral("KPP"),
        QStringLiteral("RSCHET"),   QStringLiteral("BANKNAME"),    QStringLiteral("KSCHET"), QStringLiteral("BIK"),
        QStringLiteral("FAX"),      QStringLiteral("CONTACTINFO"), QStringLiteral("OTHER"),  QStringLiteral("LICNUM"),
        QStringLiteral("LICDATE"),  QStringLiteral("LICORG"),      QStringLiteral("COUNTRYCODE")};
    return columns;
}

Variant::Array ChooserValues(const TClientDataSet& list)
{
    Variant::Array values;
    for (const QString& column : ChooserColumns()) {
        const TField& field = list.FieldByName(column);
        if (column == QLatin1String("LICDATE") && !field.IsNull())
            values << Variant::fromDate(field.AsDateTime());
        else
            values << field.Value();
    }
    return values;
}

} // namespace velta::directories
