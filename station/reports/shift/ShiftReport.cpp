#include "station/reports/shift/ShiftReport.h"

#include "common/Exception.h"
#include "station/reports/shift/ShiftSections.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>

namespace velta::station {
namespace {

[[noreturn]] void badEntry(const ReportParams& params, int index, qsizetype element, const QString& what)
{
    throw EDatabaseError(QStringLiteral("Отчет №%1: элемент %2 состава отчета (параметр %3) должен быть %4")
                             .arg(params.reportNo())
                             .arg(element)
                             .arg(index)
                             .arg(what));
}

// The payment types of the statement section: the codes when given, else
// the flagged positions.
QVector<int> statementCodes(const ReportParams& params, const PayTypes& types)
{
    return types.selected(params.integers(report::kShiftFlags), params.count() > report::kShiftCodes ? params.integers(report::kShiftCodes) : QVector<std::int64_t>{});
}

ReportSpan chosenShifts(const ReportContext& context, const ReportParams& params)
{
    const std::int64_t first = params.integer(report::kShiftBegShift);
    const std::int64_t last = params.integer(report::kShiftEndShift);
    if (first == report::kCurrentShiftMark && last == report::kCurrentShiftMark) {
        const std::optional<int> current = currentShiftNumber(context.db());
        if (!current)
            throw EDatabaseError(QStringLiteral("Отчет №%1: журнал смен пуст").arg(params.reportNo()));
        return shiftSpan(context.db(), *current, *current);
    }
    return requiredShiftSpan(context.db(), params.reportNo(), first, last);
}

void emitTable(ReportDocument& document, const ShiftSection& section)
{
    document.addHeading(section.title);
    if (!section.columns.isEmpty() && section.rows.isEmpty())
        document.addParagraph(QStringLiteral("Нет данных."));
    else if (!section.columns.isEmpty()) {
        ReportTable& table = document.addTable(section.columns);
        for (const QStringList& row : section.rows) {
            if (!document.addRow(table, row))
                return;
        }
        table.totals = section.totals;
    }
    for (const QString& note : section.notes)
        document.addParagraph(note);
}

} // namespace

QVector<ShiftReportEntry> readShiftComposition(const ReportParams& params, int index)
{
    const Variant::Array elements = params.array(index);
    if (elements.isEmpty() || elements.size() % report::kCompositionEntrySize != 1)
        throw EDatabaseError(QStringLiteral("Отчет №%1: состав отчета (параметр %2) должен иметь 3k + 1 элементов, а не %3")
                                 .arg(params.reportNo())
                                 .arg(index)
                                 .arg(elements.size()));
    QVector<ShiftReportEntry> entries;
    for (qsizetype e = 0; e + 1 < elements.size(); e += report::kCompositionEntrySize) {
        ShiftReportEntry entry;
        if (!isIntegerType(elements[e].type()))
            badEntry(params, index, e, QStringLiteral("целым числом (позиция)"));
        if (!isIntegerType(elements[e + 1].type()))
            badEntry(params, index, e + 1, QStringLiteral("целым числом (вид раздела)"));
        if (!elements[e + 2].isString() && !elements[e + 2].isEmptyOrNull())
            badEntry(params, index, e + 2, QStringLiteral("строкой (файл шаблона)"));
        entry.position = int(elements[e].toInt64());
        entry.kind = int(elements[e + 1].toInt64());
        entry.path = elements[e + 2].isString() ? elements[e + 2].toString() : QString();
        if (entry.section() < 0 || entry.section() >= report::kShiftSectionCount
            || (entry.kind >= report::kShiftSectionCount && !report::isHtmlKind(entry.kind)))
            badEntry(params, index, e + 1,
                     QStringLiteral("разделом 0-%1 или %2-%3, а не %4")
                         .arg(report::kShiftSectionCount - 1)
                         .arg(report::kHtmlKindOffset)
                         .arg(report::kHtmlKindOffset + report::kShiftSectionCount - 1)
                         .arg(entry.kind));
        entries << entry;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ShiftReportEntry& a, const ShiftReportEntry& b) { return a.position < b.position; });
    return entries;
}

ReportDocument shiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({report::kShiftCodes, report::kShiftElementCount});
    ShiftScope scope{context, chosenShifts(context, params), false, 0, 0, PayTypes(context.db()), {}, {}, false};
    scope.current = params.integer(report::kShiftBegShift) == report::kCurrentShiftMark
                    && params.integer(report::kShiftEndShift) == report::kCurrentShiftMark;
    scope.roundRVal = int(params.integer(report::kShiftRoundRVal));
    scope.siloSortField = int(params.integer(report::kShiftSiloReportSortField));
    scope.departmentPath = params.at(report::kShiftDepartmentPath).isString() ? params.text(report::kShiftDepartmentPath) : QString();
    scope.office = params.boolean(report::kShiftOfficeWorkplace);
    scope.statementCodes = statementCodes(params, scope.payTypes);
    const QVector<ShiftReportEntry> entries = readShiftComposition(params, report::kShiftComposition);

    ReportDocument document = context.newDocument(QStringLiteral("Сменный отчет"));
    if (entries.isEmpty())
        document.addParagraph(QStringLiteral("В составе сменного отчета нет ни одного раздела."));

    // A section printed in both forms (or twice) is computed once.
    std::map<int, ShiftSection> computed;
    const auto sectionOf = [&](int index) -> const ShiftSection& {
        auto found = computed.find(index);
        if (found == computed.end())
            found = computed.emplace(index, computeShiftSection(index, scope)).first;
        return found->second;
    };
    // The header section's HTML form carries the station and the shift itself.
    for (const ShiftReportEntry& entry : entries) {
        if (entry.html() && entry.section() == report::kSectionHeader)
            document.setHeadInHtml(false);
    }
    for (const ShiftReportEntry& entry : entries) {
        if (document.truncated())
            break;
        const ShiftSection& section = sectionOf(entry.section());
        document.setOutput(entry.html() ? ReportOutput::Html : ReportOutput::Text);
        if (entry.html()) {
            if (const std::optional<QString> page = readHtmlTemplate(entry.path)) {
                document.addHtml(htmlBody(fillHtmlTemplate(*page, shiftTemplateValues(scope, section))), QString());
                continue;
            }
        }
        emitTable(document, section);
    }
    document.setOutput(ReportOutput::Both);
    return document;
}

} // namespace velta::station
