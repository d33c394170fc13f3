// The background report thread and its wait window: the text or the error text
// comes back, the worker closes the window only once it has been shown, the
// user cannot close it, the elapsed time runs (and wraps) while the producer
// works on its own thread with its own copy of the parameters, and a window
// that fails to show never leaves a worker behind.
#include "ReportCallsTestHost.h"
#include "WaitFormDriver.h"
#include "common/Exception.h"
#include "plugin/core/WaitFrm.h"
#include "plugin/platform/Clock.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace velta;
using namespace velta::core;
using namespace velta::test;

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr TDateTime kShowTime = 46000.25; // a fixed date, 06:00

// Holds a producer until the test lets it go (bounded, so a broken test cannot hang).
class Gate {
public:
    void open() { promise_.set_value(); }
    bool waitOpen() { return future_.wait_for(std::chrono::seconds(10)) == std::future_status::ready; }

private:
    std::promise<void> promise_;
    std::shared_future<void> future_ = promise_.get_future().share();
};

QString labelText(QDialog& window, const char* name)
{
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

class WaitFrmTest : public ::testing::Test {
protected:
    void SetUp() override { clock.setNow(kShowTime); }
    void TearDown() override { dialogs.verify(); }

    QString errorText(const QString& message) const
    {
        return QString::fromUtf16(kReportThreadErrorPrefix) + message;
    }

    TestEnv env;
    ManualClock clock;
    ScopedClock useClock{clock};
    ScriptedDialogs dialogs{[](const QString& message) { ADD_FAILURE() << message.toStdString(); }};
    CurrentDialogsScope useDialogs{dialogs};
};

// ---- results ----

TEST_F(WaitFrmTest, TheProducersTextComesBackThroughTheWaitWindow)
{
    dialogs.expectModal(QStringLiteral("TWaitForm"))
        .withCaption(QStringLiteral("Выполняется длительная операция"))
        .drive(untilWorkerCloses());
    int seenReport = 0;
    Variant seenParams;
    QString text = QStringLiteral("old");
    RunInBackground(
        45, Variant(Variant::Array{Variant(7), Variant(QStringLiteral("x"))}),
        [&](int reportNo, const Variant& params, QString& out) {
            seenReport = reportNo;
            seenParams = params;
            out = QStringLiteral("Сменный отчет №7");
        },
        text);
    EXPECT_EQ(text, QStringLiteral("Сменный отчет №7"));
    EXPECT_EQ(seenReport, 45);
    EXPECT_EQ(seenParams, Variant(Variant::Array{Variant(7), Variant(QStringLiteral("x"))}));
}

TEST_F(WaitFrmTest, AFailingProducersMessageBecomesTheTextAndIsLoggedAsAnError)
{
    dialogs.expectModal(QStringLiteral("TWaitForm")).drive(untilWorkerCloses());
    QString text;
    RunInBackground(
        45, Variant(Variant::Array{}),
        [](int, const Variant&, QString& out) {
            out = QStringLiteral("half a report");
            throw EOleException(QStringLiteral("Сервер недоступен"));
        },
        text);
    EXPECT_EQ(text, errorText(QStringLiteral("Сервер недоступен")));
    const QString log = ScriptedHost::logText();
    EXPECT_TRUE(log.contains(
        QStringLiteral(" [ошиб] [VeltaReports9] Ошибка в потоке подготовки отчета: Сервер недоступен\r\n")))
        << log.toStdString();
}

TEST_F(WaitFrmTest, ErrorsOutsideThePluginsFamilyAreReportedInsteadOfEndingTheProgram)
{
    dialogs.expectModal(QStringLiteral("TWaitForm")).drive(untilWorkerCloses());
    dialogs.expectModal(QStringLiteral("TWaitForm")).drive(untilWorkerCloses());
    QString text;
    RunInBackground(
        1, Variant(Variant::Array{}),
        [](int, const Variant&, QString&) { throw std::runtime_error("bad_alloc somewhere"); }, text);
    EXPECT_EQ(text, errorText(QStringLiteral("bad_alloc somewhere")));

    RunInBackground(1, Variant(Variant::Array{}), [](int, const Variant&, QString&) { throw 42; }, text);
    EXPECT_EQ(text, errorText(QStringLiteral("неизвестная ошибка")));

    const QString log = ScriptedHost::logText();
    EXPECT_TRUE(log.contains(QStringLiteral(" [ошиб] [VeltaReports9] Ошибка в потоке подготовки отчета: bad_alloc")));
    EXPECT_TRUE(log.contains(QStringLiteral("Ошибка в потоке подготовки отчета: неизвестная ошибка")));
}

// ---- the worker waits for the window ----

// Lets the producer finish before the window is shown.
class LateShowingDialogs : public ScriptedDialogs {
public:
    using ScriptedDialogs::ScriptedDialogs;

    std::atomic<bool>* producerDone = nullptr;
    bool workerWaited = false;

    int showModal(QDialog& window) override
    {
        EXPECT_TRUE(spinUntil([this] { return producerDone->load(); }));
        QThread::msleep(50); // time for a worker that would not wait to close the window early
        auto& form = static_cast<TWaitForm&>(window);
        workerWaited = !form.Shown.load() && !form.CloseAllowed.load();
        return ScriptedDialogs::showModal(window);
    }
};

TEST_F(WaitFrmTest, AProducerDoneBeforeTheWindowShowsStillClosesIt)
{
    LateShowingDialogs late{[](const QString& message) { ADD_FAILURE() << message.toStdString(); }};
    CurrentDialogsScope useLate{late};
    std::atomic<bool> done{false};
    late.producerDone = &done;
    late.expectModal(QStringLiteral("TWaitForm")).drive(untilWorkerCloses());

    QString text;
    RunInBackground(
        3, Variant(Variant::Array{}),
        [&done](int, const Variant&, QString& out) {
            out = QStringLiteral("quick");
            done = true;
        },
        text);
    EXPECT_TRUE(late.workerWaited);
    EXPECT_EQ(text, QStringLiteral("quick"));
    late.verify();
}

// ---- while the producer works ----

TEST_F(WaitFrmTest, TheProducerRunsOnItsOwnThreadWhileTheWindowCountsTheTime)
{
    Gate gate;
    std::atomic<QThread*> producerThread{nullptr};
    QString afterShow;
    QString afterMinute;
    TDateTime startTime = 0;
    dialogs.expectModal(QStringLiteral("TWaitForm")).drive(untilWorkerCloses([&](QDialog& window) {
        startTime = static_cast<TWaitForm&>(window).StartTime;
        afterShow = labelText(window, "lbTime");
        clock.advance(65000);
        // The timer keeps running on this thread while the producer is held.
        spinUntil([&] { return labelText(window, "lbTime") == QStringLiteral("01:05"); });
        afterMinute = labelText(window, "lbTime");
        EXPECT_TRUE(window.isVisible());
        gate.open();
    }));
    QString text;
    RunInBackground(
        45, Variant(Variant::Array{}),
        [&](int, const Variant&, QString& out) {
            producerThread = QThread::currentThread();
            out = gate.waitOpen() ? QStringLiteral("done") : QStringLiteral("never released");
        },
        text);
    EXPECT_EQ(text, QStringLiteral("done"));
    EXPECT_NE(producerThread.load(), nullptr);
    EXPECT_NE(producerThread.load(), QThread::currentThread());
    EXPECT_DOUBLE_EQ(startTime, kShowTime);
    EXPECT_EQ(afterShow, QStringLiteral("00:00"));
    EXPECT_EQ(afterMinute, QStringLiteral("01:05"));
}

TEST_F(WaitFrmTest, TheUserCannotCloseTheWindowWhileTheProducerRuns)
{
    Gate gate;
    bool openAfterAttempts = false;
    dialogs.expectModal(QStringLiteral("TWaitForm")).drive(untilWorkerCloses([&](QDialog& window) {
        window.close();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &escape);
        window.reject();
        window.accept();
        QCoreApplication::processEvents();
        openAfterAttempts = window.isVisible();
        gate.open();
    }));
    QString text;
    RunInBackground(
        45, Variant(Variant::Array{}),
        [&](int, const Variant&, QString& out) { out = gate.waitOpen() ? QStringLiteral("done") : QString(); }, text);
    EXPECT_TRUE(openAfterAttempts);
    EXPECT_EQ(text, QStringLiteral("done"));
}

