#pragma once
// TTimePicker: the time picker of the windows (the framework's date-time
// picker in time mode): a QTimeEdit showing hh:mm:ss unless a window sets
// another display format (hh:mm for the hours-and-minutes fields).
#include "common/DateTime.h"

#include <QTimeEdit>

namespace velta {

class TTimePicker : public QTimeEdit {
    Q_OBJECT
public:
    explicit TTimePicker(QWidget* parent = nullptr);

    // The time as the framework holds it: the fraction of a day (0 <= t < 1),
    // to the millisecond the picker holds.
    TDateTime Time() const;
    // Sets the time part of value; the date part is ignored.
    void SetTime(TDateTime value);
};

} // namespace velta
