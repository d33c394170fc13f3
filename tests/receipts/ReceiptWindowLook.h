#pragma once
// What the receipt window tests look at on screen: a screenshot saved to the
// folder named by VELTA_SHOTS (when set), the texts of a window checked for
// room, and the host's font (Tahoma 8 from wine's fonts) put in force for a scope.
#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

namespace velta::test {

// Saves window.grab() as <VELTA_SHOTS>/<name>; does nothing without the variable.
void saveShot(QWidget& window, const QString& name);

// The texts of the window's visible labels and buttons that have less room
// than they need or stick out of their parent, as "objectName: text".
QStringList cutTexts(QWidget& window);

class HostFontScope {
public:
    // False when the machine has no Tahoma to register (the font stays).
    HostFontScope();
    ~HostFontScope();
    HostFontScope(const HostFontScope&) = delete;
    HostFontScope& operator=(const HostFontScope&) = delete;

    bool active() const { return active_; }

private:
    QFont previous_;
    bool active_ = false;
};

} // namespace velta::test
