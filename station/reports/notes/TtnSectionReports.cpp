#include "station/reports/notes/TtnSectionReports.h"

#include "station/reports/notes/ConsignmentNote.h"
#include "station/reports/notes/NoteFormBlocks.h"

namespace velta::station {
namespace {

const QString kGoodsFormName = QStringLiteral("ТТН: товарный раздел");
const QString kTransportFormName = QStringLiteral("ТТН: транспортный раздел");
const QString kFormCode = QStringLiteral("Типовая межотраслевая форма № 1-Т");

QString joined(const QStringList& parts, const QString& separator = QStringLiteral(" "))
{
    QStringList filled;
    for (const QString& part : parts) {
        if (!part.isEmpty())
            filled << part;
    }
    return filled.join(separator);
}

QString withWords(const QString& number, const QString& words)
{
    if (number.isEmpty())
        return words;
    return words.isEmpty() ? number : QStringLiteral("%1 (%2)").arg(number, words);
}

// The licence card the driver carries; with no choice made both kinds stay.
QString licenceCard(int kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("стандартная");
    case 2:
        return QStringLiteral("ограниченная");
    default:
        return QStringLiteral("стандартная, ограниченная");
    }
}

ReportDocument newForm(const ReportContext& context, const QString& title, const ConsignmentNote& note)
{
    ReportDocument document(joined({title, note.numberAndDate()}), context.formats().limits);
    document.addHeadLine(kFormCode);
    return document;
}

void addGoodsHead(ReportDocument& document, const ReportContext& context, const ConsignmentNote& note)
{
    const NoteValues& h = note.header;
    StationDatabase& db = context.db();
    addFieldTable(document,
                  {{QStringLiteral("Автомобиль"), joined({h.text(QStringLiteral("CARMARKA")), h.text(QStringLiteral("CARNUM"))})},
                   {QStringLiteral("К путевому листу №"), h.text(QStringLiteral("PLIST"))},
                   {QStringLiteral("Водитель"), h.text(QStringLiteral("DRIVERFIO"))},
                   {QStringLiteral("Вид перевозки"), h.text(QStringLiteral("TRANSPKIND"))},
                   {QStringLiteral("Заказчик (плательщик)"), note.party(db, QStringLiteral("PLAT_ID")).withBank()},
                   {QStringLiteral("Грузоотправитель"), note.party(db, QStringLiteral("GO_ID")).withBank()},
                   {QStringLiteral("Грузополучатель"), note.party(db, QStringLiteral("GP_ID")).withBank()},
                   {QStringLiteral("Пункт погрузки"), h.text(QStringLiteral("PUNKTPOGRUZ"))},
                   {QStringLiteral("Пункт разгрузки"), h.text(QStringLiteral("PUNKTRAZGRUZ"))},
                   {QStringLiteral("Переадресовка"), h.text(QStringLiteral("READDRESS"))},
                   {QStringLiteral("Прицеп"), joined({h.text(QStringLiteral("PRMARKA1")), h.text(QStringLiteral("PRNUM1"))})}});
}

void addGoodsLines(ReportDocument& document, const ReportFormats& f, const QVector<NoteLine>& lines)
{
    document.addHeading(QStringLiteral("ТОВАРНЫЙ РАЗДЕЛ (заполняется грузоотправителем)"));
    ReportTable& table = document.addTable({{QStringLiteral("Код\nпродукции\n(номенкл.\nномер)")},
                                            {QStringLiteral("Номер\nпрейскуранта")},
                                            {QStringLiteral("Артикул\nили номер по\nпрейскуранту")},
                                            {QStringLiteral("Количество"), CellAlign::Right},
                                            {QStringLiteral("Цена,\nруб. коп."), CellAlign::Right},
                                            {QStringLiteral("Наименование продукции,\nтовара (груза)")},
                                            {QStringLiteral("Единица\nизмерения")},
                                            {QStringLiteral("Вид\nупаковки")},
                                            {QStringLiteral("Количество\nмест"), CellAlign::Right},
                                            {QStringLiteral("Масса,\nт"), CellAlign::Right},
                                            {QStringLiteral("Сумма,\nруб. коп."), CellAlign::Right},
                                            {QStringLiteral("Порядковый\nномер записи\nпо складской\nкартотеке")}});
    addColumnNumbers(document, table);
    std::int64_t count = 0, places = 0, mass = 0, sum = 0;
    for (const NoteLine& line : lines) {
        const NoteValues& v = line.values;
        count += v.amount(QStringLiteral("COUNT"));
        places += v.amount(QStringLiteral("MEST"));
        mass += v.amount(QStringLiteral("MASSA"));
        sum += v.amount(QStringLiteral("SUMMA"));
        document.addRow(table, {v.text(QStringLiteral("PKOD")), v.text(QStringLiteral("PREISKURANT")),
                                v.text(QStringLiteral("ARTICLE")), tonnes(f, v.amount(QStringLiteral("COUNT"))),
                                money(f, v.amount(QStringLiteral("PRICE"))), v.text(QStringLiteral("NAME")),
                                v.text(QStringLiteral("UNIT")), v.text(QStringLiteral("UPAKVID")),
                                decimalOrBlank(f, v.amount(QStringLiteral("MEST")), 0),
                                tonnes(f, v.amount(QStringLiteral("MASSA"))), money(f, v.amount(QStringLiteral("SUMMA"))),
                                v.text(QStringLiteral("KARDNUM"))});
    }
    table.totals << QStringList{QString(), QString(), QStringLiteral("Итого"), tonnes(f, count), QString(), QString(),
                                QString(), QString(), decimalOrBlank(f, places, 0), tonnes(f, mass), money(f, sum), QString()};
}

void addGoodsTotals(ReportDocument& document, const ReportFormats& f, const NoteValues& h)
{
    const std::int64_t total = h.amount(QStringLiteral("ALLSUMMANUM"));
    const std::int64_t netto = h.amount(QStringLiteral("MNETTONUM"));
    const std::int64_t brutto = h.amount(QStringLiteral("MBRUTTONUM"));
    const QString pages = h.value(QStringLiteral("PRILPAGESNUM")).isNull() ? QString() : h.text(QStringLiteral("PRILPAGESNUM"));
    const QString proxyDate = h.date(QStringLiteral("DOVERDATE"));
    addFieldTable(
        document,
        {{QStringLiteral("Наценка, %"), decimalOrBlank(f, h.amount(QStringLiteral("NADB")), 2)},
         {QStringLiteral("Складские или транспортные расходы"), moneyOrBlank(f, h.amount(QStringLiteral("SKLADRASHOD")))},
         {QStringLiteral("Всего к оплате"),
          withWords(total > 0 ? money(f, total) + QStringLiteral(" руб.") : QString(),
                    amountInWords(h.text(QStringLiteral("ALLSUMMATEXT")), total))},
         {QStringLiteral("Всего мест"), h.text(QStringLiteral("ALLMEST"))},
         {QStringLiteral("Масса груза (нетто), т"),
          withWords(netto > 0 ? tonnes(f, netto) : QString(), weightInWords(h.text(QStringLiteral("MNETTOTEXT")), netto))},
         {QStringLiteral("Масса груза (брутто), т"),
          withWords(brutto > 0 ? tonnes(f, brutto) : QString(), weightInWords(h.text(QStringLiteral("MBRUTTOTEXT")), brutto))},
         {QStringLiteral("Приложение (паспорта, сертификаты и т.п.), листов"), withWords(pages, h.text(QStringLiteral("PRILPAGESTEXT")))},
         {QStringLiteral("По доверенности"),
          joined({h.text(QStringLiteral("DOVERNUM")).isEmpty() ? QString() : QStringLiteral("№ ") + h.text(QStringLiteral("DOVERNUM")),
                  proxyDate.isEmpty() ? QString() : QStringLiteral("от ") + proxyDate})}});
}

void addGoodsSignatures(ReportDocument& document, const NoteValues& h)
{
    document.addHeading(QStringLiteral("Подписи"));
    addFieldTable(document,
                  {{QStringLiteral("Отпуск разрешил"), signatureLine(h.text(QStringLiteral("BOSSPOST")), h.text(QStringLiteral("BOSSFIO")))},
                   {QStringLiteral("Главный (старший) бухгалтер"), signatureLine(QString(), h.text(QStringLiteral("BUHFIO")))},
                   {QStringLiteral("Отпуск произвел"), signatureLine(h.text(QStringLiteral("GOPOST")), h.text(QStringLiteral("GOFIO")))},
                   {QStringLiteral("Груз к перевозке принял"),
                    signatureLine(h.text(QStringLiteral("DRIVERPOST")), h.text(QStringLiteral("DRIVERFIO")))},
                   {QStringLiteral("Принял грузополучатель"), signatureLine(QString(), QString())}});
}

void addTransportHead(ReportDocument& document, const ReportContext& context, const ConsignmentNote& note)
{
    const NoteValues& h = note.header;
    StationDatabase& db = context.db();
    addFieldTable(document,
                  {{QStringLiteral("Срок доставки груза"), h.date(QStringLiteral("DOSTDATE"))},
                   {QStringLiteral("Перевозчик"), note.party(db, QStringLiteral("PER_ID")).description()},
                   {QStringLiteral("Грузоотправитель"), note.party(db, QStringLiteral("GO_ID")).description()},
                   {QStringLiteral("Грузополучатель"), note.party(db, QStringLiteral("GP_ID")).description()},
                   {QStringLiteral("Автомобиль (марка, гос. номер)"),
                    joined({h.text(QStringLiteral("CARMARKA")), h.text(QStringLiteral("CARNUM"))})},
                   {QStringLiteral("Прицеп (марка, гос. номер)"),
                    joined({h.text(QStringLiteral("PRMARKA1")), h.text(QStringLiteral("PRNUM1"))})},
                   {QStringLiteral("Гаражный номер"), h.text(QStringLiteral("PRGARNUM1"))},
                   {QStringLiteral("К путевому листу №"), h.text(QStringLiteral("PLIST"))},
                   {QStringLiteral("Водитель"), joined({h.text(QStringLiteral("DRIVERPOST")), h.text(QStringLiteral("DRIVERFIO"))})},
                   {QStringLiteral("Удостоверение №"), h.text(QStringLiteral("DRIVERUDOST"))},
                   {QStringLiteral("Лицензионная карточка"), licenceCard(h.integer(QStringLiteral("LICCARD")))},
                   {QStringLiteral("Вид перевозки"), h.text(QStringLiteral("TRANSPKIND"))},
                   {QStringLiteral("Код"), h.text(QStringLiteral("PKOD"))},
                   {QStringLiteral("Пункт погрузки"), h.text(QStringLiteral("PUNKTPOGRUZ"))},
                   {QStringLiteral("Пункт разгрузки"), h.text(QStringLiteral("PUNKTRAZGRUZ"))},
                   {QStringLiteral("Маршрут"), h.text(QStringLiteral("PMARSHRUT"))},
                   {QStringLiteral("Переадресовка"), h.text(QStringLiteral("READDRESS"))}});
}

void addCargoLines(ReportDocument& document, const QVector<NoteLine>& lines)
{
    document.addHeading(QStringLiteral("СВЕДЕНИЯ О ГРУЗЕ"));
    ReportTable& table = document.addTable({{QStringLiteral("Краткое\nнаименование\nгруза")},
                                            {QStringLiteral("С грузом\nследуют\nдокументы")},
                                            {QStringLiteral("Вид\nупаковки")},
                                            {QStringLiteral("Количество\nмест"), CellAlign::Right},
                                            {QStringLiteral("Способ\nопределения\nмассы")},
                                            {QStringLiteral("Код\nгруза")},
                                            {QStringLiteral("Номер\nконтейнера")},
                                            {QStringLiteral("Класс\nгруза")},
                                            {QStringLiteral("Масса\nбрутто, т"), CellAlign::Right}});
    addColumnNumbers(document, table);
    int places = 0;
    for (const NoteLine& line : lines) {
        const NoteValues& v = line.values;
        places += v.integer(QStringLiteral("GMEST"));
        document.addRow(table, {v.text(QStringLiteral("GNAME")), v.text(QStringLiteral("GDOCUMENTS")),
                                v.text(QStringLiteral("GUPAKVID")),
                                v.integer(QStringLiteral("GMEST")) ? v.text(QStringLiteral("GMEST")) : QString(),
                                v.text(QStringLiteral("GOPREDMASSA")), v.text(QStringLiteral("GKOD")),
                                v.text(QStringLiteral("GKONT")), v.text(QStringLiteral("GCLASS")),
                                v.text(QStringLiteral("GMBRUTTO"))});
    }
    table.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), places ? QString::number(places) : QString(),
                                QString(), QString(), QString(), QString(), QString()};
}

