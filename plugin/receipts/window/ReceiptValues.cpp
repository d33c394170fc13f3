#include "plugin/receipts/window/ReceiptValues.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/receipts/template/CustomCheckBuilder.h"

namespace velta::receipts {

namespace {

const ReceiptTag& tagNamed(const char* name)
{
    const QString wanted = QString::fromUtf8(name);
    for (const ReceiptTag& tag : ReceiptTagTable())
        if (tag.name == wanted)
            return tag;
    throw Exception(QStringLiteral("No receipt variable ") + wanted);
}

ReceiptValue value(const char* name, double number)
{
    const ReceiptTag& tag = tagNamed(name);
    return {tag.name, tag.kind, tag.defaultFormat, number, QString()};
}

ReceiptValue value(const char* name, const QString& text)
{
    const ReceiptTag& tag = tagNamed(name);
    return {tag.name, tag.kind, tag.defaultFormat, 0, text};
}

double difference(Currency a, Currency b)
{
    return static_cast<double>(a.scaled - b.scaled) / 10000.0;
}

} // namespace

SaleRow ReadSaleRow(TClientDataSet& sales)
{
    const auto field = [&sales](const char* name) -> TField& {
        return sales.FieldByName(QString::fromLatin1(name));
    };
    SaleRow row;
    row.sale = field("INDEXSALE").AsInteger();
    row.time = field("TIDEDATE").AsDateTime();
    row.fuel = field("GSMNAME").AsString();
    row.liter = field("LITER").AsCurrency();
    row.massa = field("MASSA").AsFloat();
    row.summa = field("SUMMA").AsCurrency();
    row.tripSheet = field("PLISTNUM").AsString();
    row.contragent = field("CNAME").AsString();
    row.driver = field("DRIVERFIO").AsString();
    row.carNumber = field("CARGOSNUM").AsString();
    row.payType = field("VIDOPL").AsInteger();
    row.inn = field("INN").AsString();
    row.buyer = field("POKUPATEL").AsString();
    row.baseSumma = field("BASESUMMA").AsCurrency();
    row.trkDensity = field("TRKDENS").AsCurrency();
    return row;
}

double DiscountPercent(Currency summa, Currency baseSumma)
{
    if (summa.scaled <= 0 || baseSumma.scaled <= 0)
        return 0;
    return difference(baseSumma, summa) / baseSumma.toDouble() * 100;
}

QList<ReceiptValue> SaleReceiptValues(const SaleRow& sale, const ReceiptContext& context)
{
    const double liter = RoundTo(4, sale.liter.toDouble());
    QList<ReceiptValue> values{
        value("DateTime", sale.time),
        value("CurDateTime", context.now),
        value("Liter", liter),
        value("Massa", sale.massa),
        value("Price", liter > 0 ? sale.summa.toDouble() / liter : 0),
    };
    // Without a density from the dispenser the tag goes with the unfilled ones.
    if (sale.trkDensity.scaled > 0)
        values << value("TRKDens", sale.trkDensity.toDouble());
    values << value("Summa", sale.summa.toDouble()) << value("GSM", sale.fuel) << value("CardNum", sale.buyer)
           << value("DogCNT", sale.buyer) << value("Dsc", DiscountPercent(sale.summa, sale.baseSumma))
           << value("DscSum", difference(sale.baseSumma, sale.summa)) << value("VidOpl", context.payTypeName)
           << value("AZS", context.stationName) << value("Kassir", context.operatorName)
           << value("OrgName", context.organisationName) << value("DscFullInfo", context.discountDetail)
           << value("CNT", sale.contragent) << value("INN", sale.inn) << value("Driver", sale.driver)
           << value("Auto", sale.carNumber) << value("PutList", sale.tripSheet) << value("TalonList", sale.buyer);
    return values;
}

void SetReceiptValues(TCustomCheckBuilder& builder, const QList<ReceiptValue>& values)
{
    for (const ReceiptValue& value : values) {
        switch (value.kind) {
        case TagKind::DateTime:
            builder.SetDateTime(value.name, value.defaultFormat, value.number);
            break;
        case TagKind::Number:
            builder.SetFloat(value.name, value.defaultFormat, value.number);
            break;
        case TagKind::Text:
            builder.SetString(value.name, value.text, value.defaultFormat);
            break;
        case TagKind::Placeholder:
            break;
        }
    }
}

QString PayTypeName(const Variant& payTypeTable, int code)
{
    const QString codeText = QString::number(code);
    const int count = payTypeTable.isArray() ? payTypeTable.arrayCount() : 0;
    for (int i = 0; i < count; ++i) {
        const Variant& row = payTypeTable.at(i);
        if (row.isArray() && row.arrayCount() > 1 && row.at(1).toString() == codeText)
            return row.at(0).toString();
    }
    return QStringLiteral("неизвестно");
}

} // namespace velta::receipts
