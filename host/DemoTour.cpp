#include "host/DemoTour.h"

#include "common/Exception.h"
#include "host/HostWindow.h"
#include "host/QtMenuItem.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <cstdio>

namespace velta::host {
namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// The top-level item whose caption starts with the text (the plug-in may have
// renamed it), or null.
QtMenuItem* topLevel(QtMenuItem& root, const QString& prefix)
{
    QtMenuItem* found = nullptr;
    for (int i = 0; i < root.count(); ++i) {
        auto* item = static_cast<QtMenuItem*>(root.item(i));
        if (item->caption().startsWith(prefix) && item->menu())
            found = item;
    }
    return found;
}

// Opens the menu under its place in the menu bar.
void openMenu(HostWindow& window, QtMenuItem& item)
{
    QMenuBar* bar = window.menuBar();
    const QRect place = bar->actionGeometry(item.action());
    item.menu()->popup(bar->mapToGlobal(place.bottomLeft()));
    settle();
}

// The window with the open menus painted where they stand on the screen.
QPixmap composite(HostWindow& window, const QList<QMenu*>& menus)
{
    const QPixmap base = window.grab();
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    QRect area(QPoint(0, 0), base.size());
    QList<QPair<QPoint, QPixmap>> layers;
    for (QMenu* menu : menus) {
        const QPixmap shot = menu->grab();
        const QPoint at = menu->mapToGlobal(QPoint(0, 0)) - origin;
        layers.append({at, shot});
        area = area.united(QRect(at, shot.size()));
    }
    QPixmap canvas(area.size());
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawPixmap(-area.topLeft(), base);
    for (const auto& [at, shot] : layers)
        painter.drawPixmap(at - area.topLeft(), shot);
    return canvas;
}

// The menu item with the caption anywhere below the item, or null.
QtMenuItem* findItem(QtMenuItem& root, const QString& caption)
{
    for (int i = 0; i < root.count(); ++i) {
        auto* item = static_cast<QtMenuItem*>(root.item(i));
        if (item->caption() == caption)
            return item;
        if (QtMenuItem* found = findItem(*item, caption))
            return found;
    }
    return nullptr;
}

// Lets the window settle for a while: events, timers and document loads.
void settleFor(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

QDialog* openViewer()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("TRptFrm") && widget->isVisible())
            return qobject_cast<QDialog*>(widget);
    return nullptr;
}

QAbstractButton* viewerButton(QDialog& viewer, const char* name)
{
    return viewer.findChild<QAbstractButton*>(QString::fromLatin1(name));
}

} // namespace

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
        save(viewer.grab(), QStringLiteral("06-viewer-text.png"));
        preview->click();
        settleFor(300);
        save(viewer.grab(), QStringLiteral("07-viewer-text-preview.png"));
        preview->click();
        format->click();
        settleFor(800);
    }
    if (additional && additional->isVisible()) {
        additional->click();
        settleFor(300);
    }
    save(viewer.grab(), QStringLiteral("08-viewer-html-options.png"));
    if (additional && additional->isChecked())
        additional->click();
    viewer.reject();
}

void DemoTour::save(const QPixmap& image, const QString& name)
{
    const QString path = QDir(folder_).filePath(name);
    if (image.isNull() || !image.save(path, "PNG"))
        throw EInOutError(QStringLiteral("Не удалось сохранить снимок %1").arg(path));
    written_ << path;
}

QStringList DemoTour::run(HostWindow& window)
{
    written_.clear();
    if (!QDir().mkpath(folder_))
        throw EInOutError(QStringLiteral("Не удалось создать папку %1").arg(folder_));
    window.show();
    window.activateWindow();
    settle();
    save(window.grab(), QStringLiteral("01-host.png"));

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
            throw EInOutError(failure);
        if (!photographed)
            std::fprintf(stderr, "velta-host: the report viewer did not open on the tour\n");
    }
    return written_;
}

} // namespace velta::host
