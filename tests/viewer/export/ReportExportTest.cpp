// Report export: the automation calls in order and the boxes of each outcome,
// the office suite through a stand-in soffice, the clipboard, the HTML file
// with its proposed name, directory and encoding, and the browser commands
// around all of it.
#include "common/Codecs.h"
#include "common/DateTime.h"
#include "common/Exception.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Paths.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/browser/HtmlFileText.h"
#include "plugin/viewer/export/OfficeAutomation.h"
#include "plugin/viewer/export/ReportExport.h"
#include "tests/support/TestEnv.h"
#include "tests/viewer/export/ExportTestDoubles.h"

#include <QApplication>
#include <QClipboard>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QMimeData>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

const QString kNotRegistered = QStringLiteral("Недопустимая строка с указанием класса");

// Automation whose objects record every call as "receiver.member(args)",
// property reads as "receiver.property[args]" and writes as
// "receiver.property := value"; a member named in failOn raises.
class RecordingAutomation : public AutomationFactory {
public:
    class Object : public AutomationObject {
    public:
        Object(RecordingAutomation& owner, QString name) : owner_(owner), name_(std::move(name)) {}
        const QString& name() const { return name_; }

        OleVariant invoke(const QString& member, const OleArgs& args) override
        {
            return record(member + u'(' + describe(args) + u')', member, args);
        }
        OleVariant get(const QString& property, const OleArgs& args) override
        {
            return record(args.isEmpty() ? property : property + u'[' + describe(args) + u']', property, args);
        }
        void set(const QString& property, const OleVariant& value) override
        {
            owner_.log << name_ + u'.' + property + QStringLiteral(" := ") + describe({value});
            owner_.failIfAsked(property);
        }

    private:
        OleVariant record(const QString& text, const QString& member, const OleArgs& args)
        {
            owner_.log << name_ + u'.' + text;
            owner_.failIfAsked(member);
            // Services are named after their last part, anything else after the member.
            QString child = member;
            if (!args.isEmpty() && args[0].value().isString() && args[0].value().toString().contains(u'.'))
                child = args[0].value().toString().section(u'.', -1);
            return OleVariant(std::shared_ptr<AutomationObject>(std::make_shared<Object>(owner_, child)));
        }

        RecordingAutomation& owner_;
        QString name_;
    };

    OleVariant createOleObject(const QString& progId) override
    {
        log << QStringLiteral("create ") + progId;
        if (createFailure)
            createFailure->raise();
        if (plainValue)
            return OleVariant(Variant(0));
        return OleVariant(std::shared_ptr<AutomationObject>(std::make_shared<Object>(*this, progId)));
    }

    void failIfAsked(const QString& member)
    {
        if (failOn.contains(member))
            throw EOleException(QStringLiteral("Сбой вызова ") + member);
    }

    static QString describe(const OleArgs& args)
    {
        QStringList parts;
        for (const OleVariant& arg : args) {
            if (arg.isObject())
                parts << static_cast<Object&>(arg.object()).name();
            else if (arg.value().isArray())
                parts << QStringLiteral("[%1]").arg(arg.value().arrayCount() ? QStringLiteral("...") : QString());
            else if (arg.value().isString())
                parts << u'"' + arg.value().toString() + u'"';
            else if (arg.value().type() == VarType::Boolean)
                parts << (arg.value().toBool() ? QStringLiteral("true") : QStringLiteral("false"));
            else
                parts << Variant::typeName(arg.value().type()) + u' ' + arg.value().toString();
        }
        return parts.join(QStringLiteral(", "));
    }

    QStringList log;
    QStringList failOn;
    std::unique_ptr<Exception> createFailure;
    bool plainValue = false;
};

class ReportExportTest : public ::testing::Test {
protected:
    void TearDown() override { dialogs.verify(); }

    void exportTo(int target, const QString& html = kReportHtml)
    {
        ReportExporter exporter(browser, dialogs, automation);
        exporter.ExportReport(target, html);
    }

