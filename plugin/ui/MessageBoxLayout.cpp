#include "plugin/ui/MessageBoxLayout.h"

#include <algorithm>
#include <array>

namespace velta {

namespace {

struct ButtonInfo {
    MsgDlgBtn button;
    const char16_t* text;
    int result;
};

// The framework's button order with the captions a Russian station shows.
// The help button is left out: there is no help file to open here.
constexpr std::array<ButtonInfo, 10> kDlgButtons{{
    {mbYes, u"Да", mrYes},
    {mbNo, u"Нет", mrNo},
    {mbOK, u"OK", mrOk},
    {mbCancel, u"Отмена", mrCancel},
    {mbAbort, u"Прервать", mrAbort},
    {mbRetry, u"Повтор", mrRetry},
    {mbIgnore, u"Пропустить", mrIgnore},
    {mbAll, u"Все", mrAll},
    {mbNoToAll, u"Нет для всех", mrNoToAll},
    {mbYesToAll, u"Да для всех", mrYesToAll},
}};

QString buttonText(int result)
{
    for (const ButtonInfo& info : kDlgButtons)
        if (info.result == result)
            return QString::fromUtf16(info.text);
    return {};
}

MessageBoxButton button(int result)
{
    return MessageBoxButton{buttonText(result), result};
}

int indexOf(const MessageBoxLayout& layout, int result)
{
    for (size_t i = 0; i < layout.buttons.size(); ++i)
        if (layout.buttons[i].result == result)
            return static_cast<int>(i);
    return -1;
}

} // namespace

QString messageDlgCaption(MsgDlgType type, const QString& applicationTitle)
{
    switch (type) {
    case mtWarning:
        return QStringLiteral("Предупреждение");
    case mtError:
        return QStringLiteral("Ошибка");
    case mtInformation:
        return QStringLiteral("Информация");
    case mtConfirmation:
        return QStringLiteral("Подтверждение");
    case mtCustom:
        break;
    }
    return applicationTitle;
}

MessageBoxLayout MessageBoxLayout::forMessageDlg(MsgDlgType type, MsgDlgButtons buttons, const QString& applicationTitle)
{
    MessageBoxLayout layout;
    layout.caption = messageDlgCaption(type, applicationTitle);
    switch (type) {
    case mtWarning:
        layout.icon = MessageIcon::Warning;
        break;
    case mtError:
        layout.icon = MessageIcon::Error;
        break;
    case mtInformation:
        layout.icon = MessageIcon::Information;
        break;
    case mtConfirmation:
        layout.icon = MessageIcon::Question;
        break;
    case mtCustom:
        layout.icon = MessageIcon::None;
        break;
    }
    for (const ButtonInfo& info : kDlgButtons)
        if (buttons.contains(info.button))
            layout.buttons.push_back(MessageBoxButton{QString::fromUtf16(info.text), info.result});
    // A box without buttons could never be closed: it gets OK.
    if (layout.buttons.empty())
        layout.buttons.push_back(button(mrOk));

    // The framework's default is OK, else Yes, else Retry; Esc is Cancel,
    // else No, else OK.
    int defaultIndex = -1;
    for (int result : {mrOk, mrYes, mrRetry})
        if (defaultIndex < 0)
            defaultIndex = indexOf(layout, result);
    layout.defaultIndex = std::max(defaultIndex, 0);
    for (int result : {mrCancel, mrNo, mrOk})
        if (layout.escapeIndex < 0)
            layout.escapeIndex = indexOf(layout, result);
    return layout;
}

MessageBoxLayout MessageBoxLayout::forMessageBox(const QString& caption, unsigned flags)
{
    MessageBoxLayout layout;
    layout.caption = caption;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        layout.buttons = {button(IDOK), button(IDCANCEL)};
        break;
    case MB_ABORTRETRYIGNORE:
        layout.buttons = {button(IDABORT), button(IDRETRY), button(IDIGNORE)};
        break;
    case MB_YESNOCANCEL:
        layout.buttons = {button(IDYES), button(IDNO), button(IDCANCEL)};
        break;
    case MB_YESNO:
        layout.buttons = {button(IDYES), button(IDNO)};
        break;
    case MB_RETRYCANCEL:
        layout.buttons = {button(IDRETRY), button(IDCANCEL)};
        break;
    default: // MB_OK and sets this box does not know
        layout.buttons = {button(IDOK)};
        break;
    }
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
        layout.icon = MessageIcon::Error;
        break;
    case MB_ICONQUESTION:
        layout.icon = MessageIcon::Question;
        break;
    case MB_ICONEXCLAMATION:
        layout.icon = MessageIcon::Warning;
        break;
    case MB_ICONASTERISK:
        layout.icon = MessageIcon::Information;
        break;
    default:
        layout.icon = MessageIcon::None;
        break;
    }
    // A default button beyond the set falls back to the first, as the system does.
    const int wanted = static_cast<int>((flags & MB_DEFMASK) >> 8);
    layout.defaultIndex = wanted < static_cast<int>(layout.buttons.size()) ? wanted : 0;
    // Esc answers Cancel when there is one; a lone OK box closes with OK;
    // Yes/No and Abort/Retry/Ignore boxes must be answered with a button.
    layout.escapeIndex = indexOf(layout, IDCANCEL);
    if (layout.escapeIndex < 0 && layout.buttons.size() == 1)
        layout.escapeIndex = 0;
    return layout;
}

MessageBoxLayout MessageBoxLayout::forShowMessage(const QString& applicationTitle)
{
    MessageBoxLayout layout;
    layout.caption = applicationTitle;
    layout.buttons = {button(mrOk)};
    layout.escapeIndex = 0;
    return layout;
}

bool MessageBoxLayout::offers(int result) const
{
    return indexOf(*this, result) >= 0;
}

int MessageBoxLayout::escapeResult() const
{
    return escapeIndex >= 0 ? buttons[static_cast<size_t>(escapeIndex)].result : mrNone;
}

int MessageBoxLayout::defaultResult() const
{
    return buttons[static_cast<size_t>(defaultIndex)].result;
}

} // namespace velta
