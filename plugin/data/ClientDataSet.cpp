#include "plugin/data/ClientDataSet.h"


#include "common/Exception.h"
#include "plugin/data/DataSetErrors.h"
#include "plugin/data/DataSource.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/data/MasterLink.h"
#include "plugin/data/RecordStore.h"
#include "plugin/data/RowDiff.h"

#include <algorithm>

namespace velta {

TClientDataSet::TClientDataSet() = default;

TClientDataSet::~TClientDataSet()
{
    try {
        Close();
    } catch (...) {
        // An event handler failing while the dataset goes away: nobody to tell.
    }
    masterLink_.reset();
    for (TDataSource* source : std::vector<TDataSource*>(sources_))
        source->datasetDestroyed();
}

// ---- fields ----

TField& TClientDataSet::AddField(const QString& name, FieldType type, int size, TFieldKind kind)
{
    if (Active())
        databaseError(*this, QStringLiteral("Cannot perform this operation on an open dataset"));
    if (FindField(name))
        databaseError(*this, QStringLiteral("Duplicate field name '%1'").arg(name));
    if (autoFields_) {
        fields_.clear();
        autoFields_ = false;
    }
    fields_.push_back(std::make_unique<TField>(*this, name, type, size));
    fields_.back()->SetFieldKind(kind);
    return *fields_.back();
}

TField& TClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return *fields_[static_cast<size_t>(index)];
}

