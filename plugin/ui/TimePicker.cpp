#include "plugin/ui/TimePicker.h"

namespace velta {

TTimePicker::TTimePicker(QWidget* parent) : QTimeEdit(parent)
{
    setDisplayFormat(QStringLiteral("hh:mm:ss"));
}

TDateTime TTimePicker::Time() const
{
    const QTime value = time();
    return EncodeTime(value.hour(), value.minute(), value.second(), value.msec());
}

void TTimePicker::SetTime(TDateTime value)
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
    DecodeTime(value, hour, minute, second, msec);
    setTime(QTime(hour, minute, second, msec));
}

} // namespace velta
