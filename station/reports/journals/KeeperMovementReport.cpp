#include "station/reports/journals/KeeperMovementReport.h"

#include "common/Exception.h"
#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"
#include "station/reports/journals/FuelJournalReport.h"

#include <QMap>
#include <algorithm>

namespace velta::station {
namespace {

enum class Move { Receipt, PumpOut, Sale };

struct KeeperOperation {
    QString when; // as stored, "yyyy-MM-dd hh:mm:ss.zzz", so it sorts
    Move move = Move::Receipt;
    QString fuel;
    QString document;
    std::int64_t litres = 0;
};

struct Balance {
    std::int64_t opening = 0;
    std::int64_t in = 0;
    std::int64_t out = 0;
    std::int64_t closing() const { return opening + in - out; }
};

QString moveName(Move move)
{
    switch (move) {
    case Move::Receipt: return QStringLiteral("Приход");
    case Move::PumpOut: return QStringLiteral("Откачка");
    case Move::Sale: return QStringLiteral("Отпуск");
    }
    return QString();
}

bool isIncoming(Move move) { return move == Move::Receipt; }

// Every counted operation of the keeper up to `to` (exclusive), oldest first:
// its receipts and pump-outs (PRX, transfers left out) and its sales (LOGTRAN).
QVector<KeeperOperation> keeperOperations(StationDatabase& db, int keeperId, const QVector<int>& saleIds,
                                          const QString& to)
{
    QVector<KeeperOperation> operations;
    QSqlQuery prx = db.prepare(QStringLiteral(
        "SELECT CAST(BEGTIME AS VARCHAR(24)), PRIHOD, GSMNAME, TTNNUM, OPNUM, CAST(FACT1 AS VARCHAR(32)) FROM PRX "
        "WHERE KEEPER_ID = ? AND AUTO <> 4 AND %1 AND BEGTIME < CAST(? AS TIMESTAMP) ORDER BY BEGTIME, OPNUM")
                                   .arg(countedEntriesCondition()));
    prx.addBindValue(keeperId);
    prx.addBindValue(to);
    execPrepared(prx, QStringLiteral("Keeper fuel entries"));
    while (prx.next()) {
        KeeperOperation op;
        op.when = prx.value(0).toString();
        op.move = prx.value(1).toInt() == 1 ? Move::Receipt : Move::PumpOut;
        op.fuel = prx.value(2).toString().trimmed();
        const QString waybill = prx.value(3).toString().trimmed();
        op.document = waybill.isEmpty() ? QStringLiteral("опер. №%1").arg(prx.value(4).toInt())
                                        : QStringLiteral("ТТН ") + waybill;
        op.litres = scaledAmount(prx.value(5));
        operations << op;
    }
    if (!saleIds.isEmpty()) {
        QStringList ids;
        for (int id : saleIds)
            ids << QString::number(id);
        QSqlQuery sales = db.prepare(QStringLiteral(
            "SELECT CAST(DATA AS VARCHAR(24)), GSMNAME, INDEXSALE, CAST(LITER AS VARCHAR(32)) FROM LOGTRAN "
            "WHERE IDCNT IN (%1) AND DATA < CAST(? AS TIMESTAMP) ORDER BY DATA, INDEXSALE")
                                         .arg(placeholders(int(ids.size()))));
        for (const QString& id : ids)
            sales.addBindValue(id);
        sales.addBindValue(to);
        execPrepared(sales, QStringLiteral("Keeper sales"));
        while (sales.next()) {
            KeeperOperation op;
            op.when = sales.value(0).toString();
            op.move = Move::Sale;
            op.fuel = sales.value(1).toString().trimmed();
            op.document = QStringLiteral("чек №%1").arg(sales.value(2).toInt());
            op.litres = scaledAmount(sales.value(3));
            operations << op;
        }
    }
    std::stable_sort(operations.begin(), operations.end(),
                     [](const KeeperOperation& a, const KeeperOperation& b) { return a.when < b.when; });
    return operations;
}

QString keeperName(StationDatabase& db, int keeperId)
{
    QSqlQuery query = db.prepare(QStringLiteral("SELECT NAME FROM CONTRAGENT WHERE CONTR_ID = ?"));
    query.addBindValue(keeperId);
    execPrepared(query, QStringLiteral("Keeper"));
    if (!query.next())
        throw EDatabaseError(QStringLiteral("Хранитель с кодом %1 не найден в справочнике").arg(keeperId));
    return query.value(0).toString().trimmed();
}

} // namespace

ReportDocument keeperMovementReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({4});
    const int keeperId = int(params.integer(1));
    const TDateTime begin = params.dateTime(2);
    const TDateTime end = params.dateTime(3);
    if (end < begin)
        params.fail(3, QStringLiteral("an end not before the begin"));
    StationDatabase& db = context.db();
    const QString name = keeperName(db, keeperId);
    QVector<int> saleIds = contragentIds(db, name);
    if (!saleIds.contains(keeperId))
        saleIds.prepend(keeperId);

