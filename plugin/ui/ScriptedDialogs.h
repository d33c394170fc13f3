#pragma once
// The test double of Dialogs: a test queues the dialogs it expects, in order,
// with the user's answer to each; every call is recorded. A call the script
// did not expect, or an answer the dialog could not give, is a failure: it goes
// to the failure reporter (a test passes one that fails the test) and is
// thrown as ScriptedDialogsError, which the plug-in's error handlers, catching
// velta::Exception, do not swallow. Expectations never met are failures too,
// reported by verify() or, when the test forgot it, by the destructor.
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/MessageBoxLayout.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace velta {

enum class DialogKind { MessageDlg, MessageBox, ShowMessage, ShowModal, OpenFile, SaveFile, PrintDialog,
                        PrinterSetup, Font, InputQuery };

QString dialogKindName(DialogKind kind);

// One call as the code under test made it.
struct DialogCall {
    DialogKind kind = DialogKind::MessageDlg;
    // The message; the input query's prompt; the window's objectName; the
    // file dialog's title.
    QString text;
    // The caption the box shows (MessageDlg's comes from its type); the input
    // query's caption; the window's title; the file dialog's title.
    QString caption;
    MsgDlgType type = mtCustom;
    MsgDlgButtons buttons;
    int helpContext = 0;
    unsigned flags = 0;
    FileDialogOptions file;
    PrintDialogOptions print;
    QString value; // the input query's value on entry

    QString describe() const;
};

class ScriptedDialogsError : public std::runtime_error {
public:
    explicit ScriptedDialogsError(const QString& message);
};

// One expected dialog and the user's answer to it.
class DialogExpectation {
public:
    explicit DialogExpectation(DialogKind kind);

    // What the call must look like besides its kind.
    DialogExpectation& withText(const QString& text);
    DialogExpectation& withCaption(const QString& caption);
    DialogExpectation& containing(const QString& part);
    DialogExpectation& when(std::function<bool(const DialogCall&)> predicate, const QString& what);

    // Boxes: the result of the button pressed; windows: the modal result the
    // window is closed with (through its done()).
    DialogExpectation& answer(int result);
    // The user backs out: Esc on a box (only where the box allows it), the
    // close button on a window, Cancel in the other dialogs.
    DialogExpectation& cancel();
    // File dialogs: the file chosen.
    DialogExpectation& choose(const QString& path);
    DialogExpectation& chooseFont(const QFont& font);
    // Input query: the text typed before OK.
    DialogExpectation& enter(const QString& text);
    // Windows: the script runs on the shown window, works its controls (found
    // by objectName) and is expected to close it; the window's own result counts.
    DialogExpectation& drive(std::function<void(QDialog&)> script);
    // Print dialog confirmed; adjust may change the printer and the page choice.
    DialogExpectation& confirmPrint(std::function<void(QPrinter&, PrintDialogOptions&)> adjust = {});
    // Printer setup confirmed; adjust may change the printer.
    DialogExpectation& confirmSetup(std::function<void(QPrinter&)> adjust = {});

    DialogKind kind() const { return kind_; }
    QString describe() const;
    // Why the call does not fit, or empty when it does.
    QString mismatch(const DialogCall& call) const;

private:
    friend class ScriptedDialogs;

    DialogKind kind_;
    std::optional<QString> text_;
    std::optional<QString> caption_;
    QStringList parts_;
    std::vector<std::pair<std::function<bool(const DialogCall&)>, QString>> predicates_;

    bool cancelled_ = false;
    std::optional<int> result_;
    std::optional<QString> path_;
    std::optional<QFont> font_;
    std::optional<QString> input_;
    std::function<void(QDialog&)> drive_;
    bool confirmed_ = false;
    std::function<void(QPrinter&, PrintDialogOptions&)> printAdjust_;
    std::function<void(QPrinter&)> setupAdjust_;
};

class ScriptedDialogs : public Dialogs {
public:
    using FailureReporter = std::function<void(const QString& message)>;

    // The reporter hears every failure (a GoogleTest test passes one that
    // adds a test failure). Without one, failures are only thrown, and
    // expectations left at destruction abort the program.
    explicit ScriptedDialogs(FailureReporter reporter = {},
                             QString applicationTitle = QStringLiteral("Велта"));
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Queues an expectation; the reference stays valid until it is met.
    DialogExpectation& expect(DialogKind kind);
    DialogExpectation& expectMessageDlg(const QString& text);
    DialogExpectation& expectMessageBox(const QString& text);
    DialogExpectation& expectShowMessage(const QString& text);
    DialogExpectation& expectModal(const QString& objectName);
    DialogExpectation& expectOpenFile();
    DialogExpectation& expectSaveFile();
    DialogExpectation& expectPrintDialog();
    DialogExpectation& expectPrinterSetup();
    DialogExpectation& expectFont();
    DialogExpectation& expectInputQuery(const QString& prompt);

    // Reports every expectation not met, forgets them and returns the
    // failures seen since the last verify (unexpected calls included).
    // Without a reporter, failures found here are thrown.
    QStringList verify();

    const std::vector<DialogCall>& calls() const { return calls_; }
    size_t pendingCount() const { return expected_.size(); }

    int messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext = 0) override;
    int messageBox(const QString& text, const QString& caption, unsigned flags = MB_OK) override;
    void showMessage(const QString& text) override;
    int showModal(QDialog& window) override;
    std::optional<QString> openFile(const FileDialogOptions& options) override;
    std::optional<QString> saveFile(const FileDialogOptions& options) override;
    bool printDialog(QPrinter& printer, PrintDialogOptions& options) override;
    bool printerSetup(QPrinter& printer) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override;

private:
    // Records the call and takes the expectation it meets; fails otherwise.
    std::unique_ptr<DialogExpectation> take(const DialogCall& call);
    [[noreturn]] void fail(const QString& message);
    int answerBox(const DialogCall& call, const MessageBoxLayout& layout);
    std::optional<QString> answerFile(const DialogCall& call);

    FailureReporter reporter_;
    QString applicationTitle_;
    std::deque<std::unique_ptr<DialogExpectation>> expected_;
    std::vector<DialogCall> calls_;
    QStringList failures_;
};

} // namespace velta
