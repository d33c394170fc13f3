#include "plugin/ui/WidgetDialogs.h"

#include "plugin/platform/Paths.h"
#include "plugin/ui/FileFilter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <climits>

namespace velta {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Texts of the suite break lines with CR LF; Qt wants LF alone.
QString displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

QWidget* activeParent()
{
    return QApplication::activeWindow();
}

} // namespace

WidgetDialogs::WidgetDialogs(QString applicationTitle)
    : applicationTitle_(std::move(applicationTitle))
{
}

std::unique_ptr<QMessageBox> WidgetDialogs::buildMessageBox(const MessageBoxLayout& layout, const QString& text,
                                                            QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(layout.caption);
    box->setIcon(qtIcon(layout.icon));
    // Messages quote user data and file contents: never read them as markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(text));
    // Action roles keep the buttons in the framework's order on every platform.
    for (size_t i = 0; i < layout.buttons.size(); ++i) {
        QPushButton* button = box->addButton(layout.buttons[i].text, QMessageBox::ActionRole);
        button->setProperty(kResultProperty, layout.buttons[i].result);
        if (static_cast<int>(i) == layout.defaultIndex)
            box->setDefaultButton(button);
        if (static_cast<int>(i) == layout.escapeIndex)
            box->setEscapeButton(button);
    }
    return box;
}

int WidgetDialogs::messageBoxResult(const QMessageBox& box, const MessageBoxLayout& layout)
{
    if (const QAbstractButton* clicked = box.clickedButton()) {
        const QVariant result = clicked->property(kResultProperty);
        if (result.isValid())
            return result.toInt();
    }
    const int escape = layout.escapeResult();
    return escape != mrNone ? escape : mrCancel;
}

int WidgetDialogs::execMessageBox(const MessageBoxLayout& layout, const QString& text)
{
    auto box = buildMessageBox(layout, text, activeParent());
    box->exec();
    return messageBoxResult(*box, layout);
}

int WidgetDialogs::messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons, int /*helpContext*/)
{
    return execMessageBox(MessageBoxLayout::forMessageDlg(type, buttons, applicationTitle_), text);
}

int WidgetDialogs::messageBox(const QString& text, const QString& caption, unsigned flags)
{
    return execMessageBox(MessageBoxLayout::forMessageBox(caption, flags), text);
}

void WidgetDialogs::showMessage(const QString& text)
{
    execMessageBox(MessageBoxLayout::forShowMessage(applicationTitle_), text);
}

int WidgetDialogs::showModal(QDialog& window)
{
    const int result = window.exec();
    return result == QDialog::Rejected ? mrCancel : result;
}

std::optional<QString> WidgetDialogs::runFileDialog(const FileDialogOptions& options, bool save)
{
    QFileDialog dialog(activeParent(), options.title);
    if (!options.initialDir.isEmpty())
        dialog.setDirectory(Paths::toNative(options.initialDir));
    const QStringList filters = FileFilter::toQtNameFilters(options.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(options.filterIndex - 1, filters.first()));
    }
    dialog.setDefaultSuffix(FileFilter::cleanDefaultExt(options.defaultExt));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.overwritePrompt);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(options.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> WidgetDialogs::openFile(const FileDialogOptions& options)
{
    return runFileDialog(options, false);
}

std::optional<QString> WidgetDialogs::saveFile(const FileDialogOptions& options)
{
    return runFileDialog(options, true);
}

bool WidgetDialogs::printDialog(QPrinter& printer, PrintDialogOptions& options)
{
    QPrintDialog dialog(&printer, activeParent());
    dialog.setOption(QAbstractPrintDialog::PrintToFile, options.allowPrintToFile);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, options.allowPageNumbers);
    dialog.setMinMax(options.minPage, options.maxPage > 0 ? options.maxPage : INT_MAX);
    if (options.toPage > 0 && options.fromPage <= options.toPage)
        printer.setFromTo(options.fromPage, options.toPage);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options.allPages = printer.printRange() == QPrinter::AllPages;
    options.fromPage = options.allPages ? 1 : printer.fromPage();
    options.toPage = options.allPages ? 0 : printer.toPage();
    options.printToFile = !printer.outputFileName().isEmpty();
    options.copies = printer.copyCount();
    return true;
}

bool WidgetDialogs::printerSetup(QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, activeParent());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QFont> WidgetDialogs::chooseFont(const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, activeParent());
    if (!ok)
        return std::nullopt;
    return font;
}

bool WidgetDialogs::inputQuery(const QString& caption, const QString& prompt, QString& value)
{
    QInputDialog dialog(activeParent());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

} // namespace velta
