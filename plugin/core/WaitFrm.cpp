#include "plugin/core/WaitFrm.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/core/HostContext.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/platform/Clock.h"
#include "plugin/ui/Dialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace velta::core {

namespace {

constexpr int kLogError = 2;
constexpr int kClientWidth = 391;
constexpr int kClientHeight = 166;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int pixelSize, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = parent->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

} // namespace

// ---- TWaitForm ----

TWaitForm::TWaitForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TWaitForm"));
    setWindowTitle(QStringLiteral("Выполняется длительная операция"));
    setFont(QFont(QStringLiteral("Tahoma")));
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TWaitForm::Timer1Timer);

    if (const QScreen* screen = this->screen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TWaitForm::~TWaitForm() = default;

void TWaitForm::buildControls()
{
    Label1 = makeLabel(this, "Label1", QStringLiteral("Выполняется длительная операция"), 19, true);
    Label2 = makeLabel(this, "Label2", QStringLiteral("Производится подготовка отчета"), 16, false);
    Label3 = makeLabel(this, "Label3", QStringLiteral("Ждите..."), 19, true);
    QPalette blue = Label3->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label3->setPalette(blue);
    Label4 = makeLabel(this, "Label4", QStringLiteral("Прошло времени:"), 13, false);
    lbTime = makeLabel(this, "lbTime", QStringLiteral("00:00"), 13, false);

    auto* column = new QVBoxLayout(this);
    column->addWidget(Label1, 0, Qt::AlignHCenter);
    column->addWidget(Label2, 0, Qt::AlignHCenter);
    column->addWidget(Label3, 0, Qt::AlignHCenter);
    auto* elapsed = new QHBoxLayout;
    elapsed->addStretch();
    elapsed->addWidget(Label4);
    elapsed->addWidget(lbTime);
    elapsed->addStretch();
    column->addLayout(elapsed);
}

void TWaitForm::Timer1Timer()
{
    // A clock set back must not show a negative time.
    const TDateTime elapsed = std::max(0.0, Clock::current().now() - StartTime);
    lbTime->setText(FormatDateTime(QStringLiteral("nn:ss"), elapsed));
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
    Timer1->start();
    Shown.store(true);
}

void TWaitForm::closeEvent(QCloseEvent* event)
{
    if (!CloseAllowed.load()) {
        event->ignore();
        return;
    }
    Timer1->stop();
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
