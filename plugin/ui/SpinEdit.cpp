#include "plugin/ui/SpinEdit.h"

#include "common/SysUtils.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace velta {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAccelerated(false);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::textEdited);
    connect(this, &QAbstractSpinBox::editingFinished, this, &TSpinEdit::normalise);
}

void TSpinEdit::SetMinValue(int value)
{
    minValue_ = value;
    textEdited();
}

void TSpinEdit::SetMaxValue(int value)
{
    maxValue_ = value;
    textEdited();
}

int TSpinEdit::MaxLength() const
{
    const int length = lineEdit()->maxLength();
    return length == 32767 ? 0 : length; // QLineEdit's own "no limit"
}

void TSpinEdit::SetMaxLength(int length)
{
    lineEdit()->setMaxLength(length > 0 ? length : 32767);
}

int TSpinEdit::CheckValue(int value) const
{
    if (minValue_ == maxValue_)
        return value;
    return std::clamp(value, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
}

int TSpinEdit::Value() const
{
    return CheckValue(StrToIntDef(text().trimmed(), minValue_));
}

void TSpinEdit::SetValue(int value)
{
    const QString shown = QString::number(CheckValue(value));
    if (text() != shown)
        lineEdit()->setText(shown);
}

void TSpinEdit::stepBy(int steps)
{
    const long long next = static_cast<long long>(Value()) + static_cast<long long>(steps) * increment_;
    const long long bounded = std::clamp<long long>(next, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    SetValue(static_cast<int>(bounded));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    return isReadOnly() ? StepNone : (StepUpEnabled | StepDownEnabled);
}

QValidator::State TSpinEdit::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos);
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?\\d*\\s*$"));
    if (!number.match(input).hasMatch())
        return QValidator::Invalid;
    int value = 0;
    if (TryStrToInt(input.trimmed(), value))
        return QValidator::Acceptable;
    // An empty text or a lone sign may still become a number; more digits
    // than an integer holds never will.
    const QString digits = input.trimmed().remove(QLatin1Char('+')).remove(QLatin1Char('-'));
    return digits.isEmpty() ? QValidator::Intermediate : QValidator::Invalid;
}

QSize TSpinEdit::sizeHint() const
{
    // The frame and arrows, and room for the longer limit (ten digits and a
    // sign when there is none).
    const QString widest = minValue_ == maxValue_
        ? QStringLiteral("-2000000000")
        : std::max(QString::number(minValue_), QString::number(maxValue_),
                   [](const QString& a, const QString& b) { return a.size() < b.size(); });
    ensurePolished();
    QSize size = QAbstractSpinBox::sizeHint();
    size.rwidth() += fontMetrics().horizontalAdvance(widest);
    return size;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    normalise();
    QAbstractSpinBox::focusOutEvent(event);
}

void TSpinEdit::textEdited()
{
    const int value = Value();
    if (value != lastValue_) {
        lastValue_ = value;
        emit valueChanged(value);
    }
}

void TSpinEdit::normalise()
{
    SetValue(Value());
}

} // namespace velta
