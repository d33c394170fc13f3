#pragma once
// The sales query of the per-shift sales reports, shared with the shift
// report's sections so that both list the same sales with the same names and
// the same per-sale discount. Amounts are kept as the database keeps them
// (scaled by 10000) and summed exactly.
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportLookups.h"

#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

namespace velta::station {

// One sale as the sales reports list it.
struct Sale {
    QString time;
    int shift = 0;
    QString dispenser;
    QString fuel;
    // Scaled by 10000, as stored.
    std::int64_t litres = 0;
    std::int64_t density = 0;
    std::int64_t price = 0;
    std::int64_t basePrice = 0;
    std::int64_t sum = 0;
    int payType = 0;
    QString buyer; // card number or coupon numbers
    QString tripSheet;
    // The contragent directory's name, else the statement-client table's,
    // else the number the sale keeps.
    QString contragent;
    QString car;
    QString driver;
    QString operatorName;
    // The discount row of the sale, when the query asks for discounts.
    int discountKind = 0;
    QString discountName;
    std::int64_t discountValue = 0;
    QString discountParam;

    // The sale's mass kept at four decimals, as a stored per-sale value is:
    // every report sums these, so a shift weighs the same in each of them.
    std::int64_t kilograms() const;
    // Roubles off the pump price, (base price - price) * litres computed
    // exactly and rounded once to kopecks as the receipt shows it (bonus
    // litres lower no price).
    std::int64_t discountSum() const;
    std::int64_t bonusLitres() const { return discountKind == 3 ? discountValue : 0; }
    // The contragent as the statement reports head its sales.
    QString contragentLabel() const;
};

struct SaleFilter {
    ReportSpan span;
    QVector<int> payTypes;
    QString contragent;             // exact name, when set
    QString cardMask;               // LIKE mask on the card number, when set
    bool discountCardSales = false; // sales whose discount row names a matching card count too
    bool discounts = false;         // one row per discount of the sale, sales without one left out
};

// Runs the sales query ordered by the given column numbers of the select
// (1 time, 10 payment type, 11 buyer, 13 contragent, 14 car, 15 driver);
// each sale goes to take(), which returns false to stop.
void forEachSale(const ReportContext& context, const SaleFilter& filter, const QString& order,
                 const std::function<bool(const Sale&)>& take);

// Sums of one group of sales.
struct SaleTotals {
    int count = 0;
    int coupons = 0;
    // Scaled by 10000.
    std::int64_t litres = 0;
    std::int64_t kilograms = 0;
    std::int64_t sum = 0;
    std::int64_t discount = 0;
    std::int64_t bonus = 0;

    void add(const Sale& s);
    // Adds the sums of another group.
    void merge(const SaleTotals& other);
};

// The "by fuel" table closing most sales reports: fuel, sales, litres,
// kilograms, sum and a "Всего" line.
void addFuelTotals(ReportDocument& doc, const ReportFormats& f, const QMap<QString, SaleTotals>& byFuel);

} // namespace velta::station
