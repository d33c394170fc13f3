#include "plugin/viewer/browser/UContainer.h"

#include "common/Exception.h"
#include "plugin/ui/Dialogs.h"

#include <QKeyEvent>
#include <QMenu>

namespace velta::viewer {

namespace {

bool isKeyDown(const QKeyEvent& event)
{
    return event.type() == QEvent::ShortcutOverride || event.type() == QEvent::KeyPress;
}

} // namespace

int LatinLetterKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key < 0 || key > 0xFFFF)
        return 0;
    // The Russian layout (ЙЦУКЕН) on the keys of the Latin letters; its other
    // letters lie on punctuation keys.
    static const struct {
        char16_t russian;
        char latin;
    } kPlaces[] = {
        {u'Й', 'Q'}, {u'Ц', 'W'}, {u'У', 'E'}, {u'К', 'R'}, {u'Е', 'T'}, {u'Н', 'Y'}, {u'Г', 'U'},
        {u'Ш', 'I'}, {u'Щ', 'O'}, {u'З', 'P'}, {u'Ф', 'A'}, {u'Ы', 'S'}, {u'В', 'D'}, {u'А', 'F'},
        {u'П', 'G'}, {u'Р', 'H'}, {u'О', 'J'}, {u'Л', 'K'}, {u'Д', 'L'}, {u'Я', 'Z'}, {u'Ч', 'X'},
        {u'С', 'C'}, {u'М', 'V'}, {u'И', 'B'}, {u'Т', 'N'}, {u'Ь', 'M'},
    };
    const QChar upper = QChar(char16_t(key)).toUpper();
    for (const auto& place : kPlaces)
        if (upper == QChar(place.russian))
            return Qt::Key_A + (place.latin - 'A');
    return 0;
}

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
        switch (LatinLetterKey(event.key())) {
        case Qt::Key_O: handler = &ctrlO_; break;
        case Qt::Key_L: break;
        case Qt::Key_S: handler = &ctrlS_; break;
        case Qt::Key_N: handler = &ctrlN_; break;
        case Qt::Key_F: handler = &ctrlF_; break;
        case Qt::Key_P: handler = &ctrlP_; break;
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
