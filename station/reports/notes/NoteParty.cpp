#include "station/reports/notes/NoteParty.h"

#include "station/db/StationDatabase.h"

#include <QStringList>

namespace velta::station {
namespace {

QString joinedFilled(const QStringList& parts)
{
    QStringList filled;
    for (const QString& part : parts) {
        if (!part.isEmpty())
            filled << part;
    }
    return filled.join(QStringLiteral(", "));
}

QString labelled(const QString& label, const QString& value)
{
    return value.isEmpty() ? QString() : label + value;
}

} // namespace

QString NoteParty::title() const
{
    return fullName.isEmpty() ? name : fullName;
}

QString NoteParty::innKpp() const
{
    if (!inn.isEmpty() && !kpp.isEmpty())
        return QStringLiteral("ИНН/КПП %1/%2").arg(inn, kpp);
    if (!inn.isEmpty())
        return QStringLiteral("ИНН ") + inn;
    return labelled(QStringLiteral("КПП "), kpp);
}

QString NoteParty::description() const
{
    return joinedFilled({title(), address, phone, innKpp()});
}

QString NoteParty::withBank() const
{
    return joinedFilled({description(), labelled(QStringLiteral("р/с "), account),
                         labelled(QStringLiteral("в банке "), bank), labelled(QStringLiteral("БИК "), bik),
                         labelled(QStringLiteral("к/с "), corrAccount)});
}

NoteParty findNoteParty(StationDatabase& db, int id)
{
    NoteParty party;
    party.id = id;
    if (id < 1)
        return party;
    QSqlQuery query = db.prepare(QStringLiteral(
        "SELECT NAME, FULLNAME, ADDRESS, PHONE, INN, KPP, OKPO, RSCHET, BANKNAME, KSCHET, BIK "
        "FROM CONTRAGENT WHERE CONTR_ID = ?"));
    query.addBindValue(id);
    execPrepared(query, QStringLiteral("Note party"));
    if (!query.next())
        return party;
    const auto text = [&](int column) { return query.value(column).toString().trimmed(); };
    party.found = true;
    party.name = text(0);
    party.fullName = text(1);
    party.address = text(2);
    party.phone = text(3);
    party.inn = text(4);
    party.kpp = text(5);
    party.okpo = text(6);
    party.account = text(7);
    party.bank = text(8);
    party.corrAccount = text(9);
    party.bik = text(10);
    return party;
}

} // namespace velta::station
