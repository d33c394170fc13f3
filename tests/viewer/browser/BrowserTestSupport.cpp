#include "tests/viewer/browser/BrowserTestSupport.h"

#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

namespace velta::test {

namespace {
constexpr int kEventRounds = 2000;
}

QString writeBrowserFile(const TestEnv& env, const QString& name, const QByteArray& bytes)
{
    const QString path = env.path(name);
    writeFileBytes(path, bytes);
    return path;
}

QByteArray browserPage(const QString& body)
{
    return (QStringLiteral("<html><head><title>Отчет</title></head><body>") + body
            + QStringLiteral("</body></html>"))
        .toUtf8();
}

bool runEventsUntil(const std::function<bool()>& done)
{
    for (int round = 0; round < kEventRounds && !done(); ++round)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return done();
}

void loadDocument(viewer::BrowserView& browser, const QString& fileName)
{
    int completions = 0;
    const auto connection =
        QObject::connect(&browser, &viewer::BrowserView::documentComplete, [&completions] { ++completions; });
    browser.navigate(fileName);
    EXPECT_TRUE(runEventsUntil([&completions] { return completions > 0; })) << "the document never completed";
    QObject::disconnect(connection);
}

void pressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    // QApplication hands a key press sent by a program to the shortcut map
    // first, with its ShortcutOverride, just as one from the window system.
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return runEventsUntil([&window] { return QApplication::activeWindow() == &window; });
}

std::unique_ptr<ScriptedDialogs> scriptedDialogs()
{
    return std::make_unique<ScriptedDialogs>([](const QString& message) { ADD_FAILURE() << message.toStdString(); });
}

bool RecordingHost::hostInfo(viewer::DocHostUIInfo& out)
{
    ++hostInfoCalls;
    out = info;
    return answerInfo;
}

bool RecordingHost::showContextMenu(const QPoint& globalPos)
{
    menuRequests.push_back(globalPos);
    return answerMenu;
}

bool RecordingHost::translateAccelerator(const QKeyEvent& event)
{
    keys.emplace_back(event.type(), event.key());
    return takeKey != 0 && event.key() == takeKey;
}

} // namespace velta::test
