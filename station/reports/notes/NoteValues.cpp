#include "station/reports/notes/NoteValues.h"

#include "station/reports/core/ReportLookups.h"

#include <QDate>
#include <QDateTime>

namespace velta::station {

NoteValues::NoteValues(const QSqlRecord& record)
{
    for (int i = 0; i < record.count(); ++i)
        values_.insert(record.fieldName(i).trimmed().toUpper(), record.value(i));
}

QString NoteValues::text(const QString& column) const
{
    const QVariant v = values_.value(column);
    return v.isNull() ? QString() : v.toString().trimmed();
}

std::int64_t NoteValues::amount(const QString& column) const
{
    return scaledAmount(values_.value(column));
}

int NoteValues::integer(const QString& column) const
{
    const QVariant v = values_.value(column);
    return v.isNull() ? 0 : v.toInt();
}

QString NoteValues::date(const QString& column) const
{
    const QVariant v = values_.value(column);
    if (v.isNull())
        return QString();
    QDate day = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
    if (!day.isValid())
        day = QDate::fromString(v.toString().left(10), QStringLiteral("yyyy-MM-dd"));
    // The editor stores an empty date picker as day 0 of the Delphi calendar.
    if (!day.isValid() || day <= QDate(1899, 12, 30))
        return QString();
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace velta::station
