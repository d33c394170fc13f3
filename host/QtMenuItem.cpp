#include "host/QtMenuItem.h"

#include "common/Exception.h"
#include "host/ShortCutKeys.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace velta::host {
namespace {

// A copy in the host's own memory: a text made by the plug-in may point into the
// plug-in's image (a literal), which is gone once the library is unloaded.
QString ownCopy(const QString& text)
{
    return text.isEmpty() ? QString() : QString(text.constData(), text.size());
}

} // namespace

std::unique_ptr<QtMenuItem> QtMenuItem::makeRoot(QMenuBar* bar, QWidget* shortcutHost, ErrorReporter reporter)
{
    auto shared = std::make_shared<Shared>();
    shared->bar = bar;
    shared->shortcutHost = shortcutHost;
    shared->reporter = std::move(reporter);
    return std::unique_ptr<QtMenuItem>(new QtMenuItem(nullptr, std::move(shared)));
}

QtMenuItem::QtMenuItem(QtMenuItem* parent, std::shared_ptr<Shared> shared)
    : shared_(std::move(shared)), parent_(parent)
{
    if (parent_) {
        action_ = new QAction();
        QObject::connect(action_, &QAction::triggered, [this] { click(); });
    }
}

QtMenuItem::~QtMenuItem()
{
    children_.clear();
    delete shadow_;
    if (!menu_)
        delete action_; // a submenu's action goes with its menu
    menu_.reset();
}

QWidget* QtMenuItem::childContainer() const
{
    if (!parent_)
        return shared_->bar.data();
    return menu_.get();
}

QtMenuItem* QtMenuItem::insertChild(int index, const QString& caption)
{
    if (parent_ && !menu_)
        makeSubmenu();
    if (index < 0 || index > count())
        index = count();
    auto child = std::unique_ptr<QtMenuItem>(new QtMenuItem(this, shared_));
    QtMenuItem* raw = child.get();
    raw->caption_ = ownCopy(caption);
    QWidget* container = childContainer();
    QAction* before = index < count() ? children_[static_cast<size_t>(index)]->action_ : nullptr;
    children_.insert(children_.begin() + index, std::move(child));
    if (container)
        container->insertAction(before, raw->action_);
    raw->apply();
    return raw;
}

void QtMenuItem::makeSubmenu()
{
    menu_ = std::make_unique<QMenu>();
    QAction* old = action_;
    action_ = menu_->menuAction();
    if (QWidget* container = parent_->childContainer()) {
        container->insertAction(old, action_);
        container->removeAction(old);
    }
    delete old;
    apply();
}

QtMenuItem* QtMenuItem::childByCaption(const QString& caption) const
{
    for (const auto& child : children_)
        if (child->caption_ == caption)
            return child.get();
    return nullptr;
}

void QtMenuItem::clearHandlers()
{
    onClick_ = nullptr;
    for (const auto& child : children_)
        child->clearHandlers();
}

void QtMenuItem::setCaption(const QString& caption)
{
    caption_ = ownCopy(caption);
    apply();
}

void QtMenuItem::setHint(const QString& hint)
{
    hint_ = ownCopy(hint);
    apply();
}

void QtMenuItem::setShortCut(plugin::TShortCut shortCut)
{
    shortCut_ = shortCut;
    apply();
}

void QtMenuItem::setName(const QString& name)
{
    name_ = ownCopy(name);
    apply();
}

void QtMenuItem::setEnabled(bool enabled)
{
    enabled_ = enabled;
    apply();
}

void QtMenuItem::setVisible(bool visible)
{
    visible_ = visible;
    applyTree(); // the shortcuts below move between the menu and the window
}

void QtMenuItem::click()
{
    if (!enabled_ || !onClick_)
        return;
    // Keep the handler alive even if it replaces itself while running.
    const ClickHandler handler = onClick_;
    try {
        handler(*this);
    } catch (const Exception& e) {
        if (shared_->reporter)
            shared_->reporter(e.message());
    } catch (const std::exception& e) {
        if (shared_->reporter)
            shared_->reporter(QString::fromUtf8(e.what()));
    }
}

plugin::MenuItem* QtMenuItem::item(int index) const
{
    if (index < 0 || index >= count())
        throw Exception(QStringLiteral("Menu index out of range"));
    return children_[static_cast<size_t>(index)].get();
}

bool QtMenuItem::shownWithAncestors() const
{
    for (const QtMenuItem* i = this; i && i->parent_; i = i->parent_)
        if (!i->visible_)
            return false;
    return true;
}

void QtMenuItem::apply()
{
    if (!action_)
        return;
    // A caption of "-" makes a separator line, as in the framework's menus.
    const bool separator = caption_ == QLatin1String("-");
    action_->setSeparator(separator);
    action_->setText(separator ? QString() : caption_);
    action_->setStatusTip(hint_);
    action_->setToolTip(hint_);
    action_->setObjectName(name_);
    action_->setEnabled(enabled_);
    action_->setVisible(visible_);
    if (menu_) {
        menu_->setTitle(caption_);
        menu_->setObjectName(name_);
    }
    const QKeySequence keys = keySequenceFor(shortCut_);
    const bool shown = shownWithAncestors();
    action_->setShortcut(shown ? keys : QKeySequence());
    // An item that is not shown keeps its shortcut through a hidden window action.
    const bool needsShadow = !shown && !keys.isEmpty() && shared_->shortcutHost;
    if (needsShadow && !shadow_) {
        shadow_ = new QAction();
        shadow_->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(shadow_, &QAction::triggered, [this] { click(); });
        shared_->shortcutHost->addAction(shadow_);
    }
    if (!needsShadow && shadow_) {
        delete shadow_;
        shadow_ = nullptr;
    }
    if (shadow_) {
        shadow_->setShortcut(keys);
        shadow_->setEnabled(enabled_);
        shadow_->setObjectName(name_);
    }
}

void QtMenuItem::applyTree()
{
    apply();
    for (const auto& child : children_)
        child->applyTree();
}

} // namespace velta::host
