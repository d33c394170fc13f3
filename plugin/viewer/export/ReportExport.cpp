#include "plugin/viewer/export/ReportExport.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Paths.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/browser/HtmlFileText.h"
#include "plugin/viewer/export/OfficeAutomation.h"
#include "plugin/viewer/export/TextFileSave.h"
#include "plugin/viewer/print/ViewerSettings.h"

namespace velta::viewer {

namespace {

const QString kErrorTitle = QStringLiteral("Ошибка");
const QString kInformationTitle = QStringLiteral("Информация");

const QString kHtmlFileFilter =
    QStringLiteral("HTML-файлы (*.html)|*.html|HTM-файлы (*.htm)|*.htm|Все файлы (*.*)|*.*");

// A variant array with bounds 0 to -1: the empty list of property values.
Variant emptyPropertyArray()
{
    return Variant(Variant::Array{});
}

OleArgs args(std::initializer_list<Variant> values)
{
    OleArgs list;
    for (const Variant& value : values)
        list << OleVariant(value);
    return list;
}

// Clears the browser's selection when the export leaves, whichever way; a
// failure of the command changes nothing for the user.
class SelectionClearer {
public:
    SelectionClearer(ExportBrowser& browser, bool active) : browser_(browser), active_(active) {}
    ~SelectionClearer()
    {
        if (!active_)
            return;
        try {
            browser_.clearSelection();
        } catch (...) {
        }
    }
    SelectionClearer(const SelectionClearer&) = delete;
    SelectionClearer& operator=(const SelectionClearer&) = delete;

private:
    ExportBrowser& browser_;
    bool active_;
};

} // namespace

ExportBrowser::~ExportBrowser() = default;

const QStringList& ExportTargetCaptions()
{
    static const QStringList captions = {
        QStringLiteral("Microsoft Word"),    QStringLiteral("Microsoft Excel"), QStringLiteral("OpenOffice Writer"),
        QStringLiteral("OpenOffice Calc"),   QStringLiteral("буфер обмена"),    QStringLiteral("HTML-файл"),
    };
    return captions;
}

QString ExportFileName(TDateTime now)
{
    return QStringLiteral("ОТЧЕТ ") + FormatDateTime(QStringLiteral("ddmmyy hhnn"), now);
}

ReportExporter::ReportExporter(ExportBrowser& browser, Dialogs& dialogs, AutomationFactory& automation)
    : browser_(browser), dialogs_(dialogs), automation_(automation)
{
}

void ReportExporter::ExportReport(int target, const QString& htmlText)
{
    if (target < 0 || target >= kExportTargetCount)
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(target));

    // Every target but the file goes through the clipboard. A browser that
    // cannot select or copy ends the export here, without clearing.
    const bool throughClipboard = target != ExportToHtmlFile;
    if (throughClipboard) {
        browser_.selectAll();
        browser_.copy();
    }
    const SelectionClearer clearer(browser_, throughClipboard);
    const QString caption = ExportTargetCaptions().at(target);
    try {
        switch (target) {
        case ExportToWord:
        case ExportToExcel:
            exportByAutomation(target, caption);
            break;
        case ExportToWriter:
        case ExportToCalc:
            exportToOffice(target, caption);
            break;
        case ExportToHtmlFile:
            exportToHtmlFile(htmlText);
            break;
        default: // the clipboard already holds the report
            break;
        }
    } catch (const Exception& e) {
        dialogs_.messageBox(QStringLiteral("В ходе выполнения данной операции произошла ошибка:") + e.message(),
                            kErrorTitle, MB_ICONSTOP);
    }
}

