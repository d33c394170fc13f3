#pragma once
// The host's report function: asks the station server's report engine over a
// connection of the host's own ("GetReport" [reportNo, params, workplace]). The
// connection is kept between reports, because report 55 answers the rendering
// of this connection's last report; calls from several threads take turns.
#include "common/Variant.h"

#include <QMutex>
#include <QString>
#include <memory>

namespace velta {
class WireClient;
}

namespace velta::host {

class ReportClient {
public:
    ReportClient(QString host, int port, QString workplace);
    ~ReportClient();
    ReportClient(const ReportClient&) = delete;
    ReportClient& operator=(const ReportClient&) = delete;

    // The report text; connects first when not connected. A broken connection
    // raises the client's error and is made again by the next call.
    QString getReport(int reportNo, const Variant& params);
    void disconnect();

    const QString& host() const { return host_; }
    int port() const { return port_; }

private:
    QString host_;
    int port_;
    QString workplace_;
    QMutex mutex_;
    std::unique_ptr<WireClient> client_;
};

} // namespace velta::host
