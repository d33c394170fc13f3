#include "plugin/ui/Dialogs.h"

#include "plugin/ui/WidgetDialogs.h"

namespace velta {

namespace {
Dialogs* installed = nullptr;
} // namespace

Dialogs::~Dialogs() = default;

Dialogs& currentDialogs()
{
    if (installed)
        return *installed;
    static WidgetDialogs widgets;
    return widgets;
}

CurrentDialogsScope::CurrentDialogsScope(Dialogs& dialogs)
    : previous_(installed)
{
    installed = &dialogs;
}

CurrentDialogsScope::~CurrentDialogsScope()
{
    installed = previous_;
}

} // namespace velta
