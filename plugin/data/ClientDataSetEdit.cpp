// TClientDataSet: field values, editing, the change log and applying it.
#include "plugin/data/ClientDataSet.h"

#include "common/Exception.h"
#include "plugin/data/DataSetErrors.h"
#include "plugin/data/DataSource.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/data/RecordStore.h"

#include <algorithm>

namespace velta {

// ---- reading and writing fields ----

int TClientDataSet::readRecord() const
{
    if (readOverride_ != kNoOverride)
        return readOverride_;
    if (state_ == dsEdit || state_ == dsInsert)
        return kBufferRecord;
    return currentRecord();
}

Variant TClientDataSet::fieldValue(const TField& field) const
{
    if (!Active())
        return Variant::null();
    switch (field.FieldKind()) {
    case fkData: {
        if (field.column_ < 0)
            return Variant::null();
        const int record = readRecord();
        if (record == kBufferRecord)
            return buffer_.value(field.column_, Variant::null());
        if (record < 0)
            return Variant::null();
        return store_->value(record, field.column_);
    }
    case fkCalculated:
        return calculatedValue(field);
    case fkLookup:
        return lookupValue(field);
    }
    return Variant::null();
}

Variant TClientDataSet::calculatedValue(const TField& field) const
{
    const int index = field.Index();
    if (calculating_)
        return calcValues_.value(index, Variant::null());
    if (!OnCalcFields || readRecord() == -1)
        return Variant::null();
    calcValues_.fill(Variant::null(), FieldCount());
    calculating_ = true;
    try {
        OnCalcFields(const_cast<TClientDataSet&>(*this));
    } catch (...) {
        calculating_ = false;
        throw;
    }
    calculating_ = false;
    return calcValues_.value(index, Variant::null());
}

Variant TClientDataSet::lookupValue(const TField& field) const
{
    TClientDataSet* source = field.LookupDataSet;
    if (!source || !source->Active())
        return Variant::null();
    const QStringList names = field.KeyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    Variant::Array keys;
    for (const QString& name : names) {
        const Variant key = FieldByName(name.trimmed()).Value();
        if (key.isEmptyOrNull())
            return Variant::null();
        keys.append(key);
    }
    if (keys.isEmpty())
        return Variant::null();
    const Variant key = keys.size() == 1 ? keys.first() : Variant(keys);
    return source->Lookup(field.LookupKeyFields, key, field.LookupResultField);
}

void TClientDataSet::setFieldValue(const TField& field, const Variant& value)
{
    if (calculating_ && field.FieldKind() == fkCalculated) {
        calcValues_[field.Index()] = value;
        return;
    }
    checkActive();
    if (state_ != dsEdit && state_ != dsInsert)
        databaseError(*this, QStringLiteral("Dataset not in edit or insert mode"));
    if (field.ReadOnly() || field.FieldKind() != fkData || field.column_ < 0)
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.DisplayName()));
    const FieldDef& def = store_->fields()[field.column_];
    Variant coerced = coerceToField(def, value);
    const int size = def.size > 0 ? def.size : field.Size();
    if (def.type == FieldType::String && size > 0 && !coerced.isNull() && coerced.toString().size() > size)
        coerced = Variant(coerced.toString().left(size));
    buffer_[field.column_] = coerced;
    modified_ = true;
    TField& target = const_cast<TField&>(field);
    if (field.OnChange)
        field.OnChange(target);
    notify({DataChange::FieldChanged, currentDisplayRow(), 1, &target});
}

// ---- editing ----

void TClientDataSet::checkEditable() const
{
    checkActive();
    if (readOnly_)
        databaseError(*this, QStringLiteral("Cannot modify a read-only dataset"));
}

void TClientDataSet::Edit()
{
    checkActive();
    if (state_ == dsEdit || state_ == dsInsert)
        return;
    ensureView();
    if (view_.empty()) {
        Insert();
        return;
    }
    checkEditable();
    runEvent(BeforeEdit);
    editRecord_ = currentRecord_;
    buffer_ = store_->record(editRecord_);
    modified_ = false;
    state_ = dsEdit;
    publish();
    runEvent(AfterEdit);
}

void TClientDataSet::Insert()
{
    beginInsert(false);
}

void TClientDataSet::Append()
{
    beginInsert(true);
}

void TClientDataSet::beginInsert(bool append)
{
    checkActive();
    CheckBrowseMode();
    checkEditable();
    runEvent(BeforeInsert);
    ensureView();
    // The new record goes before the current one, or after the last.
    insertRow_ = append ? static_cast<int>(view_.size()) : std::max(pos_, 0);
    editRecord_ = append ? -1 : currentRecord_;
    buffer_ = QVector<Variant>(store_->fieldCount(), Variant::null());
    state_ = dsInsert;
    // A detail record belongs to the master's current record.
    if (masterRangeOn_) {
        const QStringList masterNames = masterFields_.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (int i = 0; i < masterValues_.size(); ++i) {
            const int column = i < static_cast<int>(indexColumns_.size())
                ? indexColumns_[static_cast<size_t>(i)]
                : store_->fieldIndex(masterNames.value(i).trimmed());
            if (column >= 0)
                buffer_[column] = coerceToField(store_->fields()[column], masterValues_[i]);
        }
    }
    runEvent(OnNewRecord);
    modified_ = false; // defaults alone do not make a record worth keeping
    publish();
    runEvent(AfterInsert);
}

