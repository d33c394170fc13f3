#pragma once
// TWBContainer: the browser host the report viewer attaches. Over the neutral
// host it adds how the document looks (scroll bars, border, text selection,
// a host style sheet), an optional custom context menu, and the keys the
// viewer takes from the browser: Ctrl+O, Ctrl+L, Ctrl+S, Ctrl+N, Ctrl+F and
// Ctrl+P never reach the browser and run their handler, and Enter runs its
// handler when one is set.
#include "plugin/viewer/browser/UNulContainer.h"

#include <QString>
#include <functional>

namespace velta::viewer {

// The Latin letter key (Qt::Key_A to Qt::Key_Z) a letter key stands for, by
// its place on the keyboard: with the Russian layout active Ctrl+F arrives as
// Ctrl+А. 0 for keys that are not letters of those places.
int LatinLetterKey(int key);

class TWBContainer : public TNulWBContainer {
public:
    using KeyHandler = std::function<void(TWBContainer&)>;

    explicit TWBContainer(BrowserView* browser);
    ~TWBContainer() override;

    // Options; the browser reads them when it loads the next document.
    bool UseCustomCtxMenu() const { return useCustomCtxMenu_; }
    void SetUseCustomCtxMenu(bool on) { useCustomCtxMenu_ = on; }
    bool ShowScrollBars() const { return showScrollBars_; }
    void SetShowScrollBars(bool on) { showScrollBars_ = on; }
    bool Show3DBorder() const { return show3DBorder_; }
    void SetShow3DBorder(bool on) { show3DBorder_ = on; }
    bool AllowTextSelection() const { return allowTextSelection_; }
    void SetAllowTextSelection(bool on) { allowTextSelection_ = on; }
    const QString& CSS() const { return css_; }
    void SetCSS(const QString& css) { css_ = css; }

    // Key handlers; an empty function removes one.
    void SetCtrlOHandler(KeyHandler handler) { ctrlO_ = std::move(handler); }
    void SetCtrlSHandler(KeyHandler handler) { ctrlS_ = std::move(handler); }
    void SetCtrlNHandler(KeyHandler handler) { ctrlN_ = std::move(handler); }
    void SetEnterHandler(KeyHandler handler) { enter_ = std::move(handler); }
    void SetCtrlFHandler(KeyHandler handler) { ctrlF_ = std::move(handler); }
    void SetCtrlPHandler(KeyHandler handler) { ctrlP_ = std::move(handler); }

    bool hostInfo(DocHostUIInfo& info) override;
    // With the custom menu on, pops up the browser's own popup menu (if it has one).
    bool showContextMenu(const QPoint& globalPos) override;
    // Key-down is a ShortcutOverride or KeyPress message, key-up a KeyRelease.
    // Handlers run on key-down only, so once per press; every message of a
    // taken key answers handled. A handler's error is shown and swallowed.
    bool translateAccelerator(const QKeyEvent& event) override;

private:
    void runHandler(const KeyHandler& handler);

    bool useCustomCtxMenu_ = false;
    bool showScrollBars_ = true;
    bool show3DBorder_ = true;
    bool allowTextSelection_ = true;
    QString css_;
    KeyHandler ctrlO_;
    KeyHandler ctrlS_;
    KeyHandler ctrlN_;
    KeyHandler enter_;
    KeyHandler ctrlF_;
    KeyHandler ctrlP_;
};

} // namespace velta::viewer
