#pragma once
// What the demo tour does to the host's windows as a user would: open menus,
// find items and windows, press buttons, pick rows, let the screen settle.
#include <QByteArray>
#include <QList>
#include <QString>

class QAbstractButton;
class QDialog;
class QMenu;
class QPixmap;

namespace velta::host {
class HostWindow;
class QtMenuItem;
}

namespace velta::host::tour {

// Runs the pending events a few times.
void settle();
// Lets the window settle for a while: events, timers and document loads.
void settleFor(int milliseconds);
// The top-level item whose caption starts with the text (the plug-in may have
// renamed it), or null.
QtMenuItem* topLevel(QtMenuItem& root, const QString& prefix);
// Opens the menu under its place in the menu bar.
void openMenu(HostWindow& window, QtMenuItem& item);
// The window with the open menus painted where they stand on the screen.
QPixmap composite(HostWindow& window, const QList<QMenu*>& menus);
// The menu item with the caption anywhere below the item, or null.
QtMenuItem* findItem(QtMenuItem& root, const QString& caption);
// The open report viewer, or null.
QDialog* openViewer();
QAbstractButton* viewerButton(QDialog& viewer, const char* name);
// The visible window of that object name (or of that class, for the
// toolkit's own dialogs), or null.
QDialog* visibleWindow(const QString& name);
// Presses a button of a window; a missing button is the tour's failure.
void press(QDialog& window, const char* name);
// Presses the button of a window showing that text (accelerators aside).
void pressCaption(QDialog& window, const QString& caption);
// Puts a grid of the window on one of its last rows, as a user picks a recent entry.
void pickRow(QDialog& window, const char* grid, int fromEnd);
// A card number handed to the scanner library as if it had been scanned.
bool scanCardNumber(const QByteArray& code);
// A report viewer sized for a report's wide tables, as a user widens it.
void widenViewer(QDialog& viewer);

} // namespace velta::host::tour
