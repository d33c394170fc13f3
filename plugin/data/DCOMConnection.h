#pragma once
// TDCOMConnection: the connection to the station's application server. It
// keeps the framework's properties (ServerName, ServerGUID, ComputerName,
// Connected, a before-connect event) and reaches the server over TCP: the
// computer is a host name (empty: this computer), the port comes from
// VELTA_STATION_PORT (default 5770) and a key from VELTA_STATION_KEY, when
// set, is presented first. One connection object serves one thread at a time.
#include "common/DataPacket.h"
#include "common/Variant.h"

#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>
#include <memory>

namespace velta {

class WireClient;

class TDCOMConnection {
public:
    using NotifyEvent = std::function<void(TDCOMConnection& sender)>;

    // One dataset's edits for ApplyUpdates.
    struct UpdateRequest {
        QString provider;
        QString commandText;
        QByteArray delta; // a DataPacket with the change log
    };
    // The answer of OpenProvider.
    struct ProviderAnswer {
        int cursor = 0; // 0: the server has no further rows
        DataPacket packet;
    };

    TDCOMConnection();
    ~TDCOMConnection();
    TDCOMConnection(const TDCOMConnection&) = delete;
    TDCOMConnection& operator=(const TDCOMConnection&) = delete;

    QString ServerName() const { return serverName_; }
    void SetServerName(const QString& name) { serverName_ = name; }
    QString ServerGUID() const { return serverGuid_; }
    void SetServerGUID(const QString& guid) { serverGuid_ = guid; }
    QString ComputerName() const { return computerName_; }
    void SetComputerName(const QString& name) { computerName_ = name; }

    bool Connected() const;
    void SetConnected(bool connected);
    // Runs BeforeConnect, connects and authenticates; raises EOleSysError
    // naming the computer and port when the server cannot be reached.
    void Open();
    void Close();
    // Counts connections made; a server cursor belongs to one of them.
    std::uint64_t Session() const { return session_; }

    // The host and port the next Open uses.
    QString host() const;
    static std::uint16_t port();

    NotifyEvent BeforeConnect;
    NotifyEvent AfterConnect;
    NotifyEvent AfterDisconnect;

    // Provider calls (each connects first when needed).
    ProviderAnswer OpenProvider(const QString& provider, const QString& commandText, const Variant::Array& params,
                                int packetRecords);
    DataPacket FetchRows(int cursor, int count);
    void CloseCursor(int cursor);
    void ApplyUpdates(const QVector<UpdateRequest>& updates);
    int Execute(const QString& provider, const QString& commandText, const Variant::Array& params);

    // The server's dispatch methods.
    Variant GetAZSConfig();
    int GetNewContragentNumber();
    QString GetReportEx(int reportNo, const Variant& params);

    // Any method of the server.
    Variant call(const QString& method, const Variant::Array& args = {});

private:
    QString serverName_;
    QString serverGuid_;
    QString computerName_;
    std::unique_ptr<WireClient> client_;
    std::uint64_t session_ = 0;
};

} // namespace velta
