// The browser stand-in: loading and completion, the host's settings, zoom and
// text size, selection and the clipboard, scrolling, finding, printing and
// the context menu.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "tests/support/TestEnv.h"
#include "tests/viewer/browser/BrowserTestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

using test::browserPage;
using test::loadDocument;
using test::RecordingHost;
using test::runEventsUntil;
using test::writeBrowserFile;

class BrowserViewTest : public ::testing::Test {
protected:
    QString page(const QString& body, const QString& name = QStringLiteral("page.html"))
    {
        return writeBrowserFile(env, name, browserPage(body));
    }

    double fontSize() const { return browser.documentView()->document()->defaultFont().pointSizeF(); }
    double documentHeight() const
    {
        return browser.documentView()->document()->documentLayout()->documentSize().height();
    }

    test::TestEnv env;
    BrowserView browser;
};

TEST_F(BrowserViewTest, CompletesFromTheEventLoopAndKeepsItsCopyOfTheFile)
{
    const QString file = page(QStringLiteral("<p>Сменный отчет №5</p>"));
    int completions = 0;
    QObject::connect(&browser, &BrowserView::documentComplete, [&] { ++completions; });

    browser.navigate(file);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(browser.hasDocument());
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(runEventsUntil([&] { return completions > 0; }));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(browser.documentText().trimmed(), QStringLiteral("Сменный отчет №5"));
}

TEST_F(BrowserViewTest, TheDocumentIsThereForCallsBeforeItCompletes)
{
    int completions = 0;
    QObject::connect(&browser, &BrowserView::documentComplete, [&] { ++completions; });
    browser.navigate(page(QStringLiteral("<p>Итог: 10 л</p>")));
    EXPECT_EQ(browser.documentText().trimmed(), QStringLiteral("Итог: 10 л"));
    EXPECT_TRUE(browser.findNext(QStringLiteral("10"), false));
    EXPECT_EQ(completions, 0);
    ASSERT_TRUE(runEventsUntil([&] { return completions > 0; }));
    EXPECT_EQ(browser.selectedText(), QStringLiteral("10")) << "completion does not load the document again";
}

TEST_F(BrowserViewTest, OnlyTheLastOfTwoQuickNavigationsCompletes)
{
    int completions = 0;
    QObject::connect(&browser, &BrowserView::documentComplete, [&] { ++completions; });
    browser.navigate(page(QStringLiteral("first"), QStringLiteral("a.html")));
    browser.navigate(page(QStringLiteral("second"), QStringLiteral("b.html")));
    runEventsUntil([&] { return completions > 0; });
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(browser.documentText().trimmed(), QStringLiteral("second"));
}

TEST_F(BrowserViewTest, AFileThatCannotBeReadGivesAnEmptyCompletedDocument)
{
    EXPECT_FALSE(browser.hasDocument());
    loadDocument(browser, page(QStringLiteral("old")));
    loadDocument(browser, env.path(QStringLiteral("missing.html")));
    EXPECT_TRUE(browser.hasDocument());
    EXPECT_TRUE(browser.documentText().trimmed().isEmpty());
}

TEST_F(BrowserViewTest, ReadsTheCharsetTheFileUses)
{
    const QString text = QStringLiteral("Итого за смену");
    const QByteArray declared = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                "charset=windows-1251\"></head><body>"
                                + codec::toCp1251(text) + "</body></html>";
    loadDocument(browser, writeBrowserFile(env, QStringLiteral("declared.html"), declared));
    EXPECT_EQ(browser.documentText().trimmed(), text);

    loadDocument(browser, writeBrowserFile(env, QStringLiteral("ansi.html"), "<p>" + codec::toCp1251(text) + "</p>"));
    EXPECT_EQ(browser.documentText().trimmed(), text);

    loadDocument(browser, writeBrowserFile(env, QStringLiteral("bom.html"),
                                           "\xEF\xBB\xBF<p>" + text.toUtf8() + "</p>"));
    EXPECT_EQ(browser.documentText().trimmed(), text);
}

