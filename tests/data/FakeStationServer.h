#pragma once
// An in-process stand-in for the station server speaking the station wire
// protocol: providers over in-memory tables, cursors fetched in packets,
// change logs applied by key fields in one all-or-nothing step, the dispatch
// methods, an optional key, and switches that make it fail on purpose.
#include "common/DataPacket.h"
#include "common/Variant.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velta::test {

class FakeStationServer {
public:
    FakeStationServer();
    ~FakeStationServer();
    FakeStationServer(const FakeStationServer&) = delete;
    FakeStationServer& operator=(const FakeStationServer&) = delete;

    // Listens on a free loopback port.
    void start();
    void stop();
    std::uint16_t port() const { return port_; }

    // A provider's table; its key fields carry FieldInKey.
    void setTable(const QString& provider, const DataPacket& table);
    DataPacket table(const QString& provider) const;
    // The answer of "DSPRepCustomSQL" for one command text.
    void setQuery(const QString& commandText, const DataPacket& result);
    void setRequiredKey(const QString& key);
    // The next ApplyUpdates fails with this message after applying part of its changes.
    void failNextApply(const QString& message);
    // A check every applied row must pass (an empty answer passes), as a constraint does.
    void setRowCheck(const QString& provider, std::function<QString(const QVector<Variant>& row)> check);
    void setConfig(const Variant& config);

    // What the server saw.
    int calls(const QString& method) const;
    Variant::Array lastParams() const;
    QString lastCommandText() const;
    int openCursors() const;

private:
    struct Cursor {
        DataPacket rows; // the remaining rows
        int next = 0;
    };

    void serve(qintptr descriptor);
    Variant dispatch(const QString& method, const Variant::Array& args, bool& authenticated);
    Variant openProvider(const Variant::Array& args);
    QByteArray takeRows(Cursor& cursor, int count, int& cursorId);
    void applyUpdates(const Variant::Array& args);
    static void applyChange(DataPacket& table, const ChangeEntry& change);

    mutable std::mutex mutex_;
    QMap<QString, DataPacket> tables_;
    QMap<QString, DataPacket> queries_;
    QMap<QString, std::function<QString(const QVector<Variant>&)>> checks_;
    QMap<int, Cursor> cursors_;
    int nextCursor_ = 1;
    QString key_;
    QString failApply_;
    Variant config_;
    int contragentNumber_ = 100;
    QMap<QString, int> calls_;
    Variant::Array lastParams_;
    QString lastCommandText_;

    std::atomic<bool> stopping_{false};
    std::atomic<std::uint16_t> port_{0};
    std::thread acceptThread_;
    std::mutex threadsMutex_;
    std::vector<std::thread> connectionThreads_;
};

// A packet with these fields and rows (values in field order).
DataPacket makePacket(const QVector<FieldDef>& fields, const QVector<QVector<Variant>>& rows);

} // namespace velta::test
