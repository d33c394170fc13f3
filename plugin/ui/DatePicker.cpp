#include "plugin/ui/DatePicker.h"

#include <QCalendarWidget>
#include <QEvent>

namespace velta {

TDatePicker::TDatePicker(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setCalendarPopup(true);
    watchCalendar();
}

void TDatePicker::watchCalendar()
{
    // The calendar lives in a pop-up window of its own; its showing and
    // hiding are the drop-down and the close-up.
    QCalendarWidget* calendar = calendarWidget();
    QWidget* window = calendar ? calendar->window() : nullptr;
    if (window == calendarWindow_ || window == this->window())
        return;
    if (calendarWindow_)
        calendarWindow_->removeEventFilter(this);
    calendarWindow_ = window;
    if (calendarWindow_)
        calendarWindow_->installEventFilter(this);
}

bool TDatePicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == calendarWindow_) {
        if (event->type() == QEvent::Show)
            setDroppedDown(true);
        else if (event->type() == QEvent::Hide)
            setDroppedDown(false);
    }
    return QDateEdit::eventFilter(watched, event);
}

void TDatePicker::setDroppedDown(bool droppedDown)
{
    if (droppedDown == droppedDown_)
        return;
    droppedDown_ = droppedDown;
    emit droppedDownChanged(droppedDown);
    if (droppedDown)
        emit dropDown();
    else
        emit closeUp();
}

TDateTime TDatePicker::Date() const
{
    return fromQDate(date());
}

void TDatePicker::SetDate(TDateTime value)
{
    int year = 0;
    int month = 0;
    int day = 0;
    DecodeDate(value, year, month, day);
    setDate(QDate(year, month, day));
}

} // namespace velta
