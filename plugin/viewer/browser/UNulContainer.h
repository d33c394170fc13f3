#pragma once
// TNulWBContainer: the neutral host of the embedded browser. It attaches
// itself as the browser's client site for its lifetime and answers every
// question of the browser so that the browser keeps its own behaviour: no
// settings of its own, no context menu, no keys. The host interfaces'
// remaining calls are plain methods with the neutral result codes, so the
// report viewer shows no menus, toolbars or external objects of the browser.
#include "plugin/viewer/browser/BrowserView.h"

#include <QPointer>
#include <cstdint>

class QObject;

namespace velta::viewer {

// Result codes of the browser host calls.
using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

class TNulWBContainer : public DocHostUIHandler {
public:
    // Raises EAssertionFailed when no browser is given.
    explicit TNulWBContainer(BrowserView* browser);
    // Detaches from the browser (when it still exists and still uses this host).
    ~TNulWBContainer() override;
    TNulWBContainer(const TNulWBContainer&) = delete;
    TNulWBContainer& operator=(const TNulWBContainer&) = delete;

    // The browser served; null once it has been destroyed.
    BrowserView* HostedBrowser() const { return browser_; }

    // DocHostUIHandler: no settings (only the theme flag), no menu, no keys.
    bool hostInfo(DocHostUIInfo& info) override;
    bool showContextMenu(const QPoint& globalPos) override;
    bool translateAccelerator(const QKeyEvent& event) override;

    // The viewer owns the host: reference counting is not used.
    virtual long AddRef() { return -1; }
    virtual long Release() { return -1; }

    // Document host calls.
    virtual HRESULT ShowUI() { return S_OK; }
    virtual HRESULT HideUI() { return S_OK; }
    virtual HRESULT UpdateUI() { return S_OK; }
    virtual HRESULT EnableModeless(bool /*enable*/) { return S_OK; }
    virtual HRESULT OnDocWindowActivate(bool /*activate*/) { return S_OK; }
    virtual HRESULT OnFrameWindowActivate(bool /*activate*/) { return S_OK; }
    virtual HRESULT ResizeBorder() { return S_FALSE; }
    virtual HRESULT FilterDataObject(QObject* object, QObject*& filtered);
    virtual HRESULT GetOptionKeyPath(QString& keyPath);
    virtual HRESULT GetDropTarget(QObject* dropTarget, QObject*& replacement);
    virtual HRESULT GetExternal(QObject*& external);
    virtual HRESULT TranslateUrl(const QString& url, QString& translated);

    // Client site calls.
    virtual HRESULT SaveObject() { return S_OK; }
    virtual HRESULT ShowObject() { return S_OK; }
    virtual HRESULT OnShowWindow(bool /*show*/) { return S_OK; }
    virtual HRESULT GetMoniker() { return E_NOTIMPL; }
    virtual HRESULT RequestNewObjectLayout() { return E_NOTIMPL; }
    virtual HRESULT GetContainer(QObject*& container);

private:
    QPointer<BrowserView> browser_;
};

} // namespace velta::viewer
