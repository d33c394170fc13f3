#include "plugin/receipts/editor/TemplatePayTypes.h"

#include "common/Exception.h"
#include "plugin/api/velta_plugin.h"
#include "plugin/core/HostValues.h"

namespace velta::receipts {

QList<TemplatePayType> TemplatePayTypesOf(const plugin::PayTypeList* list)
{
    if (!list)
        throw Exception(QStringLiteral("Не удалось загрузить список видов оплаты!"));
    QList<TemplatePayType> types;
    for (int i = 0; i < list->count(); ++i) {
        const plugin::PayTypeList::Entry entry = list->entry(i);
        if (entry.enabled)
            types.append({entry.code, entry.name});
    }
    if (types.isEmpty())
        throw Exception(QStringLiteral("Все виды оплаты отключены!"));
    return types;
}

QList<TemplatePayType> LoadTemplatePayTypes()
{
    return TemplatePayTypesOf(core::HostValues::payTypeList());
}

} // namespace velta::receipts
