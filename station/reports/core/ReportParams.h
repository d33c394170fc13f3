#pragma once
// ReportParams: the parameter array of one report, read element by element
// with the type each report expects. A report that gets an array of the wrong
// length or an element of the wrong type raises EDatabaseError naming the
// report, the element and what it expected, so a caller's mistake never turns
// into a silently wrong report.
#include "common/DateTime.h"
#include "common/Variant.h"

#include <QString>
#include <QVector>
#include <initializer_list>

namespace velta::station {

class ReportParams {
public:
    // params is the variant the report received; anything but an array reads
    // as an empty list.
    ReportParams(int reportNo, const Variant& params);

    int reportNo() const { return reportNo_; }
    int count() const { return int(elements_.size()); }
    const Variant& at(int index) const;

    // Raises unless the array has one of the given lengths.
    void expectCount(std::initializer_list<int> allowed) const;

    // Any integer type (Byte, ShortInt, Integer, Int64 ...).
    std::int64_t integer(int index) const;
    // Any number.
    double number(int index) const;
    // A Date element or a number holding a date-time.
    TDateTime dateTime(int index) const;
    QString text(int index) const;
    bool boolean(int index) const;
    // An array of integers (payment type flags or codes); Empty gives none.
    QVector<std::int64_t> integers(int index) const;
    // A nested array (Empty gives none).
    Variant::Array array(int index) const;

    [[noreturn]] void fail(int index, const QString& expected) const;

private:
    int reportNo_;
    Variant::Array elements_;
};

} // namespace velta::station
