#include "station/reports/notes/GoodsWaybillReport.h"

#include "station/reports/core/ReportLookups.h"
#include "station/reports/notes/ConsignmentNote.h"
#include "station/reports/notes/NoteFormBlocks.h"

namespace velta::station {
namespace {

const QString kFormName = QStringLiteral("Товарная накладная ТОРГ-12");

// The code of a unit in the all-Russian classifier of units (ОКЕИ), for the units fuel is sold in.
QString okeiCode(const QString& unit)
{
    const QString u = unit.toLower().remove(QLatin1Char('.'));
    if (u == u"т")
        return QStringLiteral("168");
    if (u == u"кг")
        return QStringLiteral("166");
    if (u == u"л")
        return QStringLiteral("112");
    return QString();
}

QString numberAndDate(const QString& number, const QString& date)
{
    QStringList parts;
    if (!number.isEmpty())
        parts << QStringLiteral("№ ") + number;
    if (!date.isEmpty())
        parts << QStringLiteral("от ") + date;
    return parts.join(QLatin1Char(' '));
}

QString firstFilled(const NoteValues& v, const QString& column, const QString& fallback)
{
    const QString text = v.text(column);
    return text.isEmpty() ? v.text(fallback) : text;
}

void addHead(ReportDocument& document, const ReportContext& context, const ConsignmentNote& note)
{
    const NoteValues& h = note.header;
    StationDatabase& db = context.db();
    addFieldTable(document,
                  {{QStringLiteral("Грузоотправитель"), note.party(db, QStringLiteral("GO_ID")).withBank()},
                   {QStringLiteral("Грузополучатель"), note.party(db, QStringLiteral("GP_ID")).withBank()},
                   {QStringLiteral("Поставщик"), note.party(db, QStringLiteral("TNPOST_ID")).withBank()},
                   {QStringLiteral("Плательщик"), note.party(db, QStringLiteral("TNPLAT_ID")).withBank()},
                   {QStringLiteral("Основание"),
                    QStringList{h.text(QStringLiteral("TNOSNNAME")),
                                numberAndDate(h.text(QStringLiteral("TNOSNNUMBER")), h.date(QStringLiteral("TNOSNDATE")))}
                        .join(QLatin1Char(' '))
                        .trimmed()},
                   {QStringLiteral("Транспортная накладная"),
                    numberAndDate(h.text(QStringLiteral("TNTRNUMBER")), h.date(QStringLiteral("TNTRDATE")))},
                   {QStringLiteral("Вид операции"), h.text(QStringLiteral("TNOPERATION"))}});
}

struct WaybillTotals {
    std::int64_t places = 0, quantity = 0, mass = 0, volume = 0, withoutVat = 0, vat = 0, withVat = 0;
    int lines = 0;
};

WaybillTotals addLines(ReportDocument& document, const ReportFormats& f, const QVector<NoteLine>& lines,
                       WaybillVariant variant)
{
    const bool measured = variant != WaybillVariant::Standard;
    const bool pressure = variant == WaybillVariant::MeasuredWithPressure;
    QVector<ReportColumn> columns = {{QStringLiteral("Номер\nпо по-\nрядку"), CellAlign::Right},
                                     {QStringLiteral("Товар:\nнаименование")},
                                     {QStringLiteral("Товар:\nкод")},
                                     {QStringLiteral("Ед. изм.:\nнаименование")},
                                     {QStringLiteral("Ед. изм.:\nкод по\nОКЕИ")},
                                     {QStringLiteral("Вид\nупаковки")},
                                     {QStringLiteral("Количество:\nв одном\nместе"), CellAlign::Right},
                                     {QStringLiteral("Количество:\nмест,\nштук"), CellAlign::Right},
                                     {QStringLiteral("Масса\nбрутто"), CellAlign::Right},
                                     {QStringLiteral("Количество\n(масса\nнетто)"), CellAlign::Right}};
    if (measured)
        columns << ReportColumn{QStringLiteral("Объем,\nл"), CellAlign::Right}
                << ReportColumn{QStringLiteral("Плотность,\nкг/л"), CellAlign::Right}
                << ReportColumn{QStringLiteral("Темпера-\nтура, °С"), CellAlign::Right};
    if (pressure)
        columns << ReportColumn{QStringLiteral("Давление"), CellAlign::Right};
    columns << ReportColumn{QStringLiteral("Цена,\nруб. коп."), CellAlign::Right}
            << ReportColumn{QStringLiteral("Сумма без\nучета НДС,\nруб. коп."), CellAlign::Right}
            << ReportColumn{QStringLiteral("НДС:\nставка"), CellAlign::Right}
            << ReportColumn{QStringLiteral("НДС:\nсумма,\nруб. коп."), CellAlign::Right}
            << ReportColumn{QStringLiteral("Сумма с\nучетом НДС,\nруб. коп."), CellAlign::Right};
    ReportTable& table = document.addTable(columns);
    addColumnNumbers(document, table);

    WaybillTotals totals;
    for (const NoteLine& line : lines) {
        const NoteValues& v = line.values;
        const QString unit = firstFilled(v, QStringLiteral("SFUNIT"), QStringLiteral("UNIT"));
        ++totals.lines;
        totals.places += v.amount(QStringLiteral("MEST"));
        totals.quantity += v.amount(QStringLiteral("SFCOUNT"));
        totals.mass += v.amount(QStringLiteral("MASSA"));
        totals.volume += v.amount(QStringLiteral("VOLUME"));
        totals.withoutVat += v.amount(QStringLiteral("SFSUMMA"));
        totals.vat += v.amount(QStringLiteral("SFSUMMANDS"));
        totals.withVat += v.amount(QStringLiteral("SFSUMMASNDS"));
        QStringList row = {QString::number(totals.lines), firstFilled(v, QStringLiteral("SFNAME"), QStringLiteral("NAME")),
                           v.text(QStringLiteral("PKOD")), unit, okeiCode(unit), v.text(QStringLiteral("UPAKVID")), QString(),
                           decimalOrBlank(f, v.amount(QStringLiteral("MEST")), 0), v.text(QStringLiteral("GMBRUTTO")),
                           f.fixed(units(v.amount(QStringLiteral("SFCOUNT"))), 3)};
        if (measured)
            row << f.litres(units(v.amount(QStringLiteral("VOLUME")))) << f.fixed(units(v.amount(QStringLiteral("UDVES"))), 4)
                << f.fixed(units(v.amount(QStringLiteral("TEMPER"))), 1);
        if (pressure)
            row << f.fixed(units(v.amount(QStringLiteral("PRESSURE"))), 2);
        row << money(f, v.amount(QStringLiteral("SFPRICE"))) << money(f, v.amount(QStringLiteral("SFSUMMA")))
            << vatRate(f, v.amount(QStringLiteral("SFNDS"))) << money(f, v.amount(QStringLiteral("SFSUMMANDS")))
            << money(f, v.amount(QStringLiteral("SFSUMMASNDS")));
        document.addRow(table, row);
    }
    QStringList total = {QString(), QStringLiteral("Всего по накладной"), QString(), QString(), QString(), QString(),
                         QString(), decimalOrBlank(f, totals.places, 0), QString(), f.fixed(units(totals.quantity), 3)};
    if (measured)
        total << f.litres(units(totals.volume)) << QString() << QString();
    if (pressure)
        total << QString();
    total << QStringLiteral("X") << money(f, totals.withoutVat) << QStringLiteral("X") << money(f, totals.vat)
          << money(f, totals.withVat);
    table.totals << total;
    return totals;
}

void addFooter(ReportDocument& document, const ReportFormats& f, const NoteValues& h, const WaybillTotals& totals)
{
    const QString pages = h.value(QStringLiteral("PRILPAGESNUM")).isNull() ? QString() : h.text(QStringLiteral("PRILPAGESNUM"));
    const QString pagesText = h.text(QStringLiteral("PRILPAGESTEXT"));
    const std::int64_t brutto = h.amount(QStringLiteral("MBRUTTONUM"));
    const QString proxy = numberAndDate(h.text(QStringLiteral("DOVERNUM")), h.date(QStringLiteral("DOVERDATE")));
    const auto inWords = [](const QString& number, const QString& words) {
        return words.isEmpty() ? number : QStringLiteral("%1 (%2)").arg(number, words);
    };
    addFieldTable(
        document,
        {{QStringLiteral("Приложение, листов"), pagesText.isEmpty() ? pages : inWords(pages, pagesText)},
         {QStringLiteral("Порядковых номеров записей"), QString::number(totals.lines)},
         {QStringLiteral("Масса груза (нетто), т"), inWords(tonnes(f, totals.mass), weightInWords(QString(), totals.mass))},
         {QStringLiteral("Масса груза (брутто), т"),
          brutto > 0 ? inWords(tonnes(f, brutto), weightInWords(h.text(QStringLiteral("MBRUTTOTEXT")), brutto)) : QString()},
         {QStringLiteral("Всего мест"), h.text(QStringLiteral("ALLMEST"))},
         {QStringLiteral("Всего отпущено на сумму"), inWords(money(f, totals.withVat) + QStringLiteral(" руб."),
                                                              amountInWords(QString(), totals.withVat))},
         {QStringLiteral("По доверенности"), proxy}});
}

void addSignatures(ReportDocument& document, const NoteValues& h)
{
    document.addHeading(QStringLiteral("Подписи"));
    addFieldTable(document,
                  {{QStringLiteral("Отпуск груза разрешил"), signatureLine(h.text(QStringLiteral("BOSSPOST")), h.text(QStringLiteral("BOSSFIO")))},
                   {QStringLiteral("Главный (старший) бухгалтер"), signatureLine(QString(), h.text(QStringLiteral("BUHFIO")))},
                   {QStringLiteral("Отпуск груза произвел"), signatureLine(h.text(QStringLiteral("GOPOST")), h.text(QStringLiteral("GOFIO")))},
                   {QStringLiteral("Груз принял"), signatureLine(QString(), QString())},
                   {QStringLiteral("Груз получил грузополучатель"), signatureLine(QString(), QString())}});
}

} // namespace

ReportDocument goodsWaybillReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({3});
    const std::int64_t variant = params.integer(2);
    if (variant < 0 || variant > 2)
        params.fail(2, QStringLiteral("the waybill variant 0, 1 or 2"));
    const ConsignmentNote note = requiredConsignmentNote(context.db(), params, kFormName);
    const NoteValues& h = note.header;
    const QString title = QStringLiteral("ТОВАРНАЯ НАКЛАДНАЯ ")
        + numberAndDate(h.text(QStringLiteral("TNNUMBER")), h.date(QStringLiteral("TNDATE")));
    ReportDocument document(title.trimmed(), context.formats().limits);
    document.addHeadLine(QStringLiteral("Унифицированная форма № ТОРГ-12"));
    document.addHeadLine(QStringLiteral("К ТТН ") + note.numberAndDate());
    addHead(document, context, note);
    const WaybillTotals totals =
        addLines(document, context.formats(), note.linesFor(NoteForm::GoodsWaybill), static_cast<WaybillVariant>(variant));
    addFooter(document, context.formats(), h, totals);
    addNoteVariables(document, note.variables);
    addSignatures(document, h);
    return document;
}

} // namespace velta::station
