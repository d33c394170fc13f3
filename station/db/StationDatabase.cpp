#include "station/db/StationDatabase.h"

#include "common/Exception.h"

#include <QSqlError>
#include <QSqlRecord>
#include <atomic>
#include <utility>

namespace velta::station {
namespace {

QString uniqueConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("velta-station-%1").arg(counter.fetch_add(1));
}

QString errorText(const QSqlError& error)
{
    const QString db = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (db.isEmpty())
        return driver;
    if (driver.isEmpty())
        return db;
    return driver + QStringLiteral(": ") + db;
}

thread_local QVector<RecordedStatement>* statementLog = nullptr;

void record(const QString& sql, const QVariantList& values, bool prepared)
{
    if (statementLog)
        statementLog->push_back({sql, values, prepared});
}

} // namespace

QVector<RecordedStatement>* setStatementLog(QVector<RecordedStatement>* log)
{
    return std::exchange(statementLog, log);
}

void raiseQueryError(const QSqlQuery& query, const QString& context)
{
    throw EDatabaseError(context + QStringLiteral(" -> ") + errorText(query.lastError()));
}

void execPrepared(QSqlQuery& query, const QString& context)
{
    if (statementLog)
        record(query.lastQuery(), query.boundValues(), true);
    if (!query.exec())
        raiseQueryError(query, context);
}

void execQuery(QSqlQuery& query, const QString& sql, const QString& context)
{
    record(sql, {}, false);
    if (!query.exec(sql))
        raiseQueryError(query, context);
}

StationDatabase::StationDatabase(const QString& path)
    : path_(path)
    , connectionName_(uniqueConnectionName())
{
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), connectionName_);
    if (!db_.isValid()) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        throw EDatabaseError(QStringLiteral("The QIBASE driver of QtSql is not available"));
    }
    db_.setDatabaseName(path);
    db_.setUserName(QStringLiteral("SYSDBA"));
    db_.setPassword(QStringLiteral("masterkey"));
    if (!db_.open()) {
        const QString text = errorText(db_.lastError());
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        throw EDatabaseError(QStringLiteral("Cannot open database %1: %2").arg(path, text));
    }
}

StationDatabase::~StationDatabase()
{
    if (db_.isOpen())
        db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

QSqlQuery StationDatabase::query() const
{
    QSqlQuery q(db_);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    q.setForwardOnly(true);
    return q;
}

void StationDatabase::exec(const QString& sql)
{
    QSqlQuery q = query();
    execQuery(q, sql, sql.simplified().left(200));
}

QVariant StationDatabase::scalar(const QString& sql)
{
    QSqlQuery q = query();
    execQuery(q, sql, sql.simplified().left(200));
    return q.next() ? q.value(0) : QVariant();
}

QSqlQuery StationDatabase::prepare(const QString& sql)
{
    QSqlQuery q = query();
    if (!q.prepare(sql))
        raiseQueryError(q, sql.simplified().left(200));
    return q;
}

QStringList StationDatabase::tableNames()
{
    QStringList names;
    QSqlQuery q = query();
    if (!q.exec(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                               "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1")))
        raiseQueryError(q, QStringLiteral("tables"));
    while (q.next())
        names << q.value(0).toString();
    return names;
}

QStringList StationDatabase::columnNames(const QString& table)
{
    QStringList names;
    QSqlQuery q = query();
    q.prepare(QStringLiteral("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS "
                             "WHERE RDB$RELATION_NAME = ? ORDER BY RDB$FIELD_POSITION"));
    q.addBindValue(table.toUpper());
    execPrepared(q, QStringLiteral("columns of ") + table);
    while (q.next())
        names << q.value(0).toString();
    return names;
}

bool StationDatabase::hasColumn(const QString& table, const QString& column)
{
    return columnNames(table).contains(column.toUpper());
}

void StationDatabase::begin()
{
    if (inTransaction_)
        throw EDatabaseError(QStringLiteral("A transaction is already open on %1").arg(path_));
    if (!db_.transaction())
        throw EDatabaseError(QStringLiteral("Cannot start a transaction: ") + errorText(db_.lastError()));
    inTransaction_ = true;
    ++generation_;
}

void StationDatabase::commit()
{
    if (!db_.commit())
        throw EDatabaseError(QStringLiteral("Cannot commit: ") + errorText(db_.lastError()));
    inTransaction_ = false;
}

void StationDatabase::rollback()
{
    db_.rollback();
    inTransaction_ = false;
}

} // namespace velta::station
