#include "common/WireClient.h"

#include "common/Exception.h"
#include "common/FrameSocket.h"
#include "common/WireProtocol.h"

#include <QTcpSocket>
#include <QtGlobal>
#include <cerrno>
#include <fcntl.h>

namespace velta {

WireClient::WireClient() = default;

WireClient::~WireClient()
{
    close();
}

WireClient::WireClient(WireClient&& other) noexcept = default;
WireClient& WireClient::operator=(WireClient&& other) noexcept = default;

void WireClient::connect(const QString& host, std::uint16_t port, int timeoutMs)
{
    close();
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(host, port);
    if (!socket->waitForConnected(timeoutMs)) {
        const QString reason = socket->error() == QAbstractSocket::SocketTimeoutError
            ? QStringLiteral("истекло время ожидания (%1 мс)").arg(timeoutMs)
            : socket->errorString();
        throw EOleSysError(QStringLiteral("Не удалось подключиться к серверу %1:%2: %3").arg(host).arg(port).arg(reason));
    }
    // Qt found the host and made the connection; the calls use a copy of its
    // descriptor directly, and Qt's socket object lets go of its own.
    const int descriptor = ::fcntl(static_cast<int>(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0)
        throw EOleSysError(QStringLiteral("Не удалось подключиться к серверу %1:%2: %3")
                               .arg(host)
                               .arg(port)
                               .arg(qt_error_string(errno)));
    socket->abort();
    socket_ = std::make_unique<FrameSocket>(descriptor);
    host_ = host;
    port_ = port;
}

void WireClient::authenticate(const QString& key)
{
    call(QString::fromLatin1(kAuthenticateMethod), Variant::Array{Variant(key)});
}

Variant WireClient::call(const QString& method, const Variant::Array& args)
{
    if (!isConnected())
        throw EOleSysError(QStringLiteral("Нет соединения с сервером (вызов %1)").arg(method));
    // A request too large to send fails before anything goes out and leaves
    // the connection as it was.
    const QByteArray request = encodeRequest(method, args);
    if (request.size() > static_cast<qsizetype>(kMaxFrameSize))
        throw EProtocolError(QStringLiteral("Вызов %1: запрос размером %2 байт превышает предел %3 байт")
                                 .arg(method)
                                 .arg(request.size())
                                 .arg(kMaxFrameSize));
    std::optional<QByteArray> payload;
    try {
        socket_->writeFrame(request, callTimeoutMs_);
        payload = socket_->readFrame(callTimeoutMs_);
    } catch (const Exception& error) {
        // Whatever was half sent or half read, the stream is out of step now.
        close();
        error.withMessage(QStringLiteral("Сервер %1:%2, вызов %3: %4").arg(host_).arg(port_).arg(method, error.message()))
            ->raise();
    }
    if (!payload) {
        close();
        throw EOleSysError(QStringLiteral("Сервер %1:%2 закрыл соединение, не ответив на вызов %3").arg(host_).arg(port_).arg(method));
    }
    WireAnswer answer;
    try {
        answer = decodeAnswer(*payload);
    } catch (const Exception&) {
        close();
        throw;
    }
    return answer.resultOrRaise();
}

void WireClient::close()
{
    if (!socket_)
        return;
    socket_->close();
    socket_.reset();
}

bool WireClient::isConnected() const
{
    return socket_ && socket_->isOpen();
}

} // namespace velta
