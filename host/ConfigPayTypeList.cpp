#include "host/ConfigPayTypeList.h"

#include "common/Exception.h"

namespace velta::host {

plugin::PayTypeList::Entry ConfigPayTypeList::entry(int index) const
{
    if (index < 0 || index >= count())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    const PayTypeSetting& pay = config_.payTypes[static_cast<size_t>(index)];
    Entry e;
    e.code = pay.code;
    e.name = pay.name;
    e.attribute = static_cast<std::uint8_t>(pay.attribute);
    e.enabled = pay.enabled;
    return e;
}

} // namespace velta::host
