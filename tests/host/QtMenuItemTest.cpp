// The menu item adapter over Qt menus and actions, as the plug-in drives it,
// and the host's registry of item states.
#include "common/Exception.h"
#include "host/MenuStateRegistry.h"
#include "host/QtMenuItem.h"
#include "host/ShortCutKeys.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace velta::host {
namespace {

using plugin::MenuItem;

class MenuAdapter : public ::testing::Test {
protected:
    QMainWindow window;
    QStringList errors;
    std::unique_ptr<QtMenuItem> root =
        QtMenuItem::makeRoot(window.menuBar(), &window, [this](const QString& m) { errors << m; });

    QStringList captions(const QtMenuItem& item) const
    {
        QStringList out;
        for (int i = 0; i < item.count(); ++i)
            out << item.item(i)->caption();
        return out;
    }
    static QStringList actionTexts(const QWidget* widget)
    {
        QStringList out;
        for (const QAction* a : widget->actions())
            out << a->text();
        return out;
    }
};

TEST_F(MenuAdapter, ChildrenLandWhereAskedInModelAndWidgets)
{
    QtMenuItem* journals = root->insertChild(-1, QStringLiteral("&Журналы"));
    journals->insertChild(-1, QStringLiteral("Хост 1"));
    journals->insertChild(-1, QStringLiteral("Хост 2"));
    // The plug-in adds its items from the bottom up at index 0, above the host's.
    journals->insertChild(0, QStringLiteral("Второй"));
    journals->insertChild(0, QStringLiteral("Первый"));
    journals->insertChild(99, QStringLiteral("В конец"));
    journals->insertChild(-5, QStringLiteral("Тоже в конец"));
    const QStringList expected{QStringLiteral("Первый"), QStringLiteral("Второй"), QStringLiteral("Хост 1"),
                               QStringLiteral("Хост 2"), QStringLiteral("В конец"), QStringLiteral("Тоже в конец")};
    EXPECT_EQ(captions(*journals), expected);
    ASSERT_NE(journals->menu(), nullptr);
    EXPECT_EQ(actionTexts(journals->menu()), expected);
    EXPECT_EQ(journals->item(2)->parent(), journals);
    EXPECT_EQ(actionTexts(window.menuBar()), QStringList{QStringLiteral("&Журналы")});
}

TEST_F(MenuAdapter, LeafBecomesSubmenuInPlaceKeepingItsState)
{
    root->insertChild(-1, QStringLiteral("&Файл"));
    QtMenuItem* middle = root->insertChild(-1, QStringLiteral("Пункт"));
    root->insertChild(-1, QStringLiteral("&Справка"));
    middle->setEnabled(false);
    middle->setName(QStringLiteral("SecretItem00"));
    middle->setHint(QStringLiteral("подсказка"));
    EXPECT_EQ(middle->menu(), nullptr);
    middle->insertChild(-1, QStringLiteral("Дочерний"));
    ASSERT_NE(middle->menu(), nullptr);
    EXPECT_EQ(middle->action(), middle->menu()->menuAction());
    EXPECT_EQ(actionTexts(window.menuBar()),
              (QStringList{QStringLiteral("&Файл"), QStringLiteral("Пункт"), QStringLiteral("&Справка")}));
    EXPECT_FALSE(middle->action()->isEnabled());
    EXPECT_EQ(middle->action()->objectName(), QStringLiteral("SecretItem00"));
    EXPECT_EQ(middle->action()->statusTip(), QStringLiteral("подсказка"));
}

TEST_F(MenuAdapter, PropertiesReachTheAction)
{
    QtMenuItem* menu = root->insertChild(-1, QStringLiteral("&Журналы"));
    QtMenuItem* item = menu->insertChild(-1);
    item->setCaption(QStringLiteral("Сменный отчет"));
    item->setShortCut(plugin::shortCut(plugin::vkF1 + 4, plugin::scCtrl));
    item->setHelpContext(60);
    EXPECT_EQ(item->shortCut(), 16500);
    EXPECT_EQ(item->helpContext(), 60);
    EXPECT_EQ(item->action()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F5));
    item->setVisible(false);
    EXPECT_FALSE(item->action()->isVisible());
    EXPECT_FALSE(item->visible());
    QtMenuItem* separator = menu->insertChild(-1, QStringLiteral("-"));
    EXPECT_TRUE(separator->action()->isSeparator());
    separator->setCaption(QStringLiteral("Текст"));
    EXPECT_FALSE(separator->action()->isSeparator());
}

TEST_F(MenuAdapter, ShortcutValuesMapToQtKeys)
{
    EXPECT_EQ(keySequenceFor(16499), QKeySequence(Qt::CTRL | Qt::Key_F4));
    EXPECT_EQ(keySequenceFor(plugin::shortCut('Q', plugin::scAlt)), QKeySequence(Qt::ALT | Qt::Key_Q));
    EXPECT_EQ(keySequenceFor(plugin::shortCut('7', plugin::scAlt)), QKeySequence(Qt::ALT | Qt::Key_7));
    // Alt + numeric keypad digit: virtual key = digit character + 48.
    EXPECT_EQ(keySequenceFor(plugin::shortCut('3' + 48, plugin::scAlt)),
              QKeySequence(QKeyCombination(Qt::AltModifier | Qt::KeypadModifier, Qt::Key_3)));
    EXPECT_EQ(keySequenceFor(plugin::shortCut(0x87, plugin::scShift)), QKeySequence(Qt::SHIFT | Qt::Key_F24));
    EXPECT_TRUE(keySequenceFor(0).isEmpty());
    EXPECT_TRUE(keySequenceFor(plugin::shortCut(0xFF, plugin::scCtrl)).isEmpty());
}

