#include "station/demo/DemoCatalog.h"

#include "common/Exception.h"
#include "station/db/BatchInserter.h"
#include "station/db/StationDatabase.h"

namespace velta::station {
namespace demo {

QDateTime firstShiftStart()
{
    return QDateTime(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC);
}

QDateTime shiftStart(int shiftIndex)
{
    return firstShiftStart().addSecs(qint64(shiftIndex) * 12 * 3600);
}

QDateTime shiftEnd(int shiftIndex)
{
    // The closing takes a couple of minutes before the next shift opens.
    return shiftStart(shiftIndex + 1).addSecs(-120);
}

int shiftNumber(int shiftIndex)
{
    return kFirstShiftNumber + shiftIndex + (shiftIndex > kShiftIndexBeforeGap ? 1 : 0);
}

int shiftIndexAt(const QDateTime& moment)
{
    const qint64 index = firstShiftStart().secsTo(moment) / (12 * 3600);
    return static_cast<int>(std::clamp<qint64>(index, 0, kShiftCount - 1));
}

const QVector<DemoFuel>& fuels()
{
    static const QVector<DemoFuel> list = {
        {1, QStringLiteral("АИ-92"), 475000, 6000, 7450},
        {2, QStringLiteral("АИ-95"), 523000, 7000, 7520},
        {3, QStringLiteral("ДТ"), 589000, -4000, 8350},
        {4, QStringLiteral("АИ-98"), 634000, 9000, 7600},
    };
    return list;
}

const DemoFuel& fuel(int id)
{
    for (const DemoFuel& f : fuels())
        if (f.id == id)
            return f;
    throw Exception(QStringLiteral("Unknown demo fuel %1").arg(id));
}

std::int64_t fuelPrice(const DemoFuel& fuel, int day)
{
    return fuel.price + (day >= kPriceChangeDay ? fuel.priceChange : 0);
}

const QVector<DemoTank>& tanks()
{
    static const QVector<DemoTank> list = {
        {1, QStringLiteral("Р-1"), 1, 250000000},
        {2, QStringLiteral("Р-2"), 2, 250000000},
        {3, QStringLiteral("Р-3"), 3, 400000000},
        {4, QStringLiteral("Р-4"), 4, 100000000},
        {5, QStringLiteral("Р-5"), 3, 250000000},
    };
    return list;
}

const QVector<DemoNozzle>& nozzles()
{
    static const QVector<DemoNozzle> list = {
        {QStringLiteral("1"), 1, 1, 1}, {QStringLiteral("1"), 2, 2, 2},
        {QStringLiteral("2"), 1, 1, 1}, {QStringLiteral("2"), 2, 2, 2},
        {QStringLiteral("3"), 1, 3, 3}, {QStringLiteral("3"), 2, 4, 4},
        {QStringLiteral("10"), 1, 3, 5},
    };
    return list;
}

QStringList dispensers()
{
    return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("10")};
}

const QVector<DemoPayType>& payTypes()
{
    static const QVector<DemoPayType> list = {
        {kCash, QStringLiteral("Наличные"), 0, 42},
        {kTerminal, QStringLiteral("Платеж. терминал"), 1, 24},
        {kFuelCards, QStringLiteral("Товарные карты"), 2, 7},
        {3, QStringLiteral("Безналичные"), 3, 0},
        {kStatement, QStringLiteral("Ведомость +"), 4, 8},
        {5, QStringLiteral("Мерник"), 5, 0},
        {kLimitStatement, QStringLiteral("Ведомость лимитная"), 6, 3},
        {7, QStringLiteral("Самообслуживание"), 7, 0},
        {kContract, QStringLiteral("Договорной"), 8, 6},
        {kCoupons, QStringLiteral("Талоны"), 9, 4},
        {kDiscountCards, QStringLiteral("Дисконтные карты"), 10, 6},
    };
    return list;
}

const QStringList& operators()
{
    static const QStringList list = {QStringLiteral("Иванова Н.П."), QStringLiteral("Петров С.А."),
                                     QStringLiteral("Сидорова Е.В."), QStringLiteral("Кузнецов А.И.")};
    return list;
}

QString stationName()
{
    return QStringLiteral("АЗС №7");
}

} // namespace demo

