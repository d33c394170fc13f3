#pragma once
// One attachment to an embedded Firebird database through QtSql's QIBASE
// driver: opens a file path, runs statements and raises EDatabaseError with
// the engine's own text when one fails. One object per thread.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

namespace velta::station {

class StationDatabase {
public:
    // Attaches to an existing database file; raises EDatabaseError when it cannot.
    explicit StationDatabase(const QString& path);
    ~StationDatabase();
    StationDatabase(const StationDatabase&) = delete;
    StationDatabase& operator=(const StationDatabase&) = delete;

    QSqlDatabase& db() { return db_; }
    const QString& path() const { return path_; }

    // A query on this attachment that reads NUMERIC values as exact decimal text.
    QSqlQuery query() const;
    // Runs one statement (DDL or DML) in its own transaction handling of the driver.
    void exec(const QString& sql);
    // Runs a query and returns the first column of its first row (null when no row).
    QVariant scalar(const QString& sql);
    // Prepares a statement; raises on a syntax or metadata error.
    QSqlQuery prepare(const QString& sql);

    // Table and column names as the engine stores them (upper case, trimmed).
    QStringList tableNames();
    QStringList columnNames(const QString& table);
    bool hasColumn(const QString& table, const QString& column);

    // One transaction at a time per attachment; statements prepared in one
    // belong to it, so users re-prepare when the generation has moved on.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return inTransaction_; }
    quint64 transactionGeneration() const { return generation_; }

private:
    QString path_;
    QString connectionName_;
    QSqlDatabase db_;
    bool inTransaction_ = false;
    quint64 generation_ = 0;
};

// A statement run through the helpers below: its text, its bound values in
// order, and whether it was prepared.
struct RecordedStatement {
    QString sql;
    QVariantList values;
    bool prepared = false;
};

// While a log is set on this thread, each statement run by execPrepared,
// execQuery, exec or scalar is appended to it (the benchmarks replay them as
// the bare SQL of a report); nullptr stops recording. Returns the previous log.
QVector<RecordedStatement>* setStatementLog(QVector<RecordedStatement>* log);

// Raises EDatabaseError for a failed query: context, then the driver's text.
[[noreturn]] void raiseQueryError(const QSqlQuery& query, const QString& context);

// Runs a prepared query, raising EDatabaseError when it fails.
void execPrepared(QSqlQuery& query, const QString& context);

// Runs sql directly on query, raising EDatabaseError with context when it fails.
void execQuery(QSqlQuery& query, const QString& sql, const QString& context);

} // namespace velta::station
