#pragma once
// The time stamp at the start of a log line, as cp1251 bytes. The logger's
// default format is written straight from the date's fields (it runs for every
// line); any other format goes through FormatDateTime with the log settings.
#include "common/DateTime.h"

#include <QByteArray>
#include <QString>

namespace velta {

class LogTimeStamp {
public:
    static constexpr char kDefaultFormat[] = "dd/mm/yyyy hh:nn:ss.zzz";

    explicit LogTimeStamp(const QString& format = QString::fromLatin1(kDefaultFormat));

    const QString& format() const { return format_; }
    // Appends the stamp of value to out.
    void appendTo(QByteArray& out, TDateTime value) const;
    // The stamp as text, as FormatDateTime gives it.
    QString text(TDateTime value) const;

private:
    QString format_;
    bool isDefault_;
};

} // namespace velta
