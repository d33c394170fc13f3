#include "host/DemoTour.h"

#include "common/Exception.h"
#include "host/HostWindow.h"
#include "host/QtMenuItem.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>

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

} // namespace

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
    return written_;
}

} // namespace velta::host
