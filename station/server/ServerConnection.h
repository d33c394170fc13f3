#pragma once
// ServerConnection: serves one client socket on its own thread, with its own
// database attachment: reads request frames, answers each through a
// ServerSession and ends when the client leaves, breaks the framing, is
// refused, stays idle too long, or the server stops.
#include <QString>
#include <atomic>
#include <cstdint>

namespace velta::station {

struct ServerConfig {
    static constexpr int kDefaultMaxConnections = 64;
    static constexpr int kDefaultIdleTimeoutSeconds = 30 * 60;

    QString databasePath;
    QString key;                                      // empty: no key required
    std::uint32_t maxRequestSize = 64u * 1024u * 1024u; // larger request frames are refused
    int frameTimeoutMs = 60000;                       // for the rest of a frame once it began
    int maxConnections = kDefaultMaxConnections;      // served at once; more are refused
    int idleTimeoutSeconds = kDefaultIdleTimeoutSeconds; // between requests; 0: no limit
};

class ServerConnection {
public:
    ServerConnection(qintptr socketDescriptor, const ServerConfig& config, const std::atomic<bool>& stopping)
        : descriptor_(socketDescriptor)
        , config_(config)
        , stopping_(stopping)
    {
    }

    // Runs until the connection ends; never throws.
    void run();

private:
    qintptr descriptor_;
    ServerConfig config_;
    const std::atomic<bool>& stopping_;
};

} // namespace velta::station
