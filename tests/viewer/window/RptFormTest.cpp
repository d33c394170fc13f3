// The report viewer window driven as a user drives it, on the offscreen
// platform: its modes, the settings it keeps, zoom, its keys and the F5 hook,
// the text preview and the print commands, and ShowReport through the dialog
// service.
#include "plugin/viewer/window/RptForm.h"

#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Registry.h"
#include "plugin/platform/Sound.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/browser/BrowserSettings.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/viewer/window/HtmlTempFile.h"
#include "plugin/viewer/window/ShowReport.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/TextPrinting.h"
#include "plugin/viewer/print/ViewerHost.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

using namespace velta;
using namespace velta::viewer;

namespace {

const QString kText = QStringLiteral("+---+\n|   |\n+---+\nИТОГО 12,50");
const QString kHtml = QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                     "charset=windows-1251\"></head><body><p>Остатки по лимитам</p></body></html>");

void settle(int rounds = 5)
{
    for (int i = 0; i < rounds; ++i)
        QApplication::processEvents();
}

// Counts the host's print calls and keeps the lines of the last one.
class CountingHost : public ViewerHost {
public:
    bool printStraightToDevice() override { return raw; }
    bool printThroughHost() override { return throughHost; }
    plugin::HostPrintRoutineFn hostPrintRoutine() override { return &CountingHost::routine; }

    static void routine(int kind, const QStringList& lines, bool flag)
    {
        ++calls;
        lastKind = kind;
        lastLines = lines;
        lastFlag = flag;
    }
    bool throughHost = true;
    bool raw = false;
    static inline int calls = 0;
    static inline int lastKind = 0;
    static inline QStringList lastLines;
    static inline bool lastFlag = false;
};

// The raw printer device for a scope: VELTA_RAW_PRINTER names a file.
class ScopedRawPrinterFile {
public:
    explicit ScopedRawPrinterFile(const QString& file)
    {
        ::setenv("VELTA_RAW_PRINTER", QFile::encodeName(file).constData(), 1);
    }
    ~ScopedRawPrinterFile() { ::unsetenv("VELTA_RAW_PRINTER"); }
};

// The temporary HTML file at another path for a scope.
class ScopedHtmlTempFile {
public:
    explicit ScopedHtmlTempFile(const QString& path) { SetHtmlTempFile(path); }
    ~ScopedHtmlTempFile() { SetHtmlTempFile(QString()); }
};

class RptFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CountingHost::calls = 0;
        CountingHost::lastLines.clear();
        ResetCurrentPrinter();
        SharedTextPrintSettings() = TextPrintSettings{};
        EnsureBrowserVersionRegistered();
    }
    void TearDown() override { dialogs.verify(); }

    static void writeCnf(const QString& section, const QString& key, const QString& value)
    {
        TSafeIniFile(CnfIniFileName()).WriteString(section, key, value);
    }
    static QString readCnf(const QString& section, const QString& key)
    {
        return TSafeIniFile(CnfIniFileName()).ReadString(section, key, QStringLiteral("<none>"));
    }

    std::unique_ptr<TRptFrm> open(bool allowOld, const QString& text, const QString& html)
    {
        auto form = std::make_unique<TRptFrm>(dialogs, allowOld);
        form->setReport(text, html, QStringLiteral("ТЕКУЩИЕ ОСТАТКИ"), true);
        form->show();
        settle();
        return form;
    }

    template <class W>
    static W* child(TRptFrm& form, const char* name)
    {
        W* w = form.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    static void key(QWidget* target, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        // Qt sends the shortcut query of a press made this way itself, as the
        // keyboard's presses get one.
        QKeyEvent press(QEvent::KeyPress, k, modifiers);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, k, modifiers);
        QApplication::sendEvent(target, &release);
    }

    test::TestEnv env;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    CountingHost host;
    ScopedViewerHost hostScope{host};
};

