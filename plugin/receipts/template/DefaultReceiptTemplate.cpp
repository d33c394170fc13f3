#include "plugin/receipts/template/DefaultReceiptTemplate.h"

#include <QStringList>

namespace velta::receipts {

QString DefaultReceiptTemplate()
{
    static const QString text = QStringList{
        QStringLiteral("Вид оплаты: <#VidOpl(24)>"),
        QStringLiteral("Дата: <#DateTime>"),
        QStringLiteral("Заправлено: <#GSM> <#Liter(5.1)>л."),
        QStringLiteral("@ИТОГО:    <#Summa(10.2)>р."),
        QString(),
        QStringLiteral("КАССИР ____________ <#Kassir(16)>"),
        QString(),
        QStringLiteral("       <#OrgName> <#AZS>"),
        QStringLiteral("         СПАСИБО ЗА ПОКУПКУ"),
        QString(),
    }.join(QStringLiteral("\r\n"));
    return text;
}

} // namespace velta::receipts
