#pragma once
// Doubles shared by the export tests: a browser over a QTextBrowser that can
// be told to fail, the search path with a stand-in soffice that records what
// it is given, and a bounded wait for a file another process writes.
#include "plugin/viewer/export/ReportExport.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTextBrowser>
#include <QTextCursor>
#include <QThread>
#include <functional>

namespace velta::test {

// The export's browser commands on a real text browser showing the HTML.
class TextBrowserDouble : public viewer::ExportBrowser {
public:
    explicit TextBrowserDouble(const QString& html = {}) { view.setHtml(html); }

    void selectAll() override
    {
        log << QStringLiteral("selectAll");
        if (failSelectAll)
            failSelectAll();
        view.selectAll();
    }
    void copy() override
    {
        log << QStringLiteral("copy");
        if (failCopy)
            failCopy();
        view.copy();
    }
    void clearSelection() override
    {
        log << QStringLiteral("clearSelection");
        if (failClear)
            failClear();
        QTextCursor cursor = view.textCursor();
        cursor.clearSelection();
        view.setTextCursor(cursor);
    }
    bool hasSelection() const { return view.textCursor().hasSelection(); }

    QTextBrowser view;
    QStringList log;
    std::function<void()> failSelectAll;
    std::function<void()> failCopy;
    std::function<void()> failClear;
};

// Sets PATH for the test and puts the old value back afterwards.
class SearchPathScope {
public:
    explicit SearchPathScope(const QString& path) : saved_(qgetenv("PATH")) { qputenv("PATH", QFile::encodeName(path)); }
    ~SearchPathScope() { qputenv("PATH", saved_); }
    SearchPathScope(const SearchPathScope&) = delete;
    SearchPathScope& operator=(const SearchPathScope&) = delete;

private:
    QByteArray saved_;
};

// A stand-in soffice in folder/bin: it writes its arguments, one a line, to
// folder/soffice-args.txt (complete once it appears) and copies the file it
// is given last to folder/soffice-received.html.
inline QString writeStandInOffice(const QString& folder)
{
    const QString bin = folder + QStringLiteral("/bin");
    QDir().mkpath(bin);
    const QString script = bin + QStringLiteral("/soffice");
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n"
               "out=\"$(dirname \"$0\")/..\"\n"
               "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out/soffice-args.part\"\n"
               "for last in \"$@\"; do :; done\n"
               "cp \"$last\" \"$out/soffice-received.html\"\n"
               "mv \"$out/soffice-args.part\" \"$out/soffice-args.txt\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return bin;
}

// The search path with the folder in front.
inline QString pathWithFolderFirst(const QString& folder)
{
    return folder + u':' + QString::fromLocal8Bit(qgetenv("PATH"));
}

// Waits for a file another process makes, at most timeoutMs; true when it is there.
inline bool waitForFile(const QString& path, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(path)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace velta::test
