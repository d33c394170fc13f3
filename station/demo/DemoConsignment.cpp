#include "station/demo/DemoConsignment.h"

#include "station/db/BatchInserter.h"
#include "station/demo/DemoCatalog.h"
#include "station/demo/DemoContragents.h"
#include "station/demo/DemoRandom.h"
#include "station/demo/DemoShiftsSales.h"
#include "station/db/FixedPoint.h"

#include <algorithm>
#include <memory>

namespace velta::station {
namespace {

using namespace demo;

constexpr int kNoteCount = 24;
constexpr std::int64_t kUnit = 10000;

const DemoClient* findClient(const DemoContragents& contragents, int id)
{
    for (const DemoClient& c : contragents.clients)
        if (c.id == id)
            return &c;
    return nullptr;
}

// The cargo values of one line, in the order of the columns below.
QVector<QVariant> cargo(const DemoAccountSale& sale, int number)
{
    const DemoFuel& fuel = demo::fuel(sale.fuelId);
    const std::int64_t massKg = multiplyFixed(Currency{sale.liters}, Currency{fuel.density}).scaled;
    const std::int64_t tonnes = massKg / 1000;
    const std::int64_t vat = sale.summa * 20 / 120;
    return {QStringLiteral("0%1").arg(fuel.id), QStringLiteral("ПР-2024"), QStringLiteral("%1").arg(21000 + fuel.id),
            qlonglong(tonnes), qlonglong(tonnes > 0 ? sale.summa * kUnit / tonnes : 0),
            QStringLiteral("Топливо %1").arg(fuel.name), QStringLiteral("т"), QStringLiteral("налив"), qlonglong(kUnit),
            qlonglong(tonnes), qlonglong(sale.summa), number, qlonglong(sale.liters), qlonglong(fuel.density),
            qlonglong(15 * kUnit), QStringLiteral("Нефтепродукт %1").arg(fuel.name), QStringLiteral("Паспорт качества"),
            QStringLiteral("цистерна"), 1, QStringLiteral("По объему и плотности"), QStringLiteral("%1").arg(2710 + fuel.id),
            QString(), QStringLiteral("3"), QStringLiteral("%1 кг").arg(massKg / kUnit),
            QStringLiteral("%1").arg(fuel.name), QStringLiteral("л"), qlonglong(sale.liters),
            qlonglong(sale.liters > 0 ? (sale.summa - vat) * kUnit / sale.liters : 0), qlonglong(sale.summa - vat),
            qlonglong(0), qlonglong(20 * kUnit), qlonglong(vat), qlonglong(sale.summa), QStringLiteral("Россия"), QString()};
}

const char* const kCargoNames[] = {
    "PKOD", "PREISKURANT", "ARTICLE", "COUNT", "PRICE", "NAME", "UNIT", "UPAKVID", "MEST", "MASSA", "SUMMA", "KARDNUM",
    "VOLUME", "UDVES", "TEMPER", "GNAME", "GDOCUMENTS", "GUPAKVID", "GMEST", "GOPREDMASSA", "GKOD", "GKONT", "GCLASS",
    "GMBRUTTO", "SFNAME", "SFUNIT", "SFCOUNT", "SFPRICE", "SFSUMMA", "SFEXCISE", "SFNDS", "SFSUMMANDS", "SFSUMMASNDS",
    "SFCOUNTRY", "SFTAMDEKLAR"};

ColumnKind kindOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::LongLong: return ColumnKind::Fixed;
    case QMetaType::Int: return ColumnKind::Integer;
    default: return ColumnKind::Text;
    }
}

std::vector<ColumnSpec> cargoColumns(const QString& suffix, const QVector<QVariant>& sample)
{
    std::vector<ColumnSpec> columns;
    for (int i = 0; i < sample.size(); ++i) {
        QString name = QString::fromLatin1(kCargoNames[i]);
        if (suffix.isEmpty() && name == QLatin1String("COUNT"))
            name = QStringLiteral("\"COUNT\"");
        columns.push_back({name + suffix, kindOf(sample[i]), 100});
    }
    return columns;
}

