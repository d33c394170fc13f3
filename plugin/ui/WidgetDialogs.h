#pragma once
// The real dialogs: Qt message boxes laid out as the framework lays out its
// boxes (Russian button texts, icons, default and Esc buttons, modal results),
// and Qt's file, print, page setup, font and input dialogs.
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/MessageBoxLayout.h"

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace velta {

class WidgetDialogs : public Dialogs {
public:
    // applicationTitle captions ShowMessage and mtCustom boxes.
    explicit WidgetDialogs(QString applicationTitle = QStringLiteral("Велта"));

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

    // The message box for a layout, not yet shown. Its buttons carry their
    // modal result in the property kResultProperty; the text is shown as plain
    // text with Windows line breaks made single.
    static std::unique_ptr<QMessageBox> buildMessageBox(const MessageBoxLayout& layout, const QString& text,
                                                        QWidget* parent = nullptr);
    // The result of a box built above after it closed: the pressed button's,
    // or the Esc result when none was pressed.
    static int messageBoxResult(const QMessageBox& box, const MessageBoxLayout& layout);
    // Runs a built box modally and returns its result.
    static int execMessageBox(const MessageBoxLayout& layout, const QString& text);

    static constexpr const char* kResultProperty = "veltaModalResult";

private:
    std::optional<QString> runFileDialog(const FileDialogOptions& options, bool save);

    QString applicationTitle_;
};

} // namespace velta
