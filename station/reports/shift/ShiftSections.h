#pragma once
// The sections of the shift report. Each section is computed by a function of
// its own from the station data over the chosen shifts into a ShiftSection:
// a table for the built-in layout (text and HTML) and the tag values its HTML
// print form is filled with.
#include "common/ReportContract.h"
#include "station/reports/core/HtmlTemplateFiller.h"
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportLookups.h"

#include <QVector>

namespace velta::station {

// What every section works on.
struct ShiftScope {
    const ReportContext& context;
    ReportSpan shifts;
    bool current = false;
    // Tank volumes: 0 rounds them to whole litres (the settings' default),
    // any other value keeps the decimals of litres.
    int roundRVal = 0;
    // Tanks by number (0) or by fuel name (1).
    int siloSortField = 0;
    PayTypes payTypes;
    // The payment types of the statement section.
    QVector<int> statementCodes;
    QString departmentPath;
    bool office = false;
};

struct ShiftSection {
    QString title;
    QVector<ReportColumn> columns;
    // One per column: the tag its cells fill in the repeated row and the totals.
    QStringList tags;
    QVector<QStringList> rows;
    QVector<QStringList> totals;
    // Lines under the table; the whole section when it has no columns.
    QStringList notes;
    // Tags beyond the columns' (per row, the totals and the fields).
    TemplateValues values;
};

// The section's name as users see it in the composition settings.
QString shiftSectionName(int index);
// Computes one section.
ShiftSection computeShiftSection(int index, const ShiftScope& scope);

// Each section.
ShiftSection headerSection(const ShiftScope& scope);
ShiftSection endSection(const ShiftScope& scope);
ShiftSection dispensersSection(const ShiftScope& scope);
ShiftSection tanksSection(const ShiftScope& scope);
ShiftSection financialSection(const ShiftScope& scope);
ShiftSection receiptsSection(const ShiftScope& scope);
ShiftSection movementSection(const ShiftScope& scope);
ShiftSection nonCashSection(const ShiftScope& scope);
ShiftSection warehouseSection(const ShiftScope& scope);
ShiftSection goodsReceiptsSection(const ShiftScope& scope);
ShiftSection financialByPayTypeSection(const ShiftScope& scope);
ShiftSection financialGoodsSection(const ShiftScope& scope);
ShiftSection pumpOutSection(const ShiftScope& scope);
ShiftSection cashDesksSection(const ShiftScope& scope);
ShiftSection terminalReturnsSection(const ShiftScope& scope);
ShiftSection statementsSection(const ShiftScope& scope);
ShiftSection bonusesSection(const ShiftScope& scope);
ShiftSection reloadsSection(const ShiftScope& scope);

// The tag values of a section for its print form: the common head tags
// (station, period, shifts, operator) and the section's table and own tags.
TemplateValues shiftTemplateValues(const ShiftScope& scope, const ShiftSection& section);

} // namespace velta::station
