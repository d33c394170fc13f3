#pragma once
// The host's menu item: the plug-in's MenuItem over Qt's menu bar, menus and
// actions. The root stands for the menu bar; an item becomes a submenu when it
// gets its first child. Shortcuts of invisible items keep working (as the
// framework's do) through a hidden action on the window.
#include "plugin/api/velta_plugin.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace velta::host {

class QtMenuItem final : public plugin::MenuItem {
public:
    // Shows the message of an error that left a click handler.
    using ErrorReporter = std::function<void(const QString& message)>;

    // The root item over a menu bar; shortcutHost receives the actions that
    // carry the shortcuts of invisible items (usually the main window).
    static std::unique_ptr<QtMenuItem> makeRoot(QMenuBar* bar, QWidget* shortcutHost, ErrorReporter reporter);
    ~QtMenuItem() override;

    // A new child at index (-1, another negative or past the end: appended).
    QtMenuItem* insertChild(int index, const QString& caption = {});
    // The first child whose caption equals the text (null when none).
    QtMenuItem* childByCaption(const QString& caption) const;
    // Drops every click handler below and at this item (before the code that
    // made them goes away).
    void clearHandlers();

    // The action shown for the item (null for the root) and its menu, if any.
    QAction* action() const { return action_; }
    QMenu* menu() const { return menu_.get(); }
    // The action that carries the shortcut while the item is not shown (or null).
    QAction* shortcutAction() const { return shadow_; }

    QString caption() const override { return caption_; }
    void setCaption(const QString& caption) override;
    QString hint() const override { return hint_; }
    void setHint(const QString& hint) override;
    int helpContext() const override { return helpContext_; }
    void setHelpContext(int context) override { helpContext_ = context; }
    plugin::TShortCut shortCut() const override { return shortCut_; }
    void setShortCut(plugin::TShortCut shortCut) override;
    QString name() const override { return name_; }
    void setName(const QString& name) override;
    bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override;
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override;

    void setOnClick(ClickHandler handler) override { onClick_ = std::move(handler); }
    bool hasOnClick() const override { return static_cast<bool>(onClick_); }
    // Runs the handler when the item is enabled; an error goes to the reporter.
    void click() override;

    int count() const override { return static_cast<int>(children_.size()); }
    // Raises "Menu index out of range" for a bad index, as the framework does.
    MenuItem* item(int index) const override;
    MenuItem* parent() const override { return parent_; }

private:
    struct Shared {
        QPointer<QMenuBar> bar;
        QPointer<QWidget> shortcutHost;
        ErrorReporter reporter;
    };

    QtMenuItem(QtMenuItem* parent, std::shared_ptr<Shared> shared);
    // The widget that shows this item's children.
    QWidget* childContainer() const;
    // Turns a leaf into a submenu, keeping its place among its siblings.
    void makeSubmenu();
    bool shownWithAncestors() const;
    void apply();
    void applyTree();

    std::shared_ptr<Shared> shared_;
    QtMenuItem* parent_ = nullptr;
    QAction* action_ = nullptr;
    QAction* shadow_ = nullptr;
    std::unique_ptr<QMenu> menu_;
    std::vector<std::unique_ptr<QtMenuItem>> children_;

    QString caption_;
    QString hint_;
    int helpContext_ = 0;
    plugin::TShortCut shortCut_ = 0;
    QString name_;
    bool enabled_ = true;
    bool visible_ = true;
    ClickHandler onClick_;
};

} // namespace velta::host
