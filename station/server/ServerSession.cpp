#include "station/server/ServerSession.h"

#include "common/DataPacket.h"
#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "station/providers/ProviderCursor.h"
#include "station/providers/ProviderPacketWriter.h"
#include "station/providers/ProviderRegistry.h"
#include "station/providers/ProviderUpdateApplier.h"
#include "station/providers/ProviderValues.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/server/ServerStationInfo.h"
#include "station/db/StationDatabase.h"
#include "station/db/Transaction.h"

#include <QSqlQuery>
#include <vector>

namespace velta::station {
namespace {

// Argument access with clear messages for requests of the wrong shape.
class Args {
public:
    Args(QString method, const Variant::Array& args, int count)
        : method_(std::move(method))
        , args_(args)
    {
        if (args.size() != count)
            throw EProtocolError(QStringLiteral("%1 expects %2 arguments, not %3").arg(method_).arg(count).arg(args.size()));
    }
    QString text(int i) const
    {
        const Variant& v = args_[i];
        if (v.isEmptyOrNull())
            return QString();
        if (!v.isString())
            raise(i, QStringLiteral("a string"));
        return v.toString();
    }
    int integer(int i) const
    {
        const Variant& v = args_[i];
        if (!v.isNumeric())
            raise(i, QStringLiteral("an integer"));
        return v.toInt();
    }
    Variant::Array array(int i) const
    {
        const Variant& v = args_[i];
        if (v.isEmptyOrNull())
            return {};
        if (!v.isArray())
            raise(i, QStringLiteral("an array"));
        return v.elements();
    }
    QByteArray bytes(int i) const
    {
        const Variant& v = args_[i];
        if (!v.isByteArray())
            raise(i, QStringLiteral("a byte array"));
        return v.toByteArray();
    }

private:
    [[noreturn]] void raise(int i, const QString& what) const
    {
        throw EProtocolError(QStringLiteral("Argument %1 of %2 must be %3").arg(i + 1).arg(method_, what));
    }
    // The name is kept: callers pass temporaries.
    const QString method_;
    const Variant::Array& args_;
};

// Compares keys without stopping at the first difference.
bool sameKey(const QString& a, const QString& b)
{
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    if (x.size() != y.size() || y.isEmpty())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < x.size(); ++i)
        diff |= static_cast<unsigned char>(x[i] ^ y[i]);
    return diff == 0;
}

bool returnsRows(const QString& sql)
{
    const QString head = sql.trimmed().left(8).toUpper();
    return head.startsWith(QLatin1String("SELECT")) || head.startsWith(QLatin1String("WITH"));
}

} // namespace

ServerSession::ServerSession(StationDatabase& db, QString key)
    : db_(db)
    , key_(std::move(key))
{
}

ServerSession::~ServerSession() = default;

ServerSession::Reply ServerSession::handle(QByteArrayView request)
{
    std::optional<WireRequest> decoded;
    try {
        decoded = decodeRequest(request);
    } catch (const Exception& e) {
        // The frame was whole, so the stream is still in step; a client that has
        // not shown its key yet is refused all the same.
        return {encodeError(e), !key_.isEmpty() && !authenticated_};
    }
    if (!key_.isEmpty() && !authenticated_) {
        if (decoded->method != QLatin1String(kAuthenticate))
            return {encodeError(QStringLiteral("EOleSysError"), QStringLiteral("Access denied: the server requires a key")),
                    true};
        const Variant::Array& args = decoded->args;
        if (args.size() != 1 || !args[0].isString() || !sameKey(args[0].toString(), key_))
            return {encodeError(QStringLiteral("EOleSysError"), QStringLiteral("Access denied: wrong key")), true};
        authenticated_ = true;
        return {encodeResult(Variant(true)), false};
    }
    try {
        return {encodeResult(dispatch(*decoded)), false};
    } catch (const Exception& e) {
        return {encodeError(e), false};
    } catch (const std::exception& e) {
        return {encodeError(QStringLiteral("Exception"), QString::fromLocal8Bit(e.what())), false};
    }
}

Variant ServerSession::dispatch(const WireRequest& request)
{
    const QString& m = request.method;
    if (m == QLatin1String(kOpenProvider))
        return openProvider(request.args);
    if (m == QLatin1String(kFetchRows))
        return fetchRows(request.args);
    if (m == QLatin1String(kCloseCursor))
        return closeCursor(request.args);
    if (m == QLatin1String(kApplyUpdates))
        return applyUpdates(request.args);
    if (m == QLatin1String(kExecute))
        return execute(request.args);
    if (m == QLatin1String(kGetAZSConfig)) {
        Args(m, request.args, 0);
        return stationConfig(db_);
    }
    if (m == QLatin1String(kGetNewContragentNumber)) {
        Args(m, request.args, 0);
        return Variant(newContragentNumber(db_));
    }
    if (m == QLatin1String(kGetReportEx))
        return Variant(ReportEngine(db_, reportState_, serverReportMemory()).getReportEx(request.args));
    if (m == QLatin1String(kGetReport))
        return Variant(ReportEngine(db_, reportState_, serverReportMemory()).getReport(request.args));
    if (m == QLatin1String(kAuthenticate))
        return Variant(true); // no key required, or already shown
    throw EOleSysError(QStringLiteral("Unknown method: %1").arg(m));
}

