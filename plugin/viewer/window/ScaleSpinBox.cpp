#include "plugin/viewer/window/ScaleSpinBox.h"

#include <algorithm>

namespace velta::viewer {

namespace {

bool isDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

QValidator::State ScaleSpinBox::validate(QString& input, int& pos) const
{
    const QString digits = input.trimmed();
    if (digits.isEmpty())
        return QValidator::Intermediate;
    if (digits.size() > kMaxDigits || !isDigits(digits))
        return QSpinBox::validate(input, pos);
    const int value = digits.toInt();
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void ScaleSpinBox::fixup(QString& input) const
{
    const QString digits = input.trimmed();
    if (digits.isEmpty() || digits.size() > kMaxDigits || !isDigits(digits)) {
        QSpinBox::fixup(input);
        return;
    }
    input = QString::number(std::clamp(digits.toInt(), minimum(), maximum()));
}

} // namespace velta::viewer
