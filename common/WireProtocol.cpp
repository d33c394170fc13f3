#include "common/WireProtocol.h"

#include "common/ByteStream.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QIODevice>
#include <algorithm>
#include <climits>

namespace velta {

namespace {

[[noreturn]] void raiseMalformed(const char* what, const QString& detail)
{
    throw EProtocolError(QStringLiteral("%1 is malformed: %2").arg(QLatin1String(what), detail));
}

Variant::Array payloadArray(QByteArrayView payload, const char* what)
{
    const Variant value = deserializeVariant(payload);
    if (!value.isArray())
        raiseMalformed(what, QStringLiteral("not an array but %1").arg(Variant::typeName(value.type())));
    return value.elements();
}

QString connectionText(QIODevice& device)
{
    return device.errorString().isEmpty() ? QStringLiteral("соединение закрыто") : device.errorString();
}

[[noreturn]] void raiseClosed(QIODevice& device)
{
    throw EOleSysError(QStringLiteral("Соединение разорвано: %1").arg(connectionText(device)));
}

[[noreturn]] void raiseTimeout(int timeoutMs)
{
    throw EOleSysError(QStringLiteral("Истекло время ожидания ответа (%1 мс)").arg(timeoutMs));
}

// Milliseconds a wait may take before the deadline; -1 without a deadline.
int waitMs(const QDeadlineTimer& deadline)
{
    const qint64 left = deadline.remainingTime();
    return left < 0 ? -1 : static_cast<int>(std::min<qint64>(left, INT_MAX));
}

// Waits until at least one byte can be read. False when the peer has closed
// and nothing is left to read; on a device other than a socket, no more data
// means the end.
bool waitReadable(QIODevice& device, const QDeadlineTimer& deadline, int timeoutMs)
{
    auto* socket = qobject_cast<QAbstractSocket*>(&device);
    while (device.bytesAvailable() <= 0) {
        if (socket && socket->state() != QAbstractSocket::ConnectedState)
            return false;
        if (device.waitForReadyRead(waitMs(deadline)))
            continue;
        const bool timedOut = socket && socket->error() == QAbstractSocket::SocketTimeoutError
            && socket->state() == QAbstractSocket::ConnectedState;
        if (!timedOut)
            return device.bytesAvailable() > 0;
        if (deadline.hasExpired())
            raiseTimeout(timeoutMs);
    }
    return true;
}

} // namespace

QByteArray encodeFrame(QByteArrayView payload, std::uint32_t maxSize)
{
    if (payload.size() > static_cast<qsizetype>(maxSize))
        throw EProtocolError(QStringLiteral("Frame of %1 bytes exceeds the limit of %2 bytes").arg(payload.size()).arg(maxSize));
    QByteArray frame;
    frame.reserve(kFrameHeaderSize + payload.size());
    ByteWriter out(frame);
    out.u32(static_cast<std::uint32_t>(payload.size()));
    out.bytes(payload);
    return frame;
}

std::uint32_t frameLength(QByteArrayView header, std::uint32_t maxSize)
{
    ByteReader in(header, "Frame");
    const std::uint32_t length = in.u32("length");
    if (length > maxSize)
        throw EProtocolError(QStringLiteral("Frame length %1 exceeds the limit of %2 bytes").arg(length).arg(maxSize));
    return length;
}

std::optional<QByteArray> FrameDecoder::next()
{
    if (pending() < kFrameHeaderSize)
        return std::nullopt;
    const std::uint32_t length = frameLength(QByteArrayView(buffer_).sliced(consumed_, kFrameHeaderSize), maxSize_);
    if (pending() - kFrameHeaderSize < static_cast<qsizetype>(length))
        return std::nullopt;
    QByteArray payload = buffer_.mid(consumed_ + kFrameHeaderSize, length);
    consumed_ += kFrameHeaderSize + static_cast<qsizetype>(length);
    // Drop what has been handed out once it is worth the copy.
    if (consumed_ == buffer_.size()) {
        buffer_.clear();
        consumed_ = 0;
    } else if (consumed_ > 65536 && consumed_ * 2 > buffer_.size()) {
        buffer_.remove(0, consumed_);
        consumed_ = 0;
    }
    return payload;
}

Variant WireAnswer::resultOrRaise() const
{
    if (!ok)
        raiseByClassName(errorClass, errorMessage);
    return result;
}

QByteArray encodeRequest(const QString& method, const Variant::Array& args)
{
    return serializeVariant(Variant(Variant::Array{Variant(method), Variant(args)}));
}

WireRequest decodeRequest(QByteArrayView payload)
{
    const Variant::Array items = payloadArray(payload, "Request");
    if (items.size() != 2)
        raiseMalformed("Request", QStringLiteral("%1 elements instead of 2").arg(items.size()));
    if (!items[0].isString() || items[0].toString().isEmpty())
        raiseMalformed("Request", QStringLiteral("the method name is missing"));
    if (!items[1].isArray())
        raiseMalformed("Request", QStringLiteral("the arguments are not an array"));
    return WireRequest{items[0].toString(), items[1].elements()};
}

QByteArray encodeResult(const Variant& result)
{
    return serializeVariant(Variant(Variant::Array{Variant(true), result}));
}

QByteArray encodeError(const QString& className, const QString& message)
{
    return serializeVariant(Variant(Variant::Array{Variant(false), Variant(className), Variant(message)}));
}

QByteArray encodeError(const Exception& error)
{
    return encodeError(error.className(), error.message());
}

WireAnswer decodeAnswer(QByteArrayView payload)
{
    const Variant::Array items = payloadArray(payload, "Answer");
    if (items.isEmpty() || items[0].type() != VarType::Boolean)
        raiseMalformed("Answer", QStringLiteral("no success flag"));
    WireAnswer answer;
    answer.ok = items[0].toBool();
    if (answer.ok) {
        if (items.size() != 2)
            raiseMalformed("Answer", QStringLiteral("%1 elements instead of 2").arg(items.size()));
        answer.result = items[1];
        return answer;
    }
    if (items.size() != 3 || !items[1].isString() || !items[2].isString())
        raiseMalformed("Answer", QStringLiteral("an error without class name and message"));
    answer.errorClass = items[1].toString();
    answer.errorMessage = items[2].toString();
    if (answer.errorClass.isEmpty())
        raiseMalformed("Answer", QStringLiteral("the error class name is empty"));
    return answer;
}

QByteArray answerRequest(QByteArrayView payload, const std::function<Variant(const WireRequest&)>& handler)
{
    try {
        const WireRequest request = decodeRequest(payload);
        return encodeResult(handler(request));
    } catch (const Exception& error) {
        return encodeError(error);
    } catch (const std::exception& error) {
        return encodeError(QStringLiteral("Exception"), QString::fromUtf8(error.what()));
    }
}

std::optional<QByteArray> readFrame(QIODevice& device, int timeoutMs, std::uint32_t maxSize)
{
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs));

    char header[kFrameHeaderSize];
    qint64 have = 0;
    while (have < kFrameHeaderSize) {
        if (!waitReadable(device, deadline, timeoutMs)) {
            if (have == 0)
                return std::nullopt;
            raiseClosed(device);
        }
        const qint64 n = device.read(header + have, kFrameHeaderSize - have);
        if (n < 0)
            raiseClosed(device);
        have += n;
    }
    const std::uint32_t length = frameLength(QByteArrayView(header, kFrameHeaderSize), maxSize);

    // Read straight into the payload, which grows with the bytes that really
    // arrive: a peer announcing a large frame and sending little costs no more
    // memory than it sent.
    const qsizetype wanted = static_cast<qsizetype>(length);
    QByteArray payload;
    while (payload.size() < wanted) {
        if (!waitReadable(device, deadline, timeoutMs))
            raiseClosed(device);
        const qsizetype had = payload.size();
        const qsizetype chunk = std::min<qsizetype>(wanted - had, std::max<qint64>(device.bytesAvailable(), 1));
        payload.resize(had + chunk);
        const qint64 n = device.read(payload.data() + had, chunk);
        if (n < 0)
            raiseClosed(device);
        payload.resize(had + n);
    }
    return payload;
}

