#pragma once
// The parts the printed forms of a consignment note share: framed tables of
// labelled fields (parties, vehicle, signatures), the free variables, the
// page break after a section, the numbering row under a form's column heads,
// and numbers and totals in words as the forms print them.
#include "station/reports/core/ReportDocument.h"
#include "station/reports/core/ReportFormats.h"
#include "station/reports/notes/NoteVariables.h"

#include <QString>
#include <QVector>
#include <cstdint>

namespace velta::station {

struct NoteField {
    QString label;
    QString value;
};

// A framed table of label and value rows; the text rendering shows the
// labels in a column of their own width.
void addFieldTable(ReportDocument& document, const QVector<NoteField>& fields);

// The filled free variables of the note under "Дополнительные сведения"; nothing without any.
void addNoteVariables(ReportDocument& document, const QVector<NoteVariable>& variables);

// A signature field: "post ____________ name" (blanks for what is missing).
QString signatureLine(const QString& post, const QString& name);

// The page break the HTML page ends a section with (no text).
void addHtmlPageBreak(ReportDocument& document);
inline constexpr char kPageBreakStyle[] = "page-break-after:always;";

// A row "1", "2", ... as many as the table has columns, as the forms number them.
void addColumnNumbers(ReportDocument& document, ReportTable& table);

// Numbers as the forms print them; an amount of 0 prints empty with the *OrBlank ones.
QString tonnes(const ReportFormats& f, std::int64_t scaled);
QString money(const ReportFormats& f, std::int64_t scaled);
QString moneyOrBlank(const ReportFormats& f, std::int64_t scaled);
QString decimalOrBlank(const ReportFormats& f, std::int64_t scaled, int decimals);
// A VAT rate: "18%", "10%", "7,5%".
QString vatRate(const ReportFormats& f, std::int64_t scaled);

// A sum in words: the text the note keeps, else the amount's own words.
QString amountInWords(const QString& stored, std::int64_t scaled);
// A mass in tonnes in words (whole kilograms): the stored text, else its words; empty for 0.
QString weightInWords(const QString& stored, std::int64_t scaledTonnes);

} // namespace velta::station