TEST_F(WaitFrmTest, TheProducerWorksOnACopyOfTheParameters)
{
    Gate gate;
    Variant params(Variant::Array{Variant(1), Variant(Variant::Array{Variant(QStringLiteral("inner"))})});
    Variant seen;
    dialogs.expectModal(QStringLiteral("TWaitForm")).drive(untilWorkerCloses([&](QDialog&) {
        params[0] = Variant(2);
        params[1][0] = Variant(QStringLiteral("changed"));
        gate.open();
    }));
    QString text;
    RunInBackground(
        45, params,
        [&](int, const Variant& p, QString&) {
            gate.waitOpen();
            seen = p;
        },
        text);
    EXPECT_EQ(seen, Variant(Variant::Array{Variant(1), Variant(Variant::Array{Variant(QStringLiteral("inner"))})}));
    EXPECT_EQ(params.at(0).toInt(), 2);
}

// ---- a window that goes away early ----

TEST_F(WaitFrmTest, AWindowThatNeverShowsLeavesNoWorkerWaitingForIt)
{
    // No expectation: the scripted dialogs refuse the window before showing it.
    ScriptedDialogs refusing;
    CurrentDialogsScope useRefusing{refusing};
    std::atomic<bool> produced{false};
    QString text = QStringLiteral("unchanged");
    EXPECT_THROW(RunInBackground(
                     45, Variant(Variant::Array{}),
                     [&](int, const Variant&, QString& out) {
                         QThread::msleep(30);
                         out = QStringLiteral("late");
                         produced = true;
                     },
                     text),
                 ScriptedDialogsError);
    EXPECT_TRUE(produced.load()); // the worker ended before RunInBackground returned
    EXPECT_EQ(text, QStringLiteral("unchanged"));
}

