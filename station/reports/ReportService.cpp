#include "station/reports/ReportService.h"

#include "common/Exception.h"
#include "common/Hex.h"
#include "common/VariantText.h"
#include "station/providers/ProviderCursor.h"
#include "station/reports/ReportMemory.h"
#include "station/db/StationDatabase.h"
#include "station/db/StationPaths.h"

#include <QFileInfo>

namespace velta::station {
namespace {

[[noreturn]] void raise(const QString& message)
{
    throw EDatabaseError(message);
}

const Variant& element(const Variant::Array& params, int index, const QString& context)
{
    if (index >= params.size())
        raise(QStringLiteral("%1: element %2 is missing").arg(context).arg(index));
    return params[index];
}

int integerElement(const Variant::Array& params, int index, const QString& context)
{
    const Variant& v = element(params, index, context);
    if (!isIntegerType(v.type()))
        raise(QStringLiteral("%1: element %2 must be an integer, not %3").arg(context).arg(index).arg(Variant::typeName(v.type())));
    const std::int64_t value = v.toInt64();
    if (value < INT32_MIN || value > INT32_MAX)
        raise(QStringLiteral("%1: element %2 is out of range").arg(context).arg(index));
    return static_cast<int>(value);
}

// All rows of a query as the hex text of a data packet. Statements that
// return no rows are refused before they run, so they change nothing.
QString packetHex(StationDatabase& db, const QString& sql)
{
    const QString head = sql.trimmed().left(8).toUpper();
    if (!head.startsWith(QLatin1String("SELECT")) && !head.startsWith(QLatin1String("WITH")))
        raise(QStringLiteral("Report 35, selector 2: the SQL text must be a query (SELECT or WITH)"));
    ProviderCursor cursor(db, sql, {}, nullptr, {});
    return QString::fromLatin1(HexEncodeBytes(cursor.fetch(-1)));
}

int nextGeneratorValue(StationDatabase& db, const char* generator)
{
    return db.scalar(QStringLiteral("SELECT NEXT VALUE FOR %1 FROM RDB$DATABASE").arg(QLatin1String(generator))).toInt();
}

} // namespace

ReportService::ReportService(StationDatabase& db, ReportConnectionState& connection)
    : db_(db)
    , connection_(connection)
{
}

int ReportService::selectorOf(const Variant& params)
{
    if (!params.isArray() || params.arrayCount() == 0)
        raise(QStringLiteral("Report 35 needs a parameter array that starts with a selector"));
    return integerElement(params.elements(), 0, QStringLiteral("Report 35"));
}

bool ReportService::isServiceSelector(int selector)
{
    return selector == kPrologue || selector == kProviderData || selector == kCallFunction || selector == kCodesExtension;
}

QString ReportService::answer(const Variant& params)
{
    const int selector = selectorOf(params);
    const Variant::Array& elements = params.elements();
    switch (selector) {
    case kPrologue:
        connection_.prologueValue = integerElement(elements, 1, QStringLiteral("Report 35, selector 1000"));
        return QStringLiteral("OK");
    case kProviderData:
        return providerData(elements);
    case kCallFunction:
        return callFunction(elements);
    case kCodesExtension:
        return QStringLiteral("OK");
    default:
        raise(QStringLiteral("Report 35: unknown service selector %1").arg(selector));
    }
}

QString ReportService::providerData(const Variant::Array& params)
{
    const QString context = QStringLiteral("Report 35, selector 2");
    const Variant& sql = element(params, 1, context);
    if (!sql.isString())
        raise(QStringLiteral("%1: element 1 must be the SQL text, not %2").arg(context, Variant::typeName(sql.type())));
    if (sql.toString().trimmed().isEmpty())
        raise(QStringLiteral("%1: the SQL text is empty").arg(context));
    const int base = integerElement(params, 2, context);
    if (base == 0)
        return packetHex(db_, sql.toString());
    if (base != 1)
        raise(QStringLiteral("%1: unknown base %2 (0 is the station, 1 the head office)").arg(context).arg(base));
    // The head-office database lies beside the station's; it is attached only
    // for the request, since few windows ask for it.
    const QString officePath = officeDatabasePath(QFileInfo(db_.path()).absolutePath());
    if (!QFileInfo::exists(officePath))
        raise(QStringLiteral("%1: there is no head-office database %2").arg(context, officePath));
    StationDatabase office(officePath);
    return packetHex(office, sql.toString());
}

QString ReportService::callFunction(const Variant::Array& params)
{
    const QString context = QStringLiteral("Report 35, selector 17");
    const int fn = integerElement(params, 1, context);
    const Variant& args = element(params, 2, context);
    if (fn == kFnWithStationDatabase)
        return callWithStationDatabase(args);
    raise(QStringLiteral("%1: unknown function %2").arg(context).arg(fn));
}

QString ReportService::callWithStationDatabase(const Variant& args)
{
    const QString context = QStringLiteral("Report 35, selector 17, function 2");
    if (!args.isArray())
        raise(QStringLiteral("%1: the arguments must be the array [Fn, Args], not %2").arg(context, Variant::typeName(args.type())));
    const int fn = integerElement(args.elements(), 0, context);
    switch (fn) {
    case kFnNewScanDocId:
        return VariantToText(Variant(nextGeneratorValue(db_, "GEN_SCANDOC_ID")));
    case kFnNewScanDocTypeId:
        return VariantToText(Variant(nextGeneratorValue(db_, "GEN_SCANDOCTYPE_ID")));
    default:
        raise(QStringLiteral("%1: unknown function %2").arg(context).arg(fn));
    }
}

} // namespace velta::station
