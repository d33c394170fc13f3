#include "station/providers/ProviderUpdateApplier.h"

#include "common/Exception.h"
#include "station/providers/ProviderRegistry.h"
#include "station/providers/ProviderValues.h"
#include "station/db/StationDatabase.h"

#include <QVector>

namespace velta::station {
namespace {

QString quoted(const QString& column)
{
    return QLatin1Char('"') + QString(column).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

struct Target {
    int field;
    QString column;
};

} // namespace

QSqlQuery& ProviderUpdateApplier::statement(const QString& sql)
{
    auto it = prepared_.find(sql);
    if (it == prepared_.end()) {
        QSqlQuery query = db_.query();
        if (!query.prepare(sql))
            raiseQueryError(query, sql.left(200));
        it = prepared_.insert(sql, query);
    }
    return *it;
}

void ProviderUpdateApplier::run(QSqlQuery& query, const QString& context, bool needsRow)
{
    if (!query.exec())
        raiseQueryError(query, context);
    if (needsRow && query.numRowsAffected() < 1)
        throw EDatabaseError(context + QStringLiteral(" -> Record not found or changed by another user"));
}

void ProviderUpdateApplier::apply(const ProviderDef& provider, const DataPacket& delta, const QSet<QString>& tableColumns)
{
    if (provider.table.isEmpty() || provider.readOnly)
        throw EDatabaseError(QStringLiteral("Provider %1 does not apply updates").arg(provider.name));
    // Fields that have a column in the table, and the key among them.
    QVector<Target> writable;
    QVector<Target> keys;
    for (int f = 0; f < delta.fieldCount(); ++f) {
        const FieldDef& field = delta.field(f);
        const QString column = provider.columnFor(field.name);
        if (!tableColumns.contains(column))
            continue;
        if (field.inUpdate())
            writable << Target{f, column};
        if (provider.keyColumns.contains(column))
            keys << Target{f, column};
    }
    if (keys.size() != provider.keyColumns.size())
        throw EDatabaseError(QStringLiteral("Provider %1: the change log lacks the key fields %2")
                                 .arg(provider.name, provider.keyColumns.join(QStringLiteral(", "))));
    const QString table = quoted(provider.table);
    const QString context = QStringLiteral("ApplyUpdates %1").arg(provider.name);

    auto whereKey = [&](const ChangeEntry& change, QStringList& clauses, QVector<QVariant>& binds) {
        for (const Target& k : keys) {
            const Variant& original = change.original.at(k.field);
            if (original.isEmptyOrNull()) {
                clauses << quoted(k.column) + QStringLiteral(" IS NULL");
            } else {
                clauses << quoted(k.column) + QStringLiteral(" = ?");
                binds << sqlValue(delta.field(k.field), original);
            }
        }
    };

    for (const ChangeEntry& change : delta.changes()) {
        QStringList columns;
        QStringList where;
        QVector<QVariant> binds;
        QString sql;
        switch (change.state) {
        case RowState::Unmodified:
            continue;
        case RowState::Modified:
            for (const Target& t : writable) {
                if (!change.changed(t.field))
                    continue;
                // The driver binds a null as an empty value: NULL goes into the text.
                const Variant& value = change.values.at(t.field);
                if (value.isEmptyOrNull()) {
                    columns << quoted(t.column) + QStringLiteral(" = NULL");
                    continue;
                }
                columns << quoted(t.column) + QStringLiteral(" = ?");
                binds << sqlValue(delta.field(t.field), value);
            }
            if (columns.isEmpty())
                continue;
            whereKey(change, where, binds);
            sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                      .arg(table, columns.join(QStringLiteral(", ")), where.join(QStringLiteral(" AND ")));
            break;
        case RowState::Inserted: {
            // Null values are left out so column defaults and numbering triggers apply.
            for (const Target& t : writable) {
                const Variant& value = change.values.at(t.field);
                if (value.isEmptyOrNull())
                    continue;
                columns << quoted(t.column);
                binds << sqlValue(delta.field(t.field), value);
            }
            if (columns.isEmpty())
                throw EDatabaseError(context + QStringLiteral(" -> An inserted record has no values"));
            QStringList marks;
            marks.fill(QStringLiteral("?"), columns.size());
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
            break;
        }
        case RowState::Deleted:
            whereKey(change, where, binds);
            sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, where.join(QStringLiteral(" AND ")));
            break;
        }
        QSqlQuery& query = statement(sql);
        for (int i = 0; i < binds.size(); ++i)
            query.bindValue(i, binds[i]);
        run(query, context, change.state != RowState::Inserted);
    }
}

} // namespace velta::station
