#include "station/reports/shift/ShiftSalesReports.h"

#include "station/db/StationDatabase.h"
#include "station/reports/shift/SalesQuery.h"

#include <QMap>
#include <functional>
#include <optional>

namespace velta::station {
namespace {

// The span of a current-shift form, or none (the document then says so).
std::optional<ReportSpan> currentSpan(const ReportContext& context, ReportDocument& doc)
{
    std::optional<ReportSpan> span = openShift(context.db());
    if (span)
        doc.addHeadLine(span->describe());
    else
        doc.addParagraph(noOpenShiftText());
    return span;
}

QString payTypeList(const PayTypes& payTypes, const QVector<int>& codes)
{
    QStringList names;
    for (int code : codes)
        names << payTypes.name(code);
    return names.isEmpty() ? QStringLiteral("не выбраны") : names.join(QStringLiteral(", "));
}

// A table of discount sums by key (discount or fuel); none once the row limit is reached.
ReportTable* addDiscountTotals(ReportDocument& doc, const ReportFormats& f, const QString& keyHeading,
                       const QMap<QString, SaleTotals>& byKey)
{
    ReportTable& table = doc.addTable({{keyHeading}, {QStringLiteral("Продаж"), CellAlign::Right},
                                       {QStringLiteral("Литры"), CellAlign::Right},
                                       {QStringLiteral("Сумма, руб"), CellAlign::Right},
                                       {QStringLiteral("Скидка, руб"), CellAlign::Right},
                                       {QStringLiteral("Бонус, л"), CellAlign::Right}});
    for (auto it = byKey.begin(); it != byKey.end(); ++it) {
        if (!doc.addRow(table, {it.key(), QString::number(it->count), f.litres(units(it->litres)), f.money(units(it->sum)),
                                f.money(units(it->discount)), f.litres(units(it->bonus))}))
            return nullptr;
    }
    return &table;
}

// ---- statement and contract sales, by contragent (14, 16, 25, 26) ----

QVector<ReportColumn> accountSaleColumns()
{
    return {{QStringLiteral("Дата, время")},     {QStringLiteral("ТРК"), CellAlign::Center},
            {QStringLiteral("ГСМ")},             {QStringLiteral("Автомобиль")},
            {QStringLiteral("Водитель")},        {QStringLiteral("Путевой\nлист")},
            {QStringLiteral("Литры"), CellAlign::Right}, {QStringLiteral("Масса, кг"), CellAlign::Right},
            {QStringLiteral("Цена"), CellAlign::Right},  {QStringLiteral("Сумма, руб"), CellAlign::Right}};
}

QStringList accountSaleCells(const ReportFormats& f, const Sale& s)
{
    return {s.time, s.dispenser, s.fuel, s.car, s.driver, s.tripSheet, f.litres(units(s.litres)), f.kilograms(units(s.kilograms())),
            f.money(units(s.price)), f.money(units(s.sum))};
}

QStringList accountTotalCells(const ReportFormats& f, const QString& label, const SaleTotals& t)
{
    return {label, QString(), QString(), QString(), QString(), QString(), f.litres(units(t.litres)), f.kilograms(units(t.kilograms)),
            QString(), f.money(units(t.sum))};
}

// Sales grouped by a key (a table per group under its heading), then by fuel.
void fillGroupedSales(const ReportContext& context, ReportDocument& doc, const SaleFilter& filter, const QString& order,
                      const std::function<QString(const Sale&)>& groupOf)
{
    const ReportFormats& f = context.formats();
    QMap<QString, SaleTotals> byFuel;
    ReportTable* table = nullptr;
    QString group;
    SaleTotals groupTotals;
    SaleTotals all;
    auto closeGroup = [&] {
        if (table)
            table->totals << accountTotalCells(f, QStringLiteral("Итого"), groupTotals);
    };
    forEachSale(context, filter, order, [&](const Sale& s) {
        const QString key = groupOf(s);
        if (!table || key != group) {
            closeGroup();
            group = key;
            groupTotals = {};
            if (!key.isEmpty())
                doc.addHeading(key);
            table = &doc.addTable(accountSaleColumns());
        }
        if (!doc.addRow(*table, accountSaleCells(f, s)))
            return false;
        groupTotals.add(s);
        all.add(s);
        byFuel[s.fuel].add(s);
        return true;
    });
    closeGroup();
    if (!table) {
        doc.addParagraph(QStringLiteral("Отпуска за этот период не было."));
        return;
    }
    addFuelTotals(doc, f, byFuel);
}

ReportDocument accountSalesReport(const ReportContext& context, const QString& title, const ReportSpan& span,
                                  const QVector<int>& codes, const PayTypes& payTypes)
{
    ReportDocument doc = context.newDocument(title);
    doc.addHeadLine(span.describe());
    doc.addHeadLine(QStringLiteral("Виды оплаты: ") + payTypeList(payTypes, codes));
    SaleFilter filter;
    filter.span = span;
    filter.payTypes = codes;
    fillGroupedSales(context, doc, filter, QStringLiteral("13, 10, 1"), [&](const Sale& s) {
        return QStringLiteral("%1 (%2)").arg(s.contragentLabel(), payTypes.name(s.payType));
    });
    return doc;
}

QString statementTitle(const PayTypes& payTypes)
{
    return QStringLiteral("СМЕННЫЙ ОТПУСК ПО \"") + payTypes.nameAtPosition(4) + QLatin1Char('"');
}

// Shift numbers the statement and contragent arrays carry as text.
int shiftNumberText(const ReportParams& params, int index)
{
    bool ok = false;
    const int value = params.text(index).trimmed().toInt(&ok);
    if (!ok)
        params.fail(index, QStringLiteral("номером смены"));
    return value;
}

// ---- one contragent, by driver and car (15, 17) ----

struct ContragentOptions {
    QString name;
    bool byDrivers = false;
    bool byCars = false;
    bool driverFirst = true;
};

ReportDocument contragentReport(const ReportContext& context, const QString& title, const ReportSpan& span,
                                const ContragentOptions& options, const QVector<int>& codes)
{
    const PayTypes payTypes(context.db());
    ReportDocument doc = context.newDocument(title);
    doc.addHeadLine(QStringLiteral("Контрагент: ") + options.name);
    doc.addHeadLine(span.describe());
    doc.addHeadLine(QStringLiteral("Виды оплаты: ") + payTypeList(payTypes, codes));
    SaleFilter filter;
    filter.span = span;
    filter.payTypes = codes;
    filter.contragent = options.name;
    // Column numbers of the query: 14 car, 15 driver.
    QStringList order;
    QStringList keys;
    if (options.byDrivers)
        order << QStringLiteral("15");
    if (options.byCars)
        order << QStringLiteral("14");
    if (!options.driverFirst)
        std::reverse(order.begin(), order.end());
    order << QStringLiteral("1");
    fillGroupedSales(context, doc, filter, order.join(QStringLiteral(", ")), [&](const Sale& s) {
        QStringList parts;
        const QString driver = QStringLiteral("Водитель: ") + (s.driver.isEmpty() ? QStringLiteral("не указан") : s.driver);
        const QString car = QStringLiteral("Автомобиль: ") + (s.car.isEmpty() ? QStringLiteral("не указан") : s.car);
        if (options.byDrivers)
            parts << driver;
        if (options.byCars)
            parts << car;
        if (!options.driverFirst)
            std::reverse(parts.begin(), parts.end());
        return parts.join(QStringLiteral("; "));
    });
    return doc;
}

// ---- coupons (46) and cards (52) ----

int couponCount(const QString& coupons)
{
    int n = 0;
    for (const QString& part : coupons.split(QLatin1Char(',')))
        n += part.trimmed().isEmpty() ? 0 : 1;
    return n;
}

} // namespace

ReportDocument bonusShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({8});
    const std::int64_t firstShift = params.integer(0);
    const QVector<std::int64_t> flags = params.integers(1);
    const bool showEmpty = params.boolean(2);
    const std::int64_t lastShift = params.integer(3);
    const bool fuelTotals = params.boolean(4);
    const bool kindTotals = params.boolean(5);
    const bool allPayTypes = params.boolean(6);
    const QVector<std::int64_t> codes = params.integers(7);