void writeFrame(QIODevice& device, QByteArrayView payload, int timeoutMs)
{
    if (payload.size() > static_cast<qsizetype>(kMaxFrameSize))
        throw EProtocolError(
            QStringLiteral("Frame of %1 bytes exceeds the limit of %2 bytes").arg(payload.size()).arg(kMaxFrameSize));
    // Header and payload as they are, without a framed copy: a socket buffers
    // both and sends them together.
    const auto length = static_cast<std::uint32_t>(payload.size());
    const char header[kFrameHeaderSize] = {static_cast<char>(length & 0xFF), static_cast<char>((length >> 8) & 0xFF),
                                           static_cast<char>((length >> 16) & 0xFF),
                                           static_cast<char>((length >> 24) & 0xFF)};
    if (device.write(header, kFrameHeaderSize) != kFrameHeaderSize
        || device.write(payload.data(), payload.size()) != payload.size())
        raiseClosed(device);
    auto* socket = qobject_cast<QAbstractSocket*>(&device);
    if (!socket)
        return;
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs));
    while (socket->bytesToWrite() > 0) {
        if (socket->state() != QAbstractSocket::ConnectedState)
            raiseClosed(device);
        if (deadline.hasExpired())
            raiseTimeout(timeoutMs);
        if (!socket->waitForBytesWritten(waitMs(deadline))
            && socket->error() != QAbstractSocket::SocketTimeoutError)
            raiseClosed(device);
    }
}

} // namespace velta