// The header columns (TTN): the note's own, the receipt's where the station
// keeps it, then those of the first cargo line with the suffix 1.
std::vector<ColumnSpec> noteColumns(const SchemaOptions& options, const QVector<QVariant>& sample)
{
    std::vector<ColumnSpec> columns = {
        {"TTN_ID", ColumnKind::Integer}, {"OFCTTNID", ColumnKind::Integer}, {"ISDELETE", ColumnKind::Integer},
        {"TTNSER", ColumnKind::Text, 10}, {"TTNNUMBER", ColumnKind::Text, 20}, {"TTNDATE", ColumnKind::Date},
        {"GO_ID", ColumnKind::Integer}, {"GP_ID", ColumnKind::Integer}, {"PLAT_ID", ColumnKind::Integer},
        {"PER_ID", ColumnKind::Integer}, {"DOVERNUM", ColumnKind::Text, 30}, {"DOVERDATE", ColumnKind::Date},
        {"NADB", ColumnKind::Fixed}, {"SKLADRASHOD", ColumnKind::Fixed}, {"ALLSUMMANUM", ColumnKind::Fixed},
        {"ALLMEST", ColumnKind::Text}, {"MNETTONUM", ColumnKind::Fixed}, {"MBRUTTONUM", ColumnKind::Fixed},
        {"DOSTDATE", ColumnKind::Date}, {"PLIST", ColumnKind::Text, 30}, {"CARMARKA", ColumnKind::Text},
        {"CARNUM", ColumnKind::Text, 30}, {"DRIVERPOST", ColumnKind::Text}, {"DRIVERFIO", ColumnKind::Text},
        {"LICCARD", ColumnKind::Integer}, {"TRANSPKIND", ColumnKind::Text}, {"PUNKTPOGRUZ", ColumnKind::Text, 250},
        {"PUNKTRAZGRUZ", ColumnKind::Text, 250}, {"BOSSPOST", ColumnKind::Text}, {"BOSSFIO", ColumnKind::Text},
        {"BUHFIO", ColumnKind::Text}, {"TTNAPPLIED", ColumnKind::Integer}, {"SFNUMBER", ColumnKind::Text, 30},
        {"SFDATE", ColumnKind::Date}, {"TNNUMBER", ColumnKind::Text, 30}, {"TNDATE", ColumnKind::Date},
        {"TNPOST_ID", ColumnKind::Integer}, {"TNPLAT_ID", ColumnKind::Integer}, {"VARLIST", ColumnKind::Text, 4000},
        {"INDEXSALE", ColumnKind::Integer}};
    if (options.ttnKvit) {
        columns.push_back({"KVITNUMBER", ColumnKind::Text, 30});
        columns.push_back({"KVITDATE", ColumnKind::Date});
    }
    for (const ColumnSpec& c : cargoColumns(QStringLiteral("1"), sample))
        columns.push_back(c);
    return columns;
}

// The note lines' columns (TTNDETAIL): the line's own, the pressure where the
// station keeps it, then the cargo's.
std::vector<ColumnSpec> lineColumns(const SchemaOptions& options, const QVector<QVariant>& sample)
{
    std::vector<ColumnSpec> columns = {{"TTN_ID", ColumnKind::Integer}, {"ID", ColumnKind::Integer},
                                       {"INDEXSALE", ColumnKind::Integer}, {"PRINTTTN1", ColumnKind::Integer},
                                       {"PRINTTTN2", ColumnKind::Integer}, {"PRINTSF", ColumnKind::Integer},
                                       {"PRINTTN", ColumnKind::Integer}};
    if (options.ttnDetailPressure)
        columns.push_back({"PRESSURE", ColumnKind::Fixed});
    for (const ColumnSpec& c : cargoColumns(QString(), sample))
        columns.push_back(c);
    return columns;
}

// Up to lineCount sales on account for one note, `step` apart from `next` on;
// moves `next` a step past the last one taken, so notes do not share sales.
QVector<const DemoAccountSale*> takeSales(const QVector<DemoAccountSale>& sales, int& next, int step, int lineCount)
{
    QVector<const DemoAccountSale*> used;
    for (int l = 0; l < lineCount && next < sales.size(); ++l, next += step)
        used << &sales.at(next);
    next += step;
    return used;
}


// The note's ten free variables as the editor stores them: "number=name|value"
// on ten lines, empty rows included.
QString freeVariables(int n)
{
    QStringList lines{QStringLiteral("1=Договор|№%1 от 10.01.2024").arg(n), QStringLiteral("2=Склад|Основной")};
    for (int row = 3; row <= 10; ++row)
        lines << QStringLiteral("%1=|").arg(row);
    return lines.join(QStringLiteral("\r\n"));
}