void addTransportSignatures(ReportDocument& document, const ReportFormats& f, const NoteValues& h)
{
    const std::int64_t brutto = h.amount(QStringLiteral("MBRUTTONUM"));
    addFieldTable(document, {{QStringLiteral("Масса груза (брутто), т"),
                              withWords(brutto > 0 ? tonnes(f, brutto) : QString(),
                                        weightInWords(h.text(QStringLiteral("MBRUTTOTEXT")), brutto))},
                             {QStringLiteral("Всего мест"), h.text(QStringLiteral("ALLMEST"))}});
    document.addHeading(QStringLiteral("Подписи"));
    const QString driver = h.text(QStringLiteral("DRIVERFIO"));
    addFieldTable(document,
                  {{QStringLiteral("Сдал (грузоотправитель)"), signatureLine(h.text(QStringLiteral("GOPOST")), h.text(QStringLiteral("GOFIO")))},
                   {QStringLiteral("Принял водитель-экспедитор"), signatureLine(QString(), driver)},
                   {QStringLiteral("Сдал водитель-экспедитор"), signatureLine(QString(), driver)},
                   {QStringLiteral("Принял грузополучатель"), signatureLine(QString(), QString())}});
}

} // namespace

ReportDocument ttnGoodsSectionReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({2});
    const ConsignmentNote note = requiredConsignmentNote(context.db(), params, kGoodsFormName);
    ReportDocument document = newForm(context, QStringLiteral("ТОВАРНО-ТРАНСПОРТНАЯ НАКЛАДНАЯ"), note);
    addGoodsHead(document, context, note);
    addGoodsLines(document, context.formats(), note.linesFor(NoteForm::GoodsSection));
    addGoodsTotals(document, context.formats(), note.header);
    addNoteVariables(document, note.variables);
    addGoodsSignatures(document, note.header);
    addHtmlPageBreak(document);
    return document;
}

ReportDocument ttnTransportSectionReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({2});
    const ConsignmentNote note = requiredConsignmentNote(context.db(), params, kTransportFormName);
    ReportDocument document = newForm(context, QStringLiteral("ТРАНСПОРТНЫЙ РАЗДЕЛ ТТН"), note);
    addTransportHead(document, context, note);
    addCargoLines(document, note.linesFor(NoteForm::TransportSection));
    addTransportSignatures(document, context.formats(), note.header);
    addNoteVariables(document, note.variables);
    return document;
}

} // namespace velta::station
