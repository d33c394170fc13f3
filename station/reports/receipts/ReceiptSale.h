#pragma once
// One sale as its printer receipt shows it: the LOGTRAN row with the names of
// its contragent, car and driver, and its discounts (LOGTRANDSC).
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

namespace velta::station {

class StationDatabase;

struct ReceiptDiscount {
    int kind = 0; // 1 per cent, 2 roubles, 3 litres
    QString name;
    std::int64_t value = 0; // scaled by 10000
    QString param;
};

struct ReceiptSale {
    std::int64_t number = 0;
    QString when; // "dd.MM.yyyy hh:mm:ss"
    QString fuel;
    // Amounts scaled by 10000.
    std::int64_t litres = 0;
    std::int64_t price = 0;
    std::int64_t basePrice = 0;
    std::int64_t amount = 0;
    int payType = 0;
    QString tripSheet;
    QString contragent; // the directory's name, else the number the sale keeps
    QString inn;
    QString buyer; // card number, contract contragent or coupon list, by payment type
    QString driver;
    QString car; // make and registration number
    QVector<ReceiptDiscount> discounts;

    // LITER times BASEPRICE in whole kopecks; 0 when the sale has no base price.
    std::int64_t baseAmount() const;
    // What the discounts took off the base amount: 0 unless the price charged
    // is below the base price.
    std::int64_t discountAmount() const;
};

// The sale with that number; none when the station has no such sale.
std::optional<ReceiptSale> findReceiptSale(StationDatabase& db, std::int64_t number);

} // namespace velta::station
