#include "station/reports/period/LimitReports.h"

#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <QMap>
#include <algorithm>

namespace velta::station {
namespace {

// The grants of one client, payment type and fuel: one limit account.
struct LimitAccount {
    int client = 0;
    int payCode = 0;
    QString fuel;
    QString firstGrant; // timestamp text: sales before it do not draw on the limit
    std::int64_t granted = 0;
};

QVector<LimitAccount> limitAccounts(StationDatabase& db, const QVector<int>& clients)
{
    QString sql = QStringLiteral("SELECT CONTR_ID, VIDOPL, GSMNAME, CAST(MIN(DATA) AS VARCHAR(24)), "
                                 "CAST(SUM(LITERS) AS VARCHAR(32)) FROM VDLIMIT");
    if (!clients.isEmpty())
        sql += QStringLiteral(" WHERE CONTR_ID IN (%1)").arg(placeholders(int(clients.size())));
    sql += QStringLiteral(" GROUP BY CONTR_ID, VIDOPL, GSMNAME");
    QSqlQuery query = db.prepare(sql);
    for (int id : clients)
        query.addBindValue(id);
    execPrepared(query, QStringLiteral("Limits"));
    QVector<LimitAccount> accounts;
    while (query.next())
        accounts << LimitAccount{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toString().trimmed(),
                                 query.value(3).toString(), scaledAmount(query.value(4))};
    return accounts;
}

// Litres a limit account's client took on it from its first grant up to (not including) a moment.
std::int64_t drawnBefore(StationDatabase& db, const LimitAccount& account, const QString& before)
{
    QSqlQuery query = db.prepare(QStringLiteral(
        "SELECT CAST(SUM(LITER) AS VARCHAR(32)) FROM LOGTRAN WHERE IDCNT = ? AND VIDOPL = ? AND GSMNAME = ? "
        "AND DATA >= CAST(? AS TIMESTAMP) AND DATA < CAST(? AS TIMESTAMP)"));
    query.addBindValue(QString::number(account.client));
    query.addBindValue(account.payCode);
    query.addBindValue(account.fuel);
    query.addBindValue(account.firstGrant);
    query.addBindValue(before);
    execPrepared(query, QStringLiteral("Limit sales"));
    return query.next() ? scaledAmount(query.value(0)) : 0;
}

// Far beyond any sale: "up to now" without asking the clock.
const QString kNoEnd = QStringLiteral("9999-12-31 00:00:00");

} // namespace

ReportDocument limitBalancesReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({1});
    StationDatabase& db = context.db();
    const PayTypes payTypes(db);
    const ReportFormats& f = context.formats();
    ReportDocument document = context.newDocument(QStringLiteral("ТЕКУЩИЕ ОСТАТКИ ПО УБЫВАЮЩИМ ЛИМИТАМ"));

    struct Line {
        QString client;
        LimitAccount account;
        std::int64_t drawn = 0;
    };
    QVector<Line> lines;
    for (const LimitAccount& account : limitAccounts(db, {}))
        lines << Line{contragentName(db, account.client), account, drawnBefore(db, account, kNoEnd)};
    if (lines.isEmpty()) {
        document.addParagraph(QStringLiteral("Убывающих лимитов нет"));
        return document;
    }
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return std::tie(a.client, a.account.client, a.account.payCode, a.account.fuel)
            < std::tie(b.client, b.account.client, b.account.payCode, b.account.fuel);
    });
    ReportTable& table = document.addTable({{QStringLiteral("Контрагент")},
                                            {QStringLiteral("Вид оплаты")},
                                            {QStringLiteral("ГСМ")},
                                            {QStringLiteral("Лимит с")},
                                            {QStringLiteral("Выдано,\nл"), CellAlign::Right},
                                            {QStringLiteral("Отпущено,\nл"), CellAlign::Right},
                                            {QStringLiteral("Остаток,\nл"), CellAlign::Right}});
    struct Sum {
        std::int64_t granted = 0;
        std::int64_t drawn = 0;
    };
    QMap<QString, Sum> byFuel;
    for (const Line& line : lines) {
        if (!document.addRow(table, {line.client, payTypes.name(line.account.payCode), line.account.fuel,
                                     shownTimestamp(line.account.firstGrant).left(10), f.litres(units(line.account.granted)),
                                     f.litres(units(line.drawn)), f.litres(units(line.account.granted - line.drawn))}))
            return document;
        byFuel[line.account.fuel].granted += line.account.granted;
        byFuel[line.account.fuel].drawn += line.drawn;
    }
    for (auto it = byFuel.constBegin(); it != byFuel.constEnd(); ++it)
        table.totals << QStringList{QStringLiteral("Итого ") + it.key(), QString(), QString(), QString(),
                                    f.litres(units(it.value().granted)), f.litres(units(it.value().drawn)),
                                    f.litres(units(it.value().granted - it.value().drawn))};
    return document;
}

