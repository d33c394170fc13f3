#pragma once
// ProviderRegistry: the named providers of the station server - for each, its
// own query (or whether it runs the client's command text), its parameters,
// the table and key columns its updates go to, and whether it is read-only.
#include "common/FieldDef.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace velta::station {

struct ProviderParam {
    QString name;        // as the client names it ("TrkName"), placeholder ":TrkName"
    QVariant defaultValue;
};

struct ProviderDef {
    QString name;
    QString query;            // own query; empty for a provider that needs a command text
    bool takesCommandText = false; // a non-empty command text replaces the own query
    bool emptyPacket = false;  // answers a packet without fields and rows
    bool readOnly = true;
    QString table;             // the table updates go to
    QStringList keyColumns;    // columns of the table that find a row
    QList<ProviderParam> params;
    // Packet field name (upper case) -> table column, where an alias differs.
    QHash<QString, QString> columnOfField;
    // Packet field name (upper case) -> the type the clients declare for it,
    // where it differs from what the column's type gives.
    QHash<QString, FieldType> fieldTypes;

    // The table column a packet field is written to (the name itself unless aliased).
    QString columnFor(const QString& fieldName) const;
};

class ProviderRegistry {
public:
    // saleMeterColumns: LOGTRAN has TRKDENSITY and MASSAPLM (not on older stations).
    explicit ProviderRegistry(bool saleMeterColumns = true);

    // The provider of that name (exact spelling), or nullptr.
    const ProviderDef* find(const QString& name) const;
    QStringList names() const;

private:
    QList<ProviderDef> providers_;
};

} // namespace velta::station
