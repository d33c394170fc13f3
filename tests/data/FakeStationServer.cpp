#include "FakeStationServer.h"

#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "common/WireProtocol.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <future>

namespace velta::test {

namespace st = velta::station;

namespace {

// Hands every accepted connection's descriptor to a callback instead of
// making a socket in the listening thread.
class DescriptorServer final : public QTcpServer {
public:
    explicit DescriptorServer(std::function<void(qintptr)> onConnection) : onConnection_(std::move(onConnection)) {}

protected:
    void incomingConnection(qintptr descriptor) override { onConnection_(descriptor); }

private:
    std::function<void(qintptr)> onConnection_;
};

QVector<int> keyColumns(const DataPacket& table)
{
    QVector<int> keys;
    for (int i = 0; i < table.fieldCount(); ++i) {
        if (table.field(i).inKey())
            keys.append(i);
    }
    return keys;
}

} // namespace

DataPacket makePacket(const QVector<FieldDef>& fields, const QVector<QVector<Variant>>& rows)
{
    DataPacket packet;
    for (const FieldDef& f : fields)
        packet.addField(f);
    for (const auto& row : rows)
        packet.appendRow(row);
    return packet;
}

FakeStationServer::FakeStationServer() = default;

FakeStationServer::~FakeStationServer()
{
    stop();
}

void FakeStationServer::start()
{
    std::promise<std::uint16_t> listening;
    auto ready = listening.get_future();
    acceptThread_ = std::thread([this, &listening]() {
        DescriptorServer server([this](qintptr descriptor) {
            std::lock_guard lock(threadsMutex_);
            connectionThreads_.emplace_back([this, descriptor]() { serve(descriptor); });
        });
        if (!server.listen(QHostAddress::LocalHost, 0)) {
            listening.set_value(0);
            return;
        }
        listening.set_value(server.serverPort());
        while (!stopping_)
            server.waitForNewConnection(20);
    });
    port_ = ready.get();
    if (port_ == 0)
        throw Exception(QStringLiteral("fake station server cannot listen"));
}

void FakeStationServer::stop()
{
    stopping_ = true;
    if (acceptThread_.joinable())
        acceptThread_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(threadsMutex_);
        threads.swap(connectionThreads_);
    }
    for (auto& t : threads)
        t.join();
}

void FakeStationServer::serve(qintptr descriptor)
{
    QTcpSocket socket;
    if (!socket.setSocketDescriptor(descriptor))
        return;
    bool authenticated = false;
    while (!stopping_ && socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(20))
            continue;
        std::optional<QByteArray> payload;
        try {
            payload = readFrame(socket, 5000);
        } catch (const Exception&) {
            return; // a broken frame ends the connection
        }
        if (!payload)
            return;
        QByteArray answer;
        try {
            const WireRequest request = decodeRequest(*payload);
            answer = encodeResult(dispatch(request.method, request.args, authenticated));
        } catch (const Exception& error) {
            answer = encodeError(error);
        }
        try {
            writeFrame(socket, answer, 5000);
        } catch (const Exception&) {
            return;
        }
    }
}

Variant FakeStationServer::dispatch(const QString& method, const Variant::Array& args, bool& authenticated)
{
    {
        std::lock_guard lock(mutex_);
        calls_[method] += 1;
    }
    if (method == QLatin1String(st::kAuthenticate)) {
        std::lock_guard lock(mutex_);
        if (args.isEmpty() || args[0].toString() != key_)
            throw EOleException(QStringLiteral("Неверный ключ доступа"));
        authenticated = true;
        return Variant(true);
    }
    {
        std::lock_guard lock(mutex_);
        if (!key_.isEmpty() && !authenticated)
            throw EOleException(QStringLiteral("Требуется ключ доступа"));
    }
    if (method == QLatin1String(st::kOpenProvider))
        return openProvider(args);
    if (method == QLatin1String(st::kFetchRows)) {
        std::lock_guard lock(mutex_);
        int cursorId = args.value(0).toInt();
        auto it = cursors_.find(cursorId);
        if (it == cursors_.end())
            throw EDatabaseError(QStringLiteral("Cursor %1 is not open").arg(cursorId));
        return Variant(takeRows(*it, args.value(1).toInt(), cursorId));
    }
    if (method == QLatin1String(st::kCloseCursor)) {
        std::lock_guard lock(mutex_);
        cursors_.remove(args.value(0).toInt());
        return Variant::null();
    }
    if (method == QLatin1String(st::kApplyUpdates)) {
        applyUpdates(args);
        return Variant::null();
    }
    if (method == QLatin1String(st::kExecute))
        return Variant(0);
    if (method == QLatin1String(st::kGetAZSConfig)) {
        std::lock_guard lock(mutex_);
        return config_;
    }
    if (method == QLatin1String(st::kGetNewContragentNumber)) {
        std::lock_guard lock(mutex_);
        return Variant(++contragentNumber_);
    }
    if (method == QLatin1String(st::kGetReportEx))
        return Variant(QStringLiteral("Отчет %1").arg(args.value(0).toInt()));
    throw EOleException(QStringLiteral("Unknown method %1").arg(method));
}