// The header row of note n made from `used`: its first sale gives the client,
// car, driver and date; the sums and masses cover them all.
QVector<QVariant> noteRow(int n, const QVector<const DemoAccountSale*>& used, const DemoContragents& contragents,
                          const SchemaOptions& options)
{
    const DemoAccountSale& first = *used.front();
    const DemoClient* client = findClient(contragents, first.clientId);
    std::int64_t total = 0;
    std::int64_t mass = 0;
    for (const DemoAccountSale* s : used) {
        total += s->summa;
        mass += multiplyFixed(Currency{s->liters}, Currency{demo::fuel(s->fuelId).density}).scaled / 1000;
    }
    const QDate date = first.time.date();
    const QString car = client ? client->cars.at(first.carIndex).number : QString();
    QVector<QVariant> row = {
        n, n % 8 == 0 ? 0 : n, n == kNoteCount ? 1 : 0, QStringLiteral("АА"),
        QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0')), date,
        contragents.suppliers.at(n % contragents.suppliers.size()), first.clientId,
        contragents.payers.at(n % contragents.payers.size()), contragents.carriers.at(n % contragents.carriers.size()),
        QStringLiteral("Д-%1").arg(n), date.addDays(-2), qlonglong(0), qlonglong(0), qlonglong(total),
        QStringLiteral("%1").arg(used.size()), qlonglong(mass), qlonglong(mass + mass / 50), date,
        first.tripSheet, client ? client->cars.at(first.carIndex).make : QString(), car, QStringLiteral("Водитель"),
        client ? client->drivers.at(first.driverIndex).name : QString(), 1 + n % 2, QStringLiteral("Автомобильный"),
        QStringLiteral("%1, г. Липецк").arg(stationName()), QStringLiteral("Склад получателя"),
        QStringLiteral("Начальник АЗС"), QStringLiteral("Белова Т.С."), QStringLiteral("Орлова Л.М."),
        n % 4 == 0 ? 1 : 0, QStringLiteral("СФ-%1").arg(n), date, QStringLiteral("ТН-%1").arg(n), date,
        first.clientId, first.clientId, freeVariables(n),
        first.indexSale};
    if (options.ttnKvit) {
        row << (n % 3 == 0 ? QVariant(QStringLiteral("КВ-%1").arg(n)) : QVariant())
            << (n % 3 == 0 ? QVariant(date) : QVariant());
    }
    row += cargo(first, n);
    return row;
}

// The lines of note n, one per sale, and how many; the pressure, where kept,
// is the only draw, one per line in line order.
int writeLines(BatchInserter& lines, DemoRandom& rnd, int n, const QVector<const DemoAccountSale*>& used,
               const SchemaOptions& options)
{
    int id = 0;
    for (const DemoAccountSale* s : used) {
        ++id;
        QVector<QVariant> line = {n, id, s->indexSale, 1, 1, id == 1 ? 1 : 0, 1};
        if (options.ttnDetailPressure)
            line << QVariant(qlonglong(rnd.range(0, 3) * 1000));
        line += cargo(*s, n * 10 + id);
        lines.add(std::move(line));
    }
    return id;
}

} // namespace

DemoNotes writeConsignmentNotes(StationDatabase& db, const DemoContragents& contragents, const DemoSales& sales,
                                const SchemaOptions& options)
{
    DemoNotes result;
    if (sales.accountSales.isEmpty() || contragents.suppliers.isEmpty() || contragents.consignees.isEmpty()
        || contragents.carriers.isEmpty() || contragents.payers.isEmpty())
        return result;
    DemoRandom rnd(0x5EED0003);
    const QVector<QVariant> sample = cargo(sales.accountSales.front(), 1);
    BatchInserter notes(db, QStringLiteral("TTN"), noteColumns(options, sample));
    std::unique_ptr<BatchInserter> lines;
    if (options.ttnDetail)
        lines = std::make_unique<BatchInserter>(db, QStringLiteral("TTNDETAIL"), lineColumns(options, sample));

    const int step = std::max<int>(1, static_cast<int>(sales.accountSales.size() / (kNoteCount * 3)));
    int next = 0;
    for (int n = 1; n <= kNoteCount && next < sales.accountSales.size(); ++n) {
        const int lineCount = options.ttnDetail ? 1 + n % 3 : 1;
        const QVector<const DemoAccountSale*> used = takeSales(sales.accountSales, next, step, lineCount);
        notes.add(noteRow(n, used, contragents, options));
        ++result.notes;
        if (lines)
            result.lines += writeLines(*lines, rnd, n, used, options);
    }
    notes.finish();
    if (lines)
        lines->finish();
    return result;
}

} // namespace velta::station
