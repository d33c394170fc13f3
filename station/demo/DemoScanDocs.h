#pragma once
// Demo scanned document types and a few registered documents.
#include <QtGlobal>

namespace velta::station {

class StationDatabase;
struct DemoContragents;

struct DemoScanDocs {
    qint64 types = 0;
    qint64 documents = 0;
};

DemoScanDocs writeScanDocs(StationDatabase& db, const DemoContragents& contragents);

} // namespace velta::station