TField* TClientDataSet::FindField(const QString& name) const
{
    for (const auto& f : fields_) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

TField& TClientDataSet::FieldByName(const QString& name) const
{
    TField* field = FindField(name);
    if (!field)
        databaseError(*this, QStringLiteral("Field '%1' not found").arg(name));
    return *field;
}

QStringList TClientDataSet::FieldNames() const
{
    QStringList names;
    for (const auto& f : fields_)
        names << f->FieldName();
    return names;
}

QVector<FieldDef> TClientDataSet::DataFieldDefs() const
{
    return Active() && store_ ? store_->fields() : QVector<FieldDef>();
}

void TClientDataSet::bindFields()
{
    if (fields_.empty() || autoFields_) {
        fields_.clear();
        for (const FieldDef& def : store_->fields()) {
            auto field = std::make_unique<TField>(*this, def.name, def.type, def.size);
            field->SetRequired(def.required());
            field->SetReadOnly(def.readOnly());
            field->SetVisible(!def.hidden());
            if (def.precision > 0)
                field->SetPrecision(def.precision);
            fields_.push_back(std::move(field));
        }
        autoFields_ = true;
    }
    for (auto& field : fields_) {
        field->column_ = -1;
        if (field->FieldKind() != fkData)
            continue;
        field->column_ = store_->fieldIndex(field->FieldName());
        if (field->column_ < 0)
            databaseError(*this, QStringLiteral("Field '%1' not found").arg(field->FieldName()));
    }
    calcValues_ = QVector<Variant>(FieldCount());
}

// ---- opening and closing ----

void TClientDataSet::Open()
{
    if (Active())
        return;
    runEvent(BeforeOpen);
    if (!providerName_.isEmpty() && remoteServer_) {
        openRemote();
    } else if (store_) {
        openStore(store_);
    } else {
        databaseError(*this, QStringLiteral("Missing data provider or data packet"));
    }
}

void TClientDataSet::openRemote()
{
    TDCOMConnection& connection = *remoteServer_;
    auto answer = connection.OpenProvider(providerName_, commandText_, params_.toRequest(), packetRecords_);
    auto store = std::make_shared<RecordStore>(answer.packet.fields());
    store->appendPacket(answer.packet);
    if (answer.packet.moreRows() && answer.cursor != 0)
        installFetcher(*store, answer.cursor);
    try {
        openStore(store);
    } catch (...) {
        store->dropRemainingRows();
        throw;
    }
}

void TClientDataSet::installFetcher(RecordStore& target, int cursor)
{
    // The fetcher belongs to the data, which clones share and may keep after
    // this dataset is gone: it holds the connection, not the dataset.
    TDCOMConnection* connection = remoteServer_;
    const std::uint64_t session = connection->Session();
    const QString name = name_;
    const auto sameSession = [connection, session]() {
        return connection->Session() == session && connection->Connected();
    };
    target.setFetcher(
        [connection, cursor, name, sameSession](RecordStore& store, int count) -> int {
            if (!sameSession())
                databaseError(name, QStringLiteral("The connection to the server was closed; "
                                                   "the remaining rows cannot be fetched"));
            const DataPacket packet = connection->FetchRows(cursor, count);
            store.appendPacket(packet);
            if (!packet.moreRows())
                store.setFetcher({});
            return packet.rowCount();
        },
        [connection, cursor, sameSession]() {
            if (sameSession())
                connection->CloseCursor(cursor);
        });
}

void TClientDataSet::releaseServerCursor()
{
    // The last cursor over the data gives the server's cursor back.
    if (store_ && store_.use_count() == 1)
        store_->dropRemainingRows();
}

void TClientDataSet::openStore(std::shared_ptr<RecordStore> store)
{
    store_ = std::move(store);
    try {
        bindFields();
        resolveIndex();
        compileFilter();
        if (!indexColumns_.empty())
            FetchAll(); // an order needs every row
    } catch (...) {
        store_.reset();
        if (autoFields_)
            fields_.clear();
        autoFields_ = autoFields_ && !fields_.empty();
        throw;
    }
    state_ = dsBrowse;
    refreshMasterValues();
    invalidate();
    ensureView();
    // A filter or master range may hide every row of the first packets: the
    // first row shown is fetched as navigation would fetch it.
    while (view_.empty() && fetchMoreRows(packetRecords_))
        ensureView();
    setPosition(view_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = view_.empty();
    markPublished();
    notify({DataChange::ActiveChanged});
    runEvent(AfterOpen);
    runEvent(AfterScroll);
}

void TClientDataSet::Close()
{
    if (!Active())
        return;
    runEvent(BeforeClose);
    if (state_ == dsEdit || state_ == dsInsert) {
        buffer_.clear();
        modified_ = false;
    }
    releaseServerCursor();
    state_ = dsInactive;
    store_.reset();
    view_.clear();
    pos_ = -1;
    currentRecord_ = -1;
    bof_ = eof_ = true;
    if (autoFields_) {
        fields_.clear();
        autoFields_ = false;
    }
    for (auto& field : fields_)
        field->column_ = -1;
    published_.clear();
    publishedRow_ = -1;
    publishedRecord_ = -1;
    publishedState_ = dsInactive;
    notify({DataChange::ActiveChanged});
    runEvent(AfterClose);
}

void TClientDataSet::CreateDataSet()
{
    QVector<FieldDef> defs = FieldDefs;
    if (defs.isEmpty()) {
        for (const auto& field : fields_) {
            if (field->FieldKind() != fkData)
                continue;
            FieldDef def(field->FieldName(), field->DataType(), field->Size());
            def.setFlag(FieldRequired, field->Required());
            def.setFlag(FieldReadOnly, field->ReadOnly());
            defs.append(def);
        }
    }
    if (defs.isEmpty())
        databaseError(*this, QStringLiteral("Cannot create a dataset without field definitions"));
    Close();
    runEvent(BeforeOpen);
    openStore(std::make_shared<RecordStore>(defs));
}

void TClientDataSet::EmptyDataSet()
{
    checkActive();
    Cancel();
    const QVector<FieldDef> defs = store_->fields();
    releaseServerCursor();
    store_ = std::make_shared<RecordStore>(defs);
    invalidate();
    ensureView();
    setPosition(-1);
    bof_ = eof_ = true;
    publish();
}

QByteArray TClientDataSet::Data() const
{
    checkActive();
    return store_->toPacket().toBytes();
}

void TClientDataSet::SetData(const QByteArray& packet)
{
    SetDataPacket(DataPacket::fromBytes(packet));
}

void TClientDataSet::SetDataPacket(const DataPacket& packet)
{
    auto store = std::make_shared<RecordStore>(packet.fields());
    store->appendPacket(packet);
    Close();
    runEvent(BeforeOpen);
    openStore(std::move(store));
}

DataPacket TClientDataSet::Delta() const
{
    checkActive();
    return store_->delta();
}

// ---- data sources and notifications ----

void TClientDataSet::addDataSource(TDataSource* source)
{
    sources_.push_back(source);
    markPublished();
}

void TClientDataSet::removeDataSource(TDataSource* source)
{
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TClientDataSet::notify(const DataChange& change)
{
    if (disableCount_ > 0)
        return;
    for (TDataSource* source : std::vector<TDataSource*>(sources_))
        source->notify(change);
}

void TClientDataSet::DisableControls()
{
    ++disableCount_;
}

void TClientDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ > 0)
        return;
    // Whatever happened meanwhile is told as one change of everything.
    if (!Active()) {
        notify({DataChange::ActiveChanged});
        return;
    }
    markPublished();
    notify({DataChange::LayoutChanged});
    notify({DataChange::Scrolled, publishedRow_, 1});
}

std::vector<int> TClientDataSet::displayRecords() const
{
    if (!Active())
        return {};
    ensureView();
    std::vector<int> rows = view_;
    if (state_ == dsInsert)
        rows.insert(rows.begin() + std::clamp(insertRow_, 0, static_cast<int>(rows.size())), kBufferRecord);
    return rows;
}

void TClientDataSet::markPublished()
{
    published_ = displayRecords();
    publishedView_ = viewGeneration_;
    publishedStore_ = store_ ? store_->id() : 0;
    publishedInsertRow_ = state_ == dsInsert ? currentDisplayRow() : -1;
    publishedRow_ = currentDisplayRow();
    publishedRecord_ = currentRecord_;
    publishedState_ = state_;
}

void TClientDataSet::publish(int touched)
{
    if (sources_.empty() || disableCount_ > 0 || !Active())
        return;
    ensureView();
    const int insertRow = state_ == dsInsert ? currentDisplayRow() : -1;
    if (touched == -1 && publishedView_ == viewGeneration_ && publishedStore_ == store_->id()
        && publishedInsertRow_ == insertRow) {
        // The rows are as told: only the position or the state can have moved.
        const int row = currentDisplayRow();
        if (state_ != publishedState_) {
            publishedState_ = state_;
            notify({DataChange::StateChanged});
        }
        if (row != publishedRow_ || currentRecord_ != publishedRecord_) {
            publishedRow_ = row;
            publishedRecord_ = currentRecord_;
            notify({DataChange::Scrolled, row, 1});
        }
        return;
    }
    publishedView_ = viewGeneration_;
    publishedStore_ = store_->id();
    publishedInsertRow_ = insertRow;
    std::vector<int> now = displayRecords();
    const RowDiff diff = diffRows(published_, now);
    const int first = diff.first;
    const int oldMiddle = diff.removed;
    const int newMiddle = diff.inserted;
    DataChange change;
    bool changed = true;
    if (touched == kLayoutTouched) {
        change = {DataChange::LayoutChanged};
    } else if (oldMiddle == 0 && newMiddle == 0) {
        changed = false;
        const auto it = touched >= 0 ? std::find(now.begin(), now.end(), touched) : now.end();
        if (it != now.end()) {
            change = {DataChange::RowsChanged, static_cast<int>(it - now.begin()), 1};
            changed = true;
        }
    } else if (oldMiddle == 0) {
        change = {DataChange::RowsInserted, first, newMiddle};
    } else if (newMiddle == 0) {
        change = {DataChange::RowsRemoved, first, oldMiddle};
    } else if (oldMiddle == newMiddle && oldMiddle <= 2) {
        change = {DataChange::RowsChanged, first, oldMiddle};
    } else {
        change = {DataChange::LayoutChanged};
    }
    published_ = std::move(now);
    if (changed)
        notify(change);
    if (state_ != publishedState_) {
        publishedState_ = state_;
        notify({DataChange::StateChanged});
    }
    const int row = currentDisplayRow();
    if (row != publishedRow_ || currentRecord_ != publishedRecord_) {
        publishedRow_ = row;
        publishedRecord_ = currentRecord_;
        notify({DataChange::Scrolled, row, 1});
    }
}

} // namespace velta
