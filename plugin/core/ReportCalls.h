#pragma once
// The calls into the report engine: reports through the host's report function
// (RunReport) or, on remote workplaces, the station server's own report method
// (ProduceReport), SQL data through the service report (GetProviderData) and
// the engine's service functions with their typed answers (RptCallFunction).
#include "common/ReportContract.h"
#include "common/Variant.h"

#include <QString>

namespace velta::core {

// The class of the station's application server.
inline constexpr char kVeltaServerName[] = "VeltaServer.ServerVeltaDCOM";
inline constexpr char kVeltaServerGUID[] = "{D7D34493-E6FD-11D4-97BA-00C0DFF6EEA1}";

// Report ReportNo for Params through the host's report function, after the
// prologue; logs the time and size, or the failure (and raises it again).
void RunReport(int reportNo, const Variant& params, QString& text);

// RunReport on local workplaces (host value 46 is 0 or 3); on remote ones the
// station server's GetReportEx over a connection of its own to the computer of
// host value 7. The remote path logs only success.
void ProduceReport(int reportNo, const Variant& params, QString& text);

// The rows of an SQL text on base 0 (station) or 1 (office) as a data packet
// (a byte-array variant a client dataset takes as its data).
void GetProviderData(const QString& sql, int base, Variant& data);

// A service function of the engine; the typed answer is decoded into result
// (an answer without a type leaves result as it was).
void RptCallFunction(int fn, const Variant& args, Variant& result);
// A service function that runs on the engine's own station database connection.
void RptCallFunctionWithGSMDBConnect(int fn, const Variant& args, Variant& result);

// The name under which remote reports are kept on the server for report 55,
// so that the host's report function finds the rendering of a report this
// workplace made over its own connection: this computer's host name.
QString ReportWorkplaceName();

} // namespace velta::core
