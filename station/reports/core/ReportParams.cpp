#include "station/reports/core/ReportParams.h"

#include "common/Exception.h"

#include <QStringList>

namespace velta::station {

ReportParams::ReportParams(int reportNo, const Variant& params)
    : reportNo_(reportNo)
{
    if (params.isArray())
        elements_ = params.elements();
}

const Variant& ReportParams::at(int index) const
{
    if (index < 0 || index >= count())
        throw EDatabaseError(QStringLiteral("Отчет №%1: нет параметра %2 (получено параметров: %3)")
                                 .arg(reportNo_)
                                 .arg(index)
                                 .arg(count()));
    return elements_[index];
}

void ReportParams::expectCount(std::initializer_list<int> allowed) const
{
    QStringList counts;
    for (int n : allowed) {
        if (n == count())
            return;
        counts << QString::number(n);
    }
    throw EDatabaseError(QStringLiteral("Отчет №%1 ожидает параметров: %2, получено: %3")
                             .arg(reportNo_)
                             .arg(counts.join(QStringLiteral(" или ")))
                             .arg(count()));
}

void ReportParams::fail(int index, const QString& expected) const
{
    throw EDatabaseError(QStringLiteral("Отчет №%1: параметр %2 должен быть %3, а не %4")
                             .arg(reportNo_)
                             .arg(index)
                             .arg(expected, Variant::typeName(at(index).type())));
}

std::int64_t ReportParams::integer(int index) const
{
    const Variant& value = at(index);
    if (!isIntegerType(value.type()))
        fail(index, QStringLiteral("целым числом"));
    return value.toInt64();
}

double ReportParams::number(int index) const
{
    const Variant& value = at(index);
    if (!value.isNumeric())
        fail(index, QStringLiteral("числом"));
    return value.toDouble();
}

TDateTime ReportParams::dateTime(int index) const
{
    const Variant& value = at(index);
    if (value.type() != VarType::Date && !value.isNumeric())
        fail(index, QStringLiteral("датой и временем"));
    const double result = value.toDateTime();
    if (result < kMinDateTime || result > kMaxDateTime)
        fail(index, QStringLiteral("датой и временем в допустимых пределах"));
    return result;
}

QString ReportParams::text(int index) const
{
    const Variant& value = at(index);
    if (!value.isString())
        fail(index, QStringLiteral("строкой"));
    return value.toString();
}

bool ReportParams::boolean(int index) const
{
    const Variant& value = at(index);
    if (value.type() != VarType::Boolean && !isIntegerType(value.type()))
        fail(index, QStringLiteral("логическим значением"));
    return value.toBool();
}

QVector<std::int64_t> ReportParams::integers(int index) const
{
    QVector<std::int64_t> out;
    for (const Variant& element : array(index)) {
        if (!isIntegerType(element.type()))
            fail(index, QStringLiteral("массивом целых чисел"));
        out << element.toInt64();
    }
    return out;
}

Variant::Array ReportParams::array(int index) const
{
    const Variant& value = at(index);
    if (value.isEmpty())
        return {};
    if (!value.isArray())
        fail(index, QStringLiteral("массивом"));
    return value.elements();
}

} // namespace velta::station