TEST_F(BrowserViewTest, AppliesTheHostSettingsWhenADocumentLoads)
{
    RecordingHost host;
    browser.setClientSite(&host);
    host.info.flags = DocHostUIInfo::kScrollNo | DocHostUIInfo::kNo3DBorder | DocHostUIInfo::kDialog;
    host.info.hostCss = QStringLiteral("p { color: #ff0000; }");
    loadDocument(browser, page(QStringLiteral("<p>red</p>")));

    QTextBrowser* view = browser.documentView();
    EXPECT_EQ(host.hostInfoCalls, 1);
    EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(view->frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(view->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(view->textInteractionFlags() & Qt::LinksAccessibleByMouse);
    QTextCursor cursor(view->document());
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(Qt::red));

    // A host that cannot answer leaves the browser's defaults, whatever it filled in.
    host.answerInfo = false;
    loadDocument(browser, page(QStringLiteral("<p>plain</p>")));
    EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_NE(view->frameShape(), QFrame::NoFrame);
    EXPECT_TRUE(view->textInteractionFlags() & Qt::TextSelectableByMouse);
    cursor = QTextCursor(view->document());
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_NE(cursor.charFormat().foreground().color(), QColor(Qt::red));
}

TEST_F(BrowserViewTest, ZoomAndTextSizeScaleTheRenderedFontAndSurviveNavigation)
{
    QString rows;
    for (int i = 0; i < 40; ++i)
        rows += QStringLiteral("<p>Строка %1</p>").arg(i);
    const QString file = page(rows);
    loadDocument(browser, file);
    browser.documentView()->resize(600, 400);
    const double base = fontSize();
    const double baseHeight = documentHeight();
    ASSERT_GT(base, 0);

    browser.setZoom(2.0);
    EXPECT_DOUBLE_EQ(fontSize(), base * 2.0);
    EXPECT_GT(documentHeight(), baseHeight * 1.5);
    browser.setTextSize(BrowserView::kLargestText);
    EXPECT_DOUBLE_EQ(fontSize(), base * 2.0 * 1.5);
    browser.setTextSize(BrowserView::kSmallestText);
    EXPECT_DOUBLE_EQ(fontSize(), base * 2.0 * 0.75);

    loadDocument(browser, file);
    EXPECT_DOUBLE_EQ(browser.zoom(), 2.0);
    EXPECT_EQ(browser.textSize(), BrowserView::kSmallestText);
    EXPECT_DOUBLE_EQ(fontSize(), base * 2.0 * 0.75);

    browser.setTextSize(99);
    EXPECT_EQ(browser.textSize(), BrowserView::kLargestText);
    browser.setTextSize(-3);
    EXPECT_EQ(browser.textSize(), BrowserView::kSmallestText);
    browser.setZoom(1.0);
    browser.setTextSize(BrowserView::kMediumText);
    EXPECT_DOUBLE_EQ(fontSize(), base);
}

TEST_F(BrowserViewTest, SelectionCommandsNeedADocument)
{
    EXPECT_THROW(browser.selectAll(), EOleException);
    EXPECT_THROW(browser.copy(), EOleException);
    EXPECT_THROW(browser.clearSelection(), EOleException);
    EXPECT_FALSE(browser.hasSelection());
    EXPECT_THROW(browser.print(CurrentPrinter()), EOleException);
}

TEST_F(BrowserViewTest, CopyPutsTheSelectionOnTheClipboardAsHtmlAndText)
{
    loadDocument(browser, page(QStringLiteral("<p><b>Выручка</b></p><table><tr><td>100,00</td></tr></table>")));
    EXPECT_FALSE(browser.hasSelection());
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    browser.copy(); // nothing selected: the clipboard stays
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    browser.selectAll();
    ASSERT_TRUE(browser.hasSelection());
    EXPECT_TRUE(browser.selectedText().contains(QStringLiteral("Выручка")));
    EXPECT_TRUE(browser.selectedText().contains(QStringLiteral("100,00")));
    EXPECT_FALSE(browser.selectedText().contains(QChar::ParagraphSeparator));
    browser.copy();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasHtml());
    EXPECT_TRUE(data->html().contains(QStringLiteral("Выручка")));
    EXPECT_TRUE(data->html().contains(QStringLiteral("font-weight")));
    EXPECT_TRUE(data->text().contains(QStringLiteral("100,00")));

    browser.clearSelection();
    EXPECT_FALSE(browser.hasSelection());
    EXPECT_TRUE(browser.selectedText().isEmpty());
}

