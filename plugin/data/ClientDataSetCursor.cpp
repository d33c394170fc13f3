// TClientDataSet: the cursor - the records shown (master range, filter,
// order), navigation, finding records, clones and bookmarks.
#include "plugin/data/ClientDataSet.h"

#include "common/Exception.h"
#include "plugin/data/DataSetErrors.h"
#include "plugin/data/DataSource.h"
#include "plugin/data/MasterLink.h"
#include "plugin/data/RecordStore.h"
#include "plugin/data/ValueCompare.h"

#include <algorithm>

namespace velta {

namespace {

QStringList splitFieldNames(const QString& names)
{
    QStringList result;
    for (const QString& part : names.split(QLatin1Char(';'))) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            result << name;
    }
    return result;
}

// Orders two cells of a column: Null first, texts without regard to case.
int compareCells(const RecordStore::Column& c, int a, int b)
{
    const auto x = static_cast<size_t>(a);
    const auto y = static_cast<size_t>(b);
    if (c.nulls[x] || c.nulls[y])
        return static_cast<int>(c.nulls[y]) - static_cast<int>(c.nulls[x]);
    switch (RecordStore::storageOf(c.type)) {
    case RecordStore::Storage::Int: return c.ints[x] < c.ints[y] ? -1 : (c.ints[x] > c.ints[y] ? 1 : 0);
    case RecordStore::Storage::Double:
        return c.doubles[x] < c.doubles[y] ? -1 : (c.doubles[x] > c.doubles[y] ? 1 : 0);
    case RecordStore::Storage::Text: return compareTexts(c.texts[x], c.texts[y], true);
    case RecordStore::Storage::Blob: return c.blobs[x].compare(c.blobs[y]);
    }
    return 0;
}

} // namespace

// Makes fields read a given record (a control drawing another row, a lookup).
class TClientDataSet::ReadScope {
public:
    ReadScope(const TClientDataSet& dataSet, int record) : dataSet_(dataSet), saved_(dataSet.readOverride_)
    {
        dataSet_.readOverride_ = record;
    }
    ~ReadScope() { dataSet_.readOverride_ = saved_; }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    const TClientDataSet& dataSet_;
    int saved_;
};

void TClientDataSet::MasterLink::dataChanged(const DataChange& change)
{
    if (!detail_.Active() || change.kind == DataChange::StateChanged)
        return;
    if (!detail_.refreshMasterValues())
        return;
    detail_.CheckBrowseMode();
    detail_.invalidate();
    detail_.restartCursor();
}

void TClientDataSet::checkActive() const
{
    if (!Active())
        databaseError(*this, QStringLiteral("Cannot perform this operation on a closed dataset"));
}

// ---- the view ----

void TClientDataSet::ensureView() const
{
    if (!store_) {
        view_.clear();
        return;
    }
    if (viewVersion_ != store_->version())
        rebuildView();
}

void TClientDataSet::rebuildView() const
{
    std::vector<int> ids = store_->order();
    if (masterRangeOn_) {
        if (masterValues_.isEmpty()) {
            ids.clear();
        } else {
            std::vector<int> columns;
            for (int i = 0; i < masterValues_.size(); ++i) {
                if (i < static_cast<int>(indexColumns_.size())) {
                    columns.push_back(indexColumns_[static_cast<size_t>(i)]);
                } else {
                    const QStringList names = splitFieldNames(masterFields_);
                    columns.push_back(store_->fieldIndex(names.value(i)));
                }
            }
            std::erase_if(ids, [&](int record) {
                for (size_t i = 0; i < columns.size(); ++i) {
                    const Variant& key = masterValues_[static_cast<int>(i)];
                    if (columns[i] < 0 || key.isEmptyOrNull() || store_->isNull(record, columns[i])
                        || compareValues(store_->value(record, columns[i]), key, false) != 0)
                        return true;
                }
                return false;
            });
        }
    }
    if (filtered_)
        filter_.select(*store_, ids);
    if (!indexColumns_.empty()) {
        std::stable_sort(ids.begin(), ids.end(), [this](int a, int b) {
            for (int column : indexColumns_) {
                const int order = compareCells(store_->column(column), a, b);
                if (order != 0)
                    return order < 0;
            }
            return false;
        });
    }
    view_ = std::move(ids);
    viewVersion_ = store_->version();
    ++viewGeneration_;
    // The current record stays current while it is shown.
    if (currentRecord_ >= 0) {
        const int index = viewIndexOf(currentRecord_);
        if (index >= 0)
            pos_ = index;
    }
    if (view_.empty())
        pos_ = -1;
    else
        pos_ = std::clamp(pos_, 0, static_cast<int>(view_.size()) - 1);
    currentRecord_ = pos_ >= 0 ? view_[static_cast<size_t>(pos_)] : -1;
}

