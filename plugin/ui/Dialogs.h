#pragma once
// The one way the plug-in talks to the user: message boxes, modal windows,
// file, print and font dialogs and the one-line input query. Windows and their
// logic receive a Dialogs& from whoever creates them; the real implementation
// shows Qt windows, the scripted one answers from a test's script.
#include "plugin/ui/DialogTypes.h"

#include <QFont>
#include <QString>
#include <optional>

class QDialog;
class QPrinter;

namespace velta {

// An open or save dialog as the framework sets one up.
struct FileDialogOptions {
    QString title;
    // The framework's filter text: "Текст (*.txt)|*.txt|Все файлы (*.*)|*.*".
    QString filter;
    int filterIndex = 1; // 1-based, as the framework counts
    QString initialDir;  // Windows-style or native
    QString fileName;    // proposed name
    QString defaultExt;  // added to a name typed without extension ("txt" or ".txt")
    bool overwritePrompt = false; // save: ask before replacing a file
    bool fileMustExist = false;   // open: refuse names of missing files
};

// The print dialog's page choice, set before and read after the dialog.
struct PrintDialogOptions {
    bool allowPrintToFile = false;
    bool allowPageNumbers = false;
    int minPage = 1;
    int maxPage = 0; // 0: unbounded
    int fromPage = 1;
    int toPage = 0;  // 0: unbounded
    // Filled in when the user confirms.
    bool allPages = true;
    bool printToFile = false;
    int copies = 1;
};

class Dialogs {
public:
    virtual ~Dialogs();

    // MessageDlg: the box of the given type; returns the modal result of the
    // button pressed (mrYes, mrOk, ...).
    virtual int messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext = 0) = 0;
    // Application.MessageBox: returns IDOK ... IDNO.
    virtual int messageBox(const QString& text, const QString& caption, unsigned flags = MB_OK) = 0;
    // ShowMessage: the text with an OK button, titled with the application's title.
    virtual void showMessage(const QString& text) = 0;

    // Shows the window modally and returns its modal result; a window closed
    // without one (Esc, the close button) gives mrCancel.
    virtual int showModal(QDialog& window) = 0;

    // The chosen file (native path), or nothing when the user cancelled.
    virtual std::optional<QString> openFile(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFile(const FileDialogOptions& options) = 0;

    // The system print dialog on the printer; true when the user confirmed,
    // with the page choice written back into options.
    virtual bool printDialog(QPrinter& printer, PrintDialogOptions& options) = 0;
    // The printer setup dialog; true when confirmed.
    virtual bool printerSetup(QPrinter& printer) = 0;
    // The font dialog preset to initial; the chosen font, or nothing.
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    // InputQuery: true and value changed when the user confirmed.
    virtual bool inputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
};

// The instance the plug-in's entry points hand to the windows they open.
// Without one installed, the real Qt dialogs are used.
Dialogs& currentDialogs();

// Installs a Dialogs instance as the current one for its lifetime and puts
// the previous one back afterwards.
class CurrentDialogsScope {
public:
    explicit CurrentDialogsScope(Dialogs& dialogs);
    ~CurrentDialogsScope();
    CurrentDialogsScope(const CurrentDialogsScope&) = delete;
    CurrentDialogsScope& operator=(const CurrentDialogsScope&) = delete;

private:
    Dialogs* previous_;
};

} // namespace velta