    const PayTypes payTypes(context.db());
    const QVector<int> chosen = allPayTypes ? payTypes.all() : payTypes.selected(flags, codes);
    const ReportFormats& f = context.formats();
    const ReportSpan span = requiredShiftSpan(context.db(), params.reportNo(), firstShift, lastShift);
    ReportDocument doc = context.newDocument(QStringLiteral("Сменный отчет по бонусам и скидкам").toUpper());
    doc.addHeadLine(span.describe());
    doc.addHeadLine(QStringLiteral("Виды оплаты: ")
                    + (allPayTypes ? QStringLiteral("все") : payTypeList(payTypes, chosen)));

    SaleFilter filter;
    filter.span = span;
    filter.payTypes = chosen;
    filter.discounts = true;
    // Sales are gathered by payment type first; more rows than the limit
    // admits are never needed.
    QMap<int, QVector<Sale>> byPayType;
    int fetched = 0;
    forEachSale(context, filter, QStringLiteral("10, 1"), [&](const Sale& s) {
        byPayType[s.payType] << s;
        return ++fetched <= doc.limits().maxRows;
    });

    QMap<QString, SaleTotals> byFuel;
    SaleTotals all;
    for (int code : chosen) {
        const QVector<Sale> sales = byPayType.value(code);
        if (sales.isEmpty() && !showEmpty)
            continue;
        doc.addHeading(payTypes.name(code));
        if (sales.isEmpty()) {
            doc.addParagraph(QStringLiteral("Продаж со скидками и бонусами не было."));
            continue;
        }
        ReportTable& table = doc.addTable({{QStringLiteral("Дата, время")}, {QStringLiteral("ТРК"), CellAlign::Center},
                                           {QStringLiteral("ГСМ")}, {QStringLiteral("Литры"), CellAlign::Right},
                                           {QStringLiteral("Цена без\nскидки"), CellAlign::Right},
                                           {QStringLiteral("Цена"), CellAlign::Right},
                                           {QStringLiteral("Сумма, руб"), CellAlign::Right},
                                           {QStringLiteral("Скидка,\nруб"), CellAlign::Right},
                                           {QStringLiteral("Бонус, л"), CellAlign::Right},
                                           {QStringLiteral("Скидка / бонус")}, {QStringLiteral("Карта, условие")}});
        SaleTotals payTotals;
        QMap<QString, SaleTotals> byKind;
        for (const Sale& s : sales) {
            if (!doc.addRow(table, {s.time, s.dispenser, s.fuel, f.litres(units(s.litres)), f.money(units(s.basePrice)),
                                    f.money(units(s.price)), f.money(units(s.sum)), f.money(units(s.discountSum())),
                                    s.bonusLitres() != 0 ? f.litres(units(s.bonusLitres())) : QString(), s.discountName,
                                    s.discountParam}))
                return doc;
            payTotals.add(s);
            all.add(s);
            byFuel[s.fuel].add(s);
            byKind[s.discountName].add(s);
        }
        table.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), f.litres(units(payTotals.litres)), QString(),
                                    QString(), f.money(units(payTotals.sum)), f.money(units(payTotals.discount)),
                                    f.litres(units(payTotals.bonus)), QString(), QString()};
        if (kindTotals && !addDiscountTotals(doc, f, QStringLiteral("Скидка / бонус"), byKind))
            return doc;
    }
    if (fuelTotals && !byFuel.isEmpty()) {
        doc.addHeading(QStringLiteral("Итоги по ГСМ"));
        ReportTable* table = addDiscountTotals(doc, f, QStringLiteral("ГСМ"), byFuel);
        if (!table)
            return doc;
        table->totals << QStringList{QStringLiteral("Всего"), QString::number(all.count), f.litres(units(all.litres)),
                                     f.money(units(all.sum)), f.money(units(all.discount)), f.litres(units(all.bonus))};
    }
    if (all.count == 0 && doc.blocks().empty())
        doc.addParagraph(QStringLiteral("Продаж со скидками и бонусами не было."));
    return doc;
}

