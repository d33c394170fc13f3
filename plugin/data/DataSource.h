#pragma once
// TDataSource links a dataset to the controls that show it (grids, the table
// model) and to detail datasets; TDataLink is what such a control holds. The
// dataset tells its data sources what changed, and they pass it on to their
// links unless disabled.
#include "plugin/foundation/DataSetTypes.h"

#include <functional>
#include <vector>

namespace velta {

class TClientDataSet;
class TDataSource;
class TField;

// What changed in a dataset, in rows of what it shows (its filtered and
// ordered records, with the record being inserted among them).
struct DataChange {
    enum Kind {
        ActiveChanged,  // opened or closed: fields and rows are new
        LayoutChanged,  // rows changed beyond description: read everything again
        RowsInserted,   // rows [first, first + count) are new
        RowsRemoved,    // rows [first, first + count) are gone
        RowsChanged,    // the values of rows [first, first + count) changed
        FieldChanged,   // `field` of the current record was set while editing
        Scrolled,       // the current row moved to `first`
        StateChanged    // browse, edit, insert
    };
    Kind kind = LayoutChanged;
    int first = 0;
    int count = 0;
    TField* field = nullptr;
};

class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    TClientDataSet* DataSet() const;
    bool Active() const;

protected:
    friend class TDataSource;
    virtual void dataChanged(const DataChange& change) = 0;

private:
    TDataSource* source_ = nullptr;
};

class TDataSource {
public:
    using DataChangeEvent = std::function<void(TDataSource& sender, TField* field)>;
    using NotifyEvent = std::function<void(TDataSource& sender)>;

    TDataSource() = default;
    explicit TDataSource(TClientDataSet* dataSet) { SetDataSet(dataSet); }
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TClientDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TClientDataSet* dataSet);
    // Whether editing a control puts the dataset into edit state by itself.
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    // A disabled source passes nothing on; enabling it again refreshes its links.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TDataSetState State() const;
    // Starts editing when AutoEdit allows it (as a control does on a key press);
    // returns whether the dataset is in edit or insert state afterwards.
    bool Edit();

    // Called when the current record or its data changed (field: the field
    // set while editing, nullptr for a whole record or a move).
    DataChangeEvent OnDataChange;
    NotifyEvent OnStateChange;

private:
    friend class TClientDataSet;
    friend class TDataLink;

    void notify(const DataChange& change);
    void datasetDestroyed()
    {
        dataSet_ = nullptr;
        notify({DataChange::ActiveChanged});
    }

    TClientDataSet* dataSet_ = nullptr;
    bool autoEdit_ = true;
    bool enabled_ = true;
    std::vector<TDataLink*> links_;
};

} // namespace velta
