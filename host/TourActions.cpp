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
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QPixmap>
#include <QTableView>
#include <QThread>
#include <QTimer>

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

void clickLater(QDialog& window, const char* name)
{
    auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (!button)
        throw EInOutError(QStringLiteral("%1 has no button %2").arg(window.objectName(), QLatin1String(name)));
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

void check(QDialog& window, const char* name)
{
    auto* box = window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (!box)
        throw EInOutError(QStringLiteral("%1 has no %2").arg(window.objectName(), QLatin1String(name)));
    box->setChecked(true);
}

void typeText(QDialog& window, const char* name, const QString& text)
{
    auto* edit = window.findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!edit)
        throw EInOutError(QStringLiteral("%1 has no edit %2").arg(window.objectName(), QLatin1String(name)));
    edit->setFocus();
    edit->setText(text);
}

void acceptBox(QDialog& shown)
{
    auto* box = qobject_cast<QMessageBox*>(&shown);
    if (!box || !box->defaultButton())
        throw EInOutError(QStringLiteral("%1 is not a message box with a default button").arg(shown.objectName()));
    box->defaultButton()->click();
}

void chooseFile(QDialog& shown, const QString& path)
{
    auto* dialog = qobject_cast<QFileDialog*>(&shown);
    if (!dialog)
        throw EInOutError(QStringLiteral("%1 is not a file dialog").arg(shown.objectName()));
    if (!QFileInfo::exists(path))
        throw EInOutError(QStringLiteral("no file %1").arg(path));
    // A dialog still reading the file's folder answers the folder itself.
    const QFileInfo file(path);
    const QString wanted = file.absoluteFilePath();
    dialog->setDirectory(file.absolutePath());
    // The dialog does not retype the name into its name field while that field
    // has the focus: typed there as a user does.
    auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (nameField)
            nameField->setText(file.fileName());
        else
            dialog->selectFile(file.fileName());
        if (dialog->selectedFiles().value(0) == wanted)
            break;
        settleFor(100);
    }
    if (dialog->selectedFiles().value(0) != wanted)
        throw EInOutError(QStringLiteral("the file dialog did not take %1").arg(path));
    // The dialog's own confirmation, as its Open button does.
    QMetaObject::invokeMethod(dialog, "accept");
}

void pressKey(QWidget& target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
}

// A report viewer sized for a report's wide tables, as a user widens it.
void widenViewer(QDialog& viewer)
{
    viewer.resize(1180, 800);
    settleFor(500);
}


} // namespace velta::host::tour
