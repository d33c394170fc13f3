// The money sections of the shift report: the financial report by fuels and
// payment types (its print form has one column group per payment type), the
// same by payment types first, and the non-cash sales one by one.
#include "station/reports/shift/ShiftSectionQueries.h"

#include <QSet>
#include <algorithm>
#include <map>

namespace velta::station {
namespace {

struct Amounts {
    std::int64_t liters = 0;
    std::int64_t kilograms = 0;
    std::int64_t summa = 0;

    void add(const Amounts& other)
    {
        liters += other.liters;
        kilograms += other.kilograms;
        summa += other.summa;
    }
};

struct SalesLine {
    QString fuel;
    std::int64_t price = 0;
    int payType = 0;
    Amounts amounts;
};

// Sales summed by fuel, pump price and payment type. The sum is what was
// taken, or litres times the pump price when the settings compute it so.
QVector<SalesLine> salesLines(const ShiftScope& scope)
{
    const bool computed = scope.context.formats().repSmType != 0;
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT GSMNAME, BASEPRICE, VIDOPL, SUM(LITER), SUM(CAST(LITER * PLOTN AS NUMERIC(18,4))), %1 "
        "FROM LOGTRAN WHERE SMNUM BETWEEN ? AND ? GROUP BY GSMNAME, BASEPRICE, VIDOPL ORDER BY GSMNAME, BASEPRICE, VIDOPL")
                                            .arg(computed ? QStringLiteral("SUM(CAST(LITER * BASEPRICE AS NUMERIC(18,4)))")
                                                          : QStringLiteral("SUM(SUMMA)")));
    QVector<SalesLine> lines;
    while (query.next())
        lines.push_back({query.value(0).toString().trimmed(), scaledAmount(query.value(1)), query.value(2).toInt(),
                         {scaledAmount(query.value(3)), scaledAmount(query.value(4)), scaledAmount(query.value(5))}});
    return lines;
}

struct Formatter {
    const ReportFormats& f;
    QString l(std::int64_t v) const { return f.fixed(double(v) / 10000.0, f.decL); }
    QString k(std::int64_t v) const { return f.fixed(double(v) / 10000.0, f.decKg); }
    QString s(std::int64_t v) const { return f.money(double(v) / 10000.0); }
};

// The tags of one row of the financial print form: the measures of every
// payment type and the cash, non-cash and overall totals.
QHash<QString, QString> financialTags(const Formatter& fmt, const PayTypes& types,
                                      const std::map<int, Amounts>& byPayType)
{
    QHash<QString, QString> tags;
    Amounts cash;
    Amounts nonCash;
    QSet<int> codes;
    for (int code : types.all())
        codes.insert(code);
    for (const auto& [code, a] : byPayType)
        codes.insert(code);
    for (int code : codes) {
        const auto found = byPayType.find(code);
        const Amounts a = found == byPayType.end() ? Amounts{} : found->second;
        tags.insert(QStringLiteral("L%1").arg(code), fmt.l(a.liters));
        tags.insert(QStringLiteral("K%1").arg(code), fmt.k(a.kilograms));
        tags.insert(QStringLiteral("S%1").arg(code), fmt.s(a.summa));
        (PayTypes::isCash(code) ? cash : nonCash).add(a);
    }
    Amounts all = cash;
    all.add(nonCash);
    const auto put = [&](const QString& prefix, const Amounts& a) {
        tags.insert(prefix + QLatin1Char('L'), fmt.l(a.liters));
        tags.insert(prefix + QLatin1Char('K'), fmt.k(a.kilograms));
        tags.insert(prefix + QLatin1Char('S'), fmt.s(a.summa));
    };
    put(QStringLiteral("N"), cash);
    put(QStringLiteral("B"), nonCash);
    put(QStringLiteral("A"), all);
    return tags;
}

QString pricesText(const ReportFormats& f, QVector<std::int64_t> prices)
{
    std::sort(prices.begin(), prices.end());
    prices.erase(std::unique(prices.begin(), prices.end()), prices.end());
    QStringList texts;
    for (std::int64_t p : prices)
        texts << f.money(double(p) / 10000.0);
    return texts.join(QStringLiteral(" / "));
}

} // namespace

