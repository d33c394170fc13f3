#pragma once
// TDatePicker: the date picker of the windows (the framework's date-time
// picker in date mode): a QDateEdit showing dd.MM.yyyy with the calendar
// drop-down. DroppedDown() is true while the calendar is open, so a window
// can tell a date picked from the calendar (which arrives while it is open)
// from one typed on the keyboard; dropDown and closeUp mark its opening and
// closing.
#include "common/DateTime.h"

#include <QDateEdit>

namespace velta {

class TDatePicker : public QDateEdit {
    Q_OBJECT
    Q_PROPERTY(bool droppedDown READ DroppedDown NOTIFY droppedDownChanged)
public:
    explicit TDatePicker(QWidget* parent = nullptr);

    bool DroppedDown() const { return droppedDown_; }
    // The date as the framework holds it (whole days since 30.12.1899).
    TDateTime Date() const;
    // Sets the date part of value; the time part is ignored.
    void SetDate(TDateTime value);

signals:
    void dropDown();
    void closeUp();
    void droppedDownChanged(bool droppedDown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchCalendar();
    void setDroppedDown(bool droppedDown);

    QWidget* calendarWindow_ = nullptr;
    bool droppedDown_ = false;
};

} // namespace velta
