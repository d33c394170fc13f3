#pragma once
// The printed forms of a consignment note: which service report calls each
// report kind of the register makes, and how their answers become what the
// viewer shows. The engine builds the forms from the stored note; the
// register only names the note and the form.
#include "common/Variant.h"

#include <QList>
#include <QString>

namespace velta::consignment {

// The register's report kinds, in the order of its list.
enum class NoteReportKind : int {
    GoodsSection = 0,
    TransportSection = 1,
    WholeNote = 2,
    Invoice = 3,
    WaybillStandard = 4,
    Waybill1 = 5,
    Waybill2 = 6,
    ShipmentReceipt = 7,
};
inline constexpr int kNoteReportKindCount = 8;

// The argument arrays of the service report, one per call, for a kind and a
// note; none for a kind outside the list.
QList<Variant> NoteReportArguments(int kind, int ttnId);

// The HTML without the first "page-break-after:always;" and the first
// "PAGE-BREAK-AFTER: always;" (each matched with its letter case): the goods
// section printed alone does not end with an empty page.
QString WithoutFirstPageBreaks(QString html);

// What the viewer shows for a printed note.
struct NotePrint {
    QString text;    // the (last) form's text
    QString html;    // the forms' HTML renderings, one after the other
    QString caption; // the kind's item in upper case
};

// Makes the kind's forms of the note, each call followed by the HTML of its
// form; itemText is the kind's item as the register lists it.
NotePrint ProduceNotePrint(int kind, int ttnId, const QString& itemText);

} // namespace velta::consignment
