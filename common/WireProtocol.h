#pragma once
// The wire protocol between the plug-in and the station server.
//
// A frame is a 4-byte little-endian payload length, then the payload; a length
// above kMaxFrameSize is refused before anything is allocated. A payload is a
// serialised Variant (serializeVariant):
//   request  [method name, [arguments...]]
//   answer   [true, result]  or  [false, error class name, message]
// The first request of a connection may be ["Authenticate", [key]]; the server
// decides whether it is required. Data packets travel inside Variants as byte
// arrays (DataPacket::toBytes).
//
// Errors: malformed frames and payloads raise EProtocolError (EVariantError
// from inside a Variant); a connection that closes, breaks or times out raises
// EOleSysError, as a failed remote call does in the framework.
#include "common/Exception.h"
#include "common/RuntimeExport.h"
#include "common/Variant.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QIODevice;

namespace velta {

inline constexpr std::uint32_t kMaxFrameSize = 256u * 1024u * 1024u;
inline constexpr int kFrameHeaderSize = 4;
inline constexpr const char* kAuthenticateMethod = "Authenticate";

// A frame: header and payload. A payload over maxSize raises EProtocolError.
VELTA_RUNTIME_EXPORT QByteArray encodeFrame(QByteArrayView payload, std::uint32_t maxSize = kMaxFrameSize);
// Checks a frame header's length against the limit and returns it.
VELTA_RUNTIME_EXPORT std::uint32_t frameLength(QByteArrayView header, std::uint32_t maxSize = kMaxFrameSize);

// Splits a byte stream into frames as bytes arrive.
class VELTA_RUNTIME_EXPORT FrameDecoder {
public:
    explicit FrameDecoder(std::uint32_t maxSize = kMaxFrameSize) : maxSize_(maxSize) {}

    void append(QByteArrayView bytes) { buffer_.append(bytes.data(), bytes.size()); }
    // The next whole frame's payload, or nothing while it is still incomplete.
    // An oversized length raises EProtocolError as soon as its header is in.
    std::optional<QByteArray> next();
    // Bytes received that do not yet make a whole frame.
    qsizetype pending() const { return buffer_.size() - consumed_; }

private:
    QByteArray buffer_;
    qsizetype consumed_ = 0;
    std::uint32_t maxSize_;
};

struct VELTA_RUNTIME_EXPORT WireRequest {
    QString method;
    Variant::Array args;
};

struct VELTA_RUNTIME_EXPORT WireAnswer {
    bool ok = false;
    Variant result;         // when ok
    QString errorClass;     // when not ok
    QString errorMessage;

    // The result, or the error raised as its own class (raiseByClassName).
    Variant resultOrRaise() const;
};

VELTA_RUNTIME_EXPORT QByteArray encodeRequest(const QString& method, const Variant::Array& args);
VELTA_RUNTIME_EXPORT WireRequest decodeRequest(QByteArrayView payload);
VELTA_RUNTIME_EXPORT QByteArray encodeResult(const Variant& result);
VELTA_RUNTIME_EXPORT QByteArray encodeError(const QString& className, const QString& message);
VELTA_RUNTIME_EXPORT QByteArray encodeError(const Exception& error);
VELTA_RUNTIME_EXPORT WireAnswer decodeAnswer(QByteArrayView payload);

// The server's side of one exchange: decodes the request, runs the handler and
// encodes its result; a malformed request or any exception the handler throws
// becomes an error answer (velta exceptions with their class and message,
// others as "Exception"), so one bad request never ends the connection.
VELTA_RUNTIME_EXPORT QByteArray answerRequest(QByteArrayView payload,
                                              const std::function<Variant(const WireRequest&)>& handler);

// Blocking frame I/O on a socket (or any QIODevice), without an event loop.
// readFrame returns nothing when the peer closed the connection cleanly before
// a frame began; a peer that closes in the middle of a frame, a timeout or an
// oversized length raises (the stream is then out of step: close it).
// timeoutMs < 0 waits without limit.
VELTA_RUNTIME_EXPORT std::optional<QByteArray> readFrame(QIODevice& device, int timeoutMs,
                                                         std::uint32_t maxSize = kMaxFrameSize);
VELTA_RUNTIME_EXPORT void writeFrame(QIODevice& device, QByteArrayView payload, int timeoutMs);

} // namespace velta