TEST_F(MenuAdapter, HiddenItemsKeepTheirShortcutsOnTheWindow)
{
    QtMenuItem* secret = root->insertChild(-1, QStringLiteral("История продаж"));
    secret->setVisible(false);
    QtMenuItem* pump = secret->insertChild(-1, QStringLiteral("ТРК #1"));
    int clicks = 0;
    pump->setOnClick([&](MenuItem& sender) {
        EXPECT_EQ(&sender, pump);
        ++clicks;
    });
    pump->setShortCut(plugin::shortCut('1', plugin::scAlt));
    ASSERT_NE(pump->shortcutAction(), nullptr) << "the parent is hidden, so the window carries the shortcut";
    EXPECT_TRUE(window.actions().contains(pump->shortcutAction()));
    EXPECT_TRUE(pump->action()->shortcut().isEmpty()) << "one key must not be bound twice";
    pump->shortcutAction()->trigger();
    EXPECT_EQ(clicks, 1);
    pump->setEnabled(false);
    pump->shortcutAction()->trigger();
    EXPECT_EQ(clicks, 1);
    // Shown again, the menu action takes the key back.
    secret->setVisible(true);
    EXPECT_EQ(pump->shortcutAction(), nullptr);
    EXPECT_EQ(pump->action()->shortcut(), QKeySequence(Qt::ALT | Qt::Key_1));
}

TEST_F(MenuAdapter, ClickRunsTheHandlerOnlyWhenEnabled)
{
    QtMenuItem* item = root->insertChild(-1, QStringLiteral("Пункт"));
    EXPECT_FALSE(item->hasOnClick());
    item->click(); // no handler: nothing happens
    int clicks = 0;
    item->setOnClick([&](MenuItem&) { ++clicks; });
    EXPECT_TRUE(item->hasOnClick());
    item->action()->trigger();
    item->click();
    EXPECT_EQ(clicks, 2);
    item->setEnabled(false);
    item->click();
    EXPECT_EQ(clicks, 2);
    item->setEnabled(true);
    root->clearHandlers();
    item->click();
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(MenuAdapter, ErrorLeavingAHandlerGoesToTheHostsMessage)
{
    QtMenuItem* item = root->insertChild(-1, QStringLiteral("Пункт"));
    item->setOnClick([](MenuItem&) { throw EDatabaseError(QStringLiteral("Нет связи с сервером")); });
    item->click();
    QtMenuItem* other = root->insertChild(-1, QStringLiteral("Другой"));
    other->setOnClick([](MenuItem&) { throw std::runtime_error("plain failure"); });
    other->action()->trigger();
    EXPECT_EQ(errors, (QStringList{QStringLiteral("Нет связи с сервером"), QStringLiteral("plain failure")}));
}

TEST_F(MenuAdapter, BadIndexRaisesTheFrameworksError)
{
    root->insertChild(-1, QStringLiteral("&Файл"));
    EXPECT_NE(root->item(0), nullptr);
    EXPECT_THROW(root->item(1), Exception);
    EXPECT_THROW(root->item(-1), Exception);
    EXPECT_EQ(root->childByCaption(QStringLiteral("&Нет")), nullptr);
    EXPECT_EQ(root->parent(), nullptr);
}

TEST_F(MenuAdapter, RegisteredItemsFollowTheHostMode)
{
    MenuStateRegistry registry(1);
    QtMenuItem* all = root->insertChild(-1, QStringLiteral("Во всех режимах"));
    QtMenuItem* none = root->insertChild(-1, QStringLiteral("Никогда"));
    QtMenuItem* settingsOnly = root->insertChild(-1, QStringLiteral("Только в режиме 1"));
    registry.registerItem(all, 0x1E, 0x1E);
    registry.registerItem(none, 0, 0);
    registry.registerItem(settingsOnly, 0x02, 0x02);
    registry.registerItem(nullptr, 0x1E, 0x1E);
    EXPECT_EQ(registry.count(), 3);
    EXPECT_TRUE(all->enabled() && all->visible());
    EXPECT_FALSE(none->enabled() || none->visible());
    EXPECT_FALSE(none->action()->isVisible());
    EXPECT_TRUE(settingsOnly->enabled() && settingsOnly->visible());

    registry.setMode(3);
    EXPECT_TRUE(all->enabled() && all->visible());
    EXPECT_FALSE(settingsOnly->enabled() || settingsOnly->visible());
    registry.setMode(0); // bit 0 is in none of the plug-in's sets
    EXPECT_FALSE(all->enabled());

    // Enabled and visible follow their own sets; a new registration replaces the old.
    registry.setMode(1);
    registry.registerItem(none, 0x02, 0);
    EXPECT_TRUE(none->enabled());
    EXPECT_FALSE(none->visible());
    EXPECT_EQ(registry.setsOf(none).enabledIn, 0x02);
    EXPECT_EQ(registry.count(), 3);
}

} // namespace
} // namespace velta::host
