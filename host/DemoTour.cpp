#include "host/DemoTour.h"
#include "host/TourActions.h"

#include "common/Exception.h"
#include "host/HostConfig.h"
#include "host/HostWindow.h"
#include "host/QtMenuItem.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SiblingLibrary.h"

#include <QAbstractButton>
#include <QAction>
#include <QDateEdit>
#include <QApplication>
#include <QDialog>
#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QTabWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <cstdio>

namespace velta::host {
using namespace tour;

void DemoTour::photographViewer(QDialog& viewer)
{
    settleFor(600);
    QAbstractButton* format = viewerButton(viewer, "bbtRepForm");
    QAbstractButton* preview = viewerButton(viewer, "bbtPreview");
    QAbstractButton* additional = viewerButton(viewer, "sbtnAdditional");
    const bool formatSwitch = format && format->isVisible();
    const auto inTextView = [&] { return formatSwitch && format->text() == QStringLiteral("Новый формат"); };
    if (formatSwitch && !inTextView()) {
        format->click();
        settleFor(300);
    }
    if (inTextView()) {
        save(viewer, QStringLiteral("06-viewer-text.png"));
        preview->click();
        settleFor(300);
        save(viewer, QStringLiteral("07-viewer-text-preview.png"));
        preview->click();
        format->click();
        settleFor(800);
    }
    if (additional && additional->isVisible()) {
        additional->click();
        settleFor(300);
    }
    save(viewer, QStringLiteral("08-viewer-html-options.png"));
    if (additional && additional->isChecked())
        additional->click();
    viewer.reject();
}

void DemoTour::save(QWidget& shown, const QString& name)
{
    // The picture is taken once the window stands on screen with its size and
    // the events it was sent are done, however long a busy machine takes.
    QElapsedTimer waited;
    waited.start();
    int quietRounds = 0;
    while (waited.elapsed() < 60000) {
        const bool ready = shown.isVisible() && !shown.size().isEmpty();
        quietRounds = ready && !QCoreApplication::eventDispatcher()->processEvents(QEventLoop::AllEvents)
                          ? quietRounds + 1
                          : 0;
        if (quietRounds >= 3)
            break;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    QPixmap image = shown.grab();
    for (int attempt = 0; image.isNull() && attempt < 50; ++attempt) {
        settleFor(100);
        image = shown.grab();
    }
    save(image, name);
}

void DemoTour::save(const QPixmap& image, const QString& name)
{
    const QString path = QDir(folder_).filePath(name);
    if (image.isNull() || !image.save(path, "PNG"))
        throw EInOutError(QStringLiteral("Не удалось сохранить снимок %1").arg(path));
    written_ << path;
}

QString DemoTour::runCommand(QtMenuItem& item, const QList<TourStep>& steps, int deadlineMs)
{
    int next = 0;
    bool busy = false;
    bool closing = false;
    QPointer<QDialog> last; // windows may be destroyed once closed
    bool lastHidden = true;
    QString failure;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (busy)
            return;
        if (closing) {
            // Unwinds the command: every modal window that lets itself be closed goes.
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                modal->reject();
            return;
        }
        if (!last || !last->isVisible())
            lastHidden = true;
        if (next >= steps.size())
            return;
        QDialog* shown = visibleWindow(steps[next].window);
        if (shown && (shown != last || lastHidden)) {
            busy = true;
            try {
                steps[next].act(*shown);
            } catch (const Exception& e) {
                failure = e.message();
                closing = true;
            }
            busy = false;
            last = shown;
            lastHidden = false;
            ++next;
            waited.restart();
        } else if (waited.elapsed() > deadlineMs) {
            failure = QStringLiteral("the window %1 did not open").arg(steps[next].window);
            closing = true;
        }
    });
    poll.start(100);
    item.action()->trigger(); // returns when the command is done
    poll.stop();
    if (failure.isEmpty() && next < steps.size())
        failure = QStringLiteral("the command ended before the window %1 opened").arg(steps[next].window);
    return failure;
}

void DemoTour::photographBothForms(QDialog& viewer)
{
    // The text form, then the HTML form through the format switch.
    widenViewer(viewer);
    settleFor(300);
    QAbstractButton* format = viewerButton(viewer, "bbtRepForm");
    const bool formatSwitch = format && format->isVisible();
    const auto inTextView = [&] { return formatSwitch && format->text() == QStringLiteral("Новый формат"); };
    if (formatSwitch && !inTextView()) {
        format->click();
        settleFor(300);
    }
    save(viewer, QStringLiteral("10-shift-report.png"));
    if (inTextView()) {
        format->click();
        settleFor(800);
        save(viewer, QStringLiteral("10-shift-report-html.png"));
    }
}

