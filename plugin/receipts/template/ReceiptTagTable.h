#pragma once
// The variables of a receipt template: the tag, what the template editor says
// about it, for which payment type the editor offers it, and how the sales
// receipt window fills it.
#include <QList>
#include <QString>

namespace velta::receipts {

enum class TagKind { DateTime, Number, Text, Placeholder };

struct ReceiptTag {
    QString name;          // without "<#" and ">": "DateTime"
    QString description;   // "Дата и время отлива"
    int shownFor;          // kShownForAll or a payment type code
    TagKind kind;
    QString defaultFormat; // what the receipt window passes with the value

    QString tag() const { return QStringLiteral("<#") + name + QLatin1Char('>'); }
};

// A row offered to every payment type's template, the common one included.
inline constexpr int kShownForAll = -1000;
// The payment type code of the common template.
inline constexpr int kCommonTemplate = -1;

// The 26 rows in their order.
const QList<ReceiptTag>& ReceiptTagTable();

// The rows the editor offers for a payment type code (kCommonTemplate: only
// the rows for all payment types), in table order.
QList<ReceiptTag> ReceiptTagsFor(int payTypeCode);

} // namespace velta::receipts