ReportDocument statementShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({8});
    const TDateTime from = params.dateTime(0);
    const TDateTime to = params.dateTime(1);
    const int firstShift = shiftNumberText(params, 2);
    const QString operatorName = params.text(3);
    const int lastShift = shiftNumberText(params, 4);
    const QVector<std::int64_t> flags = params.integers(5);
    params.text(6);
    const QVector<std::int64_t> codes = params.integers(7);
    Q_UNUSED(from);
    Q_UNUSED(to);
    const PayTypes payTypes(context.db());
    ReportSpan span = shiftSpan(context.db(), firstShift, lastShift);
    if (!operatorName.isEmpty())
        span.operatorName = operatorName;
    return accountSalesReport(context, statementTitle(payTypes), span, payTypes.selected(flags, codes), payTypes);
}

ReportDocument currentStatementShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({2});
    const QVector<std::int64_t> flags = params.integers(0);
    const QVector<std::int64_t> codes = params.integers(1);
    const PayTypes payTypes(context.db());
    if (const std::optional<ReportSpan> span = openShift(context.db()))
        return accountSalesReport(context, statementTitle(payTypes), *span, payTypes.selected(flags, codes), payTypes);
    ReportDocument doc = context.newDocument(statementTitle(payTypes));
    doc.addParagraph(noOpenShiftText());
    return doc;
}

