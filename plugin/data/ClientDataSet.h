#pragma once
// TClientDataSet: an in-memory dataset in the framework's manner. It opens
// from a provider of the station server (fetching rows on demand), from a data
// packet handed over as bytes, or from field definitions for a local dataset,
// and offers cursor navigation, filters, Locate, indexes, master-detail,
// cloned cursors, bookmarks and editing with a change log that ApplyUpdates
// sends back to the provider.
#include "common/DataPacket.h"
#include "common/FieldDef.h"
#include "common/Variant.h"
#include "plugin/foundation/DataSetTypes.h"
#include "plugin/data/Field.h"
#include "plugin/data/FilterProgram.h"
#include "plugin/data/Params.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

namespace velta {

class RecordStore;
class TDataSource;
class TDCOMConnection;
struct DataChange;

class TClientDataSet {
public:
    using DataSetEvent = std::function<void(TClientDataSet& dataSet)>;

    TClientDataSet();
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    QString Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }

    // Where the data comes from.
    QString ProviderName() const { return providerName_; }
    void SetProviderName(const QString& name) { providerName_ = name; }
    TDCOMConnection* RemoteServer() const { return remoteServer_; }
    void SetRemoteServer(TDCOMConnection* connection) { remoteServer_ = connection; }
    QString CommandText() const { return commandText_; }
    void SetCommandText(const QString& text) { commandText_ = text; }
    TParams& Params() { return params_; }
    // Rows per packet: -1 all, 0 none (fields only), N: N now and N more
    // whenever navigation reaches the last row loaded.
    int PacketRecords() const { return packetRecords_; }
    void SetPacketRecords(int count) { packetRecords_ = count; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // Field definitions for CreateDataSet.
    QVector<FieldDef> FieldDefs;

    // Persistent fields, declared before opening; opening binds them to the
    // data's columns by name. Without any, opening creates one per column.
    TField& AddField(const QString& name, FieldType type, int size = 0, TFieldKind kind = fkData);
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int index) const;
    TField* FindField(const QString& name) const;
    // Raises EDatabaseError "<dataset>: Field '%s' not found".
    TField& FieldByName(const QString& name) const;
    QStringList FieldNames() const;
    // The columns of the open data, whether a field shows them or not (none when closed).
    QVector<FieldDef> DataFieldDefs() const;

    // Opening and closing.
    void Open();
    void Close();
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    // A local dataset from FieldDefs (or from the persistent fields), empty and open.
    void CreateDataSet();
    // Removes every record (a local dataset's contents).
    void EmptyDataSet();
    // The data as a packet (fields and current records, without the change log) and back.
    QByteArray Data() const;
    void SetData(const QByteArray& packet);
    void SetDataPacket(const DataPacket& packet);
    // The change log as a packet.
    DataPacket Delta() const;

    // Navigation.
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Eof() const;
    bool Bof() const;
    // 1-based position of the current record, -1 when there is none.
    int RecNo() const;
    void SetRecNo(int recNo);
    // Records loaded and shown (after filter and master range).
    int RecordCount() const;
    bool IsEmpty() const;
    // Fetches the next packet from the server; returns the rows it added.
    int GetNextPacket();
    void FetchAll();
    bool HasMoreRows() const;

    // Filter.
    QString Filter() const { return filterText_; }
    void SetFilter(const QString& text);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool filtered);
    TFilterOptions FilterOptions() const { return filterOptions_; }
    void SetFilterOptions(TFilterOptions options);

    // Order: "Name" or "A;B", ascending, stable, texts without regard to case.
    QString IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const QString& names);

    // Master-detail: only the records whose first index fields equal the
    // master's MasterFields ("A;B") in the master's current record.
    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* source);
    QString MasterFields() const { return masterFields_; }
    void SetMasterFields(const QString& names);

    // Finding records.
    bool Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options);
    Variant Lookup(const QString& keyFields, const Variant& keyValues, const QString& resultFields);

    // A second cursor over the source's data. Unless reset or keepSettings,
    // the clone takes the source's filter, index and read-only setting.
    void CloneCursor(TClientDataSet& source, bool reset = false, bool keepSettings = false);

    // Bookmarks.
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);
    bool BookmarkValid(const TBookmark& bookmark) const;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
    void FreeBookmark(TBookmark&) {}

    // Editing.
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Appends a record with the values in field order and posts it.
    void AppendRecord(const QVector<Variant>& values);
    // Posts a pending edit; a new record nobody filled in is dropped.
    void CheckBrowseMode();
    int ChangeCount() const;
    void CancelUpdates();
    void MergeChangeLog();
    // Sends the change log to the provider; on success the log is merged and
    // the answer is 0. A refused update raises the server's error and leaves
    // the log as it was.
    int ApplyUpdates(int maxErrors);
    // The change logs of several datasets of one server in one request and
    // one transaction: all are applied or none.
    static void ApplyUpdatesTogether(const QList<TClientDataSet*>& dataSets);

    // Controls.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // Events.
    DataSetEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    DataSetEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    DataSetEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    DataSetEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    DataSetEvent OnNewRecord, OnCalcFields;

    // For controls: the records shown in order, with kBufferRecord where a
    // new record is being inserted; the current row; the text of a field in
    // one of those records (the edit buffer for the record being edited).
    static constexpr int kBufferRecord = -2;
    std::vector<int> displayRecords() const;
    int displayRowCount() const;
    int currentDisplayRow() const;
    QString displayTextOf(int record, const TField& field) const;
    QString editTextOf(int record, const TField& field) const;
    // Runs `read` with every field reading `record` (one of displayRecords())
    // instead of the current record, as a grid's drawing handler does.
    void readRecordOf(int record, const std::function<void()>& read) const;
    // The bookmark of one of displayRecords() (null for the new-record row).
    TBookmark bookmarkOf(int record) const;

