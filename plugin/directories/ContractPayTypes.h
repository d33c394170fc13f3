#pragma once
// The contract payment types a contragent may take part in: the host's
// payment types of the statement kind (code modulo 100 is 4), by kind, then code.
#include <QList>
#include <QString>

namespace velta::plugin {
class PayTypeList;
}

namespace velta::directories {

struct ContractPayType {
    int id = 0;
    QString name;
    friend bool operator==(const ContractPayType&, const ContractPayType&) = default;
};

// From a payment type list; none without one.
QList<ContractPayType> ContractPayTypesOf(const plugin::PayTypeList* list);
// From the host's list (GetValue 57).
QList<ContractPayType> LoadContractPayTypes();

// The caption of a group list item for one payment type: "  [104] Ведомость +".
QString PayTypeGroupCaption(const ContractPayType& type);
// The payment type id of such a caption (its trimmed text begins with "["), or -1.
int PayTypeOfGroupCaption(const QString& caption);

} // namespace velta::directories