void DemoTour::runShiftReports(HostWindow& window)
{
    const auto photograph = [this](const QString& name, int settleMs) {
        return [this, name, settleMs](QDialog& shown) {
            settleFor(settleMs);
            save(shown, name);
        };
    };
    const auto then = [](std::function<void(QDialog&)> first, std::function<void(QDialog&)> second) {
        return [first, second](QDialog& shown) {
            first(shown);
            second(shown);
        };
    };
    const auto choose = [](int fromEnd) {
        return [fromEnd](QDialog& list) {
            pickRow(list, "DBGrid1", fromEnd);
            settleFor(200);
        };
    };
    const auto ok = [](QDialog& shown) { press(shown, "BitBtn1"); };
    const auto cancel = [](QDialog& shown) { press(shown, "BitBtn2"); };
    const auto closeViewer = [](QDialog& viewer) { viewer.reject(); };
    const QString list = QStringLiteral("TSmenaListFrm");
    const QString viewer = QStringLiteral("TRptFrm");
    const QString statement = QStringLiteral("TParamVedomFrm");

    struct Command {
        const char* caption;
        QList<TourStep> steps;
    };
    const QList<Command> commands = {
        {"Сменный отчет",
         {{list, then(choose(1), then(photograph(QStringLiteral("09-shift-list.png"), 300), ok))},
          {viewer, then([this](QDialog& shown) { photographBothForms(shown); }, closeViewer)},
          {list, cancel}}},
        // The demo station's open shift, straight into the viewer.
        {"Текущий сменный отчет",
         {{viewer, then(widenViewer, then(photograph(QStringLiteral("10-current-shift-report.png"), 800), closeViewer))}}},
        {"Отчеты по картам",
         {{list, then(choose(2),
                      [this](QDialog& shown) {
                          if (!scanCardNumber(QByteArrayLiteral("7789*")))
                              throw EInOutError(QStringLiteral("the scanner library took no card number"));
                          auto* edit = shown.findChild<QLineEdit*>(QStringLiteral("edSimpleText"));
                          QElapsedTimer scanned;
                          scanned.start();
                          while (edit && edit->text().isEmpty() && scanned.elapsed() < 5000)
                              settleFor(50);
                          save(shown, QStringLiteral("11-cards-list.png"));
                          press(shown, "BitBtn1");
                      })},
          {viewer, then(photograph(QStringLiteral("12-cards-report.png"), 800), closeViewer)},
          {list, cancel}}},
        {"Сменный отчет по контрагенту",
         {{list, then(choose(3), ok)},
          {statement, then(
                          [](QDialog& shown) {
                              // Every statement payment type ticked, one client picked.
                              if (auto* types = shown.findChild<QListWidget*>(QStringLiteral("clbVidOplList")))
                                  for (int i = 0; i < types->count(); ++i)
                                      types->item(i)->setCheckState(Qt::Checked);
                              settleFor(300);
                              pickRow(shown, "OrgGrid", 1);
                          },
                          then(photograph(QStringLiteral("13-statement-parameters.png"), 500), ok))},
          {viewer, then(photograph(QStringLiteral("14-contragent-report.png"), 800), closeViewer)},
          {statement, cancel},
          {list, cancel}}},
        {"Отчет по мернику",
         {{list, then(choose(4), then(photograph(QStringLiteral("15-meter-list.png"), 300), ok))},
          {viewer, then(photograph(QStringLiteral("16-meter-report.png"), 800), closeViewer)},
          {list, cancel}}},
        // The shift report's properties, from the list's "Свойства": the
        // button is pressed once this step has returned, as the window it
        // opens is modal.
        {"Сменный отчет",
         {{list, [](QDialog& shown) { QTimer::singleShot(0, &shown, [&shown] { press(shown, "PropBtn"); }); }},
          {QStringLiteral("TPropFrm"), then(photograph(QStringLiteral("19-shift-report-properties.png"), 300), cancel)},
          {list, cancel}}},
    };
    for (const Command& command : commands)
        runItem(window, QString::fromUtf8(command.caption), command.steps);
}

