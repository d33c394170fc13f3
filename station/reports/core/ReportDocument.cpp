#include "station/reports/core/ReportDocument.h"

#include <utility>

namespace velta::station {
namespace {

const QString kLimitStart = QStringLiteral("Отчет остановлен: ");
const QString kLimitEnd = QStringLiteral(" (ограничения отчетов в настройках). Выберите период короче.");

} // namespace

ReportDocument::ReportDocument(QString title, ReportLimits limits)
    : title_(std::move(title))
    , limits_(limits)
{
}

ReportTable& ReportDocument::addTable(QVector<ReportColumn> columns)
{
    ReportTable table;
    table.columns = std::move(columns);
    push(std::move(table));
    return std::get<ReportTable>(blocks_.back());
}

void ReportDocument::push(ReportBlock block)
{
    blocks_.push_back(std::move(block));
    outputs_.push_back(output_);
}

bool ReportDocument::addRow(ReportTable& table, const QStringList& cells)
{
    if (truncated_)
        return false;
    // A row costs about its cells and their frame in either rendering.
    qint64 rowSize = 2;
    for (const QString& cell : cells)
        rowSize += cell.size() + 3;
    const bool byRows = rowCount_ + 1 > limits_.maxRows;
    const bool bySize = sizeEstimate_ + rowSize > qint64(limits_.maxSizeMb) * 1024 * 1024;
    if (byRows || bySize) {
        truncated_ = true;
        // The stop shows in both renderings, whichever the table belongs to.
        const ReportOutput output = output_;
        output_ = ReportOutput::Both;
        addParagraph(reportLimitMessage(limits_, byRows));
        output_ = output;
        return false;
    }
    ++rowCount_;
    sizeEstimate_ += rowSize;
    table.rows.push_back(cells);
    return true;
}

QString reportLimitMessage(const ReportLimits& limits, bool byRows)
{
    const QString what = byRows ? QStringLiteral("число строк превысило %1").arg(limits.maxRows)
                                : QStringLiteral("размер превысил %1 МБ").arg(limits.maxSizeMb);
    return QStringLiteral("%1%2%3").arg(kLimitStart, what, kLimitEnd);
}

bool textStoppedAtLimits(const QString& text)
{
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(kLimitStart) && line.endsWith(kLimitEnd))
            return true;
    }
    return false;
}

} // namespace velta::station