    // Expects one box with the text, title and icon.
    void expectBox(const QString& text, const QString& title, unsigned icon)
    {
        dialogs.expectMessageBox(text).withCaption(title).when(
            [icon](const DialogCall& call) { return (call.flags & MB_ICONMASK) == icon; }, QStringLiteral("icon"));
    }
    void expectErrorBox(const QString& text) { expectBox(text, QStringLiteral("Ошибка"), MB_ICONSTOP); }
    void expectInfoBox(const QString& text) { expectBox(text, QStringLiteral("Информация"), MB_ICONINFORMATION); }

    static inline const QString kReportHtml = QStringLiteral(
        "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n"
        "</head>\r\n<body>\r\n<h3>Сменный отчет</h3>\r\n<table><tr><td>АИ-95</td><td>1 250,00</td></tr></table>\r\n"
        "</body>\r\n</html>");

    test::TestEnv env;
    ScriptedDialogs dialogs{[](const QString& message) { ADD_FAILURE() << message.toStdString(); }};
    test::TextBrowserDouble browser{kReportHtml};
    RecordingAutomation automation;
};

// --- Word and Excel ---------------------------------------------------------

TEST_F(ReportExportTest, WordGetsDocumentPastedAndShown)
{
    exportTo(ExportToWord);
    EXPECT_EQ(automation.log, QStringList({QStringLiteral("create Word.Application"),
                                           QStringLiteral("Word.Application.Documents"), QStringLiteral("Documents.Add()"),
                                           QStringLiteral("Word.Application.Selection"), QStringLiteral("Selection.Paste()"),
                                           QStringLiteral("Word.Application.Visible := true")}));
    EXPECT_EQ(browser.log, QStringList({QStringLiteral("selectAll"), QStringLiteral("copy"), QStringLiteral("clearSelection")}));
}

TEST_F(ReportExportTest, ExcelGetsWorkbookPastedFirstCellSelectedAndShown)
{
    exportTo(ExportToExcel);
    EXPECT_EQ(automation.log,
              QStringList({QStringLiteral("create Excel.Application"), QStringLiteral("Excel.Application.Workbooks"),
                           QStringLiteral("Workbooks.Add()"), QStringLiteral("Excel.Application.ActiveSheet"),
                           QStringLiteral("ActiveSheet.Paste()"), QStringLiteral("Excel.Application.Cells[Integer 1, Integer 1]"),
                           QStringLiteral("Cells.Select()"), QStringLiteral("Excel.Application.Visible := true")}));
}

TEST_F(ReportExportTest, MissingProgramGivesInformationBoxOnly)
{
    // The platform's own automation: neither program is ever registered.
    OfficeAutomation platform;
    for (int target : {int(ExportToWord), int(ExportToExcel)}) {
        const QString caption = ExportTargetCaptions().at(target);
        expectInfoBox(caption + QStringLiteral(" не установлен на вашем компьютере:\r\n") + kNotRegistered);
        ReportExporter(browser, dialogs, platform).ExportReport(target, kReportHtml);
        EXPECT_FALSE(browser.hasSelection());
    }
    EXPECT_TRUE(dialogs.verify().isEmpty());
    EXPECT_EQ(dialogs.calls().size(), 2u);
}

TEST_F(ReportExportTest, CallFailingAfterStartShowsErrorAndQuits)
{
    automation.failOn << QStringLiteral("Paste");
    expectErrorBox(QStringLiteral("Ошибка экспорта в Microsoft Excel: \r\nСбой вызова Paste"));
    exportTo(ExportToExcel);
    EXPECT_EQ(automation.log.mid(4), QStringList({QStringLiteral("ActiveSheet.Paste()"), QStringLiteral("Excel.Application.Quit()")}));
    EXPECT_EQ(browser.log.last(), QStringLiteral("clearSelection"));
}

TEST_F(ReportExportTest, QuitFailingReachesGeneralErrorWithContext)
{
    automation.failOn << QStringLiteral("Visible") << QStringLiteral("Quit");
    expectErrorBox(QStringLiteral("Ошибка экспорта в Microsoft Word: \r\nСбой вызова Visible"));
    expectErrorBox(QStringLiteral("В ходе выполнения данной операции произошла ошибка:"
                                  "Экспорт в Microsoft Word -> Сбой вызова Quit <# EOleException #>"));
    exportTo(ExportToWord);
}

