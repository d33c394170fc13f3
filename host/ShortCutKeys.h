#pragma once
// Conversion of the framework's TShortCut values (virtual key in the low byte,
// Shift/Ctrl/Alt bits above) into Qt key sequences for the host's actions.
#include "plugin/api/velta_plugin.h"

#include <QKeySequence>

namespace velta::host {

// The Qt key sequence of a shortcut; an empty sequence for 0 or a key Qt lacks.
QKeySequence keySequenceFor(plugin::TShortCut shortCut);

} // namespace velta::host
