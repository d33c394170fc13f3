#pragma once
// TParams: the named parameters a client dataset sends with its provider
// request ("TrkName" of the dispenser journal).
#include "common/FieldDef.h"
#include "common/Variant.h"

#include <QString>
#include <QVector>

namespace velta {

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

struct TParam {
    QString Name;
    FieldType DataType = FieldType::String;
    TParamType ParamType = ptInput;
    Variant Value = Variant::null();

    void SetAsString(const QString& text) { Value = Variant(text); }
    QString AsString() const { return Value.isEmptyOrNull() ? QString() : Value.toString(); }
};

class TParams {
public:
    TParam& CreateParam(FieldType dataType, const QString& name, TParamType paramType);
    // Without regard to case; nullptr / EDatabaseError "Parameter '%s' not found".
    TParam* FindParam(const QString& name);
    TParam& ParamByName(const QString& name);
    int Count() const { return static_cast<int>(items_.size()); }
    TParam& operator[](int index) { return items_[index]; }
    const TParam& operator[](int index) const { return items_[index]; }
    void Clear() { items_.clear(); }

    // The request form: an array of [name, value] pairs of the input parameters.
    Variant::Array toRequest() const;

private:
    QVector<TParam> items_;
};

} // namespace velta
