#pragma once
// The layout of the contragent exchange file: which directory column goes to
// which dBase field and how long it is, the role flag fields and VOLIST.
#include <QList>
#include <QString>

namespace velta::directories {

// "INN;Name;...;Phone=Phones;...": a=b maps directory field a to DBF field b.
extern const char kContragentDbfFieldMap[];

struct DbfFieldMapEntry {
    QString directoryField;
    QString dbfField;
};
QList<DbfFieldMapEntry> ParseDbfFieldMap(const QString& map);
const QList<DbfFieldMapEntry>& ContragentDbfFieldMap();
// The DBF field of a directory column (without regard to case), or empty.
QString DbfFieldOfColumn(const QString& column);
// The directory field the map names for a DBF field, or empty.
QString ColumnOfDbfField(const QString& dbfField);
// The length of a text field of the file (0 for LICDATE and COUNTRYCOD).
int DbfTextLength(const QString& dbfField);

// The role flag fields (0 or 1) with the mask bit each stands for; ctype is
// the role row an import adds for it (0 for ISREGIONAL, which only qualifies ISMANUF).
struct DbfRoleFlag {
    const char* field;
    int bit;
    int ctype;
};
const QList<DbfRoleFlag>& ContragentDbfFlags();

inline constexpr char kVoListField[] = "VOLIST";
inline constexpr int kVoListLength = 100;

} // namespace velta::directories
