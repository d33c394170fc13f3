#include "plugin/viewer/browser/UNulContainer.h"

#include "common/Exception.h"

namespace velta::viewer {

TNulWBContainer::TNulWBContainer(BrowserView* browser)
    : browser_(browser)
{
    if (!browser)
        throw EAssertionFailed(QStringLiteral("TNulWBContainer: a browser is required"));
    browser->setClientSite(this);
}

TNulWBContainer::~TNulWBContainer()
{
    if (browser_ && browser_->clientSite() == this)
        browser_->setClientSite(nullptr);
}

bool TNulWBContainer::hostInfo(DocHostUIInfo& info)
{
    // Qt's widget styles are always there and always in use.
    info = DocHostUIInfo{};
    info.flags = DocHostUIInfo::kTheme;
    return true;
}

bool TNulWBContainer::showContextMenu(const QPoint& /*globalPos*/)
{
    return false;
}

bool TNulWBContainer::translateAccelerator(const QKeyEvent& /*event*/)
{
    return false;
}

HRESULT TNulWBContainer::FilterDataObject(QObject* /*object*/, QObject*& filtered)
{
    filtered = nullptr;
    return S_FALSE;
}

HRESULT TNulWBContainer::GetOptionKeyPath(QString& keyPath)
{
    keyPath.clear();
    return E_FAIL;
}

HRESULT TNulWBContainer::GetDropTarget(QObject* /*dropTarget*/, QObject*& replacement)
{
    replacement = nullptr;
    return E_FAIL;
}

HRESULT TNulWBContainer::GetExternal(QObject*& external)
{
    external = nullptr;
    return E_FAIL;
}

HRESULT TNulWBContainer::TranslateUrl(const QString& /*url*/, QString& translated)
{
    translated.clear();
    return E_FAIL;
}

HRESULT TNulWBContainer::GetContainer(QObject*& container)
{
    container = nullptr;
    return E_NOINTERFACE;
}

} // namespace velta::viewer
