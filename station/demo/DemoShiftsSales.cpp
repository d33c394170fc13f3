#include "station/demo/DemoShiftsSales.h"

#include "common/Exception.h"
#include "station/db/BatchInserter.h"
#include "station/demo/DemoCatalog.h"
#include "station/demo/DemoContragents.h"
#include "station/demo/DemoRandom.h"
#include "station/db/FixedPoint.h"
#include "station/db/StationDatabase.h"

#include <algorithm>
#include <array>
#include <map>
#include <numeric>

namespace velta::station {
namespace {

using namespace demo;

constexpr std::int64_t kUnit = 10000; // one whole unit in scaled fixed point
constexpr int kJournalMarker = 999;  // the journal's "no value" code for status rows
constexpr std::int64_t kCashAtStart = 5000 * kUnit; // the till's cash when a shift opens

std::int64_t roundToKopecks(std::int64_t scaled)
{
    const std::int64_t half = scaled < 0 ? -50 : 50;
    return (scaled + half) / 100 * 100;
}

// litres = sum / price, to two decimals (what a dispenser pours for a sum).
std::int64_t litersForSum(std::int64_t sum, std::int64_t price)
{
    const __int128 liters = static_cast<__int128>(sum) * kUnit / price;
    return roundToKopecks(static_cast<std::int64_t>(liters));
}

// Sales per shift: day shifts are busier than night shifts; the total is exact.
QVector<int> salesPerShift(int total)
{
    QVector<int> weights(kShiftCount);
    for (int i = 0; i < kShiftCount; ++i)
        weights[i] = (i % 2 == 0 ? 65 : 35) + (i / 2 % 7 >= 5 ? 10 : 0); // busier weekends
    const std::int64_t sum = std::accumulate(weights.begin(), weights.end(), std::int64_t{0});
    QVector<int> counts(kShiftCount);
    std::int64_t given = 0;
    for (int i = 0; i < kShiftCount; ++i) {
        counts[i] = static_cast<int>(std::int64_t{total} * weights[i] / sum);
        given += counts[i];
    }
    for (int i = 0; given < total; i = (i + 1) % kShiftCount, ++given)
        ++counts[i];
    return counts;
}

// The discount a sale got; type 0 is none, 1 a discount card, 2 a cash
// promotion, 3 fuel-card bonus litres (the LOGTRANDSC codes).
struct SaleDiscount {
    int type = 0;
    std::int64_t value = 0;
    QString name;
    QString param;
};

struct Sale {
    int nozzleIndex = 0;
    const DemoNozzle* nozzle = nullptr;
    const DemoFuel* fuel = nullptr;
    int payType = 0;
    bool onAccount = false; // a client of this payment type buys it
    int dose = 0;           // 0 litres, 1 sum, 2 full tank
    std::int64_t liters = 0;
    std::int64_t basePrice = 0;
    std::int64_t price = 0;
    std::int64_t summa = 0;
    const DemoClient* client = nullptr;
    int carIndex = 0;
    int driverIndex = 0;
    QString card;
    SaleDiscount discount;
};

// One shift's fixed facts: its day, number, times and operator.
struct ShiftInfo {
    int day;
    int smnum;
    QDateTime begin;
    QDateTime end;
    int operatorIndex;
    QString op;
};

// What each nozzle poured and took over one shift, and the cash taken.
struct ShiftTotals {
    QVector<std::int64_t> beginMeter;
    QVector<std::int64_t> liters;
    QVector<std::int64_t> summa;
    std::int64_t cash = 0;
};

QString cardNumber(DemoRandom& rnd, int payType)
{
    switch (payType) {
    case kTerminal:
        return QStringLiteral("427638******%1").arg(rnd.range(0, 9999), 4, 10, QLatin1Char('0'));
    case kFuelCards:
        return QStringLiteral("7005%1").arg(rnd.range(0, 999999999999), 12, 10, QLatin1Char('0'));
    case kDiscountCards:
        return QStringLiteral("2700%1").arg(rnd.range(0, 99999), 9, 10, QLatin1Char('0'));
    default:
        return {};
    }
}

// The share of sales each nozzle gets, in the order of nozzles().
constexpr std::array kNozzleWeights = {14, 12, 14, 12, 9, 5, 10};

// The shift log's columns (SMLOG).
std::vector<ColumnSpec> shiftColumns()
{
    return {{"SMNUM", ColumnKind::Integer}, {"BEGTIME", ColumnKind::Timestamp}, {"ENDTIME", ColumnKind::Timestamp},
            {"OPERATOR", ColumnKind::Text, 30}, {"INKKM", ColumnKind::Fixed}, {"OUTKKM", ColumnKind::Fixed},
            {"SUMMATOVARY", ColumnKind::Fixed}, {"OPERATOR2", ColumnKind::Text, 30}, {"OPERATOR3", ColumnKind::Text, 30}};
}

// The sales' columns (LOGTRAN); newer stations also keep the measured density,
// the mass and the consignee.
std::vector<ColumnSpec> saleColumns(const SchemaOptions& options)
{
    std::vector<ColumnSpec> columns = {
        {"INDEXSALE", ColumnKind::Integer}, {"DATA", ColumnKind::Timestamp}, {"SMNUM", ColumnKind::Integer},
        {"TRK", ColumnKind::Text, 10}, {"GUN", ColumnKind::Integer}, {"GSMNAME", ColumnKind::Text, 20},
        {"LITER", ColumnKind::Fixed}, {"PLOTN", ColumnKind::Fixed}, {"PRICE", ColumnKind::Fixed},
        {"BASEPRICE", ColumnKind::Fixed}, {"SUMMA", ColumnKind::Fixed}, {"VIDOPL", ColumnKind::Integer},
        {"PLISTNUM", ColumnKind::Text, 20}, {"IDCNT", ColumnKind::Text, 10}, {"IDDRV", ColumnKind::Integer},
        {"IDCAR", ColumnKind::Integer}, {"INN", ColumnKind::Text, 20}, {"POKUPATEL", ColumnKind::Text, 20},
        {"OPERATOR", ColumnKind::Text, 30}};
    if (options.saleMeterColumns) {
        columns.push_back({"TRKDENSITY", ColumnKind::Fixed});
        columns.push_back({"MASSAPLM", ColumnKind::Fixed});
        columns.push_back({"ID2CNT", ColumnKind::Integer});
    }
    return columns;
}

// The sales' discounts (LOGTRANDSC).
std::vector<ColumnSpec> discountColumns()
{
    return {{"ID", ColumnKind::Integer}, {"INDEXSALE", ColumnKind::Integer}, {"DSCVALTYPE", ColumnKind::Integer},
            {"DSCNAME", ColumnKind::Text, 40}, {"DSCVAL", ColumnKind::Fixed}, {"DSCPARAM", ColumnKind::Text, 40}};
}

// The dispenser journal (TRK).
std::vector<ColumnSpec> journalColumns()
{
    return {{"ID", ColumnKind::Integer}, {"TRK", ColumnKind::Text, 10}, {"\"TIME\"", ColumnKind::Timestamp},
            {"CLIENT", ColumnKind::Integer}, {"GSM", ColumnKind::Text, 10}, {"OPERATION", ColumnKind::Integer},
            {"OP1", ColumnKind::Integer}, {"OP2", ColumnKind::Integer}, {"LITERS", ColumnKind::Fixed},
            {"SUMMA", ColumnKind::Fixed}, {"AUTOMOBIL", ColumnKind::Text, 20}, {"INDEXSALE", ColumnKind::Integer}};
}

// The per-shift dispenser counters (SMTRK).
std::vector<ColumnSpec> counterColumns()
{
    return {{"SMNUM", ColumnKind::Integer}, {"TRKNUM", ColumnKind::Text, 10}, {"GUN", ColumnKind::Integer},
            {"GSMNAME", ColumnKind::Text, 20}, {"BEGCOUNTER", ColumnKind::Fixed}, {"ENDCOUNTER", ColumnKind::Fixed},
            {"LITERS", ColumnKind::Fixed}, {"SUMMA", ColumnKind::Fixed}};
}

// The facts of shift `index` that every row of the shift repeats.
ShiftInfo shiftInfo(int index)
{
    const int operatorIndex = index % operators().size();
    return {index / kShiftsPerDay, shiftNumber(index), shiftStart(index), shiftEnd(index), operatorIndex,
            operators().at(operatorIndex)};
}

// What the buyer column shows: the client of a contract, the coupon numbers,
// otherwise the card number (empty for cash).
QString buyerOf(const Sale& sale, int indexSale)
{
    if (sale.payType == kContract)
        return sale.client ? sale.client->name.left(20) : QString();
    if (sale.payType == kCoupons)
        return QStringLiteral("Т-%1,Т-%2").arg(indexSale * 2, 6, 10, QLatin1Char('0')).arg(indexSale * 2 + 1, 6, 10, QLatin1Char('0'));
    return sale.card;
}

// Writes the shifts one after another with their sales, discounts, journal
// rows and counters. It holds the tables' inserters, the dispenser meters and
// the numbers that run on across shifts. All draws come from one seeded
// generator in a fixed order, so the same seed always gives the same station:
// keep the order of the rnd_ calls when changing anything here.
class ShiftSalesWriter {
public:
    ShiftSalesWriter(StationDatabase& db, const DemoContragents& contragents, const SchemaOptions& options);

