#pragma once
// WireClient: one blocking connection to the station server. It needs no event
// loop and may be used from any thread, but each object belongs to the thread
// that connected it (one connection per thread). Once connected, frames go
// straight through the socket descriptor (FrameSocket), one send per request.
//
// A call whose connection breaks or times out closes the connection (the
// stream is out of step) and raises EOleSysError; an error answered by the
// server is raised as the server's class and leaves the connection usable.
#include "common/RuntimeExport.h"
#include "common/Variant.h"

#include <QString>
#include <cstdint>
#include <memory>


namespace velta {

class FrameSocket;

class VELTA_RUNTIME_EXPORT WireClient {
public:
    static constexpr int kDefaultConnectTimeoutMs = 10000;
    static constexpr int kDefaultCallTimeoutMs = 300000; // long reports take minutes

    WireClient();
    ~WireClient();
    WireClient(const WireClient&) = delete;
    WireClient& operator=(const WireClient&) = delete;
    WireClient(WireClient&& other) noexcept;
    WireClient& operator=(WireClient&& other) noexcept;

    // Raises EOleSysError "Не удалось подключиться к серверу <host>:<port>: <reason>".
    void connect(const QString& host, std::uint16_t port, int timeoutMs = kDefaultConnectTimeoutMs);
    // Sends ["Authenticate", [key]]; a refused key raises the server's error.
    void authenticate(const QString& key);
    // One request and its answer; timeoutMs < 0 waits without limit.
    Variant call(const QString& method, const Variant::Array& args = {});
    void close();

    bool isConnected() const;
    QString host() const { return host_; }
    std::uint16_t port() const { return port_; }
    int callTimeout() const { return callTimeoutMs_; }
    void setCallTimeout(int timeoutMs) { callTimeoutMs_ = timeoutMs; }

private:
    std::unique_ptr<FrameSocket> socket_;
    QString host_;
    std::uint16_t port_ = 0;
    int callTimeoutMs_ = kDefaultCallTimeoutMs;
};

} // namespace velta
