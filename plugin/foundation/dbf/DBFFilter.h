#pragma once
// DbfFilter: the one-comparison filter of the in-memory DBF table
// ("NAME=abc", "PRICE>=10.5", "DAY<31.12.2024"), parsed once and then tested
// against raw records.
#include "plugin/foundation/DataSetTypes.h"
#include "plugin/foundation/dbf/DBFAccess.h"

#include <QString>
#include <QVector>

namespace velta {

class DbfFilter {
public:
    // Parses the text against the table's fields. A text without an operator,
    // or naming no field of the table, lets every record pass.
    void Parse(const QString& text, const QVector<TDBFFieldDesc>& fields, TFilterOptions options);
    bool PassesAll() const { return op_ == Op::None; }
    // Whether the record (starting with its deletion mark) passes.
    bool Accepts(const char* record, bool oem) const;

private:
    enum class Op { None, GreaterEqual, LessEqual, NotEqual, Greater, Less, Equal };

    bool acceptString(const char* record, bool oem) const;
    bool acceptNumber(const char* record) const;
    bool acceptBoolean(const char* record) const;
    bool acceptDate(const char* record) const;
    template <class T> bool compare(const T& left, const T& right) const;

    Op op_ = Op::None;
    TDBFFieldDesc field_;
    TFilterOptions options_ = 0;
    QString value_;            // trimmed, upper-cased for the case-insensitive option
    QByteArray valueAnsi_;     // value_ in cp1251, for ordering by character codes
    bool valueNumberOk_ = false;
    double valueNumber_ = 0;
    bool valueDateOk_ = false;
    double valueDate_ = 0;
    bool valueBoolean_ = false;
    mutable QString scratch_;  // the field text, reused between records
};

} // namespace velta