void DemoTour::runJournals(HostWindow& window)
{
    const auto photograph = [this](const QString& name, int settleMs) {
        return [this, name, settleMs](QDialog& shown) {
            settleFor(settleMs);
            save(shown, name);
        };
    };
    const auto then = [](std::function<void(QDialog&)> first, std::function<void(QDialog&)> second) {
        return [first, second](QDialog& shown) {
            first(shown);
            second(shown);
        };
    };
    const auto ok = [](QDialog& shown) { press(shown, "BitBtn1"); };
    const auto cancel = [](QDialog& shown) { press(shown, "BitBtn2"); };
    const auto closeViewer = [](QDialog& viewer) { viewer.reject(); };
    const QString list = QStringLiteral("TSmenaListFrm");
    const QString viewer = QStringLiteral("TRptFrm");
    const QString statement = QStringLiteral("TParamVedomFrm");

    runItem(window, QStringLiteral("Поступления топлива"),
            {{list, then(
                        [](QDialog& shown) {
                            pickRow(shown, "DBGrid1", 2);
                            settleFor(200);
                        },
                        then(photograph(QStringLiteral("20-fuel-receipts-list.png"), 300), ok))},
             {viewer, then(widenViewer, then(photograph(QStringLiteral("21-fuel-receipts-journal.png"), 800), closeViewer))},
             {list, cancel}});
    runItem(window, QStringLiteral("Отпуск по контрагенту за период"),
            {{statement, then(
                             [](QDialog& shown) {
                                 // Every statement payment type, March of the demo's year, one client.
                                 if (auto* types = shown.findChild<QListWidget*>(QStringLiteral("clbVidOplList")))
                                     for (int i = 0; i < types->count(); ++i)
                                         types->item(i)->setCheckState(Qt::Checked);
                                 if (auto* begin = shown.findChild<QDateEdit*>(QStringLiteral("BegDate")))
                                     begin->setDate(QDate(2024, 3, 1));
                                 if (auto* end = shown.findChild<QDateEdit*>(QStringLiteral("EndDate")))
                                     end->setDate(QDate(2024, 3, 31));
                                 settleFor(300);
                                 pickRow(shown, "OrgGrid", 1);
                             },
                             then(photograph(QStringLiteral("22-contragent-period-parameters.png"), 500), ok))},
             {viewer, then(widenViewer, then(photograph(QStringLiteral("23-contragent-period-report.png"), 800), closeViewer))},
             {statement, cancel}});
    runItem(window, QStringLiteral("История продаж по ТРК"),
            {{list, then(
                        [](QDialog& shown) {
                            if (auto* second = shown.findChild<QAbstractButton*>(QStringLiteral("TrkBtn2")))
                                second->click();
                            pickRow(shown, "DBGrid1", 1);
                            settleFor(200);
                        },
                        then(photograph(QStringLiteral("24-sales-history-list.png"), 300), ok))},
             {viewer, then(widenViewer, then(photograph(QStringLiteral("25-sales-history.png"), 800), closeViewer))},
             {list, cancel}});
}

void DemoTour::runItem(HostWindow& window, const QString& caption, const QList<TourStep>& steps)
{
    QtMenuItem* item = findItem(window.mainMenu(), caption);
    if (!item)
        return;
    const QString failure = runCommand(*item, steps);
    if (!failure.isEmpty())
        fail(caption, failure);
}

void DemoTour::fail(const QString& what, const QString& failure)
{
    std::fprintf(stderr, "velta-host: %s on the tour: %s\n", what.toUtf8().constData(), failure.toUtf8().constData());
    failures_ << what + QStringLiteral(": ") + failure;
}

void DemoTour::runReportSettings(HostWindow& window)
{
    QtMenuItem* settings = topLevel(window.mainMenu(), QStringLiteral("&Настройка"));
    QtMenuItem* item = settings ? settings->childByCaption(QStringLiteral("Отчеты")) : nullptr;
    if (!item)
        return;
    const QString form = QStringLiteral("TRepPropForm");
    const QString demoTemplate = Paths::toNative(QStringLiteral("C:\\DEXE\\FORMS\\WEBREP\\Финансовый отчет.html"));
    const QList<TourStep> steps = {
        {form,
         [this](QDialog& shown) {
             if (auto* pages = shown.findChild<QTabWidget*>(QStringLiteral("PageControl1")); pages && pages->isTabVisible(1))
                 pages->setCurrentIndex(1);
             settleFor(300);
             save(shown, QStringLiteral("26-report-settings.png"));
             clickLater(shown, "Button1"); // opens the file dialog
         }},
        {QStringLiteral("QFileDialog"), [demoTemplate](QDialog& shown) { chooseFile(shown, demoTemplate); }},
        {QStringLiteral("TFinRepEditorForm"),
         [this](QDialog& shown) {
             settleFor(300);
             save(shown, QStringLiteral("27-financial-editor.png"));
             press(shown, "BitBtn2");
         }},
        {form, [](QDialog& shown) { press(shown, "BitBtn2"); }},
    };
    const QString failure = runCommand(*item, steps);
    if (!failure.isEmpty())
        fail(QStringLiteral("Отчеты"), failure);
}