ShiftSection financialSection(const ShiftScope& scope)
{
    const ReportFormats& f = scope.context.formats();
    const Formatter fmt{f};
    const QVector<SalesLine> lines = salesLines(scope);

    // Print-form rows: one per fuel, or per fuel and price when split by price.
    struct Group {
        QString fuel;
        QVector<std::int64_t> prices;
        std::map<int, Amounts> byPayType;
    };
    QVector<Group> groups;
    std::map<int, Amounts> overall;
    for (const SalesLine& line : lines) {
        const bool same = !groups.isEmpty() && groups.back().fuel == line.fuel
            && (!f.finPrcDelim || groups.back().prices.front() == line.price);
        if (!same)
            groups.push_back({line.fuel, {}, {}});
        groups.back().prices << line.price;
        groups.back().byPayType[line.payType].add(line.amounts);
        overall[line.payType].add(line.amounts);
    }

    ShiftSection section;
    for (const Group& g : groups) {
        QHash<QString, QString> tags = financialTags(fmt, scope.payTypes, g.byPayType);
        tags.insert(QStringLiteral("GSM"), g.fuel);
        tags.insert(QStringLiteral("PRICE"), pricesText(f, g.prices));
        section.values.rows << tags;
    }
    section.values.totals = financialTags(fmt, scope.payTypes, overall);
    section.values.totals.insert(QStringLiteral("GSM"), QStringLiteral("Итого"));
    // The cash handed over, under the form's table.
    section.values.fields.insert(QStringLiteral("CASHSUM"), section.values.totals.value(QStringLiteral("NS")));

    // The built-in layout: a line per fuel (and price) and payment type, a
    // line per fuel, then the cash, non-cash and overall totals.
    section.columns = {{QStringLiteral("ГСМ")},
                       {QStringLiteral("Цена, руб."), CellAlign::Right},
                       {QStringLiteral("Вид оплаты")},
                       {QStringLiteral("Кол-во, л"), CellAlign::Right},
                       {QStringLiteral("Масса, кг"), CellAlign::Right},
                       {QStringLiteral("Сумма, руб."), CellAlign::Right}};
    for (const Group& g : groups) {
        QVector<std::pair<int, Amounts>> byPosition(g.byPayType.begin(), g.byPayType.end());
        std::stable_sort(byPosition.begin(), byPosition.end(), [&](const auto& a, const auto& b) {
            return scope.payTypes.position(a.first) < scope.payTypes.position(b.first);
        });
        Amounts fuelTotal;
        for (const auto& [code, a] : byPosition) {
            fuelTotal.add(a);
            section.rows << QStringList{g.fuel, pricesText(f, g.prices), scope.payTypes.name(code),
                                        fmt.l(a.liters), fmt.k(a.kilograms), fmt.s(a.summa)};
        }
        section.rows << QStringList{QStringLiteral("Итого ") + g.fuel, QString(), QString(), fmt.l(fuelTotal.liters),
                                    fmt.k(fuelTotal.kilograms), fmt.s(fuelTotal.summa)};
    }
    const QHash<QString, QString>& t = section.values.totals;
    section.totals << QStringList{QStringLiteral("Наличный расчет"), QString(), QString(), t.value(QStringLiteral("NL")),
                                  t.value(QStringLiteral("NK")), t.value(QStringLiteral("NS"))};
    section.totals << QStringList{QStringLiteral("Безналичный расчет"), QString(), QString(), t.value(QStringLiteral("BL")),
                                  t.value(QStringLiteral("BK")), t.value(QStringLiteral("BS"))};
    section.totals << QStringList{QStringLiteral("Всего"), QString(), QString(), t.value(QStringLiteral("AL")),
                                  t.value(QStringLiteral("AK")), t.value(QStringLiteral("AS"))};
    return section;
}

ShiftSection financialByPayTypeSection(const ShiftScope& scope)
{
    const Formatter fmt{scope.context.formats()};
    std::map<std::pair<int, int>, std::map<QString, Amounts>> byPayType; // (position, code) -> fuel -> amounts
    for (const SalesLine& line : salesLines(scope)) {
        byPayType[{scope.payTypes.position(line.payType), line.payType}][line.fuel].add(line.amounts);
    }
    ShiftSection section;
    section.columns = {{QStringLiteral("Вид оплаты")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Кол-во, л"), CellAlign::Right},
                       {QStringLiteral("Масса, кг"), CellAlign::Right},
                       {QStringLiteral("Сумма, руб."), CellAlign::Right}};
    section.tags = {QStringLiteral("VO"), QStringLiteral("GSM"), QStringLiteral("L"), QStringLiteral("K"), QStringLiteral("S")};
    Amounts all;
    for (const auto& [key, fuels] : byPayType) {
        const QString name = scope.payTypes.name(key.second);
        Amounts typeTotal;
        for (const auto& [fuel, a] : fuels) {
            typeTotal.add(a);
            section.rows << QStringList{name, fuel, fmt.l(a.liters), fmt.k(a.kilograms), fmt.s(a.summa)};
        }
        all.add(typeTotal);
        section.rows << QStringList{QStringLiteral("Итого ") + name, QString(), fmt.l(typeTotal.liters),
                                    fmt.k(typeTotal.kilograms), fmt.s(typeTotal.summa)};
    }
    section.totals << QStringList{QStringLiteral("Всего"), QString(), fmt.l(all.liters), fmt.k(all.kilograms), fmt.s(all.summa)};
    return section;
}

ShiftSection nonCashSection(const ShiftScope& scope)
{
    const Formatter fmt{scope.context.formats()};
    ShiftSection section;
    section.columns = {{QStringLiteral("Время")},
                       {QStringLiteral("ТРК")},
                       {QStringLiteral("ГСМ")},
                       {QStringLiteral("Вид оплаты")},
                       {QStringLiteral("Покупатель / карта")},
                       {QStringLiteral("Кол-во, л"), CellAlign::Right},
                       {QStringLiteral("Сумма, руб."), CellAlign::Right}};
    section.tags = {QStringLiteral("TIME"), QStringLiteral("TRK"), QStringLiteral("GSM"), QStringLiteral("VO"),
                    QStringLiteral("CLIENT"), QStringLiteral("L"), QStringLiteral("S")};
    QSqlQuery query = shiftQuery(scope, QStringLiteral(
        "SELECT CAST(DATA AS VARCHAR(24)), TRK, GSMNAME, VIDOPL, POKUPATEL, LITER, SUMMA FROM LOGTRAN "
        "WHERE SMNUM BETWEEN ? AND ? AND MOD(VIDOPL, 100) <> 0 ORDER BY DATA, INDEXSALE"));
    Amounts all;
    while (query.next()) {
        const Amounts a{scaledAmount(query.value(5)), 0, scaledAmount(query.value(6))};
        all.add(a);
        section.rows << QStringList{shownTimestamp(query.value(0)), query.value(1).toString().trimmed(),
                                    query.value(2).toString().trimmed(), scope.payTypes.name(query.value(3).toInt()),
                                    query.value(4).toString().trimmed(), fmt.l(a.liters), fmt.s(a.summa)};
    }
    section.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), QString(), fmt.l(all.liters),
                                  fmt.s(all.summa)};
    return section;
}

} // namespace velta::station