void ReportExporter::exportByAutomation(int target, const QString& caption)
{
    const bool word = target == ExportToWord;
    try {
        const OleVariant program =
            automation_.createOleObject(word ? QStringLiteral("Word.Application") : QStringLiteral("Excel.Application"));
        try {
            if (word) {
                program.get(QStringLiteral("Documents")).call(QStringLiteral("Add"));
                program.get(QStringLiteral("Selection")).call(QStringLiteral("Paste"));
            } else {
                program.get(QStringLiteral("Workbooks")).call(QStringLiteral("Add"));
                program.get(QStringLiteral("ActiveSheet")).call(QStringLiteral("Paste"));
                program.get(QStringLiteral("Cells"), args({1, 1})).call(QStringLiteral("Select"));
            }
            program.set(QStringLiteral("Visible"), OleVariant(Variant(true)));
        } catch (const Exception& e) {
            dialogs_.messageBox(QStringLiteral("Ошибка экспорта в ") + caption + QStringLiteral(": \r\n") + e.message(),
                                kErrorTitle, MB_ICONSTOP);
            program.call(QStringLiteral("Quit"));
        }
    } catch (const Exception& e) {
        if (!e.message().startsWith(kClassNotRegisteredMessage))
            WrapExceptionTagged(e, QStringLiteral("Экспорт в ") + caption, true)->raise();
        dialogs_.messageBox(caption + QStringLiteral(" не установлен на вашем компьютере:\r\n") + e.message(),
                            kInformationTitle, MB_ICONINFORMATION);
    }
}

void ReportExporter::exportToOffice(int target, const QString& caption)
{
    try {
        const OleVariant manager = automation_.createOleObject(QStringLiteral("com.sun.star.ServiceManager"));
        if (!manager.isObject())
            throw Exception(QStringLiteral("Возникли проблемы при подключении к OpenOffice!"));
        const OleVariant desktop =
            manager.call(QStringLiteral("CreateInstance"), args({QStringLiteral("com.sun.star.frame.Desktop")}));
        const OleVariant dispatcher =
            manager.call(QStringLiteral("CreateInstance"), args({QStringLiteral("com.sun.star.frame.DispatchHelper")}));
        const QString factory = target == ExportToWriter ? QStringLiteral("private:factory/swriter")
                                                         : QStringLiteral("private:factory/scalc");
        desktop.call(QStringLiteral("LoadComponentFromURL"),
                     args({factory, QStringLiteral("_blank"), 0, emptyPropertyArray()}));
        const OleVariant frame = desktop.get(QStringLiteral("CurrentFrame"));
        OleArgs dispatchArgs = args({QStringLiteral(".uno:Paste"), QString(), 0, emptyPropertyArray()});
        dispatchArgs.prepend(frame);
        dispatcher.call(QStringLiteral("executeDispatch"), dispatchArgs);
    } catch (const Exception& e) {
        if (!e.message().startsWith(kClassNotRegisteredMessage))
            WrapExceptionTagged(e, QStringLiteral("Экспорт в ") + caption, true)->raise();
        dialogs_.messageBox(QStringLiteral("OpenOffice не установлен на вашем компьютере\r\n") + e.message(),
                            kInformationTitle, MB_ICONINFORMATION);
    }
}

void ReportExporter::exportToHtmlFile(const QString& htmlText)
{
    if (!exportDirectory_)
        exportDirectory_ = ReadExportDirectory();
    FileDialogOptions options;
    options.filter = kHtmlFileFilter;
    options.defaultExt = QStringLiteral("html");
    options.overwritePrompt = true;
    options.initialDir = Paths::toNative(*exportDirectory_);
    options.fileName = ExportFileName(Clock::current().now());
    const std::optional<QString> fileName = dialogs_.saveFile(options);
    if (!fileName)
        return;
    // The lines as the view holds them, each ended by CR LF, in the
    // document's own character set so a browser reads the file as it showed.
    WriteWholeFile(*fileName, encodeHtmlDocument(JoinLinesCrLf(SplitTextLines(htmlText))));
    dialogs_.messageBox(Format(QStringLiteral("Отчет сохранен в файл \"%s\""), {Variant(*fileName)}),
                        kInformationTitle, MB_ICONINFORMATION);
}

} // namespace velta::viewer
