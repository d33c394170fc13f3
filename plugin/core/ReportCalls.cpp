#include "plugin/core/ReportCalls.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "common/Hex.h"
#include "common/StationProtocol.h"
#include "common/SysUtils.h"
#include "common/VariantText.h"
#include "plugin/core/HostContext.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Clock.h"

#include <QSysInfo>

namespace velta::core {

namespace {

constexpr int kLogInfo = 1;
constexpr int kLogError = 2;

// Host value codes these calls ask.
constexpr int kValueStationComputer = 7;
constexpr int kValueWorkplaceKind = 46;
constexpr int kValuePrologue = 56;

Variant hostValue(int code)
{
    Variant result;
    if (!host().getValue)
        throw Exception(QStringLiteral("GetValue is not set"));
    host().getValue(result, code, 0);
    return result;
}

int elapsedSince(std::int64_t start)
{
    return static_cast<int>(Clock::current().tickCount() - start);
}

// The length of a report as the 8-bit text the engine produced.
int byteLength(const QString& text)
{
    return static_cast<int>(codec::toCp1251(text).size());
}

// Tells the engine who asks before every report; a failure here never stops the report.
void sendPrologue()
{
    try {
        const int x = hostValue(kValuePrologue).toInt();
        QString ignored;
        host().getReport(ignored, report::kService, Variant(Variant::Array{Variant(report::kSelectorPrologue), Variant(x)}));
    } catch (...) {
    }
}

bool isLocalWorkplace()
{
    if (!host().getValue)
        return true;
    const int kind = hostValue(kValueWorkplaceKind).toInt();
    return kind == 0 || kind == 3;
}

} // namespace

void RunReport(int reportNo, const Variant& params, QString& text)
{
    try {
        if (!host().getReport)
            throw Exception(QStringLiteral("Отчет не сформирован, т.к. переменная \"GetReport_\" не инициализирована!"));
        const std::int64_t start = Clock::current().tickCount();
        sendPrologue();
        host().getReport(text, reportNo, params);
        logger().Log(Format(QStringLiteral("Отчет №%d сформирован (%d мс; %d байт)"),
                            {Variant(reportNo), Variant(elapsedSince(start)), Variant(byteLength(text))}),
                     kLogInfo);
    } catch (const Exception& e) {
        logger().Log(Format(QStringLiteral("Ошибка формирования отчета №%d: %s"), {Variant(reportNo), Variant(e.message())}),
                     kLogError);
        throw;
    }
}

void ProduceReport(int reportNo, const Variant& params, QString& text)
{
    if (isLocalWorkplace()) {
        RunReport(reportNo, params, text);
        return;
    }
    const std::int64_t start = Clock::current().tickCount();
    {
        // A connection of its own: the report thread must not share the data module's.
        TDCOMConnection connection;
        connection.SetServerName(QString::fromLatin1(kVeltaServerName));
        connection.SetServerGUID(QString::fromLatin1(kVeltaServerGUID));
        connection.SetComputerName(hostValue(kValueStationComputer).toString());
        connection.Open();
        text = connection
                   .call(QString::fromLatin1(station::kGetReportEx),
                         {Variant(reportNo), params, Variant(ReportWorkplaceName())})
                   .toString();
    }
    logger().Log(Format(QStringLiteral("Отчет #%d сформирован (%d мс; %d байт)"),
                        {Variant(reportNo), Variant(elapsedSince(start)), Variant(byteLength(text))}),
                 kLogInfo);
}

void GetProviderData(const QString& sql, int base, Variant& data)
{
    if (!host().getReport)
        throw Exception(QStringLiteral("GetProviderData -> функция \"GetReport\" не определа!"));
    QString answer;
    host().getReport(answer, report::kService,
                     Variant(Variant::Array{Variant(report::kSelectorProviderData), Variant(sql), Variant(base)}));
    data = Variant(HexDecodeBytes(answer.toLatin1()));
}

void RptCallFunction(int fn, const Variant& args, Variant& result)
{
    if (!host().getReport)
        throw Exception(QStringLiteral("Функция \"GetReport\" не определа!"));
    try {
        QString answer;
        host().getReport(answer, report::kService,
                         Variant(Variant::Array{Variant(report::kSelectorCallFunction), Variant(fn), args}));
        TextToVariant(answer, result);
    } catch (const Exception& e) {
        WrapExceptionTagged(e, QStringLiteral("RptCallFunction"), true)->raise();
    }
}

void RptCallFunctionWithGSMDBConnect(int fn, const Variant& args, Variant& result)
{
    try {
        RptCallFunction(report::kFnWithStationDatabase, Variant(Variant::Array{Variant(fn), args}), result);
    } catch (const Exception& e) {
        WrapExceptionTagged(e, QStringLiteral("RptCallFunctionWithGSMDBConnect"), true)->raise();
    }
}

QString ReportWorkplaceName()
{
    return QSysInfo::machineHostName();
}

} // namespace velta::core
