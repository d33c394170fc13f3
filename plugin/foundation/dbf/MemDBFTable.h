#pragma once
// TMemDBFTable: a dBase table held wholly in memory. The file is read at Open;
// records are browsed, filtered, located, edited, appended and marked deleted
// in memory, and written back only by SaveToFile. Records are kept as one byte
// buffer in file form and decoded when a field is read.
#include "common/Variant.h"
#include "plugin/foundation/DataSetTypes.h"
#include "plugin/foundation/dbf/DBFAccess.h"
#include "plugin/foundation/dbf/DBFField.h"
#include "plugin/foundation/dbf/DBFFilter.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <deque>
#include <memory>

class QFile;

namespace velta {

class TMemDBFTable {
public:
    TMemDBFTable();
    ~TMemDBFTable();
    TMemDBFTable(const TMemDBFTable&) = delete;
    TMemDBFTable& operator=(const TMemDBFTable&) = delete;

    // Published properties.
    const QString& FileName() const { return fileName_; }
    // Raises "Cannot change Filename if table is active" while open.
    void SetFileName(const QString& fileName);
    bool MakeBackup() const { return makeBackup_; }
    void SetMakeBackup(bool value) { makeBackup_ = value; }
    bool ShowDeleted() const { return showDeleted_; }
    void SetShowDeleted(bool value);
    bool PackOnSave() const { return packOnSave_; }
    void SetPackOnSave(bool value) { packOnSave_ = value; }
    const QString& Filter() const { return filter_; }
    void SetFilter(const QString& text);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool value);
    TFilterOptions FilterOptions() const { return filterOptions_; }
    void SetFilterOptions(TFilterOptions options);
    bool OEM() const { return oem_; }
    void SetOEM(bool value) { oem_ = value; }

    // Field definitions that CreateTable builds descriptors from.
    QVector<TFieldDef>& FieldDefs() { return fieldDefs_; }
    void AddFieldDef(const QString& name, TFieldType type, int size = 0, int precision = 0);
    // A definition taken from a data packet column (its size, precision and scale).
    void AddFieldDef(const FieldDef& def);

    // Opening and closing. A table that fails to open stays closed.
    void Open();
    // Opens the table from the bytes of a file (no memo file is opened).
    void LoadFromBytes(QByteArray bytes);
    void Close();
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool value);
    TDataSetState State() const { return state_; }

    // The file header: version text ("Unknown" while closed), kind, code page.
    QString VersionText() const;
    int VersionKind() const;
    int CodePage() const;
    const TDBFHeader& Header() const { return header_; }
    const QVector<TDBFFieldDesc>& FieldDescs() const { return descs_; }
    // The first block of the memo file, when the table has one.
    const QByteArray& MemoHeader() const { return memoHeader_; }

    // Fields of the open table.
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    DbfField& Fields(int index);
    DbfField* FindField(const QString& name);
    // Raises "Field 'NAME' not found".
    DbfField& FieldByName(const QString& name);

    // Navigation over the records that are shown (not deleted unless
    // ShowDeleted, passing the filter when Filtered).
    void First();
    void Last();
    void Next();
    void Prior();
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const;
    // 1-based position among all records; 1 before the first record of a non-empty table.
    int RecNo() const;
    // All records in memory, deleted ones included.
    int RecordCount() const { return recordCount_; }
    int DeletedCount() const { return deletedCount_; }
    // Whether the current record carries the deletion mark.
    bool IsDeleted() const;

    // Editing. Navigating, locating or saving posts a pending change first.
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // Finds the first record (of all in memory) whose key fields, separated by
    // ";", match the value or array of values; it becomes the current record.
    bool Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options = 0);

    // Makes an empty dBase III+ table from a descriptor list, or from
    // FieldDefs when none is given; saves it to the file when one is named,
    // else keeps it for the next Open.
    void CreateTable(const QString& fileName = {}, const QVector<TDBFFieldDesc>* fieldList = nullptr);
    // Writes the whole table (FileName when the name is empty).
    void SaveToFile(const QString& fileName = {});
    // The bytes SaveToFile writes.
    QByteArray SaveToBytes();

private:
    friend class DbfField;

    const TDBFFieldDesc& desc(int index) const { return descs_[index]; }
    // The bytes the fields read: the edit buffer while editing, else the
    // current record; nullptr when there is no current record.
    const char* activeBuffer() const;
    char* editBuffer(int fieldIndex);
    char* recordAt(int index) { return data_.data() + recordsOffset_ + static_cast<qsizetype>(index) * recordSize_; }
    const char* recordAt(int index) const { return data_.constData() + recordsOffset_ + static_cast<qsizetype>(index) * recordSize_; }
    bool isShown(int index) const;
    int nextShown(int from) const;
    int priorShown(int from) const;
    void openImage(TDBFImage image);
    void openMemo();
    void bindFields();
    void refresh();
    void checkActive() const;
    void checkBrowseMode();
    void reparseFilter();
    void stampToday(TDBFHeader& header) const;
    QByteArray buildFile(bool pack);

    QString fileName_;
    bool makeBackup_ = false;
    bool showDeleted_ = false;
    bool packOnSave_ = false;
    QString filter_;
    bool filtered_ = false;
    TFilterOptions filterOptions_ = 0;
    bool oem_ = true;
    QVector<TFieldDef> fieldDefs_;

    TDataSetState state_ = dsInactive;
    TDBFHeader header_;
    QVector<TDBFFieldDesc> descs_;
    std::deque<DbfField> fields_;
    QByteArray data_;
    qsizetype recordsOffset_ = 0;
    int recordSize_ = 0;
    int recordCount_ = 0;
    int deletedCount_ = 0;
    int cursor_ = -1;
    int insertAt_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    QByteArray editBuffer_;
    DbfFilter filterParser_;
    std::unique_ptr<QFile> memo_;
    QByteArray memoHeader_;
    QByteArray created_; // a table made by CreateTable without a file name
};

} // namespace velta
