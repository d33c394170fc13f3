#pragma once
// The contragent names of the sales, read once per report from the two small
// directories instead of joined to every sale: a sale keeps its contragent as
// text (LOGTRAN.IDCNT), which no index of the directories serves.
#include <QHash>
#include <QString>
#include <QStringList>

namespace velta::station {

class StationDatabase;

class ContragentNames {
public:
    explicit ContragentNames(StationDatabase& db);

    // The contragent directory's name of the number a sale keeps, else the
    // statement-client table's, else the number itself (a directory record
    // without a name shows the number too); trimmed.
    QString nameOf(const QString& idcnt) const;
    // The texts under which sales of the named contragent are kept, matched
    // as nameOf() resolves them.
    QStringList keysNamed(const QString& name) const;

private:
    struct Entry {
        QString name;
        bool hasName = false;
    };
    QHash<QString, Entry> contragents_;
    QHash<QString, QString> clients_;
};

} // namespace velta::station