ReportDocument contragentShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({11});
    params.dateTime(0);
    params.dateTime(1);
    ContragentOptions options;
    options.name = params.text(2);
    const int firstShift = shiftNumberText(params, 3);
    const QString operatorName = params.text(4);
    const int lastShift = shiftNumberText(params, 5);
    const QVector<std::int64_t> flags = params.integers(6);
    options.byDrivers = params.boolean(7);
    options.byCars = params.boolean(8);
    options.driverFirst = params.boolean(9);
    const QVector<std::int64_t> codes = params.integers(10);
    ReportSpan span = shiftSpan(context.db(), firstShift, lastShift);
    if (!operatorName.isEmpty())
        span.operatorName = operatorName;
    return contragentReport(context, QStringLiteral("СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ"), span, options,
                            PayTypes(context.db()).selected(flags, codes));
}

ReportDocument currentContragentShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({6});
    ContragentOptions options;
    options.name = params.text(0);
    const QVector<std::int64_t> flags = params.integers(1);
    options.byDrivers = params.boolean(2);
    options.byCars = params.boolean(3);
    options.driverFirst = params.boolean(4);
    const QVector<std::int64_t> codes = params.integers(5);
    const QString title = QStringLiteral("ТЕКУЩИЙ СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ");
    if (const std::optional<ReportSpan> span = openShift(context.db()))
        return contragentReport(context, title, *span, options, PayTypes(context.db()).selected(flags, codes));
    ReportDocument doc = context.newDocument(title);
    doc.addHeadLine(QStringLiteral("Контрагент: ") + options.name);
    doc.addParagraph(noOpenShiftText());
    return doc;
}

ReportDocument contractsShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({6});
    const TDateTime from = params.dateTime(0);
    const TDateTime to = params.dateTime(1);
    const QString shiftText = params.text(2);
    const QString operatorName = params.text(3);
    const QVector<std::int64_t> flags = params.integers(4);
    const QVector<std::int64_t> codes = params.integers(5);
    const PayTypes payTypes(context.db());
    ReportSpan span = periodSpan(from, to);
    ReportDocument doc = accountSalesReport(context, QStringLiteral("Сменный отпуск по договорам"), span,
                                            payTypes.selected(flags, codes), payTypes);
    if (!shiftText.trimmed().isEmpty())
        doc.addHeadLine(QStringLiteral("Смена №%1%2").arg(shiftText.trimmed(),
                                                          operatorName.isEmpty() ? QString()
                                                                                 : QStringLiteral(", оператор ") + operatorName));
    return doc;
}

ReportDocument currentContractsShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({3});
    params.integer(0);
    const QVector<std::int64_t> flags = params.integers(1);
    const QVector<std::int64_t> codes = params.integers(2);
    const PayTypes payTypes(context.db());
    const QString title = QStringLiteral("Текущий сменный отчет по договорам");
    if (const std::optional<ReportSpan> span = openShift(context.db()))
        return accountSalesReport(context, title, *span, payTypes.selected(flags, codes), payTypes);
    ReportDocument doc = context.newDocument(title);
    doc.addParagraph(noOpenShiftText());
    return doc;
}