private:
    friend class TField;
    friend class TDataSource;
    class MasterLink;
    class ReadScope;

    // Reading and writing fields (TField).
    Variant fieldValue(const TField& field) const;
    void setFieldValue(const TField& field, const Variant& value);
    Variant calculatedValue(const TField& field) const;
    Variant lookupValue(const TField& field) const;

    void addDataSource(TDataSource* source);
    void removeDataSource(TDataSource* source);

    void checkActive() const;
    void checkEditable() const;
    void beginInsert(bool append);
    void openStore(std::shared_ptr<RecordStore> store);
    void openRemote();
    void installFetcher(RecordStore& store, int cursor);
    void releaseServerCursor();
    void bindFields();
    void compileFilter();
    void resolveIndex();
    bool refreshMasterValues();
    void invalidate() { viewVersion_ = 0; }
    void ensureView() const;
    void rebuildView() const;
    bool fetchMoreRows(int count) const;
    int currentRecord() const;
    int readRecord() const;
    void setPosition(int pos);
    void afterMove(int oldRecord, bool always);
    bool step(int direction);
    void restartCursor();
    int readableRecord(int record) const;
    int searchRecord(const QString& keyFields, const Variant& keyValues, TLocateOptions options);
    int viewIndexOf(int record) const;
    void notify(const DataChange& change);
    // Tells the data sources what changed since they last heard; `touched`
    // is a record whose values changed in place (kLayoutTouched: many did).
    static constexpr int kLayoutTouched = -2;
    void publish(int touched = -1);
    void markPublished();
    void runEvent(const DataSetEvent& event) { if (event) event(*this); }

    QString name_;
    QString providerName_;
    TDCOMConnection* remoteServer_ = nullptr;
    QString commandText_;
    TParams params_;
    int packetRecords_ = -1;
    bool readOnly_ = false;

    std::vector<std::unique_ptr<TField>> fields_;
    bool autoFields_ = false; // the fields were made by opening and go with closing

    TDataSetState state_ = dsInactive;
    std::shared_ptr<RecordStore> store_;

    // The cursor: the records shown, in order, and the current position.
    mutable std::vector<int> view_;
    mutable std::uint64_t viewVersion_ = 0;    // the store version the view was built for
    mutable std::uint64_t viewGeneration_ = 0; // counts rebuilds
    mutable int pos_ = -1;
    mutable int currentRecord_ = -1;
    bool bof_ = true;
    bool eof_ = true;

    QString filterText_;
    bool filtered_ = false;
    TFilterOptions filterOptions_ = 0;
    FilterProgram filter_;

    QString indexFieldNames_;
    std::vector<int> indexColumns_;

    QString masterFields_;
    std::unique_ptr<MasterLink> masterLink_;
    QVector<Variant> masterValues_;
    bool masterRangeOn_ = false;

    // Editing: the values of the record being edited or inserted.
    QVector<Variant> buffer_;
    int editRecord_ = -1;
    int insertRow_ = -1;     // view position of the new record
    bool modified_ = false;

    // Calculated fields of the record being read.
    mutable QVector<Variant> calcValues_;
    mutable bool calculating_ = false;
    static constexpr int kNoOverride = -3;
    mutable int readOverride_ = kNoOverride; // a record read by a control or a lookup (kBufferRecord: the edit buffer)

    std::vector<TDataSource*> sources_;
    int disableCount_ = 0;
    std::vector<int> published_;
    std::uint64_t publishedView_ = 0; // store and view version the rows were told for
    std::uint64_t publishedStore_ = 0;
    int publishedInsertRow_ = -1;
    int publishedRow_ = -1;
    int publishedRecord_ = -1;
    TDataSetState publishedState_ = dsInactive;
};

} // namespace velta