TEST_F(ReportExportTest, OtherStartFailureReachesGeneralErrorWithContext)
{
    automation.createFailure = std::make_unique<EOleSysError>(QStringLiteral("Отказано в доступе"));
    expectErrorBox(QStringLiteral("В ходе выполнения данной операции произошла ошибка:"
                                  "Экспорт в Microsoft Excel -> Отказано в доступе <# EOleSysError #>"));
    exportTo(ExportToExcel);
}

// --- The office suite -------------------------------------------------------

TEST_F(ReportExportTest, OfficeSuiteCallsInOrder)
{
    exportTo(ExportToCalc);
    EXPECT_EQ(automation.log,
              QStringList({QStringLiteral("create com.sun.star.ServiceManager"),
                           QStringLiteral("com.sun.star.ServiceManager.CreateInstance(\"com.sun.star.frame.Desktop\")"),
                           QStringLiteral("com.sun.star.ServiceManager.CreateInstance(\"com.sun.star.frame.DispatchHelper\")"),
                           QStringLiteral("Desktop.LoadComponentFromURL(\"private:factory/scalc\", \"_blank\", Integer 0, [])"),
                           QStringLiteral("Desktop.CurrentFrame"),
                           QStringLiteral("DispatchHelper.executeDispatch(CurrentFrame, \".uno:Paste\", \"\", Integer 0, [])")}));
}

TEST_F(ReportExportTest, ServiceManagerThatIsNoObject)
{
    automation.plainValue = true;
    expectErrorBox(QStringLiteral("В ходе выполнения данной операции произошла ошибка:Экспорт в OpenOffice Writer -> "
                                  "Возникли проблемы при подключении к OpenOffice! <# Exception #>"));
    exportTo(ExportToWriter);
    EXPECT_EQ(automation.log.size(), 1);
}

TEST_F(ReportExportTest, OfficeSuiteCallFailureReachesGeneralError)
{
    automation.failOn << QStringLiteral("executeDispatch");
    expectErrorBox(QStringLiteral("В ходе выполнения данной операции произошла ошибка:Экспорт в OpenOffice Calc -> "
                                  "Сбой вызова executeDispatch <# EOleException #>"));
    exportTo(ExportToCalc);
}

TEST_F(ReportExportTest, WithoutSofficeOnThePathTheSuiteIsNotInstalled)
{
    QDir().mkpath(env.path(QStringLiteral("empty")));
    const test::SearchPathScope path(env.path(QStringLiteral("empty")));
    OfficeAutomation platform;
    expectInfoBox(QStringLiteral("OpenOffice не установлен на вашем компьютере\r\n") + kNotRegistered);
    ReportExporter(browser, dialogs, platform).ExportReport(ExportToWriter, kReportHtml);
}

