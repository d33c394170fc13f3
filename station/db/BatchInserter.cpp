#include "station/db/BatchInserter.h"

#include "common/Exception.h"
#include "station/db/FixedPoint.h"
#include "station/db/StationDatabase.h"

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>
#include <algorithm>

namespace velta::station {
namespace {

// The engine's limits on one statement: its text and its input message must
// each stay below 64 KB.
constexpr int kMaxStatementChars = 48000;
constexpr int kMaxMessageBytes = 48000;
constexpr int kMaxBlockRows = 64;
constexpr int kConvertedTextLength = 32;

bool convertedByEngine(ColumnKind kind)
{
    return kind == ColumnKind::Fixed || kind == ColumnKind::Timestamp || kind == ColumnKind::Date;
}

QString parameterType(const ColumnSpec& c)
{
    switch (c.kind) {
    case ColumnKind::Integer:
        return QStringLiteral("BIGINT");
    case ColumnKind::Text:
        return QStringLiteral("VARCHAR(%1)").arg(std::max(c.size, 1));
    default:
        return QStringLiteral("VARCHAR(%1)").arg(kConvertedTextLength);
    }
}

int parameterBytes(const ColumnSpec& c)
{
    // Texts are described in the connection's character set (up to 4 bytes a character).
    switch (c.kind) {
    case ColumnKind::Integer:
        return 8 + 2;
    case ColumnKind::Text:
        return std::max(c.size, 1) * 4 + 4;
    default:
        return kConvertedTextLength * 4 + 4;
    }
}

} // namespace

BatchInserter::BatchInserter(StationDatabase& db, QString table, std::vector<ColumnSpec> columns, int rowsPerCommit)
    : db_(db)
    , table_(std::move(table))
    , columns_(std::move(columns))
    , rowsPerCommit_(std::max(rowsPerCommit, 1))
{
    QStringList names;
    QStringList params;
    int rowBytes = 0;
    for (const ColumnSpec& c : columns_) {
        names << c.name;
        // Text parameters are converted by the engine itself, exactly; a
        // NUMERIC parameter would go through the driver's binary double.
        params << (convertedByEngine(c.kind) ? QStringLiteral("CAST(? AS VARCHAR(%1))").arg(kConvertedTextLength)
                                             : QStringLiteral("?"));
        rowBytes += parameterBytes(c);
    }
    const QString columnList = names.join(QLatin1Char(','));
    singleSql_ = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table_, columnList, params.join(QLatin1Char(',')));

    // The block: EXECUTE BLOCK (P0_0 type = ?, ...) AS BEGIN INSERT ... VALUES (:P0_0, ...); ... END
    auto rowText = [&](int r, QString& declarations, QString& body) {
        QStringList values;
        for (size_t i = 0; i < columns_.size(); ++i) {
            const QString p = QStringLiteral("P%1_%2").arg(r).arg(i);
            if (!declarations.isEmpty())
                declarations += QLatin1Char(',');
            declarations += p + QLatin1Char(' ') + parameterType(columns_[i]) + QStringLiteral("=?");
            values << QLatin1Char(':') + p;
        }
        body += QStringLiteral("INSERT INTO %1 (%2) VALUES (%3);\n").arg(table_, columnList, values.join(QLatin1Char(',')));
    };
    QString probeDecl, probeBody;
    rowText(0, probeDecl, probeBody);
    const int rowChars = static_cast<int>(probeDecl.size() + probeBody.size()) + 8;
    blockRows_ = std::clamp(std::min(kMaxStatementChars / rowChars, kMaxMessageBytes / std::max(rowBytes, 1)), 1,
                            kMaxBlockRows);
    if (blockRows_ > 1) {
        QString declarations, body;
        for (int r = 0; r < blockRows_; ++r)
            rowText(r, declarations, body);
        blockSql_ = QStringLiteral("EXECUTE BLOCK (") + declarations + QStringLiteral(") AS BEGIN\n") + body
            + QStringLiteral("END");
    }
    buffer_.reserve(blockRows_);
}

BatchInserter::~BatchInserter()
{
    single_.reset();
    block_.reset();
    if (sinceCommit_ > 0 && db_.inTransaction())
        db_.rollback();
}

void BatchInserter::ensureTransaction()
{
    if (!db_.inTransaction())
        db_.begin();
    // Prepared anew in every transaction: the driver ties a statement to the
    // transaction it was prepared in.
    if (preparedIn_ != db_.transactionGeneration()) {
        single_.reset();
        block_.reset();
        preparedIn_ = db_.transactionGeneration();
    }
}

QVariant BatchInserter::toBound(const QVariant& value, const ColumnSpec& column) const
{
    if (value.isNull())
        return column.kind == ColumnKind::Integer ? QVariant(QMetaType::fromType<qlonglong>())
                                                  : QVariant(QMetaType::fromType<QString>());
    switch (column.kind) {
    case ColumnKind::Integer:
        return value.toLongLong();
    case ColumnKind::Text: {
        const QString text = value.toString();
        if (text.size() > column.size)
            throw EDatabaseError(QStringLiteral("%1.%2: text longer than %3 characters").arg(table_, column.name).arg(column.size));
        return text;
    }
    case ColumnKind::Fixed:
        return fixedText(value.toLongLong());
    case ColumnKind::Timestamp:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    case ColumnKind::Date:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    }
    return value;
}

void BatchInserter::add(QVector<QVariant> values)
{
    if (values.size() != static_cast<qsizetype>(columns_.size()))
        throw EDatabaseError(QStringLiteral("%1: %2 values for %3 columns").arg(table_).arg(values.size()).arg(columns_.size()));
    for (qsizetype i = 0; i < values.size(); ++i)
        values[i] = toBound(values[i], columns_[static_cast<size_t>(i)]);
    buffer_.push_back(std::move(values));
    if (buffer_.size() >= blockRows_)
        writeBlock();
}

void BatchInserter::writeBlock()
{
    ensureTransaction();
    if (blockRows_ == 1) {
        writeSingle(buffer_.front());
    } else {
        if (!block_)
            block_ = std::make_unique<QSqlQuery>(db_.prepare(blockSql_));
        int index = 0;
        for (const QVector<QVariant>& row : std::as_const(buffer_))
            for (const QVariant& value : row)
                block_->bindValue(index++, value);
        execPrepared(*block_, QStringLiteral("INSERT INTO ") + table_);
        rows_ += buffer_.size();
        sinceCommit_ += static_cast<int>(buffer_.size());
    }
    buffer_.clear();
    commitIfDue();
}

void BatchInserter::writeSingle(const QVector<QVariant>& row)
{
    ensureTransaction();
    if (!single_)
        single_ = std::make_unique<QSqlQuery>(db_.prepare(singleSql_));
    for (qsizetype i = 0; i < row.size(); ++i)
        single_->bindValue(static_cast<int>(i), row[i]);
    execPrepared(*single_, QStringLiteral("INSERT INTO ") + table_);
    ++rows_;
    ++sinceCommit_;
}

void BatchInserter::commitIfDue()
{
    if (sinceCommit_ < rowsPerCommit_)
        return;
    single_.reset();
    block_.reset();
    if (db_.inTransaction())
        db_.commit();
    sinceCommit_ = 0;
}

void BatchInserter::finish()
{
    for (const QVector<QVariant>& row : std::as_const(buffer_))
        writeSingle(row);
    buffer_.clear();
    single_.reset();
    block_.reset();
    if (db_.inTransaction())
        db_.commit();
    sinceCommit_ = 0;
}

} // namespace velta::station
