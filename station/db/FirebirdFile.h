#pragma once
// Creation of an empty Firebird database file through the client library's
// own call, since the Qt driver can only attach to databases that exist.
#include <QString>

namespace velta::station {

struct DatabaseFileOptions {
    QString charset = QStringLiteral("WIN1251");
    int pageSize = 8192;
};

// Creates the database file at path (dialect 3) and detaches again.
// Raises EDatabaseError with the engine's text when the engine refuses.
void createDatabaseFile(const QString& path, const DatabaseFileOptions& options = {});

// Switches the database's synchronous page writes on or off. Off speeds up a
// bulk load several times; they belong on for a database in service. The file
// must not be attached by anyone else at the time.
void setForcedWrites(const QString& path, bool on);

} // namespace velta::station