TEST_F(ReportExportTest, StandInSofficeReceivesTheReport)
{
    const test::SearchPathScope path(test::pathWithFolderFirst(test::writeStandInOffice(env.dir())));
    OfficeAutomation platform;
    const QString args = env.path(QStringLiteral("soffice-args.txt"));
    const QString received = env.path(QStringLiteral("soffice-received.html"));
    for (int target : {int(ExportToWriter), int(ExportToCalc)}) {
        QFile::remove(args);
        ReportExporter(browser, dialogs, platform).ExportReport(target, kReportHtml);
        ASSERT_TRUE(test::waitForFile(args)) << target;
        const QStringList given = QString::fromUtf8(test::readFileBytes(args)).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(given.value(0), target == ExportToWriter ? QStringLiteral("--infilter=HTML (StarWriter)")
                                                           : QStringLiteral("--infilter=HTML (StarCalc)"));
        // The copy of the browser's rendering, readable in the charset it declares.
        const QByteArray bytes = test::readFileBytes(received);
        const QString text = declaredHtmlCharset(QString::fromLatin1(bytes)) == QLatin1String("windows-1251")
                                 ? codec::fromCp1251(bytes)
                                 : QString::fromUtf8(bytes);
        EXPECT_TRUE(text.contains(QStringLiteral("Сменный отчет"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("1 250,00")));
    }
    EXPECT_FALSE(browser.hasSelection());
}

// --- Clipboard and browser commands ----------------------------------------

TEST_F(ReportExportTest, ClipboardHoldsHtmlAndTextAndNothingStaysSelected)
{
    QApplication::clipboard()->clear();
    exportTo(ExportToClipboard);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasHtml());
    EXPECT_TRUE(data->html().contains(QStringLiteral("Сменный отчет")));
    EXPECT_TRUE(data->html().contains(QStringLiteral("<table")));
    EXPECT_TRUE(data->text().contains(QStringLiteral("Сменный отчет")));
    EXPECT_TRUE(data->text().contains(QStringLiteral("1 250,00")));
    EXPECT_FALSE(browser.hasSelection());
    EXPECT_TRUE(automation.log.isEmpty());
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(ReportExportTest, BrowserViewLeavesBothFlavoursOnTheClipboardAndNoSelection)
{
    const QString file = env.path(QStringLiteral("report.html"));
    test::writeFileBytes(file, codec::toCp1251(kReportHtml));
    BrowserView view;
    bool complete = false;
    QObject::connect(&view, &BrowserView::documentComplete, [&complete] { complete = true; });
    view.navigate(file);
    QElapsedTimer waited;
    waited.start();
    while (!complete && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(complete);

    QApplication::clipboard()->clear();
    ExportReport(view, dialogs, ExportToClipboard, kReportHtml);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasHtml());
    EXPECT_TRUE(data->html().contains(QStringLiteral("Сменный отчет")));
    EXPECT_TRUE(data->text().contains(QStringLiteral("1 250,00")));
    EXPECT_FALSE(view.hasSelection());
}

TEST_F(ReportExportTest, BrowserViewWithoutDocumentEndsExportBeforeAnything)
{
    BrowserView empty;
    EXPECT_THROW(ExportReport(empty, dialogs, ExportToWord, kReportHtml), EOleException);
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(ReportExportTest, SelectOrCopyFailureEndsExportAndPropagates)
{
    browser.failSelectAll = [] { throw EOleException(QStringLiteral("Нет документа")); };
    EXPECT_THROW(exportTo(ExportToWord), EOleException);
    EXPECT_EQ(browser.log, QStringList({QStringLiteral("selectAll")}));

    browser.log.clear();
    browser.failSelectAll = nullptr;
    browser.failCopy = [] { throw EOleException(QStringLiteral("Нет документа")); };
    EXPECT_THROW(exportTo(ExportToCalc), EOleException);
    EXPECT_EQ(browser.log, QStringList({QStringLiteral("selectAll"), QStringLiteral("copy")}));
    EXPECT_TRUE(automation.log.isEmpty());
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(ReportExportTest, ClearSelectionFailureIsIgnored)
{
    browser.failClear = [] { throw EOleException(QStringLiteral("Нет документа")); };
    EXPECT_NO_THROW(exportTo(ExportToClipboard));
    EXPECT_NO_THROW(exportTo(ExportToWord));
    EXPECT_EQ(browser.log.count(QStringLiteral("clearSelection")), 2);
}

TEST_F(ReportExportTest, TargetOutsideTheChoiceIsRefused)
{
    EXPECT_THROW(exportTo(-1), EListError);
    EXPECT_THROW(exportTo(kExportTargetCount), EListError);
    EXPECT_TRUE(browser.log.isEmpty());
}

// --- The HTML file ----------------------------------------------------------

class HtmlFileExportTest : public ReportExportTest {
protected:
    void SetUp() override
    {
        clock.setNow(EncodeDateTime(2026, 12, 6, 14, 25, 41, 0));
    }

    ManualClock clock;
    ScopedClock clockScope{clock};
};

TEST_F(HtmlFileExportTest, DialogProposesNameInExportDirectoryAndFileIsSaved)
{
    const QString target = env.path(QStringLiteral("ОТЧЕТ 061226 1425.html"));
    dialogs.expectSaveFile()
        .when([](const DialogCall& call) { return call.file.fileName == QStringLiteral("ОТЧЕТ 061226 1425"); },
              QStringLiteral("proposed name"))
        .when([](const DialogCall& call) { return call.file.initialDir == Paths::toNative(QStringLiteral("C:\\DEXE\\EXPORT\\")); },
              QStringLiteral("export directory"))
        .when([](const DialogCall& call) {
                  return call.file.filter == QStringLiteral("HTML-файлы (*.html)|*.html|HTM-файлы (*.htm)|*.htm|Все файлы (*.*)|*.*")
                         && call.file.defaultExt == QStringLiteral("html") && call.file.overwritePrompt;
              },
              QStringLiteral("filter, extension, overwrite prompt"))
        .choose(target);
    expectInfoBox(QStringLiteral("Отчет сохранен в файл \"") + target + u'"');
    exportTo(ExportToHtmlFile);

    // The report engine's document declares windows-1251: the file is cp1251, every line ended by CR LF.
    EXPECT_EQ(test::readFileBytes(target), codec::toCp1251(QString(kReportHtml).append(QStringLiteral("\r\n"))));
    EXPECT_TRUE(browser.log.isEmpty());
    EXPECT_EQ(ExportFileName(EncodeDateTime(2027, 1, 2, 3, 4, 0, 0)), QStringLiteral("ОТЧЕТ 020127 0304"));
}

TEST_F(HtmlFileExportTest, ExportDirectoryIsUsedTrimmed)
{
    {
        TSafeIniFile ini(CnfIniFileName());
        ini.WriteString(QStringLiteral("TovarExports"), QStringLiteral("Каталог экспорта"),
                        QStringLiteral("  \tC:\\Отчеты\\Экспорт\\  "));
    }
    dialogs.expectSaveFile()
        .when([](const DialogCall& call) { return call.file.initialDir == Paths::toNative(QStringLiteral("C:\\Отчеты\\Экспорт\\")); },
              QStringLiteral("trimmed directory"))
        .cancel();
    exportTo(ExportToHtmlFile);
}

TEST_F(HtmlFileExportTest, CancelledDialogWritesAndShowsNothing)
{
    dialogs.expectSaveFile().cancel();
    exportTo(ExportToHtmlFile);
    EXPECT_EQ(dialogs.calls().size(), 1u);
    QDirIterator files(env.dir(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString name = files.next();
        EXPECT_FALSE(name.endsWith(QStringLiteral(".html")) || name.contains(QStringLiteral("ОТЧЕТ"))) << name.toStdString();
    }
}

TEST_F(HtmlFileExportTest, FileThatCannotBeCreatedGivesGeneralError)
{
    const QString target = env.path(QStringLiteral("нет такой папки/отчет.html"));
    dialogs.expectSaveFile().choose(target);
    dialogs.expect(DialogKind::MessageBox)
        .when([&](const DialogCall& call) {
                  return call.text.startsWith(QStringLiteral("В ходе выполнения данной операции произошла ошибка:"
                                                              "Cannot create file \"")
                                              + target + u'"')
                         && call.caption == QStringLiteral("Ошибка");
              },
              QStringLiteral("create error"));
    exportTo(ExportToHtmlFile);
    EXPECT_FALSE(QFile::exists(target));
}

TEST(HtmlFileText, EncodingFollowsTheDeclaredCharset)
{
    const QString body = QStringLiteral("<body>Отчет ✓ 😀</body>");
    const QString cp1251Doc = QStringLiteral("<head><meta content=\"text/html; charset=Windows-1251\"></head>") + body;
    EXPECT_EQ(declaredHtmlCharset(cp1251Doc), QStringLiteral("windows-1251"));
    EXPECT_EQ(encodeHtmlDocument(cp1251Doc),
              codec::toCp1251(QStringLiteral("<head><meta content=\"text/html; charset=Windows-1251\"></head>"
                                             "<body>Отчет &#10003; &#128512;</body>")));

    const QString utf8Doc = QStringLiteral("<head><meta charset='utf-8'></head>") + body;
    EXPECT_EQ(encodeHtmlDocument(utf8Doc), utf8Doc.toUtf8());

    // A charset named only inside the body does not count; no declaration gets a byte order mark.
    const QString undeclared = QStringLiteral("<html><body>charset=windows-1251 Отчет</body></html>");
    EXPECT_TRUE(declaredHtmlCharset(undeclared).isEmpty());
    EXPECT_EQ(encodeHtmlDocument(undeclared), QByteArray("\xEF\xBB\xBF") + undeclared.toUtf8());
}

} // namespace
} // namespace velta::viewer
