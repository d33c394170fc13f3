#pragma once
// Drives the wait window of RunInBackground under the scripted dialogs: the
// window closes itself once its worker is done, so a drive script only lets
// the event loop run until then. A window still open at the deadline is left
// to the scripted dialogs, which report it as left open.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QThread>
#include <functional>

namespace velta::test {

inline constexpr int kWaitFormDeadlineMs = 10000;

// Runs the event loop until condition holds or the deadline passes; true when it holds.
inline bool spinUntil(const std::function<bool()>& condition, int timeoutMs = kWaitFormDeadlineMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop until the window has closed itself.
inline bool waitUntilClosed(QDialog& window, int timeoutMs = kWaitFormDeadlineMs)
{
    return spinUntil([&window] { return !window.isVisible(); }, timeoutMs);
}

// A drive script for expectModal("TWaitForm"): runs `meanwhile` on the shown
// window (optional), then waits until the worker closed it.
inline std::function<void(QDialog&)> untilWorkerCloses(std::function<void(QDialog&)> meanwhile = {},
                                                       int timeoutMs = kWaitFormDeadlineMs)
{
    return [meanwhile = std::move(meanwhile), timeoutMs](QDialog& window) {
        if (meanwhile)
            meanwhile(window);
        waitUntilClosed(window, timeoutMs);
    };
}

} // namespace velta::test