    // One shift with `salesCount` sales at drawn moments inside it.
    void writeShift(int index, int salesCount);
    // The open shift: sales in its first hours, no end, no closing cash.
    void writeOpenShift(int index, int salesCount);
    // Writes what is pending and returns the counts and the sales on account.
    DemoSales finish();

private:
    void writeOpeningRows(const ShiftInfo& shift);
    QVector<qint64> drawSaleSeconds(const ShiftInfo& shift, int count);
    void writeSale(const ShiftInfo& shift, qint64 second, ShiftTotals& totals);
    Sale drawSale(int day);
    void drawClient(Sale& sale);
    void drawDiscount(Sale& sale);
    void drawDose(Sale& sale);
    QVector<QVariant> saleRow(const Sale& sale, const ShiftInfo& shift, const QDateTime& when,
                              const QString& tripSheet) const;
    void appendMeterColumns(QVector<QVariant>& row, const Sale& sale);
    void writeDiscount(const Sale& sale);
    void writeSaleJournalRow(const Sale& sale, const ShiftInfo& shift, const QDateTime& when);
    void writeCounters(const ShiftInfo& shift, const ShiftTotals& totals);
    void writeShiftRow(const ShiftInfo& shift, std::int64_t cash);
    void writeSales(const ShiftInfo& shift, int salesCount, ShiftTotals& totals);