TEST_F(WaitFrmTest, AFailingDriveScriptWaitsForTheWorkerAndPassesTheFailureOn)
{
    std::atomic<bool> produced{false};
    dialogs.expectModal(QStringLiteral("TWaitForm")).drive([](QDialog&) {
        throw std::logic_error("script broke");
    });
    QString text;
    EXPECT_THROW(RunInBackground(
                     45, Variant(Variant::Array{}),
                     [&](int, const Variant&, QString&) {
                         QThread::msleep(30);
                         produced = true;
                     },
                     text),
                 std::logic_error);
    EXPECT_TRUE(produced.load());
}

// ---- the production dialogs ----

TEST(WaitFormWithQtDialogs, TheModalLoopEndsWhenTheWorkerClosesTheWindow)
{
    TestEnv env;
    // Should the worker never close the window, the watchdog ends the modal loop.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    bool watchdogFired = false;
    QObject::connect(&watchdog, &QTimer::timeout, [&watchdogFired] {
        watchdogFired = true;
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->hide();
    });
    watchdog.start(kWaitFormDeadlineMs);
    QString text;
    RunInBackground(
        45, Variant(Variant::Array{}),
        [](int, const Variant&, QString& out) {
            QThread::msleep(20);
            out = QStringLiteral("через exec");
        },
        text);
    EXPECT_FALSE(watchdogFired);
    EXPECT_EQ(text, QStringLiteral("через exec"));
}

// ---- the window itself ----

TEST(WaitFormWindow, LooksAsDesigned)
{
    TWaitForm form;
    EXPECT_EQ(form.objectName(), QStringLiteral("TWaitForm"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Выполняется длительная операция"));
    // The designed size at least, and wide enough for the caption line in
    // whatever font stands in for Tahoma.
    EXPECT_GE(form.width(), 391);
    EXPECT_GE(form.height(), 166);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the user does not resize it";
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(form.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(labelText(form, "Label1"), QStringLiteral("Выполняется длительная операция"));
    EXPECT_EQ(labelText(form, "Label2"), QStringLiteral("Производится подготовка отчета"));
    EXPECT_EQ(labelText(form, "Label3"), QStringLiteral("Ждите..."));
    EXPECT_EQ(labelText(form, "Label4"), QStringLiteral("Прошло времени:"));
    EXPECT_EQ(labelText(form, "lbTime"), QStringLiteral("00:00"));
    EXPECT_TRUE(form.Label1()->font().bold());
    EXPECT_EQ(form.Label1()->font().pixelSize(), 19);
    EXPECT_FALSE(form.Label2()->font().bold());
    EXPECT_EQ(form.Label2()->font().pixelSize(), 16);
    EXPECT_TRUE(form.Label3()->font().bold());
    EXPECT_EQ(form.Label3()->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(form.lbTime()->font().pixelSize(), 13);
    EXPECT_EQ(form.Timer1()->interval(), 200);
    EXPECT_FALSE(form.Shown.load());
    form.show();
    for (QLabel* label : {form.Label1(), form.Label2(), form.Label3()})
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
    form.CloseAllowed = true;
    form.close();
}

TEST(WaitFormWindow, TheElapsedTimeWrapsAfterAnHour)
{
    TestEnv env;
    ManualClock clock;
    ScopedClock useClock{clock};
    clock.setNow(kShowTime);
    TWaitForm form;
    form.show();
    EXPECT_TRUE(form.Shown.load());
    EXPECT_TRUE(form.Timer1()->isActive());
    EXPECT_DOUBLE_EQ(form.StartTime, kShowTime);

    const auto elapsedAfter = [&](int seconds) {
        clock.setNow(kShowTime + seconds * kSecond);
        form.Timer1Timer();
        return form.lbTime()->text();
    };
    EXPECT_EQ(elapsedAfter(59), QStringLiteral("00:59"));
    EXPECT_EQ(elapsedAfter(61), QStringLiteral("01:01"));
    EXPECT_EQ(elapsedAfter(3599), QStringLiteral("59:59"));
    EXPECT_EQ(elapsedAfter(3600), QStringLiteral("00:00"));
    EXPECT_EQ(elapsedAfter(3661), QStringLiteral("01:01"));
    EXPECT_EQ(elapsedAfter(-5), QStringLiteral("00:00")); // a clock set back

    form.close();
    EXPECT_TRUE(form.isVisible());
    form.CloseAllowed = true;
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer1()->isActive());
}

} // namespace
