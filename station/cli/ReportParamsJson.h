#pragma once
// Report parameters written as JSON for scripts: an array whose elements each
// name their variant type, so a parameter array keeps the element types the
// report engine reads.
//
//   null                      Null          {"empty": null}   Empty
//   {"bool": true}            Boolean       {"str": "text"}   String
//   {"int8": -1}              8-bit signed  {"byte": 19}      8-bit unsigned
//   {"smallint": -5}          16-bit signed {"word": 65535}   16-bit unsigned
//   {"int": 1000}             32-bit signed {"uint32": 7}     32-bit unsigned
//   {"int64": "9007199254740993"} 64-bit (a number, or a text beyond 2^53)
//   {"single": 1.5}  {"double": 0.25}      floating point
//   {"currency": "12.34"}     fixed point, four decimals at most (text or number)
//   {"date": "2026-11-30T08:00:00"}        date-time ("2026-11-30", ".zzz" allowed)
//   {"array": [ ... ]}        a nested array of the same form
#include "common/Variant.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

namespace velta::station {

// The parameter array of a JSON text; raises EConvertError with the element's
// position ("element 2.1") and what is wrong: malformed JSON, an unknown type
// word, a value of the wrong kind or out of range for its type.
Variant reportParamsFromJson(const QByteArray& json);

// One element in that form.
Variant reportParamFromJson(const QJsonValue& value, const QString& position = QString());

// The JSON form of a variant (compact); an array becomes a JSON array of
// typed elements, so reportParamsFromJson(reportParamsToJson(v)) == v.
QByteArray reportParamsToJson(const Variant& params);
QJsonValue reportParamToJson(const Variant& value);

} // namespace velta::station
