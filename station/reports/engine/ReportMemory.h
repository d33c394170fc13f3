#pragma once
// What the report engine remembers between calls for report 55, the HTML
// rendering of "the last report".
//
// A connection remembers the last report it produced. Reports produced through
// GetReportEx are also remembered for the client's workplace, because the
// plug-in produces remote reports over a new connection each time and then
// asks for report 55 through the host's own connection. Report 55 answers the
// newer of the two renderings.
#include <QHash>
#include <QMutex>
#include <QString>
#include <atomic>
#include <cstdint>

namespace velta::station {

// One remembered rendering; sequence 0 means none.
struct RememberedReport {
    std::uint64_t sequence = 0;
    QString html;
};

// The state of one client connection.
struct ReportConnectionState {
    RememberedReport last;
    // The value of the prologue [1000, X] sent before each report (-1: none yet).
    int prologueValue = -1;
};

// Renderings per workplace name, shared by every connection of the server.
class ReportWorkplaceMemory {
public:
    static constexpr int kMaxWorkplaces = 256;

    // Sequence numbers increase over every rendering remembered anywhere.
    std::uint64_t nextSequence() { return ++sequence_; }

    void remember(const QString& workplace, const RememberedReport& report);
    RememberedReport last(const QString& workplace) const;
    int workplaceCount() const;

private:
    std::atomic<std::uint64_t> sequence_{0};
    mutable QMutex mutex_;
    QHash<QString, RememberedReport> byWorkplace_;
};

// The memory of this server process.
ReportWorkplaceMemory& serverReportMemory();

// A state kept on the calling thread for the given session; a different
// session on the same thread starts afresh. The station server's sessions
// share worker threads, so each keeps a ReportConnectionState of its own.
ReportConnectionState& connectionReportState(const void* session);

} // namespace velta::station
