#include "plugin/consignment/editor/TtnWords.h"

#include "plugin/foundation/text/Tools.h"

#include <cmath>
#include <cstdint>

namespace velta::consignment {

QString TtnAmountText(double amount)
{
    return amount <= 0 ? QString() : AmountInWords(amount);
}

QString TtnMassText(double tonnes)
{
    if (tonnes <= 0)
        return {};
    return WeightInWords(static_cast<std::uint32_t>(std::llround(tonnes * 1000)));
}

QString TtnWordsEditor(const QString& numberEditor)
{
    return QStringLiteral("ed") + numberEditor.mid(2);
}

void TtnSetWithWords(TtnEditorValues& values, const QString& numberEditor, double value)
{
    values[numberEditor] = Variant(value);
    values[TtnWordsEditor(numberEditor)] =
        Variant(numberEditor == QLatin1String("seAllSumma") ? TtnAmountText(value) : TtnMassText(value));
}

} // namespace velta::consignment
