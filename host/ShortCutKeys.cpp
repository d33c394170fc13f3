#include "host/ShortCutKeys.h"

namespace velta::host {
namespace {

// Qt's key for a Windows virtual key code; 0 when there is none.
int qtKeyFor(int vk, bool& keypad)
{
    keypad = false;
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= 0x60 && vk <= 0x69) { // numeric keypad digits
        keypad = true;
        return Qt::Key_0 + (vk - 0x60);
    }
    if (vk >= 0x70 && vk <= 0x87) // F1 to F24
        return Qt::Key_F1 + (vk - 0x70);
    switch (vk) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    case 0x6A: keypad = true; return Qt::Key_Asterisk;
    case 0x6B: keypad = true; return Qt::Key_Plus;
    case 0x6D: keypad = true; return Qt::Key_Minus;
    case 0x6F: keypad = true; return Qt::Key_Slash;
    default: return 0;
    }
}

} // namespace

QKeySequence keySequenceFor(plugin::TShortCut shortCut)
{
    bool keypad = false;
    const int key = qtKeyFor(shortCut & 0xFF, keypad);
    if (key == 0)
        return {};
    Qt::KeyboardModifiers modifiers;
    if (shortCut & plugin::scShift)
        modifiers |= Qt::ShiftModifier;
    if (shortCut & plugin::scCtrl)
        modifiers |= Qt::ControlModifier;
    if (shortCut & plugin::scAlt)
        modifiers |= Qt::AltModifier;
    if (keypad)
        modifiers |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

} // namespace velta::host
