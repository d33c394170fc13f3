#pragma once
// Fast bulk insertion into one table: rows are gathered into blocks that go to
// the engine in one statement, and committed every few thousand rows. Several
// inserters may work on one attachment at once; they share its transaction.
// Fixed-point values, timestamps and dates travel as text that the engine
// converts exactly.
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

class QSqlQuery;

namespace velta::station {

class StationDatabase;

enum class ColumnKind {
    Integer,   // int or qlonglong
    Text,      // QString
    Fixed,     // qlonglong scaled by 10000 (velta::Currency::scaled)
    Timestamp, // QDateTime
    Date       // QDate
};

struct ColumnSpec {
    QString name; // as in SQL; quote reserved words ("\"DATE\"")
    ColumnKind kind;
    int size = 100; // longest text of a Text column, in characters
};

class BatchInserter {
public:
    BatchInserter(StationDatabase& db, QString table, std::vector<ColumnSpec> columns, int rowsPerCommit = 5000);
    ~BatchInserter();
    BatchInserter(const BatchInserter&) = delete;
    BatchInserter& operator=(const BatchInserter&) = delete;

    // One row, values in column order; a null QVariant writes NULL.
    void add(QVector<QVariant> values);
    // Writes what is pending and commits the attachment's transaction. Without
    // finish(), the destructor rolls the open transaction back.
    void finish();
    qint64 rowsWritten() const { return rows_; }
    int rowsPerBlock() const { return blockRows_; }

private:
    void ensureTransaction();
    void writeBlock();
    void writeSingle(const QVector<QVariant>& row);
    void commitIfDue();
    QVariant toBound(const QVariant& value, const ColumnSpec& column) const;

    StationDatabase& db_;
    QString table_;
    std::vector<ColumnSpec> columns_;
    QString singleSql_;
    QString blockSql_;
    int blockRows_ = 1;
    int rowsPerCommit_;
    int sinceCommit_ = 0;
    qint64 rows_ = 0;
    quint64 preparedIn_ = 0; // transaction generation of the prepared statements
    QVector<QVector<QVariant>> buffer_;
    std::unique_ptr<QSqlQuery> single_;
    std::unique_ptr<QSqlQuery> block_;
};

} // namespace velta::station
