#pragma once
// ReportContext: what every report works with: the station database, the
// report settings of cnf.ini and the station's own name and details for the
// head of each report.
#include "station/reports/core/ReportDocument.h"
#include "station/reports/core/ReportFormats.h"

#include <QString>

namespace velta::station {

class StationDatabase;

class ReportContext {
public:
    ReportContext(StationDatabase& db, ReportFormats formats);

    StationDatabase& db() const { return db_; }
    const ReportFormats& formats() const { return formats_; }

    // From the STATION table (empty when it has no row).
    const QString& stationName() const { return stationName_; }
    const QString& stationAddress() const { return stationAddress_; }
    const QString& stationInn() const { return stationInn_; }
    bool loadingRack() const { return loadingRack_; }

    // A document with this station's head lines and the settings' limits.
    ReportDocument newDocument(const QString& title) const;

    // The station's print-form folders, Windows-style with a trailing
    // backslash: "C:\DEXE\FORMS\WEBREP\" and "C:\DEXE\FORMS\REPORT\".
    static QString webFormsFolder();
    static QString textFormsFolder();

private:
    StationDatabase& db_;
    ReportFormats formats_;
    QString stationName_;
    QString stationAddress_;
    QString stationInn_;
    bool loadingRack_ = false;
};

} // namespace velta::station
