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

struct Sale {
    const DemoNozzle* nozzle;
    int payType;
    int dose; // 0 litres, 1 sum, 2 full tank
    std::int64_t liters;
    std::int64_t basePrice;
    std::int64_t price;
    std::int64_t summa;
    const DemoClient* client = nullptr;
    int carIndex = 0;
    int driverIndex = 0;
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

} // namespace

DemoSales writeShiftsAndSales(StationDatabase& db, const DemoContragents& contragents, int salesCount,
                              const SchemaOptions& options)
{
    if (salesCount < 0)
        throw Exception(QStringLiteral("The number of sales cannot be negative"));
    DemoRandom rnd(0x5EED0001);
    DemoSales result;

    BatchInserter shifts(db, QStringLiteral("SMLOG"),
                         {{"SMNUM", ColumnKind::Integer}, {"BEGTIME", ColumnKind::Timestamp}, {"ENDTIME", ColumnKind::Timestamp},
                          {"OPERATOR", ColumnKind::Text, 30}, {"INKKM", ColumnKind::Fixed}, {"OUTKKM", ColumnKind::Fixed},
                          {"SUMMATOVARY", ColumnKind::Fixed}, {"OPERATOR2", ColumnKind::Text, 30},
                          {"OPERATOR3", ColumnKind::Text, 30}});
    std::vector<ColumnSpec> saleColumns = {
        {"INDEXSALE", ColumnKind::Integer}, {"DATA", ColumnKind::Timestamp}, {"SMNUM", ColumnKind::Integer},
        {"TRK", ColumnKind::Text, 10}, {"GUN", ColumnKind::Integer}, {"GSMNAME", ColumnKind::Text, 20},
        {"LITER", ColumnKind::Fixed}, {"PLOTN", ColumnKind::Fixed}, {"PRICE", ColumnKind::Fixed},
        {"BASEPRICE", ColumnKind::Fixed}, {"SUMMA", ColumnKind::Fixed}, {"VIDOPL", ColumnKind::Integer},
        {"PLISTNUM", ColumnKind::Text, 20}, {"IDCNT", ColumnKind::Text, 10}, {"IDDRV", ColumnKind::Integer},
        {"IDCAR", ColumnKind::Integer}, {"INN", ColumnKind::Text, 20}, {"POKUPATEL", ColumnKind::Text, 20},
        {"OPERATOR", ColumnKind::Text, 30}};
    if (options.saleMeterColumns) {
        saleColumns.push_back({"TRKDENSITY", ColumnKind::Fixed});
        saleColumns.push_back({"MASSAPLM", ColumnKind::Fixed});
        saleColumns.push_back({"ID2CNT", ColumnKind::Integer});
    }
    BatchInserter sales(db, QStringLiteral("LOGTRAN"), saleColumns);
    BatchInserter discounts(db, QStringLiteral("LOGTRANDSC"),
                            {{"ID", ColumnKind::Integer}, {"INDEXSALE", ColumnKind::Integer}, {"DSCVALTYPE", ColumnKind::Integer},
                             {"DSCNAME", ColumnKind::Text, 40}, {"DSCVAL", ColumnKind::Fixed}, {"DSCPARAM", ColumnKind::Text, 40}});
    BatchInserter journal(db, QStringLiteral("TRK"),
                          {{"ID", ColumnKind::Integer}, {"TRK", ColumnKind::Text, 10}, {"\"TIME\"", ColumnKind::Timestamp},
                           {"CLIENT", ColumnKind::Integer}, {"GSM", ColumnKind::Text, 10}, {"OPERATION", ColumnKind::Integer},
                           {"OP1", ColumnKind::Integer}, {"OP2", ColumnKind::Integer}, {"LITERS", ColumnKind::Fixed},
                           {"SUMMA", ColumnKind::Fixed}, {"AUTOMOBIL", ColumnKind::Text, 20}, {"INDEXSALE", ColumnKind::Integer}});
    BatchInserter counters(db, QStringLiteral("SMTRK"),
                           {{"SMNUM", ColumnKind::Integer}, {"TRKNUM", ColumnKind::Text, 10}, {"GUN", ColumnKind::Integer},
                            {"GSMNAME", ColumnKind::Text, 20}, {"BEGCOUNTER", ColumnKind::Fixed},
                            {"ENDCOUNTER", ColumnKind::Fixed}, {"LITERS", ColumnKind::Fixed}, {"SUMMA", ColumnKind::Fixed}});

    QVector<int> payWeights;
    for (const DemoPayType& p : payTypes())
        payWeights << p.weight;
    std::map<int, QVector<const DemoClient*>> clientsByPayType;
    for (const DemoClient& c : contragents.clients)
        clientsByPayType[c.payType] << &c;
    const QVector<int> nozzleWeights = {14, 12, 14, 12, 9, 5, 10};

    QVector<std::int64_t> meter(nozzles().size());
    for (int i = 0; i < meter.size(); ++i)
        meter[i] = (120000 + i * 35000) * kUnit;

    const QVector<int> perShift = salesPerShift(salesCount);
    int indexSale = 0;
    int journalId = 0;
    int discountId = 0;
    for (int s = 0; s < kShiftCount; ++s) {
        const int day = s / kShiftsPerDay;
        const int smnum = shiftNumber(s);
        const QDateTime begin = shiftStart(s);
        const QDateTime end = shiftEnd(s);
        const int operatorIndex = s % operators().size();
        const QString& op = operators().at(operatorIndex);

        for (const QString& dispenser : dispensers()) // the dispensers' "shift opened" status rows
            journal.add({++journalId, dispenser, begin.addSecs(30), operatorIndex + 1, QString(), kJournalMarker,
                         kJournalMarker, kJournalMarker, qlonglong(0), qlonglong(0), QString(), QVariant()});

        QVector<qint64> seconds(perShift[s]);
        const qint64 span = begin.secsTo(end) - 240;
        for (qint64& sec : seconds)
            sec = 120 + rnd.range(0, span);
        std::sort(seconds.begin(), seconds.end());

        QVector<std::int64_t> shiftLiters(nozzles().size(), 0);
        QVector<std::int64_t> shiftSumma(nozzles().size(), 0);
        QVector<std::int64_t> beginMeter = meter;
        std::int64_t cash = 0;
        for (qint64 sec : seconds) {
            Sale sale{};
            const int nozzleIndex = rnd.weighted(nozzleWeights);
            sale.nozzle = &nozzles().at(nozzleIndex);
            const DemoFuel& fuel = demo::fuel(sale.nozzle->fuelId);
            sale.payType = payTypes().at(rnd.weighted(payWeights)).code;
            const auto clients = clientsByPayType.find(sale.payType);
            const bool onAccount = clients != clientsByPayType.end() && !clients->second.isEmpty();
            if (onAccount) {
                sale.client = clients->second.at(static_cast<int>(rnd.range(0, clients->second.size() - 1)));
                sale.carIndex = static_cast<int>(rnd.range(0, sale.client->cars.size() - 1));
                sale.driverIndex = static_cast<int>(rnd.range(0, sale.client->drivers.size() - 1));
            }
            sale.basePrice = fuelPrice(fuel, day);
            sale.price = sale.basePrice;
            QString discountName;
            QString discountParam;
            int discountType = 0;
            std::int64_t discountValue = 0;
            const QString card = cardNumber(rnd, sale.payType);
            if (sale.payType == kDiscountCards) {
                discountType = 1;
                discountValue = 3 * kUnit;
                discountName = QStringLiteral("Скидка по карте");
                discountParam = card;
                sale.price -= roundToKopecks(sale.basePrice * 3 / 100);
            } else if (sale.payType == kCash && rnd.chance(6)) {
                discountType = 2;
                discountValue = 5000;
                discountName = QStringLiteral("Акция \"Утро\"");
                discountParam = QStringLiteral("до 10:00");
                sale.price -= discountValue;
            } else if (sale.payType == kFuelCards && rnd.chance(15)) {
                discountType = 3;
                discountValue = kUnit;
                discountName = QStringLiteral("Бонус литрами");
                discountParam = card;
            } else if (sale.payType == kContract) {
                sale.price -= kUnit; // contract price: one rouble below the pump price
            }

            sale.dose = onAccount ? (rnd.chance(80) ? 0 : 2) : static_cast<int>(rnd.weighted(std::array{60, 30, 10}));
            if (sale.dose == 1) {
                static constexpr int kSums[] = {300, 500, 500, 1000, 1000, 1500, 2000};
                sale.summa = kSums[rnd.range(0, 6)] * kUnit;
                sale.liters = litersForSum(sale.summa, sale.price);
            } else {
                sale.liters = onAccount ? rnd.range(4000, 30000) * 100 : rnd.range(500, 6000) * 100;
                sale.summa = roundToKopecks(multiplyFixed(Currency{sale.liters}, Currency{sale.price}).scaled);
            }
            if (sale.payType == kCash)
                cash += sale.summa;

            ++indexSale;
            const QDateTime when = begin.addSecs(sec);
            QString buyer = card;
            if (sale.payType == kContract)
                buyer = sale.client ? sale.client->name.left(20) : QString();
            else if (sale.payType == kCoupons)
                buyer = QStringLiteral("Т-%1,Т-%2").arg(indexSale * 2, 6, 10, QLatin1Char('0')).arg(indexSale * 2 + 1, 6, 10, QLatin1Char('0'));
            const QString tripSheet = onAccount ? QStringLiteral("ПЛ-%1").arg(indexSale % 100000, 5, 10, QLatin1Char('0')) : QString();
            QVector<QVariant> row = {indexSale, when, smnum, sale.nozzle->dispenser, sale.nozzle->gun, fuel.name,
                                     qlonglong(sale.liters), qlonglong(fuel.density), qlonglong(sale.price),
                                     qlonglong(sale.basePrice), qlonglong(sale.summa), sale.payType, tripSheet,
                                     onAccount ? QVariant(QString::number(sale.client->id)) : QVariant(),
                                     onAccount ? QVariant(sale.client->drivers.at(sale.driverIndex).id) : QVariant(),
                                     onAccount ? QVariant(sale.client->cars.at(sale.carIndex).id) : QVariant(),
                                     onAccount ? sale.client->inn : QString(), buyer, op};
            if (options.saleMeterColumns) {
                const std::int64_t measured = fuel.density + rnd.range(-25, 25);
                row << qlonglong(measured) << qlonglong(multiplyFixed(Currency{sale.liters}, Currency{measured}).scaled)
                    << (onAccount && rnd.chance(25) && !contragents.consignees.isEmpty()
                            ? contragents.consignees.at(static_cast<int>(rnd.range(0, contragents.consignees.size() - 1)))
                            : 0);
            }
            sales.add(row);
            if (discountType != 0) {
                discounts.add({++discountId, indexSale, discountType, discountName, qlonglong(discountValue), discountParam});
                ++result.discounts;
            }
            const int operation = rnd.chance(2) ? 4 : 3; // now and then the dose is not poured in full
            journal.add({++journalId, sale.nozzle->dispenser, when, operatorIndex + 1, fuel.name, operation, sale.payType,
                         sale.dose, qlonglong(sale.liters), qlonglong(sale.summa),
                         onAccount ? sale.client->cars.at(sale.carIndex).number : QString(), indexSale});
            shiftLiters[nozzleIndex] += sale.liters;
            shiftSumma[nozzleIndex] += sale.summa;
            meter[nozzleIndex] += sale.liters;
            if (onAccount)
                result.accountSales << DemoAccountSale{indexSale, when, fuel.id, sale.liters, sale.summa,
                                                       sale.client->id, sale.carIndex, sale.driverIndex, tripSheet};
        }
        for (int n = 0; n < nozzles().size(); ++n) {
            const DemoNozzle& nozzle = nozzles().at(n);
            counters.add({smnum, nozzle.dispenser, nozzle.gun, demo::fuel(nozzle.fuelId).name, qlonglong(beginMeter[n]),
                          qlonglong(meter[n]), qlonglong(shiftLiters[n]), qlonglong(shiftSumma[n])});
        }
        const std::int64_t inKkm = 5000 * kUnit;
        shifts.add({smnum, begin, end, op, qlonglong(inKkm), qlonglong(inKkm + cash),
                    qlonglong(rnd.range(2000, 15000) * kUnit + rnd.range(0, 99) * 100),
                    operators().at((operatorIndex + 1) % operators().size()), QString()});
    }
    shifts.finish();
    sales.finish();
    discounts.finish();
    journal.finish();
    counters.finish();
    result.sales = sales.rowsWritten();
    result.journalRows = journal.rowsWritten();
    return result;
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
