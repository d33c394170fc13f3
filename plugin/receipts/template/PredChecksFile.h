#pragma once
// PredChecks.txt: the cash register receipt templates by payment type, an INI
// file shared through the locked INI access. [TovCheckOnVidOpl] VO<code> is 1
// when the payment type prints with its own template; [VO-1] TOVARNCHECK holds
// the common template and [VO<code>] TOVARNCHECK a payment type's own. A
// template is stored on one line: its line breaks become TABs on writing and
// TABs become CR LF on reading. Writing replaces the file whole.
#include <QList>
#include <QPair>
#include <QString>

namespace velta::receipts {

class PredChecksFile {
public:
    // The file's suite name for a workplace kind (host value 46): the
    // station's drive "S:\DEXE\PredChecks.txt" unless the kind is 0 or 3,
    // else "C:\DEXE\PredChecks.txt".
    static QString nameForWorkplace(int workplaceKind);
    // The station's own file, as its report engine reads it.
    static QString stationName();

    // A suite name ("C:\DEXE\PredChecks.txt") or a path of this machine.
    explicit PredChecksFile(const QString& name);

    const QString& path() const { return path_; }

    // [TovCheckOnVidOpl] VO<code>, 0 when missing.
    int ownTemplateFlag(int payTypeCode) const;
    void writeOwnTemplateFlag(int payTypeCode, int flag) const;
    // Several flags (code, flag) in one replacement of the file: all or none.
    void writeOwnTemplateFlags(const QList<QPair<int, int>>& flags) const;

    // The stored template of a payment type (kCommonTemplate: the common one),
    // with CR LF line breaks; empty when none is stored.
    QString readTemplate(int payTypeCode) const;
    void writeTemplate(int payTypeCode, const QString& text) const;

    // What prints for a payment type: its own template when its flag is 1,
    // otherwise the common one.
    QString templateFor(int payTypeCode) const;

    // The stored one-line form of a template and back.
    static QString toStored(const QString& text);
    static QString fromStored(const QString& stored);

private:
    QString path_;
};

} // namespace velta::receipts