TEST_F(BrowserViewTest, ScrollsTheDocumentVertically)
{
    QString rows;
    for (int i = 0; i < 300; ++i)
        rows += QStringLiteral("<p>row %1</p>").arg(i);
    loadDocument(browser, page(rows));
    browser.resize(400, 200);
    browser.show();
    runEventsUntil([&] { return browser.documentView()->verticalScrollBar()->maximum() > 500; });
    EXPECT_EQ(browser.scrollPosition(), 0);
    browser.scrollBy(120);
    EXPECT_EQ(browser.scrollPosition(), 120);
    browser.scrollBy(-50);
    EXPECT_EQ(browser.scrollPosition(), 70);
    browser.scrollBy(-1000);
    EXPECT_EQ(browser.scrollPosition(), 0);
}

TEST_F(BrowserViewTest, FindNextSelectsMatchesForwardBackwardAndByCase)
{
    EXPECT_FALSE(browser.findNext(QStringLiteral("x"), false));
    loadDocument(browser, page(QStringLiteral("<p>Литр литр ЛИТР</p>")));

    ASSERT_TRUE(browser.findNext(QStringLiteral("литр"), false));
    EXPECT_EQ(browser.selectedText(), QStringLiteral("Литр"));
    ASSERT_TRUE(browser.findNext(QStringLiteral("литр"), false));
    EXPECT_EQ(browser.selectedText(), QStringLiteral("литр"));
    ASSERT_TRUE(browser.findNext(QStringLiteral("литр"), false));
    EXPECT_EQ(browser.selectedText(), QStringLiteral("ЛИТР"));
    EXPECT_FALSE(browser.findNext(QStringLiteral("литр"), false));
    EXPECT_EQ(browser.selectedText(), QStringLiteral("ЛИТР")); // a failed search keeps the selection

    ASSERT_TRUE(browser.findNext(QStringLiteral("Литр"), true, true));
    EXPECT_EQ(browser.documentView()->textCursor().selectionStart(), 0);
    EXPECT_FALSE(browser.findNext(QStringLiteral("ЛИТР"), true, true));
    EXPECT_FALSE(browser.findNext(QString(), false));
}

TEST_F(BrowserViewTest, FindDialogSelectsMatchesReportsTheEndAndStartsOver)
{
    loadDocument(browser, page(QStringLiteral("<p>Бензин АИ-92, бензин АИ-95</p>")));
    auto dialogs = test::scriptedDialogs();
    dialogs->expectModal(QStringLiteral("BrowserFindDialog")).drive([&](QDialog& window) {
        auto* text = window.findChild<QLineEdit*>(QStringLiteral("edFindText"));
        auto* next = window.findChild<QPushButton*>(QStringLiteral("btnFindNext"));
        auto* matchCase = window.findChild<QCheckBox*>(QStringLiteral("cbMatchCase"));
        ASSERT_TRUE(text && next && matchCase);
        ASSERT_TRUE(window.findChild<QRadioButton*>(QStringLiteral("rbUp")));
        ASSERT_TRUE(window.findChild<QRadioButton*>(QStringLiteral("rbDown"))->isChecked());
        text->setText(QStringLiteral("бензин"));
        matchCase->setChecked(true);
        next->click();
        EXPECT_EQ(browser.documentView()->textCursor().selectionStart(), 14);
        next->click(); // no further match: the end is reported
        EXPECT_EQ(dialogs->pendingCount(), 0u);
        matchCase->setChecked(false);
        next->click(); // starts over from the top
        EXPECT_EQ(browser.documentView()->textCursor().selectionStart(), 0);
        window.findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    dialogs->expectMessageBox(QStringLiteral("Поиск в документе завершен.")).withCaption(QStringLiteral("Поиск"));
    browser.showFindDialog(*dialogs);
    dialogs->verify();
}

TEST_F(BrowserViewTest, FindDialogStartsWithAOneLineSelection)
{
    loadDocument(browser, page(QStringLiteral("<p>Дизельное топливо</p>")));
    ASSERT_TRUE(browser.findNext(QStringLiteral("топливо"), false));
    auto dialogs = test::scriptedDialogs();
    dialogs->expectModal(QStringLiteral("BrowserFindDialog")).drive([](QDialog& window) {
        EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("edFindText"))->text(), QStringLiteral("топливо"));
        window.reject();
    });
    browser.showFindDialog(*dialogs);
    dialogs->verify();
}

