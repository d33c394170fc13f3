#pragma once
// The register of scanned documents apart from its window: the documents and
// types of the data module, the type choices, reading a document for editing,
// saving a new or changed document with its page files, deleting one, and
// sending or dropping the type changes. Questions to the user go through Dialogs.
#include "common/DateTime.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace velta {
class Dialogs;
namespace core {
class TDBFrm;
}
} // namespace velta

namespace velta::directories::scandocs {

// One document as the registration page shows it.
struct ScanDocEntry {
    int typeId = 0; // 0: none chosen
    QString typeName;
    QString number;
    TDateTime docDate = 0;
    int senderId = 0;
    int targetId = 0;
    int carrierId = 0;
    QString sender;
    QString target;
    QString carrier;
    QString operatorName;
    QString driver;
    QString other;
    QStringList pages; // page file paths in page order (new documents)
    TDateTime registered = 0; // DATA of a stored document
};

struct ScanDocType {
    int id = 0;
    QString name;
};

class ScanDocRegister {
public:
    // root: the storage root; stationName: the folder of the station's documents.
    ScanDocRegister(core::TDBFrm& db, Dialogs& dialogs, QString root, QString stationName);

    const QString& Root() const { return root_; }
    const QString& StationName() const { return stationName_; }
    QString StationFolder() const;

    // Opens the documents (filtering on) and the types.
    void Open();
    // The types in their order.
    QList<ScanDocType> Types() const;
    // Applies the filter to the documents (case-insensitive).
    void SetFilter(const QString& filter);
    // Makes the first document whose field begins with the text current.
    bool Search(const QString& fieldName, const QString& text);

    // The current document; raises "Запись не выбрана!" when there is none.
    ScanDocEntry ReadCurrent();
    // The page paths of the current document, behind the storage root.
    QStringList CurrentPages() const;
    // The name of a contragent, empty for id 0 or an unknown one.
    QString ContragentName(int id);

    // Saves the entry as a new document (asking the user as it goes) and
    // returns its ID; the sources are offered for deletion and the log line
    // written only once the server has taken the document.
    int SaveNew(const ScanDocEntry& entry);
    // Writes the entry into the current document and sends it.
    void SaveCurrent(const ScanDocEntry& entry);
    // Deletes the current document on the server; its page files stay.
    void DeleteCurrent();

    // True while a type is being inserted or edited.
    bool TypeEditing() const;
    bool TypesChanged() const;
    // Sends the type changes and reopens the types.
    void ApplyTypes();
    // Reopens the types, dropping unsent changes.
    void ReopenTypes();

private:
    QString checkAndPrepare(const ScanDocEntry& entry);
    void checkPages(const QStringList& pages) const;
    bool confirmNew(const ScanDocEntry& entry);
    int newId();
    void writeFields(const ScanDocEntry& entry);
    QString logValues(const ScanDocEntry& entry) const;
    void apply();

    core::TDBFrm& db_;
    Dialogs& dialogs_;
    QString root_;
    QString stationName_;
};

} // namespace velta::directories::scandocs
