#pragma once
// The viewer's scale box: a spin box whose limits are applied once the typing
// is done, so any number of up to three digits can be typed ("900" becomes
// the maximum on Enter or on leaving the box, "10" the minimum).
#include <QSpinBox>

namespace velta::viewer {

class ScaleSpinBox : public QSpinBox {
    Q_OBJECT
public:
    static constexpr int kMaxDigits = 3;

    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};

} // namespace velta::viewer
