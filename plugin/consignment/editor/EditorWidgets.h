#pragma once
// The value of an editor widget as the note editor keeps it, by the widget's
// kind: line edits give text, spin boxes numbers, date pickers dates, combo
// boxes and radio groups the selected index, check boxes a boolean.
#include "common/Variant.h"

class QWidget;

namespace velta::consignment {

Variant EditorWidgetValue(const QWidget& widget);
void SetEditorWidgetValue(QWidget& widget, const Variant& value);

} // namespace velta::consignment
