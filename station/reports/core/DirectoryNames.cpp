#include "station/reports/core/DirectoryNames.h"

#include "station/db/StationDatabase.h"

namespace velta::station {

namespace {

// Text compares as the database compares it: trailing blanks do not count.
QString withoutTrailingBlanks(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return n == text.size() ? text : text.left(n);
}

} // namespace

ContragentNames::ContragentNames(StationDatabase& db)
{
    QSqlQuery query = db.query();
    query.setForwardOnly(true);
    execQuery(query, QStringLiteral("SELECT CAST(CONTR_ID AS VARCHAR(10)), NAME FROM CONTRAGENT"),
              QStringLiteral("Contragent names"));
    while (query.next())
        contragents_.insert(query.value(0).toString(), {query.value(1).toString(), !query.value(1).isNull()});
    QSqlQuery clients = db.query();
    clients.setForwardOnly(true);
    execQuery(clients, QStringLiteral("SELECT CAST(ID AS VARCHAR(10)), NAME FROM VDCONTRACTOR"),
              QStringLiteral("Contragent names"));
    while (clients.next())
        clients_.insert(clients.value(0).toString(), clients.value(1).toString());
}

QString ContragentNames::nameOf(const QString& idcnt) const
{
    const QString key = withoutTrailingBlanks(idcnt);
    const auto contragent = contragents_.constFind(key);
    if (contragent != contragents_.constEnd())
        return (contragent->hasName ? contragent->name : idcnt).trimmed();
    const auto client = clients_.constFind(key);
    return (client != clients_.constEnd() ? *client : idcnt).trimmed();
}

QStringList ContragentNames::keysNamed(const QString& name) const
{
    const QString wanted = withoutTrailingBlanks(name);
    QStringList keys;
    for (auto it = contragents_.constBegin(); it != contragents_.constEnd(); ++it)
        if (it->hasName && withoutTrailingBlanks(it->name) == wanted)
            keys << it.key();
    for (auto it = clients_.constBegin(); it != clients_.constEnd(); ++it)
        if (!contragents_.contains(it.key()) && withoutTrailingBlanks(*it) == wanted)
            keys << it.key();
    keys.sort();
    return keys;
}

} // namespace velta::station
