#include "plugin/directories/journals/TrkLogDisplay.h"

#include "plugin/api/velta_plugin.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/foundation/text/Tools.h"

#include <iterator>

namespace velta::journals {

QString OperationText(int operation)
{
    if (operation == kNoValue)
        return QString();
    static const char* const kNames[] = {"Заказано", "Прод.отлива", "Остановлена", "Отлито",
                                         "Недолито", "Сдача",       "Авар.останов", "Перелив"};
    const int low = operation & 0x7F;
    if (low < int(std::size(kNames)))
        return QString::fromUtf8(kNames[low]);
    return QStringLiteral("?????");
}

QString PayTypeText(int payType, const plugin::PayTypeList* payTypes)
{
    if (payType == kNoValue)
        return QString();
    QString text;
    Variant::Array codes;
    if (payTypes)
        for (int i = 0; i < payTypes->count(); ++i)
            codes.append(Variant(payTypes->entry(i).code));
    // -1: an unknown code is no error, so no beep.
    const int index = IndexOfIntInArray(payType, Variant(codes), -1);
    if (index >= 0) {
        // The host's names carry the accelerator of its payment buttons.
        text = payTypes->entry(index).name;
        if (text.startsWith(QLatin1Char('&')))
            text.remove(0, 1);
    } else
        text = QStringLiteral("Оплата: %1").arg(payType);
    return text.left(kPayTypeWidth);
}

QString DoseText(int dose)
{
    switch (dose) {
    case 0: return QStringLiteral("Литры");
    case 1: return QStringLiteral("Сумма");
    case 2: return QStringLiteral("Бак");
    case 4: return QStringLiteral("---");
    case kNoValue: return QString();
    default: return QStringLiteral("?????");
    }
}

void SetTrkLogDisplay(TClientDataSet& trkLog, const plugin::PayTypeList* payTypes)
{
    const auto code = [](TField& field, auto&& shown) {
        field.OnGetText = [shown](TField& sender, QString& text, bool) {
            text = sender.IsNull() ? QString() : shown(sender.AsInteger());
        };
    };
    code(trkLog.FieldByName(QStringLiteral("Operation")), [](int value) { return OperationText(value); });
    code(trkLog.FieldByName(QStringLiteral("Op1")), [payTypes](int value) { return PayTypeText(value, payTypes); });
    code(trkLog.FieldByName(QStringLiteral("Op2")), [](int value) { return DoseText(value); });
    trkLog.FieldByName(QStringLiteral("Time")).OnGetText = [](TField& sender, QString& text, bool) {
        const TField& fuel = sender.DataSet().FieldByName(QStringLiteral("Gsm"));
        if (sender.IsNull() || fuel.IsNull() || fuel.AsString().isEmpty())
            text.clear();
        else
            text = sender.AsString();
    };
}

} // namespace velta::journals