int TClientDataSet::viewIndexOf(int record) const
{
    const auto it = std::find(view_.begin(), view_.end(), record);
    return it == view_.end() ? -1 : static_cast<int>(it - view_.begin());
}

int TClientDataSet::currentRecord() const
{
    ensureView();
    return currentRecord_;
}

void TClientDataSet::setPosition(int pos)
{
    pos_ = pos;
    currentRecord_ = pos >= 0 && pos < static_cast<int>(view_.size()) ? view_[static_cast<size_t>(pos)] : -1;
}

void TClientDataSet::restartCursor()
{
    const int old = currentRecord_;
    ensureView();
    setPosition(view_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = view_.empty();
    afterMove(old, true);
}

void TClientDataSet::afterMove(int oldRecord, bool always)
{
    if (always || oldRecord != currentRecord_)
        runEvent(AfterScroll);
    publish();
}

bool TClientDataSet::fetchMoreRows(int count) const
{
    if (!store_ || !store_->hasMoreRows())
        return false;
    return store_->fetchMore(count > 0 ? count : -1) > 0;
}

bool TClientDataSet::HasMoreRows() const
{
    return store_ && store_->hasMoreRows();
}

int TClientDataSet::GetNextPacket()
{
    checkActive();
    if (!HasMoreRows())
        return 0;
    const int added = store_->fetchMore(packetRecords_ > 0 ? packetRecords_ : -1);
    ensureView();
    publish();
    return added;
}

void TClientDataSet::FetchAll()
{
    bool fetched = false;
    while (store_ && store_->hasMoreRows()) {
        store_->fetchMore(-1);
        fetched = true;
    }
    if (fetched && Active()) {
        ensureView();
        publish();
    }
}

// ---- navigation ----

void TClientDataSet::First()
{
    checkActive();
    CheckBrowseMode();
    runEvent(BeforeScroll);
    restartCursor();
}

void TClientDataSet::Last()
{
    checkActive();
    CheckBrowseMode();
    runEvent(BeforeScroll);
    const int old = currentRecord_;
    FetchAll();
    ensureView();
    setPosition(static_cast<int>(view_.size()) - 1);
    eof_ = true;
    bof_ = view_.empty();
    afterMove(old, true);
}

bool TClientDataSet::step(int direction)
{
    ensureView();
    const int target = pos_ + direction;
    if (direction > 0) {
        while (target >= static_cast<int>(view_.size()) && fetchMoreRows(packetRecords_))
            ensureView();
        if (target >= static_cast<int>(view_.size()) || pos_ < 0) {
            eof_ = true;
            return false;
        }
        setPosition(target);
        bof_ = false;
        eof_ = false;
        return true;
    }
    if (target < 0) {
        bof_ = true;
        return false;
    }
    setPosition(target);
    bof_ = false;
    eof_ = false;
    return true;
}

int TClientDataSet::MoveBy(int distance)
{
    checkActive();
    CheckBrowseMode();
    if (distance == 0)
        return 0;
    runEvent(BeforeScroll);
    const int old = currentRecord_;
    const int direction = distance > 0 ? 1 : -1;
    int moved = 0;
    while (moved != distance && step(direction))
        moved += direction;
    afterMove(old, false);
    return moved;
}

void TClientDataSet::Next()
{
    MoveBy(1);
}

void TClientDataSet::Prior()
{
    MoveBy(-1);
}

bool TClientDataSet::Eof() const
{
    return !Active() || eof_;
}

bool TClientDataSet::Bof() const
{
    return !Active() || bof_;
}

int TClientDataSet::RecNo() const
{
    checkActive();
    if (state_ == dsInsert)
        return -1;
    ensureView();
    return pos_ >= 0 ? pos_ + 1 : -1;
}

void TClientDataSet::SetRecNo(int recNo)
{
    checkActive();
    CheckBrowseMode();
    ensureView();
    if (view_.empty() || recNo < 1)
        return;
    MoveBy(recNo - (pos_ + 1));
}

int TClientDataSet::RecordCount() const
{
    checkActive();
    ensureView();
    return static_cast<int>(view_.size());
}

bool TClientDataSet::IsEmpty() const
{
    if (!Active())
        return true;
    ensureView();
    return view_.empty() && state_ != dsInsert;
}

// ---- filter, order, master range ----

void TClientDataSet::compileFilter()
{
    if (store_ && filtered_)
        filter_ = FilterProgram::compile(filterText_, *store_, filterOptions_);
    else
        filter_ = FilterProgram();
}

void TClientDataSet::SetFilter(const QString& text)
{
    if (text == filterText_)
        return;
    if (Active())
        CheckBrowseMode();
    const QString old = filterText_;
    filterText_ = text;
    try {
        compileFilter();
    } catch (...) {
        filterText_ = old;
        throw;
    }
    if (Active() && filtered_) {
        invalidate();
        restartCursor();
    }
}

void TClientDataSet::SetFiltered(bool filtered)
{
    if (filtered == filtered_)
        return;
    if (Active())
        CheckBrowseMode();
    filtered_ = filtered;
    try {
        compileFilter();
    } catch (...) {
        filtered_ = !filtered;
        throw;
    }
    if (Active()) {
        invalidate();
        restartCursor();
    }
}

void TClientDataSet::SetFilterOptions(TFilterOptions options)
{
    if (options == filterOptions_)
        return;
    if (Active())
        CheckBrowseMode();
    const TFilterOptions old = filterOptions_;
    filterOptions_ = options;
    try {
        compileFilter();
    } catch (...) {
        filterOptions_ = old;
        throw;
    }
    if (Active() && filtered_) {
        invalidate();
        restartCursor();
    }
}

void TClientDataSet::resolveIndex()
{
    indexColumns_.clear();
    if (!store_)
        return;
    for (const QString& name : splitFieldNames(indexFieldNames_)) {
        const int column = store_->fieldIndex(name);
        if (column < 0)
            databaseError(*this, QStringLiteral("Field '%1' not found").arg(name));
        indexColumns_.push_back(column);
    }
}

void TClientDataSet::SetIndexFieldNames(const QString& names)
{
    if (names == indexFieldNames_)
        return;
    if (Active())
        CheckBrowseMode();
    const QString old = indexFieldNames_;
    indexFieldNames_ = names;
    try {
        resolveIndex();
    } catch (...) {
        indexFieldNames_ = old;
        resolveIndex();
        throw;
    }
    if (!Active())
        return;
    if (!indexColumns_.empty())
        FetchAll();
    refreshMasterValues();
    invalidate();
    ensureView();
    publish(kLayoutTouched);
}

TDataSource* TClientDataSet::MasterSource() const
{
    return masterLink_ ? masterLink_->DataSource() : nullptr;
}

void TClientDataSet::SetMasterSource(TDataSource* source)
{
    if (source == MasterSource())
        return;
    if (source && source->DataSet() == this)
        databaseError(*this, QStringLiteral("Circular datalinks are not allowed"));
    if (!masterLink_)
        masterLink_ = std::make_unique<MasterLink>(*this);
    masterLink_->SetDataSource(source);
    if (Active()) {
        CheckBrowseMode();
        refreshMasterValues();
        invalidate();
        restartCursor();
    }
}

void TClientDataSet::SetMasterFields(const QString& names)
{
    if (names == masterFields_)
        return;
    masterFields_ = names;
    if (Active()) {
        CheckBrowseMode();
        refreshMasterValues();
        invalidate();
        restartCursor();
    }
}

bool TClientDataSet::refreshMasterValues()
{
    // The link forgets a data source that goes away, so no stale pointer is kept here.
    TDataSource* source = MasterSource();
    const bool on = source && !splitFieldNames(masterFields_).isEmpty();
    QVector<Variant> values;
    if (on) {
        TClientDataSet* master = source->DataSet();
        if (master && master->Active() && !master->IsEmpty()) {
            for (const QString& name : splitFieldNames(masterFields_))
                values.append(master->FieldByName(name).Value());
        }
    }
    if (on == masterRangeOn_ && values == masterValues_)
        return false;
    masterRangeOn_ = on;
    masterValues_ = values;
    return true;
}

// ---- finding records ----

int TClientDataSet::searchRecord(const QString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    checkActive();
    FetchAll();
    ensureView();
    const QStringList names = splitFieldNames(keyFields);
    if (names.isEmpty())
        databaseError(*this, QStringLiteral("No key fields given"));
    std::vector<TField*> fields;
    for (const QString& name : names)
        fields.push_back(&FieldByName(name));
    QVector<Variant> values;
    if (fields.size() == 1)
        values.append(keyValues.isArray() && keyValues.arrayCount() == 1 ? keyValues.at(0) : keyValues);
    else if (keyValues.isArray() && keyValues.arrayCount() == static_cast<int>(fields.size()))
        values = keyValues.elements();
    else
        databaseError(*this, QStringLiteral("The number of key values does not match the key fields"));

    // What each key value is compared as; a value that cannot be one of the
    // field's type matches nothing.
    struct Key {
        const TField* field;
        bool text;
        bool null;
        QString string;
        Variant value;
    };
    std::vector<Key> keys;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TField* field = fields[i];
        const Variant& v = values[static_cast<int>(i)];
        Key key{field, isTextType(field->DataType()), v.isEmptyOrNull(), QString(), Variant()};
        if (!key.null) {
            if (key.text) {
                key.string = v.toString();
            } else {
                try {
                    key.value = coerceToField(FieldDef(field->FieldName(), field->DataType()), v);
                } catch (const Exception&) {
                    return -1;
                }
            }
        }
        keys.push_back(key);
    }
    const bool partial = options & loPartialKey;
    const Qt::CaseSensitivity cs = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (size_t row = 0; row < view_.size(); ++row) {
        const int record = view_[row];
        ReadScope scope(*this, record);
        bool match = true;
        for (const Key& key : keys) {
            const Variant cell = key.field->Value();
            if (cell.isEmptyOrNull() || key.null) {
                match = cell.isEmptyOrNull() && key.null;
            } else if (key.text) {
                const QString text = cell.toString();
                match = partial ? text.startsWith(key.string, cs) : text.compare(key.string, cs) == 0;
            } else {
                match = compareValues(cell, key.value, false) == 0;
            }
            if (!match)
                break;
        }
        if (match)
            return static_cast<int>(row);
    }
    return -1;
}

