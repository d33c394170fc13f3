#include "plugin/core/WaitFrm.h"

#include "ui_WaitFrm.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/core/HostContext.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/platform/Clock.h"
#include "plugin/ui/Dialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>

namespace velta::core {

namespace {

constexpr int kLogError = 2;

void setPixelFont(QLabel& label, int pixelSize, bool bold)
{
    QFont font = label.font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label.setFont(font);
}

} // namespace

// ---- TWaitForm ----

TWaitForm::TWaitForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , ui_(std::make_unique<Ui::TWaitForm>())
{
    ui_->setupUi(this);
    completeLayout();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kTimerIntervalMs);
    connect(timer_, &QTimer::timeout, this, &TWaitForm::Timer1Timer);

    if (const QScreen* screen = this->screen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TWaitForm::~TWaitForm() = default;

// Fonts in pixels, then the size: the designed one, or what the texts need
// when the fonts at hand are wider than those the design was drawn with.
void TWaitForm::completeLayout()
{
    setPixelFont(*ui_->Label1, 19, true);
    setPixelFont(*ui_->Label2, 16, false);
    setPixelFont(*ui_->Label3, 19, true);
    setPixelFont(*ui_->Label4, 13, false);
    setPixelFont(*ui_->lbTime, 13, false);
    setFixedSize(minimumSize().expandedTo(sizeHint()));
}

QLabel* TWaitForm::Label1() const
{
    return ui_->Label1;
}

QLabel* TWaitForm::Label2() const
{
    return ui_->Label2;
}

QLabel* TWaitForm::Label3() const
{
    return ui_->Label3;
}

QLabel* TWaitForm::lbTime() const
{
    return ui_->lbTime;
}

void TWaitForm::Timer1Timer()
{
    // A clock set back must not show a negative time.
    const TDateTime elapsed = std::max(0.0, Clock::current().now() - StartTime);
    ui_->lbTime->setText(FormatDateTime(QStringLiteral("nn:ss"), elapsed));
}

void TWaitForm::done(int result)
{
    // Esc, reject() and the close button all end here: only the worker may close.
    if (!CloseAllowed.load())
        return;
    QDialog::done(result);
}

void TWaitForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    StartTime = Clock::current().now();
    timer_->start();
    Shown.store(true);
}

void TWaitForm::closeEvent(QCloseEvent* event)
{
    if (!CloseAllowed.load()) {
        event->ignore();
        return;
    }
    timer_->stop();
    QDialog::closeEvent(event);
}

// ---- TReportThread ----

TReportThread::TReportThread(int reportNo, const Variant& params, TWaitForm* waitForm, ReportProducer producer)
    : ReportNo(reportNo)
    , Params(params)
    , WaitForm(waitForm)
    , Producer(std::move(producer))
{
    setObjectName(QStringLiteral("TReportThread"));
}

TReportThread::~TReportThread()
{
    if (isRunning()) {
        Abandon();
        FinishWhileProcessingEvents();
    }
}

void TReportThread::Abandon()
{
    abandoned_.store(true);
}

void TReportThread::FinishWhileProcessingEvents()
{
    while (!wait(kShownPollMs))
        QCoreApplication::processEvents();
}

void TReportThread::run()
{
    const QString text = ProduceText();
    while (!WaitForm->Shown.load() && !abandoned_.load())
        QThread::msleep(kShownPollMs);
    if (abandoned_.load())
        return;
    CloseWaitForm(text);
}

QString TReportThread::ProduceText()
{
    const QString prefix = QString::fromUtf16(kReportThreadErrorPrefix);
    QString error;
    try {
        QString text;
        Producer(ReportNo, Params, text);
        return text;
    } catch (const Exception& e) {
        error = prefix + e.message();
    } catch (const std::exception& e) {
        // Not of the plug-in's family: still a failure of this report, not of the program.
        error = prefix + QString::fromUtf8(e.what());
    } catch (...) {
        error = prefix + QStringLiteral("неизвестная ошибка");
    }
    logger().Log(error, kLogError);
    return error;
}

void TReportThread::CloseWaitForm(const QString& text)
{
    TWaitForm* form = WaitForm;
    form->CloseAllowed.store(true);
    // Blocking: the worker ends only after the window's thread took the text and closed it.
    QMetaObject::invokeMethod(
        form,
        [form, text] {
            form->ResultText = text;
            form->close();
        },
        Qt::BlockingQueuedConnection);
}

// ---- RunInBackground ----

void RunInBackground(int reportNo, const Variant& params, ReportProducer producer, QString& text)
{
    TWaitForm window;
    TReportThread thread(reportNo, params, &window, std::move(producer));
    thread.start();
    try {
        currentDialogs().showModal(window);
    } catch (...) {
        // The window goes away with the worker possibly still running: it must
        // neither wait for a window that will not show nor close a destroyed one.
        thread.Abandon();
        thread.FinishWhileProcessingEvents();
        throw;
    }
    // Normally the worker is done already; should the window have gone some
    // other way, its close request is still answered and its text kept.
    thread.FinishWhileProcessingEvents();
    text = window.ResultText;
}

} // namespace velta::core
