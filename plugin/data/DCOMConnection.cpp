#include "plugin/data/DCOMConnection.h"

#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"

#include <QtGlobal>

namespace velta {

TDCOMConnection::TDCOMConnection() = default;

TDCOMConnection::~TDCOMConnection()
{
    if (client_)
        client_->close();
}

bool TDCOMConnection::Connected() const
{
    return client_ && client_->isConnected();
}

void TDCOMConnection::SetConnected(bool connected)
{
    if (connected)
        Open();
    else
        Close();
}

QString TDCOMConnection::host() const
{
    const QString name = computerName_.trimmed();
    return name.isEmpty() ? QStringLiteral("127.0.0.1") : name;
}

std::uint16_t TDCOMConnection::port()
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("VELTA_STATION_PORT", &ok);
    if (ok && value > 0 && value <= 65535)
        return static_cast<std::uint16_t>(value);
    return static_cast<std::uint16_t>(station::kDefaultPort);
}

void TDCOMConnection::Open()
{
    if (Connected())
        return;
    if (BeforeConnect)
        BeforeConnect(*this); // may change ComputerName
    auto client = std::make_unique<WireClient>();
    client->connect(host(), port());
    const QString key = qEnvironmentVariable("VELTA_STATION_KEY");
    if (!key.isEmpty())
        client->authenticate(key);
    client_ = std::move(client);
    ++session_;
    if (AfterConnect)
        AfterConnect(*this);
}

void TDCOMConnection::Close()
{
    if (!client_)
        return;
    const bool wasConnected = client_->isConnected();
    client_->close();
    client_.reset();
    if (wasConnected && AfterDisconnect)
        AfterDisconnect(*this);
}

Variant TDCOMConnection::call(const QString& method, const Variant::Array& args)
{
    Open();
    try {
        return client_->call(method, args);
    } catch (const EOleSysError&) {
        // The stream is out of step after a broken call; the next call reconnects.
        client_.reset();
        throw;
    }
}

TDCOMConnection::ProviderAnswer TDCOMConnection::OpenProvider(const QString& provider, const QString& commandText,
                                                              const Variant::Array& params, int packetRecords)
{
    const Variant answer = call(QString::fromLatin1(station::kOpenProvider),
                                {Variant(provider), Variant(commandText), Variant(params), Variant(packetRecords)});
    if (!answer.isArray() || answer.arrayCount() != 2)
        throw EProtocolError(QStringLiteral("Unexpected answer of %1").arg(QLatin1String(station::kOpenProvider)));
    ProviderAnswer result;
    result.cursor = answer.at(0).toInt();
    result.packet = DataPacket::fromBytes(answer.at(1).toByteArray());
    return result;
}

DataPacket TDCOMConnection::FetchRows(int cursor, int count)
{
    const Variant answer = call(QString::fromLatin1(station::kFetchRows), {Variant(cursor), Variant(count)});
    return DataPacket::fromBytes(answer.toByteArray());
}

void TDCOMConnection::CloseCursor(int cursor)
{
    call(QString::fromLatin1(station::kCloseCursor), {Variant(cursor)});
}

void TDCOMConnection::ApplyUpdates(const QVector<UpdateRequest>& updates)
{
    Variant::Array list;
    for (const UpdateRequest& u : updates)
        list.append(Variant(Variant::Array{Variant(u.provider), Variant(u.commandText), Variant(u.delta)}));
    call(QString::fromLatin1(station::kApplyUpdates), list); // the arguments are the entries
}

int TDCOMConnection::Execute(const QString& provider, const QString& commandText, const Variant::Array& params)
{
    return call(QString::fromLatin1(station::kExecute), {Variant(provider), Variant(commandText), Variant(params)})
        .toInt();
}

Variant TDCOMConnection::GetAZSConfig()
{
    return call(QString::fromLatin1(station::kGetAZSConfig));
}

int TDCOMConnection::GetNewContragentNumber()
{
    return call(QString::fromLatin1(station::kGetNewContragentNumber)).toInt();
}

QString TDCOMConnection::GetReportEx(int reportNo, const Variant& params)
{
    const Variant text = call(QString::fromLatin1(station::kGetReportEx), {Variant(reportNo), params});
    return text.isEmptyOrNull() ? QString() : text.toString();
}

} // namespace velta
