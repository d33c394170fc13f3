// The browser hosts: the neutral one's answers and its attachment to the
// browser, the viewer's host settings, context menu and keys, pressed the way
// the window system delivers them to a window with shortcuts of its own.
#include "common/Exception.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/browser/UContainer.h"
#include "plugin/viewer/browser/UNulContainer.h"
#include "tests/support/TestEnv.h"
#include "tests/viewer/browser/BrowserTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace velta::viewer {
namespace {

using test::pressKey;
using test::runEventsUntil;

TEST(BrowserNullHost, AttachesToItsBrowserForItsLifetime)
{
    EXPECT_THROW(TNulWBContainer(nullptr), EAssertionFailed);

    BrowserView browser;
    {
        TNulWBContainer host(&browser);
        EXPECT_EQ(browser.clientSite(), &host);
        EXPECT_EQ(host.HostedBrowser(), &browser);
    }
    EXPECT_EQ(browser.clientSite(), nullptr);

    // A host replaced by another leaves the newer one in place.
    auto first = std::make_unique<TNulWBContainer>(&browser);
    TNulWBContainer second(&browser);
    first.reset();
    EXPECT_EQ(browser.clientSite(), &second);

    // A host outliving its browser.
    auto orphan = std::make_unique<TNulWBContainer>(new BrowserView);
    delete orphan->HostedBrowser();
    EXPECT_EQ(orphan->HostedBrowser(), nullptr);
    orphan.reset();
}

TEST(BrowserNullHost, AnswersEveryQuestionNeutrally)
{
    BrowserView browser;
    TNulWBContainer host(&browser);
    DocHostUIInfo info;
    info.flags = DocHostUIInfo::kDialog;
    info.hostCss = QStringLiteral("p {}");
    EXPECT_TRUE(host.hostInfo(info));
    EXPECT_EQ(info.flags, DocHostUIInfo::kTheme);
    EXPECT_TRUE(info.hostCss.isEmpty());
    EXPECT_FALSE(host.showContextMenu(QPoint(1, 1)));
    QKeyEvent ctrlF(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(host.translateAccelerator(ctrlF));

    EXPECT_EQ(host.AddRef(), -1);
    EXPECT_EQ(host.Release(), -1);
    for (HRESULT ok : {host.ShowUI(), host.HideUI(), host.UpdateUI(), host.EnableModeless(true),
                       host.OnDocWindowActivate(true), host.OnFrameWindowActivate(false), host.SaveObject(),
                       host.ShowObject(), host.OnShowWindow(true)})
        EXPECT_EQ(ok, S_OK);
    EXPECT_EQ(host.ResizeBorder(), S_FALSE);
    QObject something;
    QObject* out = &something;
    EXPECT_EQ(host.FilterDataObject(&something, out), S_FALSE);
    EXPECT_EQ(out, nullptr);
    out = &something;
    EXPECT_EQ(host.GetDropTarget(&something, out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    out = &something;
    EXPECT_EQ(host.GetExternal(out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    QString text = QStringLiteral("x");
    EXPECT_EQ(host.GetOptionKeyPath(text), E_FAIL);
    EXPECT_TRUE(text.isEmpty());
    text = QStringLiteral("x");
    EXPECT_EQ(host.TranslateUrl(QStringLiteral("file:///a.html"), text), E_FAIL);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(host.GetMoniker(), E_NOTIMPL);
    EXPECT_EQ(host.RequestNewObjectLayout(), E_NOTIMPL);
    out = &something;
    EXPECT_EQ(host.GetContainer(out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(static_cast<quint32>(E_NOTIMPL), 0x80004001u);
    EXPECT_EQ(static_cast<quint32>(E_NOINTERFACE), 0x80004002u);
    EXPECT_EQ(static_cast<quint32>(E_FAIL), 0x80004005u);
}

TEST(BrowserHostSettings, EachOptionGivesItsFlag)
{
    BrowserView browser;
    TWBContainer host(&browser);
    EXPECT_FALSE(host.UseCustomCtxMenu());
    EXPECT_TRUE(host.ShowScrollBars());
    EXPECT_TRUE(host.Show3DBorder());
    EXPECT_TRUE(host.AllowTextSelection());
    EXPECT_TRUE(host.CSS().isEmpty());

    auto flags = [&host] {
        DocHostUIInfo info;
        EXPECT_TRUE(host.hostInfo(info));
        return info.flags;
    };
    EXPECT_EQ(flags(), DocHostUIInfo::kTheme);
    host.SetShowScrollBars(false);
    EXPECT_EQ(flags(), DocHostUIInfo::kTheme | DocHostUIInfo::kScrollNo);
    host.SetShowScrollBars(true);
    host.SetShow3DBorder(false);
    EXPECT_EQ(flags(), DocHostUIInfo::kTheme | DocHostUIInfo::kNo3DBorder);
    host.SetShow3DBorder(true);
    host.SetAllowTextSelection(false);
    EXPECT_EQ(flags(), DocHostUIInfo::kTheme | DocHostUIInfo::kDialog);
    host.SetShowScrollBars(false);
    host.SetShow3DBorder(false);
    EXPECT_EQ(flags(), DocHostUIInfo::kTheme | DocHostUIInfo::kDialog | DocHostUIInfo::kScrollNo
                           | DocHostUIInfo::kNo3DBorder);

    host.SetCSS(QStringLiteral("body { margin: 0 }"));
    DocHostUIInfo info;
    host.hostInfo(info);
    EXPECT_EQ(info.hostCss, QStringLiteral("body { margin: 0 }"));
}

// A window with shortcuts of its own around a browser with the viewer's host.
class BrowserHostKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        browser = new BrowserView(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(browser);
        host = std::make_unique<TWBContainer>(browser);
        for (const char* key : {"Ctrl+F", "Ctrl+N", "Ctrl+O", "Ctrl+L", "Ctrl+G", "Return"}) {
            auto* action = new QAction(&window);
            action->setShortcut(QKeySequence(QString::fromLatin1(key)));
            QObject::connect(action, &QAction::triggered, [this, key] { fired.push_back(key); });
            window.addAction(action);
        }
        test::writeFileBytes(env.path(QStringLiteral("keys.html")),
                             test::browserPage(QStringLiteral("<p>Ключи</p>")));
        test::loadDocument(*browser, env.path(QStringLiteral("keys.html")));
        window.resize(400, 300);
        ASSERT_TRUE(test::showActive(window));
        view()->setFocus();
        ASSERT_TRUE(runEventsUntil([this] { return QApplication::focusWidget() == view(); }));
    }

    QTextBrowser* view() const { return browser->documentView(); }

    test::TestEnv env;
    QWidget window;
    BrowserView* browser = nullptr;
    std::unique_ptr<TWBContainer> host;
    std::vector<std::string> fired;
    std::unique_ptr<ScriptedDialogs> dialogs = test::scriptedDialogs();
    CurrentDialogsScope scope{*dialogs};
};

TEST_F(BrowserHostKeys, WindowShortcutsWorkOnKeysTheHostLeaves)
{
    pressKey(view(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(fired, std::vector<std::string>{"Ctrl+G"});

    host.reset(); // without a host the browser takes no keys at all
    fired.clear();
    pressKey(view(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(fired, std::vector<std::string>{"Ctrl+F"});
}

TEST_F(BrowserHostKeys, CtrlFRunsTheHandlerOncePerPressAndNotTheWindowShortcut)
{
    int finds = 0;
    host->SetCtrlFHandler([&](TWBContainer& sender) {
        EXPECT_EQ(&sender, host.get());
        ++finds;
    });
    pressKey(view(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(finds, 1);
    pressKey(view(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(finds, 2);
    EXPECT_TRUE(fired.empty());

    // The Russian layout gives the same key as Ctrl+А.
    pressKey(view(), 0x0410, Qt::ControlModifier);
    EXPECT_EQ(finds, 3);

}

TEST(BrowserHostLetters, RussianLettersAreTakenByTheirPlaceOnTheKeyboard)
{
    EXPECT_EQ(LatinLetterKey(Qt::Key_E), Qt::Key_E);
    EXPECT_EQ(LatinLetterKey(0x0423), Qt::Key_E); // У
    EXPECT_EQ(LatinLetterKey(0x0443), Qt::Key_E); // у
    EXPECT_EQ(LatinLetterKey(0x0419), Qt::Key_Q); // Й
    EXPECT_EQ(LatinLetterKey(0x042C), Qt::Key_M); // Ь
    // Letters on punctuation keys, digits and keys past the letters are no Latin letter.
    for (int key : {0x0425, 0x042A, 0x0416, 0x042D, 0x0411, 0x042E, 0x0401, int(Qt::Key_5), int(Qt::Key_F5), 0})
        EXPECT_EQ(LatinLetterKey(key), 0) << std::hex << key;
    // Each Latin letter has exactly one Russian letter on its key.
    std::map<int, int> places;
    for (int key = 0x0410; key <= 0x042F; ++key)
        if (const int latin = LatinLetterKey(key))
            ++places[latin];
    EXPECT_EQ(places.size(), 26u);
    for (const auto& [latin, count] : places)
        EXPECT_EQ(count, 1) << char(latin);
}

TEST_F(BrowserHostKeys, TakenLettersWithoutHandlersDoNothing)
{
    const QString before = browser->documentText();
    for (int key : {Qt::Key_N, Qt::Key_O, Qt::Key_L, Qt::Key_S, Qt::Key_P, Qt::Key_F})
        pressKey(view(), key, Qt::ControlModifier);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(browser->documentText(), before);
    EXPECT_TRUE(dialogs->calls().empty());
}

TEST_F(BrowserHostKeys, OtherCtrlKeysReachTheBrowser)
{
    EXPECT_FALSE(browser->hasSelection());
    pressKey(view(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(browser->hasSelection());
}

TEST_F(BrowserHostKeys, EachLetterRunsItsOwnHandler)
{
    std::string ran;
    host->SetCtrlOHandler([&](TWBContainer&) { ran += 'O'; });
    host->SetCtrlSHandler([&](TWBContainer&) { ran += 'S'; });
    host->SetCtrlNHandler([&](TWBContainer&) { ran += 'N'; });
    host->SetCtrlPHandler([&](TWBContainer&) { ran += 'P'; });
    host->SetCtrlFHandler([&](TWBContainer&) { ran += 'F'; });
    for (int key : {Qt::Key_P, Qt::Key_O, Qt::Key_L, Qt::Key_S, Qt::Key_N, Qt::Key_F})
        pressKey(view(), key, Qt::ControlModifier);
    EXPECT_EQ(ran, "POSNF");
    EXPECT_TRUE(fired.empty());
}

TEST_F(BrowserHostKeys, AHandlerErrorIsShownAndTheKeyStaysTaken)
{
    host->SetCtrlPHandler([](TWBContainer&) { throw EPrinter(QStringLiteral("Принтер не готов")); });
    dialogs->expectShowMessage(QStringLiteral("Ошибка при выполнении операции:\r\nПринтер не готов"));
    pressKey(view(), Qt::Key_P, Qt::ControlModifier);
    dialogs->verify();
    EXPECT_TRUE(fired.empty());
}

TEST_F(BrowserHostKeys, EnterRunsItsHandlerOncePerPress)
{
    pressKey(view(), Qt::Key_Return);
    EXPECT_EQ(fired, std::vector<std::string>{"Return"}) << "without a handler Enter is not taken";
    fired.clear();

    int enters = 0;
    host->SetEnterHandler([&](TWBContainer&) { ++enters; });
    pressKey(view(), Qt::Key_Return);
    pressKey(view(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(enters, 2);
    EXPECT_TRUE(fired.empty());

    pressKey(view(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(enters, 2) << "Ctrl+Enter is not Enter";
}

TEST(BrowserHostMessages, KeyUpIsTakenButRunsNothing)
{
    BrowserView browser;
    TWBContainer host(&browser);
    int finds = 0;
    int enters = 0;
    host.SetCtrlFHandler([&](TWBContainer&) { ++finds; });
    host.SetEnterHandler([&](TWBContainer&) { ++enters; });

    QKeyEvent overrideF(QEvent::ShortcutOverride, Qt::Key_F, Qt::ControlModifier);
    QKeyEvent releaseF(QEvent::KeyRelease, Qt::Key_F, Qt::ControlModifier);
    QKeyEvent releaseEnter(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent ctrlQ(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
    QKeyEvent plainF(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier);
    EXPECT_TRUE(host.translateAccelerator(overrideF));
    EXPECT_TRUE(host.translateAccelerator(releaseF));
    EXPECT_TRUE(host.translateAccelerator(releaseEnter));
    EXPECT_FALSE(host.translateAccelerator(ctrlQ));
    EXPECT_FALSE(host.translateAccelerator(plainF));
    EXPECT_EQ(finds, 1);
    EXPECT_EQ(enters, 0);
}

TEST_F(BrowserHostKeys, RightClickShowsTheStandardMenuUnlessTheCustomOneIsOn)
{
    QWidget* viewport = view()->viewport();
    const QPoint at(5, 5);
    auto rightClick = [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
    };
    rightClick();
    ASSERT_NE(browser->lastContextMenu(), nullptr);
    EXPECT_TRUE(browser->lastContextMenu()->isVisible());
    browser->lastContextMenu()->close();
    runEventsUntil([&] { return browser->lastContextMenu() == nullptr; });

    QMenu own;
    own.addAction(QStringLiteral("Копировать"));
    browser->setPopupMenu(&own);
    host->SetUseCustomCtxMenu(true);
    rightClick();
    EXPECT_TRUE(own.isVisible());
    EXPECT_EQ(browser->lastContextMenu(), nullptr);
    own.close();

    browser->setPopupMenu(nullptr);
    rightClick(); // the custom menu is on but there is none: nothing shows
    EXPECT_EQ(browser->lastContextMenu(), nullptr);
}

} // namespace
} // namespace velta::viewer
