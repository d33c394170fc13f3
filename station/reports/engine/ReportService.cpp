#include "station/reports/engine/ReportService.h"

#include "common/Exception.h"
#include "common/Hex.h"
#include "common/VariantText.h"
#include "station/providers/ProviderCursor.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/db/StationDatabase.h"
#include "station/db/StationPaths.h"

#include <QFileInfo>

namespace velta::station {
namespace {

[[noreturn]] void raise(const QString& message)
{
    throw EDatabaseError(message);
}

// "Report 35", "Report 35, selector 2": where a message comes from.
QString serviceContext()
{
    return QStringLiteral("Report %1").arg(report::kService);
}
QString serviceContext(int selector)
{
    return QStringLiteral("%1, selector %2").arg(serviceContext()).arg(selector);
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
        raise(serviceContext(report::kSelectorProviderData) + QStringLiteral(": the SQL text must be a query (SELECT or WITH)"));
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
        raise(serviceContext() + QStringLiteral(" needs a parameter array that starts with a selector"));
    return integerElement(params.elements(), 0, serviceContext());
}

bool ReportService::isServiceSelector(int selector)
{
    return selector == report::kSelectorPrologue || selector == report::kSelectorProviderData || selector == report::kSelectorCallFunction || selector == report::kSelectorReturnsCodes;
}

QString ReportService::answer(const Variant& params)
{
    const int selector = selectorOf(params);
    const Variant::Array& elements = params.elements();
    switch (selector) {
    case report::kSelectorPrologue:
        connection_.prologueValue = integerElement(elements, 1, serviceContext(report::kSelectorPrologue));
        return QStringLiteral("OK");
    case report::kSelectorProviderData:
        return providerData(elements);
    case report::kSelectorCallFunction:
        return callFunction(elements);
    case report::kSelectorReturnsCodes:
        return QStringLiteral("OK");
    default:
        raise(QStringLiteral("%1: unknown service selector %2").arg(serviceContext()).arg(selector));
    }
}

QString ReportService::providerData(const Variant::Array& params)
{
    const QString context = serviceContext(report::kSelectorProviderData);
    const Variant& sql = element(params, 1, context);
    if (!sql.isString())
        raise(QStringLiteral("%1: element 1 must be the SQL text, not %2").arg(context, Variant::typeName(sql.type())));
    if (sql.toString().trimmed().isEmpty())
        raise(QStringLiteral("%1: the SQL text is empty").arg(context));
    const int base = integerElement(params, 2, context);
    if (base == report::kBaseStation)
        return packetHex(db_, sql.toString());
    if (base != report::kBaseOffice)
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
    const QString context = serviceContext(report::kSelectorCallFunction);
    const int fn = integerElement(params, 1, context);
    const Variant& args = element(params, 2, context);
    if (fn == report::kFnWithStationDatabase)
        return callWithStationDatabase(args);
    raise(QStringLiteral("%1: unknown function %2").arg(context).arg(fn));
}

QString ReportService::callWithStationDatabase(const Variant& args)
{
    const QString context =
        serviceContext(report::kSelectorCallFunction) + QStringLiteral(", function %1").arg(report::kFnWithStationDatabase);
    if (!args.isArray())
        raise(QStringLiteral("%1: the arguments must be the array [Fn, Args], not %2").arg(context, Variant::typeName(args.type())));
    const int fn = integerElement(args.elements(), 0, context);
    switch (fn) {
    case report::kFnNewScanDocId:
        return VariantToText(Variant(nextGeneratorValue(db_, "GEN_SCANDOC_ID")));
    case report::kFnNewScanDocTypeId:
        return VariantToText(Variant(nextGeneratorValue(db_, "GEN_SCANDOCTYPE_ID")));
    default:
        raise(QStringLiteral("%1: unknown function %2").arg(context).arg(fn));
    }
}

} // namespace velta::station
