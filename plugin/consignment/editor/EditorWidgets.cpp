#include "plugin/consignment/editor/EditorWidgets.h"

#include "plugin/ui/DatePicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace velta::consignment {
namespace {

QList<QRadioButton*> radios(const QWidget& group)
{
    return group.findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

Variant EditorWidgetValue(const QWidget& widget)
{
    if (const auto* date = qobject_cast<const TDatePicker*>(&widget))
        return Variant::fromDate(date->Date());
    if (const auto* spin = qobject_cast<const QDoubleSpinBox*>(&widget))
        return Variant(spin->value());
    if (const auto* spin = qobject_cast<const QSpinBox*>(&widget))
        return Variant(spin->value());
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget))
        return Variant(edit->text());
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
        return Variant(combo->currentIndex());
    if (const auto* check = qobject_cast<const QCheckBox*>(&widget))
        return Variant(check->isChecked());
    if (qobject_cast<const QGroupBox*>(&widget)) {
        const QList<QRadioButton*> buttons = radios(widget);
        for (int i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->isChecked())
                return Variant(i);
        }
        return Variant(-1);
    }
    return Variant();
}

void SetEditorWidgetValue(QWidget& widget, const Variant& value)
{
    const bool none = value.isEmptyOrNull();
    if (auto* date = qobject_cast<TDatePicker*>(&widget))
        date->SetDate(none ? 0.0 : value.toDateTime());
    else if (auto* spin = qobject_cast<QDoubleSpinBox*>(&widget))
        spin->setValue(none ? 0.0 : value.toDouble());
    else if (auto* spin = qobject_cast<QSpinBox*>(&widget))
        spin->setValue(none ? 0 : value.toInt());
    else if (auto* edit = qobject_cast<QLineEdit*>(&widget)) {
        edit->setText(none ? QString() : value.toString());
        edit->setCursorPosition(0);
    } else if (auto* combo = qobject_cast<QComboBox*>(&widget))
        combo->setCurrentIndex(none ? 0 : value.toInt());
    else if (auto* check = qobject_cast<QCheckBox*>(&widget))
        check->setChecked(!none && value.toBool());
    else if (qobject_cast<QGroupBox*>(&widget)) {
        const QList<QRadioButton*> buttons = radios(widget);
        const int index = none ? 0 : value.toInt();
        if (index >= 0 && index < buttons.size())
            buttons[index]->setChecked(true);
    }
}

} // namespace velta::consignment
