#pragma once
// The report the engine answers for report numbers it does not compute yet: a
// titled list of the parameters it received, each with its position, variant
// type and value, as a framed fixed-pitch text and as an HTML page.
#include "common/Variant.h"

#include <QString>

namespace velta::station {

// The two renderings of one report: the text answer and the HTML page that
// report 55 hands out afterwards.
struct ReportRendering {
    QString text;
    QString html;
};

class ReportPlaceholder {
public:
    // Longer values are wrapped onto further lines of the text table.
    static constexpr int kMaxValueWidth = 60;

    ReportPlaceholder(int reportNo, const Variant& params);

    QString title() const;
    ReportRendering render() const;

    // One parameter: its position ("2", "2.0" inside an array), type and value.
    struct Row {
        QString position;
        QString type;
        QString value;
    };
    const QVector<Row>& rows() const { return rows_; }

    // A value as the report shows it: texts in double quotes, dates as
    // dd.mm.yyyy hh:nn:ss, numbers with a full stop.
    static QString valueText(const Variant& value);

private:
    void addRows(const Variant& value, const QString& position, int depth);
    QString renderText() const;
    QString renderHtml() const;

    int reportNo_;
    QVector<Row> rows_;
};

} // namespace velta::station