Variant FakeStationServer::openProvider(const Variant::Array& args)
{
    const QString provider = args.value(0).toString();
    const QString commandText = args.value(1).toString();
    const int packetRecords = args.value(3).toInt();
    std::lock_guard lock(mutex_);
    lastParams_ = args.value(2).isArray() ? args.value(2).elements() : Variant::Array();
    lastCommandText_ = commandText;
    DataPacket source;
    if (provider == QLatin1String("DSPRepCustomSQL")) {
        if (!queries_.contains(commandText))
            throw EDatabaseError(QStringLiteral("Dynamic SQL Error: unknown query"));
        source = queries_.value(commandText);
    } else if (tables_.contains(provider)) {
        source = tables_.value(provider);
    } else {
        throw EDatabaseError(QStringLiteral("Provider %1 not found").arg(provider));
    }
    Cursor cursor{source, 0};
    int cursorId = 0;
    const QByteArray bytes = takeRows(cursor, packetRecords, cursorId);
    if (cursorId == 0 && cursor.next < source.rowCount()) {
        cursorId = nextCursor_++;
        cursors_.insert(cursorId, cursor);
    }
    return Variant(Variant::Array{Variant(cursorId), Variant(bytes)});
}

QByteArray FakeStationServer::takeRows(Cursor& cursor, int count, int& cursorId)
{
    DataPacket packet;
    for (const FieldDef& f : cursor.rows.fields())
        packet.addField(f);
    const int total = cursor.rows.rowCount();
    const int end = count < 0 ? total : std::min(total, cursor.next + count);
    for (; cursor.next < end; ++cursor.next)
        packet.appendRow(cursor.rows.row(cursor.next));
    packet.setMoreRows(cursor.next < total);
    if (!packet.moreRows() && cursorId != 0) {
        cursors_.remove(cursorId);
        cursorId = 0;
    }
    return packet.toBytes();
}

void FakeStationServer::applyChange(DataPacket& table, const ChangeEntry& change)
{
    const QVector<int> keys = keyColumns(table);
    const auto find = [&]() {
        for (int row = 0; row < table.rowCount(); ++row) {
            bool same = !keys.isEmpty();
            for (int k : keys)
                same = same && table.value(row, k) == change.original.value(k);
            if (same)
                return row;
        }
        throw EDatabaseError(QStringLiteral("Record not found or changed by another user"));
    };
    switch (change.state) {
    case RowState::Inserted:
        table.appendRow(change.values);
        break;
    case RowState::Modified: {
        const int row = find();
        for (int f = 0; f < table.fieldCount(); ++f) {
            if (change.changed(f))
                table.setValue(row, f, change.values[f]);
        }
        break;
    }
    case RowState::Deleted: {
        const int row = find();
        DataPacket rest;
        for (const FieldDef& f : table.fields())
            rest.addField(f);
        for (int r = 0; r < table.rowCount(); ++r) {
            if (r != row)
                rest.appendRow(table.row(r));
        }
        table = rest;
        break;
    }
    case RowState::Unmodified:
        break;
    }
}

void FakeStationServer::applyUpdates(const Variant::Array& args)
{
    std::lock_guard lock(mutex_);
    // Work on copies; commit only when every change of every dataset went in.
    QMap<QString, DataPacket> tables = tables_;
    for (const Variant& item : args) {
        const QString provider = item.at(0).toString();
        if (!tables.contains(provider))
            throw EDatabaseError(QStringLiteral("Provider %1 not found").arg(provider));
        const DataPacket delta = DataPacket::fromBytes(item.at(2).toByteArray());
        DataPacket& table = tables[provider];
        for (const ChangeEntry& change : delta.changes()) {
            applyChange(table, change);
            if (!failApply_.isEmpty()) {
                const QString message = failApply_;
                failApply_.clear();
                throw EDatabaseError(message);
            }
        }
        if (const auto check = checks_.value(provider)) {
            for (int row = 0; row < table.rowCount(); ++row) {
                const QString problem = check(table.row(row));
                if (!problem.isEmpty())
                    throw EDatabaseError(problem);
            }
        }
    }
    tables_ = tables;
}

void FakeStationServer::setTable(const QString& provider, const DataPacket& table)
{
    std::lock_guard lock(mutex_);
    tables_[provider] = table;
}

DataPacket FakeStationServer::table(const QString& provider) const
{
    std::lock_guard lock(mutex_);
    return tables_.value(provider);
}

void FakeStationServer::setQuery(const QString& commandText, const DataPacket& result)
{
    std::lock_guard lock(mutex_);
    queries_[commandText] = result;
}

void FakeStationServer::setRequiredKey(const QString& key)
{
    std::lock_guard lock(mutex_);
    key_ = key;
}

void FakeStationServer::failNextApply(const QString& message)
{
    std::lock_guard lock(mutex_);
    failApply_ = message;
}

void FakeStationServer::setRowCheck(const QString& provider, std::function<QString(const QVector<Variant>&)> check)
{
    std::lock_guard lock(mutex_);
    checks_[provider] = std::move(check);
}

void FakeStationServer::setConfig(const Variant& config)
{
    std::lock_guard lock(mutex_);
    config_ = config;
}

int FakeStationServer::calls(const QString& method) const
{
    std::lock_guard lock(mutex_);
    return calls_.value(method);
}

Variant::Array FakeStationServer::lastParams() const
{
    std::lock_guard lock(mutex_);
    return lastParams_;
}

QString FakeStationServer::lastCommandText() const
{
    std::lock_guard lock(mutex_);
    return lastCommandText_;
}

int FakeStationServer::openCursors() const
{
    std::lock_guard lock(mutex_);
    return cursors_.size();
}

} // namespace velta::test
