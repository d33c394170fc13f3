#pragma once
// Where a station's database files lie under its root folder.
#include <QString>

namespace velta::station {

QString stationDatabasePath(const QString& root);
QString officeDatabasePath(const QString& root);

} // namespace velta::station

namespace velta::station {

// One program at a time works on a station folder: "serve" for as long as it
// runs, "report --root" while it makes its report. The hold is an advisory
// lock on the folder's "station.lock", released when the holder ends, however
// it ends.
class StationFolderHold {
public:
    // Tries to take the hold without waiting; held() tells whether it did.
    explicit StationFolderHold(const QString& root);
    ~StationFolderHold();
    StationFolderHold(const StationFolderHold&) = delete;
    StationFolderHold& operator=(const StationFolderHold&) = delete;

    bool held() const { return held_; }
    QString lockPath() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
    bool held_ = false;
};

} // namespace velta::station
