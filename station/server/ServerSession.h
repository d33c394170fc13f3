#pragma once
// ServerSession: the station server's side of one client connection. It
// decodes each request, checks the key, runs the method on the database
// attachment of the worker the connection is pinned to and encodes the
// answer; errors become error answers and the session goes on serving.
// Cursors of open providers live here, on that attachment, until they are
// exhausted, closed, or the session ends; so does the connection's report
// state (its last report, for report 55), since several sessions share a
// worker's thread.
#include "common/Variant.h"
#include "common/WireProtocol.h"
#include "station/reports/engine/ReportMemory.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <map>
#include <memory>
#include <optional>

namespace velta::station {

class StationDatabase;
class ProviderCursor;
class ProviderRegistry;

class ServerSession {
public:
    static constexpr int kMaxCursors = 256;

    // key: the key clients must present first; empty when none is required.
    ServerSession(StationDatabase& db, QString key);
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    struct Reply {
        QByteArray payload; // the encoded answer
        bool close = false; // the connection must end after sending it
    };
    Reply handle(QByteArrayView request);

    int openCursors() const { return static_cast<int>(cursors_.size()); }

private:
    Variant dispatch(const WireRequest& request);
    Variant openProvider(const Variant::Array& args);
    Variant fetchRows(const Variant::Array& args);
    Variant closeCursor(const Variant::Array& args);
    Variant applyUpdates(const Variant::Array& args);
    Variant execute(const Variant::Array& args);

    const ProviderRegistry& registry();
    const QSet<QString>& tableColumns(const QString& table);
    QString statementFor(const QString& providerName, const QString& commandText, bool forRows);

    StationDatabase& db_;
    QString key_;
    bool authenticated_ = false;
    std::unique_ptr<ProviderRegistry> registry_;
    QHash<QString, QSet<QString>> tableColumns_;
    std::map<int, std::unique_ptr<ProviderCursor>> cursors_;
    int nextCursor_ = 1;
    ReportConnectionState reportState_;
};

} // namespace velta::station