TEST_F(RptFormTest, ModesFollowOldReportsFormatAndMissingHtml)
{
    {
        // Old reports not allowed: a text-only report is shown as an HTML document of its raw text.
        auto form = open(false, QStringLiteral("Только текст"), QString());
        EXPECT_TRUE(form->htmlMode());
        EXPECT_EQ(form->htmlText(), QStringLiteral("Только текст"));
        EXPECT_FALSE(child<QPushButton>(*form, "bbtRepForm")->isVisible());
        settle();
        EXPECT_TRUE(form->browser().documentText().contains(QStringLiteral("Только текст")));
        form->reject();
    }
    {
        // Old reports allowed and no HTML: the text view alone, without switch, options or export.
        auto form = open(true, kText, QString());
        EXPECT_FALSE(form->htmlMode());
        EXPECT_FALSE(child<QPushButton>(*form, "bbtRepForm")->isVisible());
        EXPECT_FALSE(child<QPushButton>(*form, "sbtnAdditional")->isVisible());
        EXPECT_FALSE(child<QGroupBox>(*form, "gbExportData")->isVisible());
        EXPECT_TRUE(child<QPlainTextEdit>(*form, "RptMemo")->isVisible());
        form->reject();
    }
    {
        // Both forms and no "Format" yet: the text view with the switch to the new format.
        auto form = open(true, kText, kHtml);
        EXPECT_FALSE(form->htmlMode());
        auto* format = child<QPushButton>(*form, "bbtRepForm");
        EXPECT_TRUE(format->isVisible());
        EXPECT_EQ(format->text(), QStringLiteral("Новый формат"));
        EXPECT_TRUE(form->htmlPending());
        form->bbtRepFormClick();
        EXPECT_TRUE(form->htmlMode());
        EXPECT_FALSE(form->htmlPending());
        EXPECT_EQ(format->text(), QStringLiteral("Старый формат"));
        EXPECT_FALSE(child<QPlainTextEdit>(*form, "RptMemo")->isVisible());
        EXPECT_TRUE(child<QPushButton>(*form, "sbtnAdditional")->isVisible());
        form->reject();
    }
    // The HTML view was the last one: "Format" says so and the next report opens in it.
    EXPECT_EQ(readCnf(QStringLiteral("Misc"), QStringLiteral("Format")), QStringLiteral("1"));
    auto form = open(true, kText, kHtml);
    EXPECT_TRUE(form->htmlMode());
    form->reject();
}

