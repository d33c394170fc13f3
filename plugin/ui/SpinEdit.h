#pragma once
// TSpinEdit: the framework's integer spin edit. Unlike QSpinBox it lets the
// user type any number and applies its limits afterwards, so typing 900 into
// a 20..500 field gives 500 rather than refusing the last digit.
//
// - Limits: MinValue..MaxValue, applied only when the two differ (both 0, the
//   default, means no limit, as in the framework).
// - Value(): the number typed, held within the limits. A text that is no
//   number (empty, a lone sign) reads as MinValue, as the framework reads it.
// - Typing takes an optional sign and digits only; a number beyond the
//   32-bit range is refused. When editing ends (focus leaves, Enter) the
//   text is rewritten as Value().
// - The arrows, Up/Down and PageUp/PageDown add or take Increment (ten
//   times for pages) and stay within the limits.
//
// In a .ui file the properties below carry stdset="0" (their setters are
// not named the Qt way).
#include <QAbstractSpinBox>

namespace velta {

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(int minValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int maxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(int value READ Value WRITE SetValue NOTIFY valueChanged USER true)
    Q_PROPERTY(int maxLength READ MaxLength WRITE SetMaxLength)
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    int MinValue() const { return minValue_; }
    void SetMinValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = value; }
    // Characters the text may hold (0: no limit).
    int MaxLength() const;
    void SetMaxLength(int length);

    int Value() const;
    // Sets the value held within the limits and shows it.
    void SetValue(int value);

    // The value held within the limits (any value when there are none).
    int CheckValue(int value) const;

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QSize sizeHint() const override;

signals:
    // The value read from the text changed (typing, arrows or SetValue).
    void valueChanged(int value);

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void textEdited();
    void normalise();

    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    int lastValue_ = 0;
};

} // namespace velta
