#pragma once
// Long reports run on a worker thread while the user-interface thread sits in
// the modal loop of a small wait window showing the elapsed time.
// TWaitForm is that window, TReportThread the worker, RunInBackground ties
// them together and hands the report text (or the error text) back.
#include "common/DateTime.h"
#include "common/Variant.h"

#include <QDialog>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class QCloseEvent;
class QLabel;
class QShowEvent;
class QTimer;

namespace Ui {
class TWaitForm;
}

namespace velta::core {

// The report procedure the worker calls: (ReportNo, Params, out Text).
using ReportProducer = std::function<void(int reportNo, const Variant& params, QString& text)>;

// The text that replaces the report when the producer fails.
inline constexpr char16_t kReportThreadErrorPrefix[] = u"Ошибка в потоке подготовки отчета: ";

// The wait window: a caption, three lines of text and the time since it was
// shown, laid out in WaitFrm.ui; at least its designed size, wider when the
// fonts at hand need it. The user cannot close it; only the worker can, once
// it has allowed it.
class TWaitForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTimerIntervalMs = 200;

    explicit TWaitForm(QWidget* parent = nullptr);
    ~TWaitForm() override;

    // The text handed back to the caller; written on the user-interface
    // thread by the worker's close request.
    QString ResultText;
    // When the window was shown (the clock in force).
    TDateTime StartTime = 0;
    // Read by the worker while the user-interface thread sets it.
    std::atomic<bool> Shown{false};
    std::atomic<bool> CloseAllowed{false};

    QLabel* Label1() const;
    QLabel* Label2() const;
    QLabel* Label3() const;
    QLabel* lbTime() const;
    QTimer* Timer1() const { return timer_; }

    // Refreshes lbTime with the time since StartTime ("nn:ss": wraps after an hour).
    void Timer1Timer();

    // Esc, reject(), accept() and the close button all end here: ignored
    // until the worker has allowed closing.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void completeLayout();

    std::unique_ptr<Ui::TWaitForm> ui_;
    QTimer* timer_ = nullptr;
};

// The worker: calls the producer with its own copy of the parameters, turns a
// failure into the error text (logged at level 2), waits until the window is
// shown and then closes it on the user-interface thread, waiting for that.
// RunInBackground owns it and waits for its end, so it never outlives the window.
class TReportThread : public QThread {
    Q_OBJECT
public:
    static constexpr int kShownPollMs = 5;

    TReportThread(int reportNo, const Variant& params, TWaitForm* waitForm, ReportProducer producer);
    ~TReportThread() override;

    int ReportNo;
    Variant Params; // a copy: the caller may change its array meanwhile
    TWaitForm* WaitForm;
    ReportProducer Producer;

    // The window is going away without the worker's close request: the worker
    // stops waiting for Shown and sends no request. Call on the window's thread.
    void Abandon();
    // Waits for the worker's end while handling the window's events, so a close
    // request already on its way is answered rather than deadlocking.
    void FinishWhileProcessingEvents();

protected:
    void run() override;

private:
    // The producer's text, or the error text for its failure.
    QString ProduceText();
    void CloseWaitForm(const QString& text);

    std::atomic<bool> abandoned_{false};
};

// Produces report reportNo on a worker thread while the wait window is shown
// modally (through currentDialogs()); text becomes the report text or the
// error text. The window and the thread are gone when it returns, on every path.
void RunInBackground(int reportNo, const Variant& params, ReportProducer producer, QString& text);

} // namespace velta::core