ReportDocument talonsShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({4});
    const ReportSpan span = periodSpan(params.dateTime(0), params.dateTime(1));
    const QVector<std::int64_t> flags = params.integers(2);
    const QVector<std::int64_t> codes = params.integers(3);
    const PayTypes payTypes(context.db());
    const QVector<int> chosen = payTypes.selected(flags, codes);
    const ReportFormats& f = context.formats();
    ReportDocument doc = context.newDocument(QStringLiteral("Отливы по талонам"));
    doc.addHeadLine(span.describe());
    doc.addHeadLine(QStringLiteral("Виды оплаты: ") + payTypeList(payTypes, chosen));
    SaleFilter filter;
    filter.span = span;
    filter.payTypes = chosen;
    ReportTable& table = doc.addTable({{QStringLiteral("Дата, время")}, {QStringLiteral("Смена"), CellAlign::Right},
                                       {QStringLiteral("ТРК"), CellAlign::Center}, {QStringLiteral("ГСМ")},
                                       {QStringLiteral("Номера талонов")}, {QStringLiteral("Талонов"), CellAlign::Right},
                                       {QStringLiteral("Литры"), CellAlign::Right},
                                       {QStringLiteral("Сумма, руб"), CellAlign::Right}, {QStringLiteral("Оператор")}});
    QMap<QString, SaleTotals> byFuel;
    SaleTotals all;
    forEachSale(context, filter, QStringLiteral("1, 11"), [&](const Sale& s) {
        const int coupons = couponCount(s.buyer);
        if (!doc.addRow(table, {s.time, QString::number(s.shift), s.dispenser, s.fuel, s.buyer, QString::number(coupons),
                                f.litres(units(s.litres)), f.money(units(s.sum)), s.operatorName}))
            return false;
        all.add(s);
        all.coupons += coupons;
        byFuel[s.fuel].add(s);
        byFuel[s.fuel].coupons += coupons;
        return true;
    });
    table.totals << QStringList{QStringLiteral("Итого"), QString(), QString(), QString(), QString(),
                                QString::number(all.coupons), f.litres(units(all.litres)), f.money(units(all.sum)), QString()};
    if (!byFuel.isEmpty()) {
        doc.addHeading(QStringLiteral("Итоги по ГСМ"));
        ReportTable& fuels = doc.addTable({{QStringLiteral("ГСМ")}, {QStringLiteral("Отливов"), CellAlign::Right},
                                           {QStringLiteral("Талонов"), CellAlign::Right},
                                           {QStringLiteral("Литры"), CellAlign::Right},
                                           {QStringLiteral("Сумма, руб"), CellAlign::Right}});
        for (auto it = byFuel.begin(); it != byFuel.end(); ++it) {
            if (!doc.addRow(fuels, {it.key(), QString::number(it->count), QString::number(it->coupons),
                                    f.litres(units(it->litres)), f.money(units(it->sum))}))
                break;
        }
    }
    return doc;
}

ReportDocument cardsShiftReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({8});
    const QVector<std::int64_t> flags = params.integers(4);
    const QString mask = params.text(5);
    const bool discountCards = params.boolean(6);
    const QVector<std::int64_t> codes = params.integers(7);
    const QString title = mask.isEmpty() ? QStringLiteral("Отливы по пластиковым картам")
                                         : QStringLiteral("Отливы по номеру карты");
    ReportDocument doc = context.newDocument(title);
    // The current shift comes as four zeros instead of shifts and times.
    const bool current = params.integer(0) == 0 && params.integer(1) == 0 && params.number(2) == 0
                         && params.number(3) == 0;
    ReportSpan span;
    if (current) {
        const std::optional<ReportSpan> open = currentSpan(context, doc);
        if (!open)
            return doc;
        span = *open;
    } else {
        params.dateTime(2);
        params.dateTime(3);
        span = shiftSpan(context.db(), int(params.integer(0)), int(params.integer(1)));
        doc.addHeadLine(span.describe());
    }
    const PayTypes payTypes(context.db());
    const QVector<int> chosen = payTypes.selected(flags, codes);
    doc.addHeadLine(QStringLiteral("Виды оплаты: ") + payTypeList(payTypes, chosen)
                    + (discountCards ? QStringLiteral("; продажи по дисконтным картам") : QString()));
    if (!mask.isEmpty())
        doc.addHeadLine(QStringLiteral("Номер карты: ") + mask);
    SaleFilter filter;
    filter.span = span;
    filter.payTypes = chosen;
    filter.cardMask = mask;
    filter.discountCardSales = discountCards;
    const ReportFormats& f = context.formats();
    ReportTable& table = doc.addTable({{QStringLiteral("Карта")}, {QStringLiteral("Дата, время")},
                                       {QStringLiteral("ТРК"), CellAlign::Center}, {QStringLiteral("ГСМ")},
                                       {QStringLiteral("Литры"), CellAlign::Right},
                                       {QStringLiteral("Цена"), CellAlign::Right},
                                       {QStringLiteral("Сумма, руб"), CellAlign::Right}, {QStringLiteral("Вид оплаты")}});
    QMap<QString, SaleTotals> byFuel;
    SaleTotals all;
    forEachSale(context, filter, QStringLiteral("11, 1"), [&](const Sale& s) {
        if (!doc.addRow(table, {s.buyer, s.time, s.dispenser, s.fuel, f.litres(units(s.litres)), f.money(units(s.price)),
                                f.money(units(s.sum)), payTypes.name(s.payType)}))
            return false;
        all.add(s);
        byFuel[s.fuel].add(s);
        return true;
    });
    table.totals << QStringList{QStringLiteral("Итого"), QStringLiteral("отливов: %1").arg(all.count), QString(),
                                QString(), f.litres(units(all.litres)), QString(), f.money(units(all.sum)), QString()};
    addFuelTotals(doc, f, byFuel);
    return doc;
}

} // namespace velta::station
