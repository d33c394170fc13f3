#include "plugin/directories/ContractPayTypes.h"

#include "plugin/api/velta_plugin.h"
#include "plugin/core/HostValues.h"

#include <algorithm>

namespace velta::directories {

QList<ContractPayType> ContractPayTypesOf(const plugin::PayTypeList* list)
{
    QList<ContractPayType> types;
    if (!list)
        return types;
    for (int i = 0; i < list->count(); ++i) {
        const plugin::PayTypeList::Entry entry = list->entry(i);
        if (entry.code % 100 == 4)
            types.append({entry.code, entry.name});
    }
    std::stable_sort(types.begin(), types.end(), [](const ContractPayType& a, const ContractPayType& b) {
        if (a.id % 100 != b.id % 100)
            return a.id % 100 < b.id % 100;
        return a.id < b.id;
    });
    return types;
}

QList<ContractPayType> LoadContractPayTypes()
{
    return ContractPayTypesOf(core::HostValues::payTypeList());
}

QString PayTypeGroupCaption(const ContractPayType& type)
{
    return QStringLiteral("  [%1] %2").arg(type.id).arg(type.name);
}

int PayTypeOfGroupCaption(const QString& caption)
{
    const QString text = caption.trimmed();
    if (!text.startsWith(QLatin1Char('[')))
        return -1;
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    bool ok = false;
    const int id = text.mid(1, close < 0 ? -1 : close - 1).trimmed().toInt(&ok);
    return ok ? id : -1;
}

} // namespace velta::directories
