#include "plugin/viewer/browser/UContainer.h"

#include "common/Exception.h"
#include "plugin/ui/Dialogs.h"

#include <QKeyEvent>
#include <QMenu>

namespace velta::viewer {

namespace {

// The Latin letter of a letter key. Keys are taken by their place on the
// keyboard, as with the Russian layout active Ctrl+F arrives as Ctrl+А.
QChar latinLetter(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QChar(key);
    // The Russian layout's letters on the keys of the Latin letters used here.
    static const struct {
        char16_t russian;
        char latin;
    } kPlaces[] = {{u'Щ', 'O'}, {u'Д', 'L'}, {u'Ы', 'S'}, {u'Т', 'N'}, {u'А', 'F'}, {u'З', 'P'}};
    const QChar upper = QChar(char16_t(key)).toUpper();
    if (key > 0xFFFF)
        return {};
    for (const auto& place : kPlaces)
        if (upper == QChar(place.russian))
            return QLatin1Char(place.latin);
    return {};
}

bool isKeyDown(const QKeyEvent& event)
{
    return event.type() == QEvent::ShortcutOverride || event.type() == QEvent::KeyPress;
}

} // namespace

TWBContainer::TWBContainer(BrowserView* browser)
    : TNulWBContainer(browser)
{
}

TWBContainer::~TWBContainer() = default;

bool TWBContainer::hostInfo(DocHostUIInfo& info)
{
    TNulWBContainer::hostInfo(info);
    if (!showScrollBars_)
        info.flags |= DocHostUIInfo::kScrollNo;
    if (!show3DBorder_)
        info.flags |= DocHostUIInfo::kNo3DBorder;
    if (!allowTextSelection_)
        info.flags |= DocHostUIInfo::kDialog;
    info.hostCss = css_;
    return true;
}

bool TWBContainer::showContextMenu(const QPoint& globalPos)
{
    if (!useCustomCtxMenu_)
        return false;
    if (BrowserView* browser = HostedBrowser())
        if (QMenu* menu = browser->popupMenu())
            menu->popup(globalPos);
    return true;
}

bool TWBContainer::translateAccelerator(const QKeyEvent& event)
{
    if (event.modifiers() & Qt::ControlModifier) {
        const KeyHandler* handler = nullptr;
        switch (latinLetter(event.key()).unicode()) {
        case 'O': handler = &ctrlO_; break;
        case 'L': break;
        case 'S': handler = &ctrlS_; break;
        case 'N': handler = &ctrlN_; break;
        case 'F': handler = &ctrlF_; break;
        case 'P': handler = &ctrlP_; break;
        default: return false;
        }
        if (handler && isKeyDown(event))
            runHandler(*handler);
        return true;
    }
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        if (!enter_)
            return false;
        if (isKeyDown(event))
            runHandler(enter_);
        return true;
    }
    return false;
}

void TWBContainer::runHandler(const KeyHandler& handler)
{
    if (!handler)
        return;
    try {
        handler(*this);
    } catch (const Exception& e) {
        currentDialogs().showMessage(QStringLiteral("Ошибка при выполнении операции:\r\n") + e.message());
    }
}

} // namespace velta::viewer
