#pragma once
// The payment types the template settings list: the enabled entries of the
// host's payment type list (host value 57), in the host's order.
#include <QList>
#include <QString>

namespace velta::plugin {
class PayTypeList;
}

namespace velta::receipts {

struct TemplatePayType {
    int code = 0;
    QString name;

    bool operator==(const TemplatePayType&) const = default;
};

// The enabled entries of the list. Raises "Не удалось загрузить список видов
// оплаты!" without a list and "Все виды оплаты отключены!" when none is enabled.
QList<TemplatePayType> TemplatePayTypesOf(const plugin::PayTypeList* list);

// The same for the host's own list.
QList<TemplatePayType> LoadTemplatePayTypes();

} // namespace velta::receipts