void TClientDataSet::Post()
{
    checkActive();
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    runEvent(BeforePost);
    for (const auto& field : fields_) {
        if (field->FieldKind() == fkData && field->Required() && field->column_ >= 0
            && buffer_[field->column_].isEmptyOrNull())
            throw EDatabaseError(QStringLiteral("Field '%1' must have a value").arg(field->DisplayName()));
    }
    int record = editRecord_;
    if (state_ == dsEdit) {
        if (modified_)
            store_->updateRecord(record, buffer_);
    } else {
        const int before = editRecord_ >= 0 ? store_->orderPosition(editRecord_) : -1;
        record = store_->insertRecord(buffer_, before, true);
    }
    state_ = dsBrowse;
    buffer_.clear();
    modified_ = false;
    editRecord_ = -1;
    insertRow_ = -1;
    currentRecord_ = record;
    ensureView();
    bof_ = eof_ = false;
    if (view_.empty())
        bof_ = eof_ = true;
    publish(record);
    runEvent(AfterPost);
}

void TClientDataSet::Cancel()
{
    if (!Active() || (state_ != dsEdit && state_ != dsInsert))
        return;
    runEvent(BeforeCancel);
    const int edited = state_ == dsEdit ? editRecord_ : -1;
    state_ = dsBrowse;
    buffer_.clear();
    modified_ = false;
    editRecord_ = -1;
    insertRow_ = -1;
    publish(edited);
    runEvent(AfterCancel);
}

void TClientDataSet::Delete()
{
    checkActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    ensureView();
    if (view_.empty())
        databaseError(*this, QStringLiteral("Cannot perform this operation on an empty dataset"));
    checkEditable();
    runEvent(BeforeDelete);
    runEvent(BeforeScroll);
    const int record = state_ == dsEdit ? editRecord_ : currentRecord_;
    store_->deleteRecord(record);
    state_ = dsBrowse;
    buffer_.clear();
    modified_ = false;
    editRecord_ = -1;
    currentRecord_ = -1; // the record that took its place becomes current
    ensureView();
    eof_ = view_.empty();
    bof_ = view_.empty();
    publish();
    runEvent(AfterDelete);
    runEvent(AfterScroll);
}

void TClientDataSet::AppendRecord(const QVector<Variant>& values)
{
    Append();
    try {
        for (int i = 0; i < values.size() && i < FieldCount(); ++i) {
            TField& field = Fields(i);
            if (field.FieldKind() == fkData && !values[i].isEmpty())
                field.SetValue(values[i]);
        }
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TClientDataSet::CheckBrowseMode()
{
    if (!Active() || (state_ != dsEdit && state_ != dsInsert))
        return;
    if (modified_)
        Post();
    else
        Cancel();
}

// ---- the change log ----

int TClientDataSet::ChangeCount() const
{
    return Active() ? store_->changeCount() : 0;
}

void TClientDataSet::CancelUpdates()
{
    checkActive();
    Cancel();
    store_->cancelUpdates();
    ensureView();
    publish(kLayoutTouched);
}

void TClientDataSet::MergeChangeLog()
{
    checkActive();
    CheckBrowseMode();
    store_->mergeChangeLog();
}

int TClientDataSet::ApplyUpdates(int maxErrors)
{
    Q_UNUSED(maxErrors); // the server applies all edits or none
    checkActive();
    CheckBrowseMode();
    if (ChangeCount() == 0)
        return 0;
    if (providerName_.isEmpty() || !remoteServer_)
        databaseError(*this, QStringLiteral("Missing data provider or data packet"));
    remoteServer_->ApplyUpdates({{providerName_, commandText_, store_->delta().toBytes()}});
    store_->mergeChangeLog();
    return 0;
}

void TClientDataSet::ApplyUpdatesTogether(const QList<TClientDataSet*>& dataSets)
{
    TDCOMConnection* server = nullptr;
    QList<TClientDataSet*> changed;
    for (TClientDataSet* ds : dataSets) {
        ds->checkActive();
        ds->CheckBrowseMode();
        if (ds->ChangeCount() == 0)
            continue;
        if (ds->providerName_.isEmpty() || !ds->remoteServer_)
            databaseError(*ds, QStringLiteral("Missing data provider or data packet"));
        if (server && ds->remoteServer_ != server)
            databaseError(*ds, QStringLiteral("Datasets applied together must use one connection"));
        server = ds->remoteServer_;
        changed.append(ds);
    }
    if (changed.isEmpty())
        return;
    QVector<TDCOMConnection::UpdateRequest> updates;
    for (TClientDataSet* ds : changed)
        updates.append({ds->providerName_, ds->commandText_, ds->store_->delta().toBytes()});
    server->ApplyUpdates(updates);
    for (TClientDataSet* ds : changed)
        ds->store_->mergeChangeLog();
}

} // namespace velta
