#pragma once
// ProviderCursor: one open query of a provider on a connection's attachment,
// handing out its rows in packets as the client asks for them. The query is
// read forward only; one row is read ahead to know whether more remain.
#include "common/Variant.h"
#include "station/providers/ProviderPacketWriter.h"

#include <QSet>
#include <QSqlQuery>
#include <QString>
#include <memory>

namespace velta::station {

class StationDatabase;
struct ProviderDef;

class ProviderCursor {
public:
    // Runs sql with the [name, value] pairs of params (and the provider's
    // defaults for parameters not given). Raises EDatabaseError with the
    // engine's text when the statement fails or returns no result set.
    ProviderCursor(StationDatabase& db, const QString& sql, const Variant::Array& params,
                   const ProviderDef* provider, const QSet<QString>& tableColumns);

    // A packet of the next rows: count < 0 all the rest, 0 field definitions only.
    QByteArray fetch(int count);
    bool exhausted() const { return exhausted_; }

private:
    QSqlQuery query_;
    std::unique_ptr<ProviderPacketWriter> writer_;
    bool positioned_ = false; // the query stands on a row not yet sent
    bool exhausted_ = false;
};

// Binds the [name, value] pairs of params to the named placeholders of a
// prepared query; provider parameters not given get their defaults. A pair
// that is not [string, value] raises EDatabaseError.
// The statement with NULL written in place of each placeholder whose
// parameter is null, since the driver would bind an empty value instead.
QString withNullParams(const QString& sql, const Variant::Array& params);

void bindParams(QSqlQuery& query, const QString& sql, const Variant::Array& params, const ProviderDef* provider);

} // namespace velta::station
