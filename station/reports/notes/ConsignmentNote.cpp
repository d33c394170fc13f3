#include "station/reports/notes/ConsignmentNote.h"

#include "common/Exception.h"
#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportParams.h"

#include <limits>

namespace velta::station {
namespace {

// The cargo columns the header keeps with the suffix "1" for a note's first line.
const char* const kHeaderCargoColumns[] = {
    "PKOD", "PREISKURANT", "ARTICLE", "COUNT", "PRICE", "NAME", "UNIT", "UPAKVID", "MEST", "MASSA", "SUMMA",
    "KARDNUM", "VOLUME", "UDVES", "TEMPER", "GNAME", "GDOCUMENTS", "GUPAKVID", "GMEST", "GOPREDMASSA", "GKOD",
    "GKONT", "GCLASS", "GMBRUTTO", "SFNAME", "SFUNIT", "SFCOUNT", "SFPRICE", "SFSUMMA", "SFEXCISE", "SFNDS",
    "SFSUMMANDS", "SFSUMMASNDS", "SFCOUNTRY", "SFTAMDEKLAR"};

// The first line as the header keeps it; it prints on every form.
NoteLine headerLine(const NoteValues& header)
{
    NoteLine line;
    line.number = 1;
    for (const char* column : kHeaderCargoColumns) {
        const QString name = QLatin1String(column);
        line.values.set(name, header.value(name + QLatin1Char('1')));
    }
    for (const QString& own : {QStringLiteral("INDEXSALE"), QStringLiteral("PRESSURE")}) {
        if (header.has(own))
            line.values.set(own, header.value(own));
    }
    return line;
}

bool flagSet(const NoteValues& row, const QString& column)
{
    // Any non-zero value is set; a row without the column prints.
    return !row.has(column) || row.value(column).isNull() || row.integer(column) != 0;
}

QVector<NoteLine> detailLines(StationDatabase& db, int id)
{
    QVector<NoteLine> lines;
    QSqlQuery query = db.prepare(QStringLiteral("SELECT * FROM TTNDETAIL WHERE TTN_ID = ? ORDER BY ID"));
    query.addBindValue(id);
    execPrepared(query, QStringLiteral("Consignment note lines"));
    while (query.next()) {
        NoteLine line;
        line.number = int(lines.size()) + 1;
        line.values = NoteValues(query.record());
        line.printGoods = flagSet(line.values, QStringLiteral("PRINTTTN1"));
        line.printTransport = flagSet(line.values, QStringLiteral("PRINTTTN2"));
        line.printInvoice = flagSet(line.values, QStringLiteral("PRINTSF"));
        line.printWaybill = flagSet(line.values, QStringLiteral("PRINTTN"));
        lines << line;
    }
    return lines;
}

} // namespace

bool NoteLine::printedIn(NoteForm form) const
{
    switch (form) {
    case NoteForm::GoodsSection:
    case NoteForm::ShipmentReceipt:
        return printGoods;
    case NoteForm::TransportSection:
        return printTransport;
    case NoteForm::Invoice:
        return printInvoice;
    case NoteForm::GoodsWaybill:
        return printWaybill;
    }
    return true;
}

QVector<NoteLine> ConsignmentNote::linesFor(NoteForm form) const
{
    QVector<NoteLine> printed;
    for (const NoteLine& line : lines) {
        if (line.printedIn(form))
            printed << line;
    }
    return printed;
}

QString ConsignmentNote::numberAndDate() const
{
    QString text = header.text(QStringLiteral("TTNSER"));
    const QString number = header.text(QStringLiteral("TTNNUMBER"));
    if (!number.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("№") + number;
    const QString date = header.date(QStringLiteral("TTNDATE"));
    if (!date.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("от ") + date;
    return text;
}

NoteParty ConsignmentNote::party(StationDatabase& db, const QString& column) const
{
    return findNoteParty(db, header.integer(column));
}

std::optional<ConsignmentNote> findConsignmentNote(StationDatabase& db, int id)
{
    QSqlQuery query = db.prepare(QStringLiteral("SELECT * FROM TTN WHERE TTN_ID = ?"));
    query.addBindValue(id);
    execPrepared(query, QStringLiteral("Consignment note"));
    if (!query.next())
        return std::nullopt;
    ConsignmentNote note;
    note.id = id;
    note.header = NoteValues(query.record());
    query.finish();
    if (db.tableNames().contains(QStringLiteral("TTNDETAIL")))
        note.lines = detailLines(db, id);
    // A note without lines of its own prints the line its header keeps.
    if (note.lines.isEmpty())
        note.lines << headerLine(note.header);
    note.variables = readNoteVariables(note.header.text(QStringLiteral("VARLIST")));
    return note;
}

ConsignmentNote requiredConsignmentNote(StationDatabase& db, const ReportParams& params, const QString& formName)
{
    const std::int64_t id = params.integer(1);
    std::optional<ConsignmentNote> note;
    if (id > 0 && id <= std::numeric_limits<int>::max())
        note = findConsignmentNote(db, int(id));
    if (!note)
        throw EDatabaseError(QStringLiteral("ТТН (код %1) не найдена в базе данных АЗС. Печатная форма \"%2\" не сформирована.")
                                 .arg(id)
                                 .arg(formName));
    return *note;
}

} // namespace velta::station
