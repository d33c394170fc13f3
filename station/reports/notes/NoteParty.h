#pragma once
// NoteParty: a party of a consignment note (consignor, consignee, payer,
// carrier, supplier) from the contragent directory by its number, and the
// texts the forms print of it.
#include <QString>

namespace velta::station {

class StationDatabase;

struct NoteParty {
    int id = 0;
    bool found = false;
    QString name;
    QString fullName;
    QString address;
    QString phone;
    QString inn;
    QString kpp;
    QString okpo;
    QString account;     // settlement account (RSCHET)
    QString bank;
    QString corrAccount; // KSCHET
    QString bik;

    // The full name, else the short one.
    QString title() const;
    // "ИНН/КПП 1234/5678", "ИНН 1234", "КПП 5678" or empty.
    QString innKpp() const;
    // As the note editor shows a party: title, address, phone and ИНН/КПП,
    // joined by ", ".
    QString description() const;
    // The party with its bank details: "р/с ..., в банке ..., БИК ..., к/с ...".
    QString withBank() const;
};

// The contragent with that number; a number below 1 or one the directory
// does not have gives a party that is not found (and prints blank).
NoteParty findNoteParty(StationDatabase& db, int id);

} // namespace velta::station