    const DemoContragents& contragents_;
    const SchemaOptions& options_;
    DemoRandom rnd_{0x5EED0001};
    BatchInserter shifts_;
    BatchInserter sales_;
    BatchInserter discounts_;
    BatchInserter journal_;
    BatchInserter counters_;
    QVector<int> payWeights_;
    std::map<int, QVector<const DemoClient*>> clientsByPayType_;
    QVector<std::int64_t> meter_; // each nozzle's counter, running on across shifts
    int indexSale_ = 0;
    int journalId_ = 0;
    int discountId_ = 0;
    bool keepAccountSales_ = true;
    DemoSales result_;
};

ShiftSalesWriter::ShiftSalesWriter(StationDatabase& db, const DemoContragents& contragents, const SchemaOptions& options)
    : contragents_(contragents)
    , options_(options)
    , shifts_(db, QStringLiteral("SMLOG"), shiftColumns())
    , sales_(db, QStringLiteral("LOGTRAN"), saleColumns(options))
    , discounts_(db, QStringLiteral("LOGTRANDSC"), discountColumns())
    , journal_(db, QStringLiteral("TRK"), journalColumns())
    , counters_(db, QStringLiteral("SMTRK"), counterColumns())
    , meter_(nozzles().size())
{
    for (const DemoPayType& p : payTypes())
        payWeights_ << p.weight;
    for (const DemoClient& c : contragents.clients)
        clientsByPayType_[c.payType] << &c;
    for (int i = 0; i < meter_.size(); ++i)
        meter_[i] = (120000 + i * 35000) * kUnit;
}

void ShiftSalesWriter::writeShift(int index, int salesCount)
{
    const ShiftInfo shift = shiftInfo(index);
    ShiftTotals totals;
    writeSales(shift, salesCount, totals);
    writeShiftRow(shift, totals.cash);
}

void ShiftSalesWriter::writeOpenShift(int index, int salesCount)
{
    ShiftInfo shift = shiftInfo(index);
    // The sales fall into the hours gone so far; the log has no end yet.
    shift.end = shift.begin.addSecs(kOpenShiftSaleHours * 3600);
    keepAccountSales_ = false;
    ShiftTotals totals;
    writeSales(shift, salesCount, totals);
    shifts_.add({shift.smnum, shift.begin, QVariant(), shift.op, qlonglong(kCashAtStart), QVariant(), QVariant(),
                 QVariant(), QVariant()});
}

// The shift's opening rows, its sales and the dispensers' counters so far.
void ShiftSalesWriter::writeSales(const ShiftInfo& shift, int salesCount, ShiftTotals& totals)
{
    writeOpeningRows(shift);
    const QVector<qint64> seconds = drawSaleSeconds(shift, salesCount);
    totals = {meter_, QVector<std::int64_t>(meter_.size(), 0), QVector<std::int64_t>(meter_.size(), 0)};
    for (qint64 second : seconds)
        writeSale(shift, second, totals);
    writeCounters(shift, totals);
}

DemoSales ShiftSalesWriter::finish()
{
    shifts_.finish();
    sales_.finish();
    discounts_.finish();
    journal_.finish();
    counters_.finish();
    result_.sales = sales_.rowsWritten();
    result_.journalRows = journal_.rowsWritten();
    return std::move(result_);
}

// The dispensers' "shift opened" status rows, half a minute into the shift.
void ShiftSalesWriter::writeOpeningRows(const ShiftInfo& shift)
{
    for (const QString& dispenser : dispensers())
        journal_.add({++journalId_, dispenser, shift.begin.addSecs(30), shift.operatorIndex + 1, QString(),
                      kJournalMarker, kJournalMarker, kJournalMarker, qlonglong(0), qlonglong(0), QString(), QVariant()});
}

// The moments of the shift's sales, in seconds from its start, in time order;
// two minutes at each end stay free.
QVector<qint64> ShiftSalesWriter::drawSaleSeconds(const ShiftInfo& shift, int count)
{
    QVector<qint64> seconds(count);
    const qint64 span = shift.begin.secsTo(shift.end) - 240;
    for (qint64& sec : seconds)
        sec = 120 + rnd_.range(0, span);
    std::sort(seconds.begin(), seconds.end());
    return seconds;
}

// Draws one sale and writes its row, its discount and its journal row, and
// adds it to the shift's totals and the meters.
void ShiftSalesWriter::writeSale(const ShiftInfo& shift, qint64 second, ShiftTotals& totals)
{
    const Sale sale = drawSale(shift.day);
    if (sale.payType == kCash)
        totals.cash += sale.summa;
    ++indexSale_;
    const QDateTime when = shift.begin.addSecs(second);
    const QString tripSheet =
        sale.onAccount ? QStringLiteral("ПЛ-%1").arg(indexSale_ % 100000, 5, 10, QLatin1Char('0')) : QString();
    QVector<QVariant> row = saleRow(sale, shift, when, tripSheet);
    if (options_.saleMeterColumns)
        appendMeterColumns(row, sale);
    sales_.add(std::move(row));
    writeDiscount(sale);
    writeSaleJournalRow(sale, shift, when);
    totals.liters[sale.nozzleIndex] += sale.liters;
    totals.summa[sale.nozzleIndex] += sale.summa;
    meter_[sale.nozzleIndex] += sale.liters;
    if (sale.onAccount && keepAccountSales_)
        result_.accountSales << DemoAccountSale{indexSale_, when, sale.fuel->id, sale.liters, sale.summa,
                                                sale.client->id, sale.carIndex, sale.driverIndex, tripSheet};
}

// One sale on `day`: nozzle, payment type, client, card, discount and dose.
Sale ShiftSalesWriter::drawSale(int day)
{
    Sale sale;
    sale.nozzleIndex = rnd_.weighted(kNozzleWeights);
    sale.nozzle = &nozzles().at(sale.nozzleIndex);
    sale.fuel = &demo::fuel(sale.nozzle->fuelId);
    sale.payType = payTypes().at(rnd_.weighted(payWeights_)).code;
    drawClient(sale);
    sale.basePrice = fuelPrice(*sale.fuel, day);
    sale.price = sale.basePrice;
    sale.card = cardNumber(rnd_, sale.payType);
    drawDiscount(sale);
    drawDose(sale);
    return sale;
}

// A sale of a payment type that has clients goes on account: to one of them,
// with one of its cars and drivers.
void ShiftSalesWriter::drawClient(Sale& sale)
{
    const auto clients = clientsByPayType_.find(sale.payType);
    sale.onAccount = clients != clientsByPayType_.end() && !clients->second.isEmpty();
    if (!sale.onAccount)
        return;
    sale.client = clients->second.at(static_cast<int>(rnd_.range(0, clients->second.size() - 1)));
    sale.carIndex = static_cast<int>(rnd_.range(0, sale.client->cars.size() - 1));
    sale.driverIndex = static_cast<int>(rnd_.range(0, sale.client->drivers.size() - 1));
}

// The discount and the price: discount cards always get 3 per cent, some cash
// sales the morning promotion, some fuel cards bonus litres; contracts pay a
// rouble below the pump price. A chance is drawn only for cash and fuel cards.
void ShiftSalesWriter::drawDiscount(Sale& sale)
{
    if (sale.payType == kDiscountCards) {
        sale.discount = {1, 3 * kUnit, QStringLiteral("Скидка по карте"), sale.card};
        sale.price -= roundToKopecks(sale.basePrice * 3 / 100);
    } else if (sale.payType == kCash && rnd_.chance(6)) {
        sale.discount = {2, 5000, QStringLiteral("Акция \"Утро\""), QStringLiteral("до 10:00")};
        sale.price -= sale.discount.value;
    } else if (sale.payType == kFuelCards && rnd_.chance(15)) {
        sale.discount = {3, kUnit, QStringLiteral("Бонус литрами"), sale.card};
    } else if (sale.payType == kContract) {
        sale.price -= kUnit;
    }
}

// The dose and the litres and sum it came to: clients on account mostly take
// litres, the others also ask for a round sum or a full tank.
void ShiftSalesWriter::drawDose(Sale& sale)
{
    sale.dose = sale.onAccount ? (rnd_.chance(80) ? 0 : 2) : static_cast<int>(rnd_.weighted(std::array{60, 30, 10}));
    if (sale.dose == 1) {
        static constexpr int kSums[] = {300, 500, 500, 1000, 1000, 1500, 2000};
        sale.summa = kSums[rnd_.range(0, 6)] * kUnit;
        sale.liters = litersForSum(sale.summa, sale.price);
    } else {
        sale.liters = sale.onAccount ? rnd_.range(4000, 30000) * 100 : rnd_.range(500, 6000) * 100;
        sale.summa = roundToKopecks(multiplyFixed(Currency{sale.liters}, Currency{sale.price}).scaled);
    }
}

// The sale's LOGTRAN row without the meter columns (it draws nothing).
QVector<QVariant> ShiftSalesWriter::saleRow(const Sale& sale, const ShiftInfo& shift, const QDateTime& when,
                                            const QString& tripSheet) const
{
    const bool onAccount = sale.onAccount;
    return {indexSale_, when, shift.smnum, sale.nozzle->dispenser, sale.nozzle->gun, sale.fuel->name,
            qlonglong(sale.liters), qlonglong(sale.fuel->density), qlonglong(sale.price),
            qlonglong(sale.basePrice), qlonglong(sale.summa), sale.payType, tripSheet,
            onAccount ? QVariant(QString::number(sale.client->id)) : QVariant(),
            onAccount ? QVariant(sale.client->drivers.at(sale.driverIndex).id) : QVariant(),
            onAccount ? QVariant(sale.client->cars.at(sale.carIndex).id) : QVariant(),
            onAccount ? sale.client->inn : QString(), buyerOf(sale, indexSale_), shift.op};
}

// The meter columns of newer stations: the density the dispenser measured,
// the mass, and now and then a consignee of a sale on account (drawn only then).
void ShiftSalesWriter::appendMeterColumns(QVector<QVariant>& row, const Sale& sale)
{
    const std::int64_t measured = sale.fuel->density + rnd_.range(-25, 25);
    const QVector<int>& consignees = contragents_.consignees;
    const int consignee = sale.onAccount && rnd_.chance(25) && !consignees.isEmpty()
                              ? consignees.at(static_cast<int>(rnd_.range(0, consignees.size() - 1)))
                              : 0;
    row << qlonglong(measured) << qlonglong(multiplyFixed(Currency{sale.liters}, Currency{measured}).scaled) << consignee;
}

// The sale's discount row, if it got one.
void ShiftSalesWriter::writeDiscount(const Sale& sale)
{
    if (sale.discount.type == 0)
        return;
    discounts_.add({++discountId_, indexSale_, sale.discount.type, sale.discount.name, qlonglong(sale.discount.value),
                    sale.discount.param});
    ++result_.discounts;
}

// The sale's journal row; now and then the dose is not poured in full.
void ShiftSalesWriter::writeSaleJournalRow(const Sale& sale, const ShiftInfo& shift, const QDateTime& when)
{
    const int operation = rnd_.chance(2) ? 4 : 3;
    journal_.add({++journalId_, sale.nozzle->dispenser, when, shift.operatorIndex + 1, sale.fuel->name, operation,
                  sale.payType, sale.dose, qlonglong(sale.liters), qlonglong(sale.summa),
                  sale.onAccount ? sale.client->cars.at(sale.carIndex).number : QString(), indexSale_});
}

// Each nozzle's counters at the shift's start and end, and what it gave.
void ShiftSalesWriter::writeCounters(const ShiftInfo& shift, const ShiftTotals& totals)
{
    for (int n = 0; n < nozzles().size(); ++n) {
        const DemoNozzle& nozzle = nozzles().at(n);
        counters_.add({shift.smnum, nozzle.dispenser, nozzle.gun, demo::fuel(nozzle.fuelId).name,
                       qlonglong(totals.beginMeter[n]), qlonglong(meter_[n]), qlonglong(totals.liters[n]),
                       qlonglong(totals.summa[n])});
    }
}

// The shift log row: the till's cash in and out, the shop's goods (roubles
// drawn before kopecks) and the operator who takes over.
void ShiftSalesWriter::writeShiftRow(const ShiftInfo& shift, std::int64_t cash)
{
    const std::int64_t inKkm = kCashAtStart;
    const std::int64_t goodsRoubles = rnd_.range(2000, 15000);
    const std::int64_t goodsKopecks = rnd_.range(0, 99);
    shifts_.add({shift.smnum, shift.begin, shift.end, shift.op, qlonglong(inKkm), qlonglong(inKkm + cash),
                 qlonglong(goodsRoubles * kUnit + goodsKopecks * 100),
                 operators().at((shift.operatorIndex + 1) % operators().size()), QString()});
}

} // namespace

DemoSales writeShiftsAndSales(StationDatabase& db, const DemoContragents& contragents, int salesCount,
                              const SchemaOptions& options)
{
    if (salesCount < 0)
        throw Exception(QStringLiteral("The number of sales cannot be negative"));
    ShiftSalesWriter writer(db, contragents, options);
    const QVector<int> perShift = salesPerShift(salesCount);
    for (int s = 0; s < kShiftCount; ++s)
        writer.writeShift(s, perShift[s]);
    writer.writeOpenShift(kOpenShiftIndex, salesCount / kShiftCount);
    return writer.finish();
}

void writeLimits(StationDatabase& db, const DemoContragents& contragents, const DemoSales& sales)
{
    const QVector<QDateTime> grants = {QDateTime(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC),
                                       QDateTime(QDate(2024, 2, 1), QTime(8, 0), Qt::UTC),
                                       QDateTime(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC)};
    BatchInserter rows(db, QStringLiteral("VDLIMIT"),
                       {{"ID", ColumnKind::Integer}, {"CONTR_ID", ColumnKind::Integer}, {"VIDOPL", ColumnKind::Integer},
                        {"GSMNAME", ColumnKind::Text, 20}, {"DATA", ColumnKind::Timestamp}, {"LITERS", ColumnKind::Fixed},
                        {"OPERATOR", ColumnKind::Text, 30}, {"PRIM", ColumnKind::Text, 100}});
    int id = 0;
    for (const DemoClient& client : contragents.clients) {
        if (client.payType != kLimitStatement)
            continue;
        // Litres taken per month (from one grant to the next) and fuel.
        std::map<std::pair<int, int>, std::int64_t> taken;
        for (const DemoAccountSale& sale : sales.accountSales) {
            if (sale.clientId != client.id)
                continue;
            int month = -1;
            for (int m = 0; m < grants.size(); ++m)
                if (sale.time >= grants[m])
                    month = m;
            if (month >= 0)
                taken[{month, sale.fuelId}] += sale.liters;
        }
        for (int m = 0; m < grants.size(); ++m) {
            for (const DemoFuel& fuel : fuels()) {
                const auto found = taken.find({m, fuel.id});
                const std::int64_t volume = found == taken.end() ? 0 : found->second;
                // A margin of about 15 per cent, in whole 500 litres, at least 500.
                const std::int64_t step = 500 * kUnit;
                const std::int64_t grant = std::max<std::int64_t>(step, (volume * 115 / 100 + step - 1) / step * step);
                rows.add({++id, client.id, kLimitStatement, fuel.name, grants[m], qlonglong(grant), operators().front(),
                          QStringLiteral("Лимит на %1").arg(grants[m].date().toString(QStringLiteral("MM.yyyy")))});
            }
        }
    }
    rows.finish();
}

} // namespace velta::station
