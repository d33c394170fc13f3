#include "plugin/foundation/dbf/DBFFilter.h"

#include "common/Codecs.h"
#include "common/FormatSettings.h"
#include "common/SysUtils.h"
#include "plugin/foundation/dbf/DBFValue.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velta {

namespace {

// Numbers in a filter: the last full stop or comma is the decimal separator.
bool filterNumber(QByteArrayView text, double& value)
{
    QByteArray copy = dbfvalue::trimmed(text).toByteArray();
    const qsizetype dot = copy.lastIndexOf('.');
    const qsizetype comma = copy.lastIndexOf(',');
    const qsizetype sep = std::max(dot, comma);
    if (sep >= 0)
        copy[sep] = '.';
    return dbfvalue::parseFloat(copy, value);
}

bool isTrueText(QStringView text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text[0];
    return c == u'1' || c == u'T' || c == u'Y' || c == u't' || c == u'y';
}

QStringView trimControls(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin);
}

// Orders two texts by their cp1251 character codes, as the suite's 8-bit texts compare.
int compareAnsi(QStringView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = a[i].unicode();
        const unsigned char x = c < 0x80 ? static_cast<unsigned char>(c) : codec::unicodeToCp1251(c);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

void DbfFilter::Parse(const QString& text, const QVector<TDBFFieldDesc>& fields, TFilterOptions options)
{
    op_ = Op::None;
    options_ = options;
    static const std::array<std::pair<const char*, Op>, 6> operators = {{
        {">=", Op::GreaterEqual}, {"<=", Op::LessEqual}, {"<>", Op::NotEqual},
        {">", Op::Greater}, {"<", Op::Less}, {"=", Op::Equal},
    }};
    qsizetype at = -1;
    Op op = Op::None;
    qsizetype opLength = 0;
    for (const auto& [symbol, kind] : operators) {
        at = text.indexOf(QLatin1String(symbol));
        if (at >= 0) {
            op = kind;
            opLength = static_cast<qsizetype>(std::strlen(symbol));
            break;
        }
    }
    if (op == Op::None)
        return;
    const QString name = Trim(text.left(at));
    const TDBFFieldDesc* found = nullptr;
    for (const TDBFFieldDesc& f : fields)
        if (f.Name.compare(name, Qt::CaseInsensitive) == 0) {
            found = &f;
            break;
        }
    if (!found)
        return;
    field_ = *found;
    op_ = op;
    value_ = Trim(text.mid(at + opLength));
    if ((options_ & foCaseInsensitive) != 0)
        value_ = value_.toUpper();
    valueAnsi_ = codec::toCp1251(value_);
    valueNumberOk_ = filterNumber(value_.toLatin1(), valueNumber_);
    valueDateOk_ = TryStrToDate(value_, valueDate_, globalFormatSettings());
    valueBoolean_ = isTrueText(value_);
}

bool DbfFilter::Accepts(const char* record, bool oem) const
{
    if (op_ == Op::None)
        return true;
    switch (field_.FieldType) {
    case ftString: return acceptString(record, oem);
    case ftInteger:
    case ftFloat: return acceptNumber(record);
    case ftBoolean: return acceptBoolean(record);
    case ftDate: return acceptDate(record);
    default: return false;
    }
}

template <class T>
bool DbfFilter::compare(const T& left, const T& right) const
{
    switch (op_) {
    case Op::GreaterEqual: return !(left < right);
    case Op::LessEqual: return !(right < left);
    case Op::NotEqual: return left < right || right < left;
    case Op::Greater: return right < left;
    case Op::Less: return left < right;
    case Op::Equal: return !(left < right) && !(right < left);
    case Op::None: return true;
    }
    return true;
}

bool DbfFilter::acceptString(const char* record, bool oem) const
{
    dbfvalue::decodeString(QByteArrayView(record + field_.Offset, field_.Length), oem, scratch_);
    QStringView text = trimControls(scratch_);
    QString upper;
    if ((options_ & foCaseInsensitive) != 0) {
        upper = text.toString().toUpper();
        text = upper;
    }
    if (op_ == Op::Equal) {
        if ((options_ & foNoPartialCompare) != 0)
            return text == value_;
        return text.contains(value_);
    }
    const int order = compareAnsi(text, valueAnsi_);
    return compare(order, 0);
}

bool DbfFilter::acceptNumber(const char* record) const
{
    double number = 0;
    if (!valueNumberOk_ || !filterNumber(QByteArrayView(record + field_.Offset, field_.Length), number))
        return false;
    return compare(number, valueNumber_);
}

bool DbfFilter::acceptBoolean(const char* record) const
{
    const QByteArrayView raw = dbfvalue::trimmed(QByteArrayView(record + field_.Offset, field_.Length));
    const char c = raw.isEmpty() ? '\0' : raw[0];
    const bool fieldTrue = c == '1' || c == 'T' || c == 'Y' || c == 't' || c == 'y';
    return compare(static_cast<int>(fieldTrue), static_cast<int>(valueBoolean_));
}

bool DbfFilter::acceptDate(const char* record) const
{
    TDateTime date = 0;
    const QByteArrayView raw = dbfvalue::trimmed(QByteArrayView(record + field_.Offset, field_.Length));
    if (!valueDateOk_ || !dbfvalue::parseDate(raw, date))
        return false;
    return compare(date, valueDate_);
}

} // namespace velta
