#include "host/TourActions.h"

#include "common/Exception.h"
#include "host/HostWindow.h"
#include "host/QtMenuItem.h"
#include "plugin/platform/SiblingLibrary.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTableView>
#include <QThread>

namespace velta::host::tour {


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

// The visible window of that object name (or of that class, for the
// toolkit's own dialogs), or null.
QDialog* visibleWindow(const QString& name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if ((widget->objectName() == name || widget->inherits(name.toLatin1().constData())) && widget->isVisible())
            if (auto* dialog = qobject_cast<QDialog*>(widget))
                return dialog;
    return nullptr;
}

// Presses a button of a window; a missing button is the tour's failure.
void press(QDialog& window, const char* name)
{
    auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (!button)
        throw EInOutError(QStringLiteral("%1 has no button %2").arg(window.objectName(), QLatin1String(name)));
    button->click();
}

void pressCaption(QDialog& window, const QString& caption)
{
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        QString text = button->text();
        if (text.remove(QLatin1Char('&')) == caption && button->isVisible()) {
            button->click();
            return;
        }
    }
    throw EInOutError(QStringLiteral("%1 has no button \"%2\"").arg(window.objectName(), caption));
}

// Puts a grid of the window on one of its last rows, as a user picks a recent entry.
void pickRow(QDialog& window, const char* grid, int fromEnd)
{
    auto* view = window.findChild<QTableView*>(QString::fromLatin1(grid));
    if (!view || !view->model() || view->model()->rowCount() == 0)
        return;
    const int row = std::max(0, view->model()->rowCount() - 1 - fromEnd);
    view->setCurrentIndex(view->model()->index(row, 0));
    view->selectRow(row);
    view->scrollTo(view->model()->index(row, 0));
}

// A card number handed to the scanner library as if it had been scanned.
bool scanCardNumber(const QByteArray& code)
{
    const SiblingLibrary scanner = SiblingLibrary::findLoaded(QString::fromLatin1(scanner::kLibraryName));
    using DeliverFn = int (*)(const char* code, int length);
    auto deliver = reinterpret_cast<DeliverFn>(scanner.symbol("VeltaScanDeliver"));
    return deliver && deliver(code.constData(), static_cast<int>(code.size())) == 1;
}

// A report viewer sized for a report's wide tables, as a user widens it.
void widenViewer(QDialog& viewer)
{
    viewer.resize(1180, 800);
    settleFor(500);
}


} // namespace velta::host::tour