ReportDocument limitDetailReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({4});
    const QString name = params.text(1);
    const ReportPeriod period = ReportPeriod::read(params, 2);
    StationDatabase& db = context.db();
    const PayTypes payTypes(db);
    const ReportFormats& f = context.formats();
    const QVector<int> clients = contragentIds(db, name);

    ReportDocument document = context.newDocument(QStringLiteral("ДЕТАЛИЗАЦИЯ ПО УБЫВАЮЩИМ ЛИМИТАМ"));
    document.addHeadLine(QStringLiteral("Контрагент: ") + name);
    document.addHeadLine(period.shown());
    const QVector<LimitAccount> accounts = limitAccounts(db, clients);
    if (accounts.isEmpty()) {
        document.addParagraph(QStringLiteral("У контрагента нет убывающих лимитов"));
        return document;
    }
    for (const LimitAccount& account : accounts) {
        // The balance at the begin: grants before it less what was taken on them.
        QSqlQuery before = db.prepare(QStringLiteral(
            "SELECT CAST(SUM(LITERS) AS VARCHAR(32)) FROM VDLIMIT WHERE CONTR_ID = ? AND VIDOPL = ? AND GSMNAME = ? "
            "AND DATA < CAST(? AS TIMESTAMP)"));
        before.addBindValue(account.client);
        before.addBindValue(account.payCode);
        before.addBindValue(account.fuel);
        before.addBindValue(period.sqlBegin());
        execPrepared(before, QStringLiteral("Limit grants"));
        const std::int64_t grantedBefore = before.next() ? scaledAmount(before.value(0)) : 0;
        std::int64_t balance = grantedBefore - drawnBefore(db, account, period.sqlBegin());

        // Grants and sales of the period in time order; a grant comes before a sale of the same moment.
        QSqlQuery moves = db.prepare(QStringLiteral(
            "SELECT CAST(DATA AS VARCHAR(24)), 0, CAST(LITERS AS VARCHAR(32)), PRIM, OPERATOR, '' FROM VDLIMIT "
            "WHERE CONTR_ID = ? AND VIDOPL = ? AND GSMNAME = ? AND DATA >= CAST(? AS TIMESTAMP) AND DATA < CAST(? AS TIMESTAMP) "
            "UNION ALL "
            "SELECT CAST(l.DATA AS VARCHAR(24)), 1, CAST(l.LITER AS VARCHAR(32)), COALESCE(car.NAME, ''), "
            "COALESCE(drv.NAME, ''), COALESCE(l.PLISTNUM, '') FROM LOGTRAN l "
            "LEFT JOIN VDCAR car ON car.ID = l.IDCAR LEFT JOIN VDDRIVER drv ON drv.ID = l.IDDRV "
            "WHERE l.IDCNT = ? AND l.VIDOPL = ? AND l.GSMNAME = ? AND l.DATA >= CAST(? AS TIMESTAMP) "
            "AND l.DATA >= CAST(? AS TIMESTAMP) AND l.DATA < CAST(? AS TIMESTAMP) ORDER BY 1, 2"));
        moves.addBindValue(account.client);
        moves.addBindValue(account.payCode);
        moves.addBindValue(account.fuel);
        moves.addBindValue(period.sqlBegin());
        moves.addBindValue(period.sqlEnd());
        moves.addBindValue(QString::number(account.client));
        moves.addBindValue(account.payCode);
        moves.addBindValue(account.fuel);
        moves.addBindValue(account.firstGrant);
        moves.addBindValue(period.sqlBegin());
        moves.addBindValue(period.sqlEnd());
        execPrepared(moves, QStringLiteral("Limit movement"));

        document.addHeading(QStringLiteral("%1, %2").arg(account.fuel, payTypes.name(account.payCode)));
        ReportTable& table = document.addTable({{QStringLiteral("Дата, время")},
                                                {QStringLiteral("Операция")},
                                                {QStringLiteral("Автомобиль /\nпримечание")},
                                                {QStringLiteral("Водитель /\nоператор")},
                                                {QStringLiteral("Путевой\nлист")},
                                                {QStringLiteral("Выдано,\nл"), CellAlign::Right},
                                                {QStringLiteral("Отпущено,\nл"), CellAlign::Right},
                                                {QStringLiteral("Остаток,\nл"), CellAlign::Right}});
        if (!document.addRow(table, {QString(), QStringLiteral("Остаток на начало"), QString(), QString(), QString(),
                                     QString(), QString(), f.litres(units(balance))}))
            return document;
        std::int64_t granted = 0;
        std::int64_t drawn = 0;
        while (moves.next()) {
            const bool grant = moves.value(1).toInt() == 0;
            const std::int64_t litres = scaledAmount(moves.value(2));
            (grant ? granted : drawn) += litres;
            balance += grant ? litres : -litres;
            if (!document.addRow(table, {shownTimestamp(moves.value(0)),
                                         grant ? QStringLiteral("Выдача лимита") : QStringLiteral("Отпуск"),
                                         moves.value(3).toString().trimmed(), moves.value(4).toString().trimmed(),
                                         moves.value(5).toString().trimmed(), grant ? f.litres(units(litres)) : QString(),
                                         grant ? QString() : f.litres(units(litres)), f.litres(units(balance))}))
                return document;
        }
        table.totals << QStringList{QString(), QStringLiteral("Итого за период"), QString(), QString(), QString(),
                                    f.litres(units(granted)), f.litres(units(drawn)), QString()}
                     << QStringList{QString(), QStringLiteral("Остаток на конец"), QString(), QString(), QString(),
                                    QString(), QString(), f.litres(units(balance))};
    }
    return document;
}

} // namespace velta::station
