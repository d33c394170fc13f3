#pragma once
// ServerConfig: what the station server is told at start: the database, the
// key, and its limits on connections, request sizes and waiting times.
#include <QString>
#include <cstdint>

namespace velta::station {

struct ServerConfig {
    static constexpr int kDefaultMaxConnections = 1000;
    static constexpr int kDefaultMaxPerAddress = 64;
    static constexpr int kDefaultIdleTimeoutSeconds = 30 * 60;
    static constexpr int kDefaultFrameTimeoutSeconds = 10;

    QString databasePath;
    QString key;                                         // empty: no key required
    std::uint32_t maxRequestSize = 64u * 1024u * 1024u;  // larger request frames are refused
    int frameTimeoutMs = kDefaultFrameTimeoutSeconds * 1000; // for the rest of a frame once it began,
                                                         // and for an answer the client does not take
    int maxConnections = kDefaultMaxConnections;         // served at once; more are refused
    int maxPerAddress = kDefaultMaxPerAddress;           // of those, from one address
    int idleTimeoutSeconds = kDefaultIdleTimeoutSeconds; // between requests; 0: no limit
    int workers = 0;                                     // request threads; 0: one per core, at least 2

    // The number of request threads this configuration asks for.
    int workerCount() const;
};

} // namespace velta::station
