#include "plugin/data/Params.h"

#include "common/Exception.h"

namespace velta {

TParam& TParams::CreateParam(FieldType dataType, const QString& name, TParamType paramType)
{
    TParam param;
    param.Name = name;
    param.DataType = dataType;
    param.ParamType = paramType;
    items_.append(param);
    return items_.last();
}

TParam* TParams::FindParam(const QString& name)
{
    for (TParam& p : items_) {
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

TParam& TParams::ParamByName(const QString& name)
{
    TParam* p = FindParam(name);
    if (!p)
        throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
    return *p;
}

Variant::Array TParams::toRequest() const
{
    Variant::Array pairs;
    for (const TParam& p : items_) {
        if (p.ParamType == ptOutput || p.ParamType == ptResult)
            continue;
        FieldDef def(p.Name, p.DataType);
        pairs.append(Variant(Variant::Array{Variant(p.Name), coerceToField(def, p.Value)}));
    }
    return pairs;
}

} // namespace velta