    ReportDocument document = context.newDocument(QStringLiteral("ДВИЖЕНИЕ ГСМ ПО ХРАНИТЕЛЮ"));
    document.addHeadLine(QStringLiteral("Хранитель: ") + name);
    document.addHeadLine(QStringLiteral("Период: с %1 по %2").arg(shownDateTime(begin), shownDateTime(end)));

    // The end is taken in: an operation stamped at the end second belongs to the period.
    const QString from = sqlTimestamp(begin);
    const QString to = sqlTimestamp(end + 1.0 / 86400.0);
    const QVector<KeeperOperation> operations = keeperOperations(db, keeperId, saleIds, to);
    QMap<QString, Balance> byFuel;
    QVector<const KeeperOperation*> inPeriod;
    for (const KeeperOperation& op : operations) {
        Balance& balance = byFuel[op.fuel];
        const std::int64_t signedLitres = isIncoming(op.move) ? op.litres : -op.litres;
        if (op.when < from) {
            balance.opening += signedLitres;
            continue;
        }
        (isIncoming(op.move) ? balance.in : balance.out) += op.litres;
        inPeriod << &op;
    }
    if (byFuel.isEmpty()) {
        document.addParagraph(QStringLiteral("Движения ГСМ по хранителю нет"));
        return document;
    }

    const ReportFormats& f = context.formats();
    document.addHeading(QStringLiteral("Остатки ГСМ хранителя"));
    ReportTable& balances = document.addTable({{QStringLiteral("ГСМ")},
                                               {QStringLiteral("Остаток на\nначало, л"), CellAlign::Right},
                                               {QStringLiteral("Приход,\nл"), CellAlign::Right},
                                               {QStringLiteral("Расход,\nл"), CellAlign::Right},
                                               {QStringLiteral("Остаток на\nконец, л"), CellAlign::Right}});
    Balance all;
    for (auto it = byFuel.constBegin(); it != byFuel.constEnd(); ++it) {
        const Balance& b = it.value();
        if (!document.addRow(balances, {it.key(), f.litres(units(b.opening)), f.litres(units(b.in)),
                                        f.litres(units(b.out)), f.litres(units(b.closing()))}))
            return document;
        all.opening += b.opening;
        all.in += b.in;
        all.out += b.out;
    }
    if (byFuel.size() > 1)
        balances.totals << QStringList{QStringLiteral("Всего"), f.litres(units(all.opening)), f.litres(units(all.in)),
                                       f.litres(units(all.out)), f.litres(units(all.closing()))};

    document.addHeading(QStringLiteral("Операции за период"));
    if (inPeriod.isEmpty()) {
        document.addParagraph(QStringLiteral("За период операций нет"));
        return document;
    }
    ReportTable& moves = document.addTable({{QStringLiteral("Дата, время")},
                                            {QStringLiteral("Операция")},
                                            {QStringLiteral("ГСМ")},
                                            {QStringLiteral("Документ")},
                                            {QStringLiteral("Приход,\nл"), CellAlign::Right},
                                            {QStringLiteral("Расход,\nл"), CellAlign::Right}});
    for (const KeeperOperation* op : inPeriod) {
        const QString litres = f.litres(units(op->litres));
        const bool in = isIncoming(op->move);
        if (!document.addRow(moves, {shownTimestamp(op->when), moveName(op->move), op->fuel, op->document,
                                     in ? litres : QString(), in ? QString() : litres}))
            return document;
    }
    moves.totals << QStringList{QString(), QStringLiteral("Операций: %1").arg(inPeriod.size()), QString(), QString(),
                                f.litres(units(all.in)), f.litres(units(all.out))};
    return document;
}

} // namespace velta::station
