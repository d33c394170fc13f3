#pragma once
// What a message box shows and answers, worked out without any widget: its
// caption, icon, buttons with their texts and results, the default button and
// the button Esc presses. Both the real boxes and the scripted double use it,
// so a script cannot answer with a button the box would not have shown.
#include "plugin/ui/DialogTypes.h"

#include <QString>
#include <vector>

namespace velta {

enum class MessageIcon { None, Information, Warning, Error, Question };

struct MessageBoxButton {
    QString text;
    int result = mrNone;
};

struct MessageBoxLayout {
    QString caption;
    MessageIcon icon = MessageIcon::None;
    std::vector<MessageBoxButton> buttons;
    int defaultIndex = 0;
    int escapeIndex = -1; // -1: Esc and the close button do nothing

    // MessageDlg: the caption follows the type (mtCustom takes the
    // application's title); buttons in the framework's order.
    static MessageBoxLayout forMessageDlg(MsgDlgType type, MsgDlgButtons buttons, const QString& applicationTitle);
    // Application.MessageBox: caption as given, buttons, icon and default
    // button from the flags.
    static MessageBoxLayout forMessageBox(const QString& caption, unsigned flags);
    // ShowMessage: the application's title, no icon, one OK button.
    static MessageBoxLayout forShowMessage(const QString& applicationTitle);

    bool offers(int result) const;
    // The result Esc gives, or mrNone when Esc does nothing.
    int escapeResult() const;
    int defaultResult() const;
};

// The caption MessageDlg gives a box of this type.
QString messageDlgCaption(MsgDlgType type, const QString& applicationTitle);

} // namespace velta