void writeStationConfig(StationDatabase& db)
{
    using namespace demo;
    {
        BatchInserter station(db, QStringLiteral("STATION"),
                              {{"AZS_ID", ColumnKind::Integer}, {"AZSNAME", ColumnKind::Text},
                               {"ADDRESS", ColumnKind::Text}, {"INN", ColumnKind::Text, 20},
                               {"ISLOADINGRACK", ColumnKind::Integer}});
        station.add({7, stationName(), QStringLiteral("г. Липецк, ул. Московская, 112"), QStringLiteral("4826012345"), 0});
        station.finish();
    }
    {
        BatchInserter pay(db, QStringLiteral("PAYTYPE"),
                          {{"VIDOPL", ColumnKind::Integer}, {"NAME", ColumnKind::Text, 50}, {"KIND", ColumnKind::Integer},
                           {"POS", ColumnKind::Integer}, {"ISENABLED", ColumnKind::Integer}});
        for (const DemoPayType& p : payTypes())
            pay.add({p.code, p.name, p.code % 100, p.position, 1});
        pay.finish();
    }
    {
        BatchInserter gsm(db, QStringLiteral("GSM"),
                          {{"GSM_ID", ColumnKind::Integer}, {"NAME", ColumnKind::Text, 20}, {"PRICE", ColumnKind::Fixed},
                           {"DENSITY", ColumnKind::Fixed}});
        for (const DemoFuel& f : fuels())
            gsm.add({f.id, f.name, qlonglong(fuelPrice(f, kDays)), qlonglong(f.density)});
        gsm.finish();
    }
    {
        BatchInserter silo(db, QStringLiteral("SILO"),
                           {{"SILO_ID", ColumnKind::Integer}, {"NAME", ColumnKind::Text, 20}, {"GSM_ID", ColumnKind::Integer},
                            {"CAPACITY", ColumnKind::Fixed}, {"DEADVOLUME", ColumnKind::Fixed}});
        for (const DemoTank& t : tanks())
            silo.add({t.id, t.name, t.fuelId, qlonglong(t.capacity), qlonglong(t.capacity / 50)});
        silo.finish();
    }
    {
        BatchInserter list(db, QStringLiteral("TRKLIST"), {{"TRK", ColumnKind::Text, 10}, {"SORTNUM", ColumnKind::Integer}});
        int order = 0;
        for (const QString& name : dispensers())
            list.add({name, ++order});
        list.finish();
        BatchInserter guns(db, QStringLiteral("TRKGUN"),
                           {{"TRK", ColumnKind::Text, 10}, {"GUN", ColumnKind::Integer}, {"GSM_ID", ColumnKind::Integer},
                            {"SILO_ID", ColumnKind::Integer}});
        for (const DemoNozzle& n : nozzles())
            guns.add({n.dispenser, n.gun, n.fuelId, n.tankId});
        guns.finish();
    }
    {
        BatchInserter prices(db, QStringLiteral("PRICEHIST"),
                             {{"ID", ColumnKind::Integer}, {"DATA", ColumnKind::Timestamp}, {"GSM_ID", ColumnKind::Integer},
                              {"GSMNAME", ColumnKind::Text, 20}, {"PRICE", ColumnKind::Fixed}, {"OPERATOR", ColumnKind::Text, 30}});
        int id = 0;
        for (const DemoFuel& f : fuels())
            prices.add({++id, firstShiftStart(), f.id, f.name, qlonglong(f.price), operators().front()});
        for (const DemoFuel& f : fuels())
            prices.add({++id, shiftStart(kPriceChangeDay * kShiftsPerDay), f.id, f.name,
                        qlonglong(fuelPrice(f, kPriceChangeDay)), operators().at(1)});
        prices.finish();
    }
}

void writeOfficeStations(StationDatabase& office)
{
    BatchInserter rows(office, QStringLiteral("OFFICE"),
                       {{"AZS_ID", ColumnKind::Integer}, {"AZSNAME", ColumnKind::Text}, {"ADDRESS", ColumnKind::Text},
                        {"PHONE", ColumnKind::Text, 50}, {"ISACTIVE", ColumnKind::Integer}});
    rows.add({7, demo::stationName(), QStringLiteral("г. Липецк, ул. Московская, 112"), QStringLiteral("(4742) 22-11-07"), 1});
    rows.add({12, QStringLiteral("АЗС №12"), QStringLiteral("г. Липецк, пр. Победы, 45"), QStringLiteral("(4742) 22-11-12"), 1});
    rows.add({15, QStringLiteral("АЗС №15 (трасса М-4)"), QStringLiteral("Задонский р-н, 412 км"), QStringLiteral("(47471) 2-15-15"), 1});
    rows.add({21, QStringLiteral("АЗС №21"), QStringLiteral("г. Елец, ул. Орловская, 3"), QStringLiteral("(47467) 4-21-21"), 0});
    rows.finish();
}

} // namespace velta::station