void DemoTour::runOfficeCommands(HostWindow& window)
{
    const QString caption = QStringLiteral("История изменения цен на ГСМ...");
    const QString cardsCaption = QStringLiteral("Общий список дисконтных  карт");
    const QString chooser = QStringLiteral("TChoosePeriodForm");
    const QList<TourStep> steps = {
        {chooser,
         [this](QDialog& shown) {
             // The demo's three months, when the prices changed.
             if (auto* begin = shown.findChild<QDateEdit*>(QStringLiteral("dtpBegDate")))
                 begin->setDate(QDate(2024, 1, 1));
             if (auto* end = shown.findChild<QDateEdit*>(QStringLiteral("dtpEndDate")))
                 end->setDate(QDate(2024, 3, 31));
             settleFor(300);
             save(shown, QStringLiteral("17-period-chooser.png"));
             press(shown, "btnOK");
         }},
        {QStringLiteral("TRptFrm"),
         [this](QDialog& shown) {
             widenViewer(shown);
             settleFor(300);
             save(shown, QStringLiteral("18-price-history.png"));
             shown.reject();
         }},
        {chooser, [](QDialog& shown) { press(shown, "btnCancel"); }},
    };
    if (findItem(window.mainMenu(), caption) || !window.pluginLoaded() || window.config().workplaceKind == 3) {
        runItem(window, caption, steps);
        runItem(window, cardsCaption, discountCardSteps());
        return;
    }
    // The plug-in builds these items only on an office workplace, so a second
    // host of an office workplace loads it; the plug-in then answers that host.
    HostConfig office = window.config();
    office.workplaceKind = 3;
    HostWindow officeWindow(office, [](const QString& message) {
        std::fprintf(stderr, "velta-host: %s\n", message.toUtf8().constData());
    });
    if (!officeWindow.loadPlugin(window.pluginPath()))
        return;
    officeWindow.show();
    settle();
    runItem(officeWindow, caption, steps);
    runItem(officeWindow, cardsCaption, discountCardSteps());
}

QStringList DemoTour::run(HostWindow& window)
{
    written_.clear();
    failures_.clear();
    if (!QDir().mkpath(folder_))
        throw EInOutError(QStringLiteral("Не удалось создать папку %1").arg(folder_));
    window.show();
    window.activateWindow();
    settle();
    save(window, QStringLiteral("01-host.png"));

    if (QtMenuItem* journals = topLevel(window.mainMenu(), QStringLiteral("&Журналы"))) {
        openMenu(window, *journals);
        save(journals->menu()->grab(), QStringLiteral("02-journals-menu.png"));
        QList<QMenu*> open{journals->menu()};
        QtMenuItem* reports = journals->childByCaption(QStringLiteral("Отчеты"));
        if (reports && reports->menu()) {
            const QRect place = journals->menu()->actionGeometry(reports->action());
            reports->menu()->popup(journals->menu()->mapToGlobal(place.topRight()));
            settle();
            save(reports->menu()->grab(), QStringLiteral("03-reports-submenu.png"));
            open << reports->menu();
        }
        save(composite(window, open), QStringLiteral("04-host-with-journals.png"));
        for (QMenu* menu : open)
            menu->hide();
        settle();
    }
    if (QtMenuItem* settings = topLevel(window.mainMenu(), QStringLiteral("&Настройка"))) {
        openMenu(window, *settings);
        save(composite(window, {settings->menu()}), QStringLiteral("05-host-with-settings.png"));
        settings->menu()->hide();
        settle();
    }
    // One report in the viewer: a report that needs no choice first.
    if (QtMenuItem* report = findItem(window.mainMenu(), QStringLiteral("Текущие остатки по убывающим лимитам"))) {
        bool photographed = false;
        QString failure;
        auto* poll = new QTimer;
        QElapsedTimer waited;
        waited.start();
        QObject::connect(poll, &QTimer::timeout, [&] {
            if (QDialog* viewer = openViewer()) {
                poll->stop();
                try {
                    photographViewer(*viewer);
                    photographed = true;
                } catch (const Exception& e) {
                    failure = e.message();
                    viewer->reject();
                }
            } else if (waited.elapsed() > 30000) {
                poll->stop();
            }
        });
        poll->start(100);
        report->action()->trigger(); // returns when the viewer closes
        poll->stop();
        delete poll;
        if (!failure.isEmpty())
            fail(report->caption(), failure);
        else if (!photographed)
            fail(report->caption(), QStringLiteral("the report viewer did not open"));
    }
    runShiftReports(window);
    runJournals(window);
    runReportSettings(window);
    runReceipts(window);
    runConsignmentNotes(window);
    runScannedDocuments(window);
    runJournalWindows(window);
    runOfficeCommands(window);
    return written_;
}

} // namespace velta::host
