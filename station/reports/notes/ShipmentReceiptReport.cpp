#include "station/reports/notes/ShipmentReceiptReport.h"

#include "station/reports/core/ReportLookups.h"
#include "station/reports/notes/ConsignmentNote.h"
#include "station/reports/notes/NoteFormBlocks.h"

namespace velta::station {
namespace {

const QString kFormName = QStringLiteral("Квитанция об отгрузке");

QString joined(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return first + second;
    return first + QLatin1Char(' ') + second;
}

QString title(const NoteValues& h)
{
    QString text = QStringLiteral("КВИТАНЦИЯ ОБ ОТГРУЗКЕ");
    const QString number = h.text(QStringLiteral("KVITNUMBER"));
    const QString date = h.date(QStringLiteral("KVITDATE"));
    if (!number.isEmpty())
        text += QStringLiteral(" №") + number;
    if (!date.isEmpty())
        text += QStringLiteral(" от ") + date;
    return text;
}

void addHead(ReportDocument& document, const ReportContext& context, const ConsignmentNote& note)
{
    const NoteValues& h = note.header;
    StationDatabase& db = context.db();
    addFieldTable(document,
                  {{QStringLiteral("Грузоотправитель"), note.party(db, QStringLiteral("GO_ID")).description()},
                   {QStringLiteral("Грузополучатель"), note.party(db, QStringLiteral("GP_ID")).description()},
                   {QStringLiteral("Плательщик"), note.party(db, QStringLiteral("PLAT_ID")).description()},
                   {QStringLiteral("Перевозчик"), note.party(db, QStringLiteral("PER_ID")).description()},
                   {QStringLiteral("Автомобиль"), joined(h.text(QStringLiteral("CARMARKA")), h.text(QStringLiteral("CARNUM")))},
                   {QStringLiteral("Прицеп"), joined(h.text(QStringLiteral("PRMARKA1")), h.text(QStringLiteral("PRNUM1")))},
                   {QStringLiteral("Водитель"), h.text(QStringLiteral("DRIVERFIO"))},
                   {QStringLiteral("Путевой лист №"), h.text(QStringLiteral("PLIST"))},
                   {QStringLiteral("Пункт погрузки"), h.text(QStringLiteral("PUNKTPOGRUZ"))},
                   {QStringLiteral("Пункт разгрузки"), h.text(QStringLiteral("PUNKTRAZGRUZ"))}});
}

void addLines(ReportDocument& document, const ReportFormats& f, const QVector<NoteLine>& lines)
{
    ReportTable& table = document.addTable({{QStringLiteral("№"), CellAlign::Right},
                                            {QStringLiteral("Наименование груза")},
                                            {QStringLiteral("Объем,\nл"), CellAlign::Right},
                                            {QStringLiteral("Плотность,\nкг/л"), CellAlign::Right},
                                            {QStringLiteral("Темпера-\nтура, °С"), CellAlign::Right},
                                            {QStringLiteral("Масса,\nт"), CellAlign::Right},
                                            {QStringLiteral("Сумма,\nруб. коп."), CellAlign::Right}});
    std::int64_t volume = 0, mass = 0, sum = 0;
    int number = 0;
    for (const NoteLine& line : lines) {
        const NoteValues& v = line.values;
        volume += v.amount(QStringLiteral("VOLUME"));
        mass += v.amount(QStringLiteral("MASSA"));
        sum += v.amount(QStringLiteral("SUMMA"));
        document.addRow(table, {QString::number(++number), v.text(QStringLiteral("NAME")),
                                f.litres(units(v.amount(QStringLiteral("VOLUME")))),
                                f.fixed(units(v.amount(QStringLiteral("UDVES"))), 4),
                                f.fixed(units(v.amount(QStringLiteral("TEMPER"))), 1), tonnes(f, v.amount(QStringLiteral("MASSA"))),
                                money(f, v.amount(QStringLiteral("SUMMA")))});
    }
    table.totals << QStringList{QString(), QStringLiteral("Итого"), f.litres(units(volume)), QString(), QString(),
                                tonnes(f, mass), money(f, sum)};
    const QString massWords = weightInWords(QString(), mass);
    const QString sumWords = amountInWords(QString(), sum);
    addFieldTable(document,
                  {{QStringLiteral("Отгружено массой, т"),
                    massWords.isEmpty() ? tonnes(f, mass) : QStringLiteral("%1 (%2)").arg(tonnes(f, mass), massWords)},
                   {QStringLiteral("На сумму"), sumWords.isEmpty() ? money(f, sum) + QStringLiteral(" руб.")
                                                                   : QStringLiteral("%1 руб. (%2)").arg(money(f, sum), sumWords)}});
}

} // namespace

ReportDocument shipmentReceiptReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({2});
    const ConsignmentNote note = requiredConsignmentNote(context.db(), params, kFormName);
    const NoteValues& h = note.header;
    ReportDocument document(title(h), context.formats().limits);
    document.addHeadLine(QStringLiteral("К ТТН ") + note.numberAndDate());
    addHead(document, context, note);
    addLines(document, context.formats(), note.linesFor(NoteForm::ShipmentReceipt));
    addNoteVariables(document, note.variables);
    document.addHeading(QStringLiteral("Подписи"));
    addFieldTable(document,
                  {{QStringLiteral("Отгрузку произвел"), signatureLine(h.text(QStringLiteral("GOPOST")), h.text(QStringLiteral("GOFIO")))},
                   {QStringLiteral("Груз принял водитель"), signatureLine(QString(), h.text(QStringLiteral("DRIVERFIO")))}});
    return document;
}

} // namespace velta::station
