#include "station/reports/engine/ReportEngine.h"

#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "station/reports/engine/ReportCatalog.h"
#include "station/reports/core/ReportHtmlRenderer.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/reports/engine/ReportService.h"
#include "station/reports/core/ReportTextRenderer.h"

namespace velta::station {

ReportEngine::ReportEngine(StationDatabase& db, ReportConnectionState& connection, ReportWorkplaceMemory& workplaces)
    : db_(db)
    , connection_(connection)
    , workplaces_(workplaces)
{
}

QString ReportEngine::getReportEx(const Variant::Array& args)
{
    return call(QString::fromLatin1(kGetReportEx), args, true);
}

QString ReportEngine::getReport(const Variant::Array& args)
{
    return call(QString::fromLatin1(kGetReport), args, false);
}

QString ReportEngine::call(const QString& method, const Variant::Array& args, bool shareWithWorkplace)
{
    if (args.size() != 2 && args.size() != 3)
        throw EProtocolError(QStringLiteral("%1 expects [reportNo, params] or [reportNo, params, workplace], not %2 arguments")
                                 .arg(method)
                                 .arg(args.size()));
    const Variant& number = args[0];
    if (!number.isNumeric() || number.type() == VarType::Single || number.type() == VarType::Double
        || number.type() == VarType::Currency)
        throw EProtocolError(QStringLiteral("Argument 1 of %1 must be the report number, not %2")
                                 .arg(method, Variant::typeName(number.type())));
    const std::int64_t reportNo = number.toInt64();
    if (reportNo < 0 || reportNo > report::kMaxReportNo)
        throw EProtocolError(QStringLiteral("Report number %1 is out of range 0-%2").arg(reportNo).arg(report::kMaxReportNo));
    QString workplace;
    if (args.size() == 3 && !args[2].isEmptyOrNull()) {
        if (!args[2].isString())
            throw EProtocolError(QStringLiteral("Argument 3 of %1 must be the workplace name, not %2")
                                     .arg(method, Variant::typeName(args[2].type())));
        workplace = args[2].toString();
    }
    return produce(static_cast<int>(reportNo), args[1], workplace, shareWithWorkplace);
}

QString ReportEngine::produce(int reportNo, const Variant& params, const QString& workplace, bool shareWithWorkplace)
{
    if (reportNo == report::kLastReportHtml)
        return lastReportHtml(workplace);
    const int selector = reportNo == report::kService ? ReportService::selectorOf(params) : report::kNoSelector;
    if (reportNo == report::kService && ReportService::isServiceSelector(selector))
        return ReportService(db_, connection_).answer(params);
    const ReportEntry* entry = findReport(reportNo, selector);
    // A plain answer is no report: the viewer never shows it, so report 55
    // keeps the rendering of the report before it.
    if (entry && entry->answer)
        return entry->answer(db_, ReportParams(reportNo, params));
    ReportRendering rendering;
    try {
        rendering = render(reportNo, params, entry);
    } catch (...) {
        remember(QString(), workplace, shareWithWorkplace);
        throw;
    }
    remember(rendering.html, workplace, shareWithWorkplace);
    return rendering.text;
}

ReportRendering ReportEngine::render(int reportNo, const Variant& params, const ReportEntry* entry)
{
    // A number the engine does not compute answers the list of what it received.
    if (!entry)
        return ReportPlaceholder(reportNo, params).render();
    const ReportContext context(db_, ReportFormats::fromCnfIni());
    const ReportDocument document = entry->produce(context, ReportParams(reportNo, params));
    return {renderReportText(document), renderReportHtml(document, {context.formats().repeatHead})};
}

void ReportEngine::remember(const QString& html, const QString& workplace, bool shareWithWorkplace)
{
    const RememberedReport report{workplaces_.nextSequence(), html};
    connection_.last = report;
    if (shareWithWorkplace)
        workplaces_.remember(workplace, report);
}

QString ReportEngine::lastReportHtml(const QString& workplace) const
{
    const RememberedReport shared = workplaces_.last(workplace);
    return shared.sequence > connection_.last.sequence ? shared.html : connection_.last.html;
}

} // namespace velta::station
