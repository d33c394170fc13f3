#pragma once
// The service functions of report 35, chosen by element 0 of its parameters:
//   [1000, X]            the prologue sent before every report; X is kept for
//                        the connection, the answer is "OK"
//   [2, SQL, Base]       the rows of the SQL on the station database (Base 0)
//                        or the head-office database (Base 1), answered as
//                        the hex text of a data packet
//   [17, Fn, Args]       a function answered in the typed text form; Fn 2
//                        runs [Fn', Args'] with the station database at hand:
//                        Fn' 1 a new scanned document identifier, Fn' 2 a new
//                        scanned document type identifier
//   [14]                 "OK": the engine takes the extended payment codes
// Other selectors are reports of their own (ReportEngine).
#include "common/Variant.h"

#include "common/ReportContract.h"

#include <QString>
#include <optional>

namespace velta::station {

class StationDatabase;
struct ReportConnectionState;

class ReportService {
public:
    ReportService(StationDatabase& db, ReportConnectionState& connection);

    // The selector of report 35's parameters; raises EDatabaseError when
    // element 0 is missing or no integer.
    static int selectorOf(const Variant& params);
    static bool isServiceSelector(int selector);

    // The answer of a service selector (isServiceSelector); raises
    // EDatabaseError for malformed parameters and the database's errors.
    QString answer(const Variant& params);

private:
    QString providerData(const Variant::Array& params);
    QString callFunction(const Variant::Array& params);
    QString callWithStationDatabase(const Variant& args);

    StationDatabase& db_;
    ReportConnectionState& connection_;
};

} // namespace velta::station
