#pragma once
// The demo station's fixed facts: its fuels, tanks, dispensers, payment types,
// operators and calendar, shared by the generators of each area.
#include <QDateTime>
#include <QString>
#include <QVector>
#include <cstdint>

namespace velta::station {

class StationDatabase;

struct DemoFuel {
    int id;
    QString name;
    std::int64_t price;        // roubles per litre, scaled by 10000
    std::int64_t priceChange;  // added from kPriceChangeDay on
    std::int64_t density;      // kg per litre, scaled by 10000
};

struct DemoTank {
    int id;
    QString name;
    int fuelId;
    std::int64_t capacity; // litres, scaled by 10000
};

struct DemoNozzle {
    QString dispenser;
    int gun;
    int fuelId;
    int tankId;
};

struct DemoPayType {
    int code;
    QString name;
    int position;
    int weight; // share of sales
};

namespace demo {

inline constexpr int kDays = 90;
inline constexpr int kShiftsPerDay = 2;
inline constexpr int kShiftCount = kDays * kShiftsPerDay; // closed shifts
// The shift after the closed ones is open: its sales run this long from its start.
inline constexpr int kOpenShiftIndex = kShiftCount;
inline constexpr int kOpenShiftSaleHours = 4;
inline constexpr int kFirstShiftNumber = 1001;
// The shift index after which one number is skipped (a gap in the log).
inline constexpr int kShiftIndexBeforeGap = 96;
inline constexpr int kPriceChangeDay = 45;
inline constexpr int kDefaultSales = 36000;

inline constexpr int kCash = 0;
inline constexpr int kTerminal = 1;
inline constexpr int kFuelCards = 2;
inline constexpr int kDiscountCards = 10;
inline constexpr int kStatement = 104;
inline constexpr int kLimitStatement = 204;
inline constexpr int kContract = 108;
inline constexpr int kCoupons = 109;

// 08:00 on the first day; shifts run 08:00-20:00 and 20:00-08:00.
QDateTime firstShiftStart();
QDateTime shiftStart(int shiftIndex);
QDateTime shiftEnd(int shiftIndex);
int shiftNumber(int shiftIndex);
// The shift index a moment falls into (clamped to the calendar).
int shiftIndexAt(const QDateTime& moment);

const QVector<DemoFuel>& fuels();
const DemoFuel& fuel(int id);
std::int64_t fuelPrice(const DemoFuel& fuel, int day);
const QVector<DemoTank>& tanks();
const QVector<DemoNozzle>& nozzles();
QStringList dispensers();
const QVector<DemoPayType>& payTypes();
const QStringList& operators();
QString stationName();

} // namespace demo

// Station, payment types, fuels, tanks, dispensers and price history.
void writeStationConfig(StationDatabase& db);
// The head-office list of stations.
void writeOfficeStations(StationDatabase& office);

} // namespace velta::station
