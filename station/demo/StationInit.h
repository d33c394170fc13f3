#pragma once
// Creation of a demo station under a root folder: the station database and
// the head-office database, with their structure and demo data.
#include "station/db/StationPaths.h"
#include "station/demo/DemoData.h"

#include <QString>
#include <QStringList>

namespace velta::station {

struct InitOptions {
    QString root;
    bool legacy = false; // an older station: without note lines and the later columns
    bool force = false;  // replace existing databases
    int sales = 36000;
    // Where the shipped report forms go (C:\DEXE\FORMS of the station's
    // drive, native path); empty: none are installed.
    QString formsFolder;
};

struct InitResult {
    QString stationPath;
    QString officePath;
    DemoSummary summary;
    qint64 milliseconds = 0;
    QStringList forms; // the form files written
};

// Creates both databases. Refuses (Exception) to replace an existing database
// unless options.force is set; on any failure the files it created are removed.
InitResult initStation(const InitOptions& options);

} // namespace velta::station
