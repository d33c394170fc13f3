#include "station/reports/journals/DiscountCardsReport.h"

#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <QMap>

namespace velta::station {
namespace {

// The LOGTRANDSC kind of a discount by card; its DSCPARAM is the card number.
constexpr int kCardDiscount = 1;

enum Form { kByFuel = 0, kByStation = 1, kByCard = 2 };

struct Sums {
    int sales = 0;
    std::int64_t litres = 0;
    std::int64_t sum = 0;
    std::int64_t discount = 0;
    void add(const Sums& other)
    {
        sales += other.sales;
        litres += other.litres;
        sum += other.sum;
        discount += other.discount;
    }
};

QStringList lines(const QString& text)
{
    QStringList out;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            out << trimmed;
    }
    return out;
}

QString maskPattern(const QString& mask)
{
    QString pattern;
    for (const QChar c : mask) {
        if (c == QLatin1Char('?'))
            pattern += QLatin1Char('.');
        else if (c == QLatin1Char('*'))
            pattern += QStringLiteral(".*");
        else
            pattern += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression::anchoredPattern(pattern);
}

// Per card: the sums of each station's fuels.
using CardTable = QMap<QString, QMap<QString, Sums>>;

CardTable cardSales(StationDatabase& db, const CardMasks& masks)
{
    QSqlQuery query = db.prepare(QStringLiteral(
        "SELECT d.DSCPARAM, l.GSMNAME, CAST(l.LITER AS VARCHAR(32)), CAST(l.SUMMA AS VARCHAR(32)), "
        "CAST(CAST(l.LITER * l.BASEPRICE AS NUMERIC(18,2)) - l.SUMMA AS VARCHAR(32)) "
        "FROM LOGTRANDSC d JOIN LOGTRAN l ON l.INDEXSALE = d.INDEXSALE WHERE d.DSCVALTYPE = ? "
        "ORDER BY d.DSCPARAM, l.INDEXSALE"));
    query.addBindValue(kCardDiscount);
    execPrepared(query, QStringLiteral("Discount card sales"));
    CardTable table;
    while (query.next()) {
        const QString card = query.value(0).toString().trimmed();
        if (card.isEmpty() || !masks.matches(card))
            continue;
        Sums& s = table[card][query.value(1).toString().trimmed()];
        ++s.sales;
        s.litres += scaledAmount(query.value(2));
        s.sum += scaledAmount(query.value(3));
        s.discount += scaledAmount(query.value(4));
    }
    return table;
}

QStringList sumCells(const Sums& s, const ReportFormats& f)
{
    return {QString::number(s.sales), f.litres(units(s.litres)), f.money(units(s.sum)), f.money(units(s.discount))};
}

} // namespace

CardMasks::CardMasks(const QString& cards)
{
    if (cards.trimmed() == QLatin1String("*")) {
        all_ = true;
        return;
    }
    texts_ = lines(cards);
    for (const QString& mask : texts_)
        patterns_ << QRegularExpression(maskPattern(mask), QRegularExpression::CaseInsensitiveOption);
}

bool CardMasks::matches(const QString& card) const
{
    if (all_)
        return true;
    for (const QRegularExpression& pattern : patterns_)
        if (pattern.match(card).hasMatch())
            return true;
    return false;
}

StationChoice StationChoice::read(const QString& stations)
{
    StationChoice choice;
    choice.all = stations.trimmed() == QLatin1String("*");
    if (!choice.all)
        choice.names = lines(stations);
    return choice;
}

bool StationChoice::includes(const QString& station) const
{
    return all || names.contains(station.trimmed(), Qt::CaseInsensitive);
}

ReportDocument discountCardsReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({4});
    const std::int64_t form = params.integer(1);
    if (form < kByFuel || form > kByCard)
        params.fail(1, QStringLiteral("a report form 0, 1 or 2"));
    const CardMasks masks(params.text(2));
    const StationChoice stations = StationChoice::read(params.text(3));

    ReportDocument document = context.newDocument(QStringLiteral("ОТЧЕТ ПО ДИСКОНТНЫМ КАРТАМ"));
    static const char* const kForms[] = {"детальный (карты, АЗС, ГСМ, суммы)", "подробный (карты, АЗС, суммы)",
                                         "суммарный (карты, суммы)"};
    document.addHeadLine(QStringLiteral("Форма отчета: ") + QString::fromUtf8(kForms[form]));
    document.addHeadLine(masks.all() ? QStringLiteral("Карты: все")
                                     : QStringLiteral("Карты: ") + masks.texts().join(QStringLiteral(", ")));
    document.addHeadLine(stations.all ? QStringLiteral("АЗС: все")
                                      : QStringLiteral("АЗС: ") + stations.names.join(QStringLiteral(", ")));
    if (!stations.all && stations.names.isEmpty()) {
        document.addParagraph(QStringLiteral("АЗС не выбраны"));
        return document;
    }
    if (!masks.all() && masks.texts().isEmpty()) {
        document.addParagraph(QStringLiteral("Карты не заданы"));
        return document;
    }
    // This station's engine holds this station's sales only.
    const QString station = context.stationName();
    const CardTable table = stations.includes(station) ? cardSales(context.db(), masks) : CardTable();
    if (table.isEmpty()) {
        document.addParagraph(QStringLiteral("Продаж по дисконтным картам нет"));
        return document;
    }

    const ReportFormats& f = context.formats();
    QVector<ReportColumn> columns = {{QStringLiteral("Карта")}};
    if (form != kByCard)
        columns << ReportColumn{QStringLiteral("АЗС")};
    if (form == kByFuel)
        columns << ReportColumn{QStringLiteral("ГСМ")};
    columns << ReportColumn{QStringLiteral("Продаж"), CellAlign::Right} << ReportColumn{QStringLiteral("Литры"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Сумма"), CellAlign::Right}
            << ReportColumn{QStringLiteral("Скидка"), CellAlign::Right};
    ReportTable& out = document.addTable(columns);
    const int labelColumns = int(columns.size()) - 4;
    Sums all;
    for (auto card = table.constBegin(); card != table.constEnd(); ++card) {
        Sums cardSums;
        for (auto fuel = card.value().constBegin(); fuel != card.value().constEnd(); ++fuel) {
            cardSums.add(fuel.value());
            if (form == kByFuel && !document.addRow(out, QStringList{card.key(), station, fuel.key()} + sumCells(fuel.value(), f)))
                return document;
        }
        all.add(cardSums);
        if (form == kByStation && !document.addRow(out, QStringList{card.key(), station} + sumCells(cardSums, f)))
            return document;
        if (form == kByCard && !document.addRow(out, QStringList{card.key()} + sumCells(cardSums, f)))
            return document;
    }
    QStringList totals{QStringLiteral("Всего карт: %1").arg(table.size())};
    while (totals.size() < labelColumns)
        totals << QString();
    out.totals << totals + sumCells(all, f);
    return document;
}

} // namespace velta::station
