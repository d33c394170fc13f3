#pragma once
// Helpers of the browser tests: HTML files in the test's folder, waiting for
// a document to complete, keys pressed the way the window system delivers
// them (shortcut override and window shortcuts first), an active window, and
// a host that records what the browser asks.
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/browser/BrowserView.h"

#include <QByteArray>
#include <QKeyEvent>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace velta::test {

class TestEnv;

// Writes the bytes as a file in the test's folder and returns its native path.
QString writeBrowserFile(const TestEnv& env, const QString& name, const QByteArray& bytes);
// An HTML page (UTF-8) with the given body.
QByteArray browserPage(const QString& body);

// Runs the event loop until done() holds; false when it never does within a
// generous number of rounds.
bool runEventsUntil(const std::function<bool()>& done);
// Navigates and waits for the document's completion.
void loadDocument(viewer::BrowserView& browser, const QString& fileName);

// Presses and releases the key on the widget as a real key press arrives:
// the ShortcutOverride goes first and window shortcuts may take the key, then
// the KeyPress (unless a shortcut took it), then the KeyRelease.
void pressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {});

// Shows the window and runs the event loop until it is the active window.
bool showActive(QWidget& window);

// Dialogs whose failures fail the running test.
std::unique_ptr<ScriptedDialogs> scriptedDialogs();

// A client site that records the browser's questions and answers as told.
class RecordingHost : public viewer::DocHostUIHandler {
public:
    bool hostInfo(viewer::DocHostUIInfo& info) override;
    bool showContextMenu(const QPoint& globalPos) override;
    bool translateAccelerator(const QKeyEvent& event) override;

    bool answerInfo = true;
    viewer::DocHostUIInfo info;
    bool answerMenu = false;
    int takeKey = 0; // the key answered as handled; 0: none
    int hostInfoCalls = 0;
    std::vector<QPoint> menuRequests;
    std::vector<std::pair<QEvent::Type, int>> keys;
};

} // namespace velta::test
