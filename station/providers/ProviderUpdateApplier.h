#pragma once
// ProviderUpdateApplier: writes a client's change log to a provider's table -
// each change a parameterised UPDATE, INSERT or DELETE that finds its row by
// the provider's key columns. It runs inside the caller's transaction; the
// caller rolls everything back when any change fails.
#include "common/DataPacket.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QString>

namespace velta::station {

class StationDatabase;
struct ProviderDef;

class ProviderUpdateApplier {
public:
    explicit ProviderUpdateApplier(StationDatabase& db) : db_(db) {}

    // Applies every change of delta; tableColumns are the table's columns
    // (upper case). Raises EDatabaseError with the engine's text on a failed
    // statement, and "Record not found or changed by another user" when an
    // update or delete finds no row.
    void apply(const ProviderDef& provider, const DataPacket& delta, const QSet<QString>& tableColumns);

private:
    QSqlQuery& statement(const QString& sql);
    void run(QSqlQuery& query, const QString& context, bool needsRow);

    StationDatabase& db_;
    QHash<QString, QSqlQuery> prepared_;
};

} // namespace velta::station