const ProviderRegistry& ServerSession::registry()
{
    if (!registry_)
        registry_ = std::make_unique<ProviderRegistry>(db_.hasColumn(QStringLiteral("LOGTRAN"), QStringLiteral("TRKDENSITY")));
    return *registry_;
}

const QSet<QString>& ServerSession::tableColumns(const QString& table)
{
    auto it = tableColumns_.find(table);
    if (it == tableColumns_.end()) {
        const QStringList names = db_.columnNames(table);
        it = tableColumns_.insert(table, QSet<QString>(names.begin(), names.end()));
    }
    return *it;
}

QString ServerSession::statementFor(const QString& providerName, const QString& commandText, bool forRows)
{
    const ProviderDef* def = registry().find(providerName);
    if (!def)
        throw EDatabaseError(QStringLiteral("Provider not exported: %1").arg(providerName));
    if (commandText.trimmed().isEmpty()) {
        if (def->query.isEmpty() && !def->emptyPacket)
            throw EDatabaseError(QStringLiteral("%1: no SQL statement available").arg(providerName));
        return def->query;
    }
    if (!def->takesCommandText)
        throw EDatabaseError(QStringLiteral("%1: CommandText changes are not allowed").arg(providerName));
    if (forRows && !returnsRows(commandText) && def->name == QLatin1String("DSPRepCustomSQL"))
        throw EDatabaseError(QStringLiteral("CommandText does not return a result set"));
    return commandText;
}

Variant ServerSession::openProvider(const Variant::Array& args)
{
    const Args a(QString::fromLatin1(kOpenProvider), args, 4);
    const QString name = a.text(0);
    const QString sql = statementFor(name, a.text(1), true);
    const Variant::Array params = a.array(2);
    const int packetRecords = a.integer(3);
    const ProviderDef* def = registry().find(name);
    if (def->emptyPacket)
        return Variant(Variant::Array{Variant(0), Variant(ProviderPacketWriter::emptyPacket())});
    if (static_cast<int>(cursors_.size()) >= kMaxCursors)
        throw EDatabaseError(QStringLiteral("Too many open cursors on this connection (%1)").arg(kMaxCursors));

    const QSet<QString> noColumns;
    const QSet<QString>& columns = def->table.isEmpty() ? noColumns : tableColumns(def->table);
    auto cursor = std::make_unique<ProviderCursor>(db_, sql, params, def, columns);
    const QByteArray packet = cursor->fetch(packetRecords < 0 ? -1 : packetRecords);
    int id = 0;
    if (!cursor->exhausted()) {
        id = nextCursor_++;
        cursors_.emplace(id, std::move(cursor));
    }
    return Variant(Variant::Array{Variant(id), Variant(packet)});
}

Variant ServerSession::fetchRows(const Variant::Array& args)
{
    const Args a(QString::fromLatin1(kFetchRows), args, 2);
    const int id = a.integer(0);
    const int count = a.integer(1);
    auto it = cursors_.find(id);
    if (it == cursors_.end())
        throw EDatabaseError(QStringLiteral("Cursor %1 is not open").arg(id));
    QByteArray packet;
    try {
        packet = it->second->fetch(count < 0 ? -1 : count);
    } catch (...) {
        cursors_.erase(it);
        throw;
    }
    if (it->second->exhausted())
        cursors_.erase(it);
    return Variant(packet);
}

Variant ServerSession::closeCursor(const Variant::Array& args)
{
    const Args a(QString::fromLatin1(kCloseCursor), args, 1);
    cursors_.erase(a.integer(0));
    return Variant::null();
}

Variant ServerSession::applyUpdates(const Variant::Array& args)
{
    struct Item {
        const ProviderDef* def;
        DataPacket delta;
    };
    std::vector<Item> items;
    for (const Variant& entry : args) {
        if (!entry.isArray())
            throw EProtocolError(QStringLiteral("ApplyUpdates expects [provider, commandText, delta] entries"));
        const Args a(QString::fromLatin1(kApplyUpdates), entry.elements(), 3);
        const QString name = a.text(0);
        const ProviderDef* def = registry().find(name);
        if (!def)
            throw EDatabaseError(QStringLiteral("Provider not exported: %1").arg(name));
        if (def->readOnly || def->table.isEmpty())
            throw EDatabaseError(QStringLiteral("%1: the provider is read-only").arg(name));
        items.push_back({def, DataPacket::fromBytes(a.bytes(2))});
    }
    ProviderUpdateApplier applier(db_);
    Transaction transaction(db_);
    for (const Item& item : items)
        applier.apply(*item.def, item.delta, tableColumns(item.def->table));
    transaction.commit();
    return Variant::null();
}

Variant ServerSession::execute(const Variant::Array& args)
{
    const Args a(QString::fromLatin1(kExecute), args, 3);
    const QString sql = statementFor(a.text(0), a.text(1), false);
    const ProviderDef* def = registry().find(a.text(0));
    if (def->emptyPacket)
        return Variant(0);
    const Variant::Array params = a.array(2);
    const QString text = withNullParams(sql, params);
    QSqlQuery query = db_.query();
    if (!query.prepare(text))
        raiseQueryError(query, sql.simplified().left(200));
    bindParams(query, text, params, def);
    if (!query.exec())
        raiseQueryError(query, sql.simplified().left(200));
    return Variant(query.isSelect() ? 0 : query.numRowsAffected());
}

} // namespace velta::station
