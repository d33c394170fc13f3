#pragma once
// One contragent's values as the edit window shows them, read from and
// written to the current record of the directory's list (CONTRAGENT columns),
// and the values the chooser hands back.
#include "common/DateTime.h"
#include "common/Variant.h"

#include <QList>
#include <QString>

namespace velta {
class TClientDataSet;
}

namespace velta::directories {

struct ContragentRecord {
    int id = 0;
    QString name;
    QString fullName;
    QString inn;
    QString address;
    QString phone;
    QString okpo;
    QString kpp;
    QString rschet;
    QString bankName;
    QString kschet;
    QString bik;
    QString fax;
    QString contactInfo;
    QString other;
    QString licNum;
    TDateTime licDate = 0; // its whole-day part 0 or less: none
    QString licOrg;
    int countryCode = 643;
};

// The text columns and the members holding them.
struct ContragentTextColumn {
    const char* column;
    QString ContragentRecord::*member;
};
const QList<ContragentTextColumn>& ContragentTextColumns();

ContragentRecord ReadContragent(const TClientDataSet& list);
// Writes every column but CONTR_ID into the record being edited: LICDATE the
// whole day of a date after 31.12.1899, else null; ISDELETE 0.
void WriteContragent(TClientDataSet& list, const ContragentRecord& record);

// The chooser's 19 values of the current record: CONTR_ID, INN, NAME,
// FULLNAME, ADDRESS, PHONE, OKPO, KPP, RSCHET, BANKNAME, KSCHET, BIK, FAX,
// CONTACTINFO, OTHER, LICNUM, LICDATE (a date-time), LICORG, COUNTRYCODE.
Variant::Array ChooserValues(const TClientDataSet& list);
const QStringList& ChooserColumns();

} // namespace velta::directories
