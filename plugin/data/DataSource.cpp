#include "plugin/data/DataSource.h"

#include "plugin/data/ClientDataSet.h"

#include <algorithm>

namespace velta {

TDataLink::~TDataLink()
{
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == source_)
        return;
    if (source_) {
        auto& links = source_->links_;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
    }
    source_ = source;
    if (source_)
        source_->links_.push_back(this);
}

TClientDataSet* TDataLink::DataSet() const
{
    return source_ ? source_->DataSet() : nullptr;
}

bool TDataLink::Active() const
{
    return source_ && source_->Enabled() && source_->DataSet() && source_->DataSet()->Active();
}

TDataSource::~TDataSource()
{
    SetDataSet(nullptr);
    for (TDataLink* link : std::vector<TDataLink*>(links_))
        link->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TClientDataSet* dataSet)
{
    if (dataSet == dataSet_)
        return;
    if (dataSet_)
        dataSet_->removeDataSource(this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->addDataSource(this);
    notify({DataChange::ActiveChanged});
}

void TDataSource::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    // Links saw nothing while disabled (or now see an inactive source).
    for (TDataLink* link : std::vector<TDataLink*>(links_))
        link->dataChanged({DataChange::ActiveChanged});
}

TDataSetState TDataSource::State() const
{
    return dataSet_ ? dataSet_->State() : dsInactive;
}

bool TDataSource::Edit()
{
    if (!dataSet_ || !dataSet_->Active())
        return false;
    if (dataSet_->State() == dsBrowse && autoEdit_)
        dataSet_->Edit();
    return dataSet_->State() == dsEdit || dataSet_->State() == dsInsert;
}

void TDataSource::notify(const DataChange& change)
{
    if (!enabled_)
        return;
    switch (change.kind) {
    case DataChange::ActiveChanged:
    case DataChange::StateChanged:
        if (OnStateChange)
            OnStateChange(*this);
        if (change.kind == DataChange::ActiveChanged && OnDataChange && dataSet_ && dataSet_->Active())
            OnDataChange(*this, nullptr);
        break;
    case DataChange::FieldChanged:
        if (OnDataChange)
            OnDataChange(*this, change.field);
        break;
    default:
        if (OnDataChange)
            OnDataChange(*this, nullptr);
        break;
    }
    for (TDataLink* link : std::vector<TDataLink*>(links_))
        link->dataChanged(change);
}

} // namespace velta
