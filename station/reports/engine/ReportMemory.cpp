#include "station/reports/engine/ReportMemory.h"

#include <QMutexLocker>

namespace velta::station {

void ReportWorkplaceMemory::remember(const QString& workplace, const RememberedReport& report)
{
    QMutexLocker lock(&mutex_);
    auto it = byWorkplace_.find(workplace);
    if (it != byWorkplace_.end()) {
        if (it->sequence < report.sequence)
            *it = report;
        return;
    }
    if (byWorkplace_.size() >= kMaxWorkplaces) {
        // The workplace that has not produced a report for the longest time goes.
        auto oldest = byWorkplace_.begin();
        for (auto i = byWorkplace_.begin(); i != byWorkplace_.end(); ++i) {
            if (i->sequence < oldest->sequence)
                oldest = i;
        }
        byWorkplace_.erase(oldest);
    }
    byWorkplace_.insert(workplace, report);
}

RememberedReport ReportWorkplaceMemory::last(const QString& workplace) const
{
    QMutexLocker lock(&mutex_);
    return byWorkplace_.value(workplace);
}

int ReportWorkplaceMemory::workplaceCount() const
{
    QMutexLocker lock(&mutex_);
    return static_cast<int>(byWorkplace_.size());
}

ReportWorkplaceMemory& serverReportMemory()
{
    static ReportWorkplaceMemory memory;
    return memory;
}

ReportConnectionState& connectionReportState(const void* session)
{
    thread_local const void* owner = nullptr;
    thread_local ReportConnectionState state;
    if (owner != session) {
        owner = session;
        state = ReportConnectionState();
    }
    return state;
}

} // namespace velta::station
