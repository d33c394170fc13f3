#include "host/ReportClient.h"

#include "common/StationProtocol.h"
#include "common/WireClient.h"

namespace velta::host {

ReportClient::ReportClient(QString host, int port, QString workplace)
    : host_(std::move(host)), port_(port), workplace_(std::move(workplace)), client_(std::make_unique<WireClient>())
{
}

ReportClient::~ReportClient() = default;

QString ReportClient::getReport(int reportNo, const Variant& params)
{
    QMutexLocker lock(&mutex_);
    if (!client_->isConnected())
        client_->connect(host_, static_cast<std::uint16_t>(port_));
    const Variant answer = client_->call(QString::fromLatin1(station::kGetReport),
                                         {Variant(reportNo), params, Variant(workplace_)});
    return answer.isEmptyOrNull() ? QString() : answer.toString();
}

void ReportClient::disconnect()
{
    QMutexLocker lock(&mutex_);
    client_->close();
}

} // namespace velta::host