TEST_F(BrowserViewTest, PrintsToThePrinterOrRaisesWhenItCannotStart)
{
    QString rows;
    for (int i = 0; i < 200; ++i)
        rows += QStringLiteral("<p>Строка отчета %1</p>").arg(i);
    loadDocument(browser, page(rows));

    QPrinter unready(QPrinter::HighResolution);
    unready.setOutputFormat(QPrinter::PdfFormat);
    try {
        browser.print(unready);
        ADD_FAILURE() << "a printer without its file printed";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.message(), PrinterNotReadyMessage(unready));
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(env.path(QStringLiteral("report.pdf")));
    browser.print(printer);
    const QByteArray pdf = test::readFileBytes(env.path(QStringLiteral("report.pdf")));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page[^s]"));
    EXPECT_GE(QString::fromLatin1(pdf).count(pageObject), 2) << "200 lines fit on no single page";
}

TEST_F(BrowserViewTest, PageSetupAndPreviewGoThroughTheDialogs)
{
    loadDocument(browser, page(QStringLiteral("<p>Отчет</p>")));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    auto dialogs = test::scriptedDialogs();
    dialogs->expectPrinterSetup().confirmSetup([](QPrinter& p) { p.setPageOrientation(QPageLayout::Landscape); });
    dialogs->expectPrinterSetup().cancel();
    bool previewed = false;
    dialogs->expectModal(QStringLiteral("BrowserPrintPreview")).drive([&](QDialog& window) {
        previewed = qobject_cast<QPrintPreviewDialog*>(&window) != nullptr;
        window.reject();
    });
    EXPECT_TRUE(browser.pageSetup(printer, *dialogs));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_FALSE(browser.pageSetup(printer, *dialogs));
    browser.printPreview(printer, *dialogs);
    EXPECT_TRUE(previewed);
    dialogs->verify();
}

TEST_F(BrowserViewTest, ContextMenuIsTheHostsOrTheStandardOne)
{
    loadDocument(browser, page(QStringLiteral("<p>menu</p>")));
    browser.resize(300, 200);
    browser.show();
    QWidget* viewport = browser.documentView()->viewport();
    const QPoint at(10, 10);
    auto rightClick = [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
    };

    rightClick();
    QMenu* menu = browser.lastContextMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(menu->actions().isEmpty());
    menu->close();
    runEventsUntil([&] { return browser.lastContextMenu() == nullptr; });
    EXPECT_EQ(browser.lastContextMenu(), nullptr) << "a closed menu is deleted";

    RecordingHost host;
    host.answerMenu = true;
    browser.setClientSite(&host);
    rightClick();
    ASSERT_EQ(host.menuRequests.size(), 1u);
    EXPECT_EQ(host.menuRequests.front(), viewport->mapToGlobal(at));
    EXPECT_EQ(browser.lastContextMenu(), nullptr);
    browser.setClientSite(nullptr);
}

} // namespace
} // namespace velta::viewer
