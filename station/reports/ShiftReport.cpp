#include "station/reports/ShiftReport.h"

#include "common/Exception.h"
#include "station/reports/ShiftSections.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>

namespace velta::station {
namespace {

// Elements of the array: BegShift, EndShift, Composition, Station value,
// RoundRVal, DepartmentPath, office workplace, Flags, SiloReportSortField
// and, but for the current-shift report of the menu, Codes.
enum Element { kBegShift, kEndShift, kComposition, kStation, kRoundRVal, kDepartment, kOffice, kFlags, kSiloSort, kCodes };

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
    return types.selected(params.integers(kFlags), params.count() > kCodes ? params.integers(kCodes) : QVector<std::int64_t>{});
}

ReportSpan chosenShifts(const ReportContext& context, const ReportParams& params)
{
    std::int64_t first = params.integer(kBegShift);
    std::int64_t last = params.integer(kEndShift);
    if (first == -1 && last == -1) {
        const std::optional<int> current = currentShiftNumber(context.db());
        if (!current)
            throw EDatabaseError(QStringLiteral("Отчет №%1: журнал смен пуст").arg(params.reportNo()));
        first = last = *current;
    } else if (first < 0 || last < first || last > std::numeric_limits<int>::max()) {
        throw EDatabaseError(QStringLiteral("Отчет №%1: неверный диапазон смен %2 - %3").arg(params.reportNo()).arg(first).arg(last));
    }
    ReportSpan span = shiftSpan(context.db(), int(first), int(last));
    if (!span.found())
        throw EDatabaseError(QStringLiteral("Отчет №%1: смены %2 - %3 не найдены").arg(params.reportNo()).arg(first).arg(last));
    return span;
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
    if (elements.isEmpty() || elements.size() % 3 != 1)
        throw EDatabaseError(QStringLiteral("Отчет №%1: состав отчета (параметр %2) должен иметь 3k + 1 элементов, а не %3")
                                 .arg(params.reportNo())
                                 .arg(index)
                                 .arg(elements.size()));
    QVector<ShiftReportEntry> entries;
    for (qsizetype e = 0; e + 1 < elements.size(); e += 3) {
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
        if (entry.section() < 0 || entry.section() >= kSectionCount || (entry.kind >= kSectionCount && entry.kind < 100))
            badEntry(params, index, e + 1, QStringLiteral("разделом 0-17 или 100-117, а не %1").arg(entry.kind));
        entries << entry;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ShiftReportEntry& a, const ShiftReportEntry& b) { return a.position < b.position; });
    return entries;
}

ReportDocument shiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({9, 10});
    ShiftScope scope{context, chosenShifts(context, params), false, 0, 0, PayTypes(context.db()), {}, {}, false};
    scope.current = params.integer(kBegShift) == -1 && params.integer(kEndShift) == -1;
    scope.roundRVal = int(params.integer(kRoundRVal));
    scope.siloSortField = int(params.integer(kSiloSort));
    scope.departmentPath = params.at(kDepartment).isString() ? params.text(kDepartment) : QString();
    scope.office = params.boolean(kOffice);
    scope.statementCodes = statementCodes(params, scope.payTypes);
    const QVector<ShiftReportEntry> entries = readShiftComposition(params, kComposition);

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
        if (entry.html() && entry.section() == kSectionHeader)
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
