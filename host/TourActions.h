#pragma once
// What the demo tour does to the host's windows as a user would: open menus,
// find items and windows, press buttons, pick rows, let the screen settle.
#include <QByteArray>
#include <QList>
#include <QString>

class QAbstractButton;
class QDialog;
class QWidget;
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
// Clicks a button once the current step has returned, for a button that
// opens a modal window of its own (a synchronous click would wait for it).
void clickLater(QDialog& window, const char* name);
// Checks a check box or radio button of a window.
void check(QDialog& window, const char* name);
// Types a text into a line edit of a window.
void typeText(QDialog& window, const char* name, const QString& text);
// Answers a message box with its default button (OK of an OK/Cancel box).
void acceptBox(QDialog& shown);
// Chooses a file in the toolkit's file dialog and confirms it.
void chooseFile(QDialog& shown, const QString& path);
// Sends a key press and its release to a widget, as the keyboard does.
void pressKey(QWidget& target, int key);
// A report viewer sized for a report's wide tables, as a user widens it.
void widenViewer(QDialog& viewer);

} // namespace velta::host::tour