TEST_F(RptFormTest, SettingsAreReadAtCreationAndWrittenAtClose)
{
    writeCnf(QStringLiteral("Misc"), QStringLiteral("RepExportType"), QStringLiteral("7"));
    writeCnf(QStringLiteral("Misc"), QStringLiteral("StayOnTop"), QStringLiteral("1"));
    writeCnf(QStringLiteral("Misc"), QStringLiteral("Format"), QStringLiteral("0"));
    {
        auto form = open(false, kText, kHtml);
        // Out of range: the choice stays at the first target.
        EXPECT_TRUE(child<QRadioButton>(*form, "rgChooseExport0")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(*form, "cbStayOnTop")->isChecked());
        EXPECT_TRUE(child<QCheckBox>(*form, "cBcPrint")->isChecked());
        // "Format" is not read without old reports: HTML regardless.
        EXPECT_TRUE(form->htmlMode());
        child<QRadioButton>(*form, "rgChooseExport4")->setChecked(true);
        child<QRadioButton>(*form, "rgOrientation1")->setChecked(true);
        child<QCheckBox>(*form, "cBcPrint")->setChecked(false);
        form->reject();
    }
    EXPECT_EQ(readCnf(QStringLiteral("Misc"), QStringLiteral("RepExportType")), QStringLiteral("4"));
    EXPECT_EQ(readCnf(QStringLiteral("Misc"), QStringLiteral("PrintBackground")), QStringLiteral("0"));
    EXPECT_EQ(readCnf(QStringLiteral("Misc"), QStringLiteral("OSP")), QStringLiteral("1"));
    EXPECT_EQ(readCnf(QStringLiteral("Misc"), QStringLiteral("FNP")), QStringLiteral("Courier"));
    // Not written without old reports.
    EXPECT_EQ(readCnf(QStringLiteral("Misc"), QStringLiteral("Format")), QStringLiteral("0"));
    TRegistry registry(RootKey::LocalMachine);
    ASSERT_TRUE(registry.openKeyReadOnly(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\PrintOptions")));
    EXPECT_EQ(registry.readString(QStringLiteral("ТЕКУЩИЕ ОСТАТКИ_Orientation")), QStringLiteral("1"));
    EXPECT_EQ(registry.readString(QStringLiteral("ТЕКУЩИЕ ОСТАТКИ_Scale")), QStringLiteral("100"));

    // The next showing of the same report takes its orientation back.
    auto form = open(false, kText, kHtml);
    EXPECT_TRUE(child<QRadioButton>(*form, "rgOrientation1")->isChecked());
    form->reject();
}

TEST_F(RptFormTest, ZoomIsClampedAndTheTemporaryFileGoesAfterOneTick)
{
    auto form = open(false, kText, kHtml);
    const QString temp = NativeHtmlTempFile();
    EXPECT_TRUE(QFile::exists(temp));
    settle(); // the document completes
    auto* scale = child<QSpinBox>(*form, "edScale");
    scale->setValue(10);
    EXPECT_EQ(form->scale(), 20);
    EXPECT_DOUBLE_EQ(form->browser().zoom(), 0.2);
    scale->setValue(900);
    EXPECT_EQ(form->scale(), 500);
    EXPECT_DOUBLE_EQ(form->browser().zoom(), 5.0);

    ManualClock clock;
    clock.setNow(46000.5);
    ScopedClock clockScope(clock);
    EXPECT_TRUE(form->timer().isActive());
    form->Timer1Timer();
    EXPECT_FALSE(QFile::exists(temp));
    EXPECT_TRUE(form->firstTickDone());
    EXPECT_DOUBLE_EQ(form->readyTime(), 46000.5 + 1.0 / 86400.0);

    // Destruction deletes a file written again meanwhile.
    QFile again(temp);
    ASSERT_TRUE(again.open(QIODevice::WriteOnly));
    again.close();
    form->reject();
    form.reset();
    EXPECT_FALSE(QFile::exists(temp));
}

TEST_F(RptFormTest, ZoomNeedsTheBrowserVersion)
{
    TRegistry registry(RootKey::LocalMachine);
    ASSERT_TRUE(registry.openKey(QStringLiteral("SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector\\"), true));
    registry.writeString(QStringLiteral("IE"), QStringLiteral("5.0"));
    dialogs.expectMessageBox(QStringLiteral("Установленная версия Microsoft Internet Explorer 5.0 не допускает "
                                            "использования данной функции.\n\rУстановите Internet Explorer версии "
                                            "не ниже 5.5."))
        .withCaption(QStringLiteral("Информация"))
        .answer(IDOK);
    // The document completes and applies the zoom: refused.
    auto form = open(false, kText, kHtml);
    EXPECT_DOUBLE_EQ(form->browser().zoom(), 1.0);
    form->reject();
}

TEST_F(RptFormTest, F5PrintsOnceFromAnyWindowAndNeverReloads)
{
    auto form = open(true, kText, kHtml); // text view; the host prints
    QTextBrowser* browserView = form->browser().documentView();
    const QString before = form->browser().documentText();
    key(browserView, Qt::Key_F5);
    EXPECT_EQ(CountingHost::calls, 1);
    EXPECT_EQ(CountingHost::lastKind, 4);
    EXPECT_TRUE(CountingHost::lastFlag);
    EXPECT_EQ(CountingHost::lastLines, kText.split(QLatin1Char('\n')));
    EXPECT_EQ(form->browser().documentText(), before);
    // Another top-level window of the application: still one print per press.
    QWidget other;
    other.show();
    key(&other, Qt::Key_F5);
    EXPECT_EQ(CountingHost::calls, 2);
    // The print dialog does nothing while the host prints.
    key(form.get(), Qt::Key_F6);
    form->reject();
    form.reset();
    // No viewer, no hook.
    key(&other, Qt::Key_F5);
    EXPECT_EQ(CountingHost::calls, 2);
}

TEST_F(RptFormTest, BrowserKeysOpenFindAndPreviewOnlyOnceReady)
{
    ManualClock clock;
    clock.setNow(46000.5);
    ScopedClock clockScope(clock);
    auto form = open(false, kText, kHtml);
    settle();
    QTextBrowser* view = form->browser().documentView();
    // Keys the browser would act on open nothing.
    for (int letter : {Qt::Key_N, Qt::Key_O, Qt::Key_L})
        key(view, letter, Qt::ControlModifier);
    // Find waits for the first timer tick and a second after it; the clock moves while it waits.
    form->Timer1Timer();
    dialogs.expectModal(QStringLiteral("BrowserFindDialog")).cancel();
    key(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_GE(clock.now(), form->readyTime());
    dialogs.expectModal(QStringLiteral("BrowserPrintPreview")).cancel();
    key(view, Qt::Key_P, Qt::ControlModifier);
    auto* preview = child<QPushButton>(*form, "bbtPreview");
    EXPECT_TRUE(preview->isEnabled());
    EXPECT_EQ(preview->text(), QStringLiteral("Просмотр"));
    form->reject();
}

TEST_F(RptFormTest, CtrlEInTheTextAreaTogglesEditingWithABeepAndPrintsTheEdits)
{
    RecordingSound sound;
    ScopedSound soundScope(sound);
    auto form = open(true, kText, QString());
    auto* memo = child<QPlainTextEdit>(*form, "RptMemo");
    form->activateWindow();
    memo->setFocus();
    settle();
    ASSERT_TRUE(form->memoHasFocus());
    key(memo, Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(memo->isReadOnly());
    key(memo, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(memo->isReadOnly());
    ASSERT_EQ(sound.tones.size(), 2u);
    EXPECT_EQ(sound.tones[0].frequencyHz, 400);
    EXPECT_EQ(sound.tones[0].durationMs, 100);
    // The same key on the Russian layout (Ctrl+У) toggles too; another Russian letter does not.
    key(memo, 0x0423, Qt::ControlModifier);
    EXPECT_FALSE(memo->isReadOnly());
    key(memo, 0x0423, Qt::ControlModifier);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(sound.tones.size(), 4u);
    key(memo, 0x0424, Qt::ControlModifier);
    EXPECT_TRUE(memo->isReadOnly());

    memo->setPlainText(QStringLiteral("исправлено"));
    form->PrintButtonClick();
    EXPECT_EQ(CountingHost::lastLines, QStringList{QStringLiteral("исправлено")});
    form->reject();
}

TEST_F(RptFormTest, EscapeClosesTheOptionsPanelFirst)
{
    auto form = open(false, kText, kHtml);
    auto* additional = child<QPushButton>(*form, "sbtnAdditional");
    additional->click();
    auto* panel = form->findChild<QWidget*>(QStringLiteral("panWBParams"));
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry().bottom() + 1, form->findChild<QWidget*>(QStringLiteral("Panel1"))->y());
    key(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(additional->isChecked());
    EXPECT_TRUE(form->isVisible());
    key(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(RptFormTest, TextPreviewPagesAndFormatSwitchLock)
{
    host.throughHost = false;
    QPrinter& printer = CurrentPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QStringList lines;
    for (int i = 1; i <= 400; ++i)
        lines << QStringLiteral("| %1 | строка |").arg(i, 4);
    auto form = open(true, lines.join(QLatin1Char('\n')), kHtml);
    auto* format = child<QPushButton>(*form, "bbtRepForm");
    form->bbtPreviewClick();
    EXPECT_TRUE(form->textPreviewShown());
    EXPECT_FALSE(format->isEnabled());
    EXPECT_TRUE(form->findChild<QWidget*>(QStringLiteral("Panel3"))->isVisible());
    EXPECT_EQ(form->currentPage(), 1);
    ASSERT_GT(form->pageCount(), 1);
    EXPECT_FALSE(child<QWidget>(*form, "PrevBtn")->isEnabled());
    form->LastBtnClick();
    EXPECT_EQ(form->currentPage(), form->pageCount());
    EXPECT_FALSE(child<QWidget>(*form, "NextBtn")->isEnabled());
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("StaticText4"))->text(), QString::number(form->pageCount()));
    // The caption carries the report's name and the last drawing time only.
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("ТЕКУЩИЕ ОСТАТКИ ")));
    EXPECT_EQ(form->windowTitle().count(QLatin1Char(' ')), 2);
    form->bbtPreviewClick();
    EXPECT_TRUE(format->isEnabled());
    EXPECT_TRUE(child<QPlainTextEdit>(*form, "RptMemo")->isVisible());
    form->reject();
}

TEST_F(RptFormTest, PrintDialogAllPagesAndPrintToFile)
{
    host.throughHost = false;
    const QString pdf = env.path(QStringLiteral("print.pdf"));
    CurrentPrinter().setOutputFormat(QPrinter::PdfFormat);
    CurrentPrinter().setOutputFileName(pdf);
    auto form = open(true, kText, QString());
    // Confirmed with all pages although page numbers were typed: everything prints.
    dialogs.expectPrintDialog().confirmPrint([](QPrinter& printer, PrintDialogOptions& options) {
        EXPECT_TRUE(options.allowPrintToFile);
        EXPECT_TRUE(options.allowPageNumbers);
        options.allPages = true;
        options.fromPage = 3;
        options.toPage = 4;
        printer.setPageOrientation(QPageLayout::Landscape);
    });
    form->PrintBtnClick();
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_FALSE(SharedTextPrintSettings().portrait);
    EXPECT_EQ(readCnf(QStringLiteral("Misc"), QStringLiteral("OSP")), QStringLiteral("0"));

    // Print to file: the lines go to the text file the user names.
    const QString txt = env.path(QStringLiteral("report.txt"));
    dialogs.expectPrintDialog().confirmPrint([](QPrinter&, PrintDialogOptions& options) { options.printToFile = true; });
    dialogs.expectSaveFile().choose(txt);
    form->PrintBtnClick();
    EXPECT_EQ(test::readFileBytes(txt), QByteArray("+---+\r\n|   |\r\n+---+\r\n\xC8\xD2\xCE\xC3\xCE 12,50\r\n"));
    form->reject();
}

TEST_F(RptFormTest, HtmlQuickPrintUsesTheOrientationChoiceAndReportsAPrinterThatCannotPrint)
{
    auto form = open(false, kText, kHtml);
    settle();
    // A PDF printer without a file cannot print: the step is named in the error box.
    CurrentPrinter().setOutputFormat(QPrinter::PdfFormat);
    dialogs.expectMessageBox(QStringLiteral("Ошибка печати! Произошла ошибка при выполнении операции: Вывести "
                                            "документ на печать -> Печать невозможна: принтер не выбран <# EPrinter #>"))
        .withCaption(QStringLiteral("Ошибка"))
        .answer(IDOK);
    form->PrintButtonClick();
    const QString pdf = env.path(QStringLiteral("html.pdf"));
    CurrentPrinter().setOutputFileName(pdf);
    child<QRadioButton>(*form, "rgOrientation1")->setChecked(true);
    form->PrintButtonClick();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    EXPECT_EQ(CurrentPrinter().pageLayout().orientation(), QPageLayout::Landscape);
    form->reject();
}

TEST_F(RptFormTest, ShowReportRunsTheWindowModallyAndReleasesIt)
{
    writeCnf(QStringLiteral("Reports"), QStringLiteral("AllowOldReports"), QStringLiteral("1"));
    writeCnf(QStringLiteral("Reports"), QStringLiteral("AllowExportReports"), QStringLiteral("0"));
    dialogs.expectModal(QStringLiteral("TRptFrm")).drive([](QDialog& window) {
        auto& form = dynamic_cast<TRptFrm&>(window);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Журнал"));
        EXPECT_EQ(form.reportText(), kText.split(QLatin1Char('\n')));
        EXPECT_FALSE(form.htmlMode());
        EXPECT_FALSE(form.findChild<QPushButton*>(QStringLiteral("btnExport"))->isEnabled());
        EXPECT_EQ(CurrentReportViewer(), &form);
        form.findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
    });
    CurrentDialogsScope scope(dialogs);
    ShowReport(kText, kHtml, QStringLiteral("Журнал"));
    EXPECT_EQ(CurrentReportViewer(), nullptr);
}

TEST_F(RptFormTest, AFinalLineBreakStartsNoLineInPrintsPreviewAndSavedFile)
{
    auto form = open(true, QStringLiteral("+--+\r\n|ab|\r\n"), QString());
    const QStringList lines{QStringLiteral("+--+"), QStringLiteral("|ab|")};
    EXPECT_EQ(form->reportText(), lines);
    // The host's print routine.
    form->PrintButtonClick();
    EXPECT_EQ(CountingHost::lastLines, lines);
    // Raw to the printer device: no blank line before the form feed.
    host.throughHost = false;
    host.raw = true;
    const QString device = env.path(QStringLiteral("lpt"));
    {
        ScopedRawPrinterFile rawPrinter(device);
        form->PrintButtonClick();
    }
    EXPECT_EQ(test::readFileBytes(device), QByteArray("+--+\r\n|ab|\r\n\f\r\n"));
    // The text file: each line once with its CR LF.
    host.raw = false;
    const QString txt = env.path(QStringLiteral("report.txt"));
    dialogs.expectPrintDialog().confirmPrint([](QPrinter&, PrintDialogOptions& options) { options.printToFile = true; });
    dialogs.expectSaveFile().choose(txt);
    form->PrintBtnClick();
    EXPECT_EQ(test::readFileBytes(txt), QByteArray("+--+\r\n|ab|\r\n"));
    // A line left empty on purpose before the final break stays.
    form->setReport(QStringLiteral("a\n\n"), QString(), QStringLiteral("ТЕКУЩИЕ ОСТАТКИ"), true);
    EXPECT_EQ(form->reportText(), QStringList({QStringLiteral("a"), QString()}));
    form->reject();
}

TEST_F(RptFormTest, AnEmptyReportHasNoLines)
{
    auto form = open(true, QString(), QString());
    EXPECT_TRUE(form->reportText().isEmpty());
    form->PrintButtonClick();
    EXPECT_EQ(CountingHost::calls, 1);
    EXPECT_TRUE(CountingHost::lastLines.isEmpty());
    host.throughHost = false;
    host.raw = true;
    const QString device = env.path(QStringLiteral("lpt"));
    {
        ScopedRawPrinterFile rawPrinter(device);
        form->PrintButtonClick();
    }
    EXPECT_EQ(test::readFileBytes(device), QByteArray("\f\r\n"));
    form->reject();
}

TEST_F(RptFormTest, FullPagesEndingInALineBreakGiveNoBlankPage)
{
    host.throughHost = false;
    QPrinter& printer = CurrentPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    const int perPage = TextPageLayout::compute(printer, SharedTextPrintSettings().font(), 1).linesPerPage;
    ASSERT_GT(perPage, 1);
    QString text;
    for (int i = 1; i <= 2 * perPage; ++i)
        text += QStringLiteral("| %1 |\n").arg(i, 4);
    auto form = open(true, text, QString());
    EXPECT_EQ(form->reportText().size(), 2 * perPage);
    form->bbtPreviewClick();
    EXPECT_EQ(form->pageCount(), 2);
    form->LastBtnClick();
    EXPECT_EQ(form->currentPage(), 2);
    form->reject();
}

TEST_F(RptFormTest, WindowActionsTakeTheRussianLettersOfTheirKeys)
{
    auto form = open(true, kText, QString());
    auto* memo = child<QPlainTextEdit>(*form, "RptMemo");
    form->activateWindow();
    // With the focus elsewhere the window's actions take the Russian letters
    // of their keys too: Ctrl+З is Ctrl+P, the preview.
    auto* close = child<QPushButton>(*form, "CloseButton");
    close->setFocus();
    settle();
    ASSERT_FALSE(form->memoHasFocus());
    key(close, 0x0417, Qt::ControlModifier);
    EXPECT_TRUE(form->textPreviewShown());
    key(close, 0x0423, Qt::ControlModifier);
    EXPECT_FALSE(memo->isReadOnly());
    form->reject();
}

TEST_F(RptFormTest, FormatSwitchThatCannotWriteTheDocumentKeepsTheTextView)
{
    auto form = open(true, kText, kHtml);
    ASSERT_FALSE(form->htmlMode());
    // The temporary folder is a file: the document cannot be written.
    test::writeFileBytes(env.path(QStringLiteral("blocker")), "a file");
    {
        ScopedHtmlTempFile temp(env.path(QStringLiteral("blocker/veltahtmlreport.html")));
        dialogs.expect(DialogKind::MessageBox)
            .containing(QStringLiteral("Cannot create file"))
            .withCaption(QStringLiteral("Ошибка"))
            .answer(IDOK);
        child<QPushButton>(*form, "bbtRepForm")->click();
    }
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->htmlMode());
    EXPECT_TRUE(form->htmlPending());
    EXPECT_TRUE(child<QPlainTextEdit>(*form, "RptMemo")->isVisible());
    EXPECT_EQ(child<QPushButton>(*form, "bbtRepForm")->text(), QStringLiteral("Новый формат"));
    EXPECT_FALSE(child<QPushButton>(*form, "sbtnAdditional")->isVisible());
    EXPECT_TRUE(form->timer().isActive());
    // Once the file can be written the switch works.
    form->bbtRepFormClick();
    EXPECT_TRUE(form->htmlMode());
    EXPECT_FALSE(form->htmlPending());
    settle();
    EXPECT_TRUE(form->browser().documentText().contains(QStringLiteral("Остатки по лимитам")));
    form->reject();
}

TEST_F(RptFormTest, FirstShowingThatCannotWriteTheDocumentShowsTheError)
{
    test::writeFileBytes(env.path(QStringLiteral("blocker")), "a file");
    ScopedHtmlTempFile temp(env.path(QStringLiteral("blocker/veltahtmlreport.html")));
    dialogs.expect(DialogKind::MessageBox)
        .containing(QStringLiteral("Cannot create file"))
        .withCaption(QStringLiteral("Ошибка"))
        .answer(IDOK);
    auto form = open(false, kText, kHtml);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->htmlMode());
    EXPECT_TRUE(child<QPushButton>(*form, "sbtnAdditional")->isVisible());
    EXPECT_FALSE(child<QPlainTextEdit>(*form, "RptMemo")->isVisible());
    // The first tick still comes, so preview and find do not wait for good.
    EXPECT_TRUE(form->timer().isActive());
    form->reject();
}

TEST_F(RptFormTest, PrintBackgroundThatTheRegistryRefusesShowsTheError)
{
    auto form = open(false, kText, kHtml);
    auto* background = child<QCheckBox>(*form, "cBcPrint");
    ASSERT_TRUE(background->isChecked());
    child<QPushButton>(*form, "sbtnAdditional")->click();
    dialogs.expectMessageBox(QStringLiteral("Failed to set data for 'Print_Background'"))
        .withCaption(QStringLiteral("Ошибка"))
        .answer(IDOK);
    {
        velta::test::FileSizeLimit diskFull(1);
        background->click();
    }
    EXPECT_FALSE(background->isChecked());
    EXPECT_TRUE(form->isVisible());
    // The next click is written.
    background->click();
    TRegistry registry(RootKey::LocalMachine);
    ASSERT_TRUE(registry.openKeyReadOnly(QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\Main\\")));
    EXPECT_EQ(registry.readString(QStringLiteral("Print_Background")), QStringLiteral("yes"));
    form->reject();
}

TEST_F(RptFormTest, ScaleTakes20To500AndTheSavedScaleIsTheOneApplied)
{
    // Stored scales out of range come back clamped, and are saved so.
    TRegistry registry(RootKey::LocalMachine);
    ASSERT_TRUE(registry.openKey(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\PrintOptions"), true));
    for (const auto& [stored, applied] : {std::pair{QStringLiteral("999"), 500}, std::pair{QStringLiteral("5"), 20}}) {
        registry.writeString(QStringLiteral("ТЕКУЩИЕ ОСТАТКИ_Scale"), stored);
        auto form = open(false, kText, kHtml);
        settle(); // the document completes
        auto* scale = child<QSpinBox>(*form, "edScale");
        EXPECT_EQ(scale->minimum(), 20);
        EXPECT_EQ(scale->maximum(), 500);
        EXPECT_EQ(scale->value(), applied);
        EXPECT_EQ(form->scale(), applied);
        EXPECT_DOUBLE_EQ(form->browser().zoom(), applied / 100.0);
        form->reject();
        EXPECT_EQ(registry.readString(QStringLiteral("ТЕКУЩИЕ ОСТАТКИ_Scale")), QString::number(applied));
    }

    // Typed below the range: the zoom and the spin edit go to 20 once it is left.
    auto form = open(false, kText, kHtml);
    settle();
    auto* scale = child<QSpinBox>(*form, "edScale");
    child<QPushButton>(*form, "sbtnAdditional")->click();
    scale->setFocus();
    scale->selectAll();
    for (const char digit : {'1', '0'})
        QApplication::sendEvent(scale, std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_0 + (digit - '0'),
                                                                    Qt::NoModifier, QString(QLatin1Char(digit))).get());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(scale, &enter);
    EXPECT_EQ(scale->value(), 20);
    EXPECT_EQ(form->scale(), 20);
    EXPECT_DOUBLE_EQ(form->browser().zoom(), 0.2);

    // Three digits above the range are taken as typed, and give 500 once entered.
    scale->selectAll();
    for (const char digit : {'9', '0', '0'})
        QApplication::sendEvent(scale, std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_0 + (digit - '0'),
                                                                    Qt::NoModifier, QString(QLatin1Char(digit))).get());
    EXPECT_EQ(scale->text(), QStringLiteral("900"));
    QApplication::sendEvent(scale, &enter);
    EXPECT_EQ(scale->value(), 500);
    EXPECT_EQ(form->scale(), 500);
    EXPECT_DOUBLE_EQ(form->browser().zoom(), 5.0);
    form->reject();
    EXPECT_EQ(registry.readString(QStringLiteral("ТЕКУЩИЕ ОСТАТКИ_Scale")), QStringLiteral("500"));
}

} // namespace