bool TClientDataSet::Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    checkActive();
    CheckBrowseMode();
    const int row = searchRecord(keyFields, keyValues, options);
    if (row < 0)
        return false;
    runEvent(BeforeScroll);
    const int old = currentRecord_;
    setPosition(row);
    bof_ = eof_ = false;
    afterMove(old, true);
    return true;
}

Variant TClientDataSet::Lookup(const QString& keyFields, const Variant& keyValues, const QString& resultFields)
{
    const int row = searchRecord(keyFields, keyValues, 0);
    if (row < 0)
        return Variant::null();
    ReadScope scope(*this, view_[static_cast<size_t>(row)]);
    const QStringList names = splitFieldNames(resultFields);
    if (names.size() == 1)
        return FieldByName(names.first()).Value();
    Variant::Array results;
    for (const QString& name : names)
        results.append(FieldByName(name).Value());
    return Variant(results);
}

// ---- clones ----

void TClientDataSet::CloneCursor(TClientDataSet& source, bool reset, bool keepSettings)
{
    source.checkActive();
    if (&source == this)
        return;
    Close();
    if (reset) {
        filterText_.clear();
        filtered_ = false;
        filterOptions_ = 0;
        indexFieldNames_.clear();
        SetMasterSource(nullptr);
        masterFields_.clear();
    } else if (!keepSettings) {
        filterText_ = source.filterText_;
        filtered_ = source.filtered_;
        filterOptions_ = source.filterOptions_;
        indexFieldNames_ = source.indexFieldNames_;
        readOnly_ = source.readOnly_;
    }
    runEvent(BeforeOpen);
    openStore(source.store_);
}

// ---- bookmarks ----

TBookmark TClientDataSet::GetBookmark() const
{
    if (!Active() || currentRecord() < 0)
        return {};
    return {store_->id(), currentRecord_};
}

void TClientDataSet::GotoBookmark(const TBookmark& bookmark)
{
    checkActive();
    CheckBrowseMode();
    ensureView();
    const int row = bookmark.store == store_->id() ? viewIndexOf(bookmark.record) : -1;
    if (row < 0)
        databaseError(*this, QStringLiteral("Record not found"));
    runEvent(BeforeScroll);
    const int old = currentRecord_;
    setPosition(row);
    bof_ = eof_ = false;
    afterMove(old, true);
}

bool TClientDataSet::BookmarkValid(const TBookmark& bookmark) const
{
    if (!Active() || bookmark.isNull() || bookmark.store != store_->id() || !store_->isLive(bookmark.record))
        return false;
    ensureView();
    return viewIndexOf(bookmark.record) >= 0;
}

int TClientDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (a == b)
        return 0;
    ensureView();
    int x = viewIndexOf(a.record);
    int y = viewIndexOf(b.record);
    if (x < 0 || y < 0) {
        x = a.record;
        y = b.record;
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}

// ---- what controls show ----

int TClientDataSet::displayRowCount() const
{
    if (!Active())
        return 0;
    ensureView();
    return static_cast<int>(view_.size()) + (state_ == dsInsert ? 1 : 0);
}

int TClientDataSet::currentDisplayRow() const
{
    if (!Active())
        return -1;
    ensureView();
    if (state_ == dsInsert)
        return std::clamp(insertRow_, 0, static_cast<int>(view_.size()));
    return pos_;
}

int TClientDataSet::readableRecord(int record) const
{
    if (record == kBufferRecord || (state_ == dsEdit && record == editRecord_))
        return kBufferRecord;
    return store_ && store_->isLive(record) ? record : -1;
}

QString TClientDataSet::displayTextOf(int record, const TField& field) const
{
    if (!Active())
        return QString();
    ReadScope scope(*this, readableRecord(record));
    return field.DisplayText();
}

QString TClientDataSet::editTextOf(int record, const TField& field) const
{
    if (!Active())
        return QString();
    ReadScope scope(*this, readableRecord(record));
    return field.Text();
}

void TClientDataSet::readRecordOf(int record, const std::function<void()>& read) const
{
    if (!Active())
        return;
    ReadScope scope(*this, readableRecord(record));
    read();
}

TBookmark TClientDataSet::bookmarkOf(int record) const
{
    if (!Active() || record < 0 || !store_->isLive(record))
        return {};
    return {store_->id(), record};
}

} // namespace velta
