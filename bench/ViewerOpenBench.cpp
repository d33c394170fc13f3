// Opening the report viewer on a 5 MB HTML report: from creating the window
// until the browser reports the document complete (the file written, read,
// laid out and shown), side by side with handing the same document to a bare
// QTextBrowser (setHtml and its first layout). Prints both times and the ratio.
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/window/RptForm.h"
#include "bench/RatioReporter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

constexpr qsizetype kReportBytes = 5 * 1024 * 1024;

// A long sales journal: one table row per sale, as the station's reports are built.
QString makeReport()
{
    QString html = QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                  "charset=windows-1251\"></head><body><h3>Журнал продаж</h3>"
                                  "<table border=1 cellspacing=0><tr><th>№</th><th>Время</th><th>ТРК</th>"
                                  "<th>Топливо</th><th>Литры</th><th>Сумма</th><th>Оплата</th></tr>\r\n");
    int row = 0;
    while (html.size() * 2 < kReportBytes) { // UTF-16 size, about the file's cp1251 size doubled
        ++row;
        html += QStringLiteral("<tr><td>%1</td><td>07.12.2026 %2:%3</td><td>%4</td><td>АИ-95</td>"
                               "<td align=right>%5</td><td align=right>%6</td><td>Наличные</td></tr>\r\n")
                    .arg(row)
                    .arg(row / 60 % 24, 2, 10, QLatin1Char('0'))
                    .arg(row % 60, 2, 10, QLatin1Char('0'))
                    .arg(row % 8 + 1)
                    .arg(QString::number(10 + row % 50, 'f', 2))
                    .arg(QString::number((10 + row % 50) * 52.4, 'f', 2));
    }
    return html + QStringLiteral("</table></body></html>\r\n");
}

const QString& report()
{
    static const QString html = makeReport();
    return html;
}

void waitFor(bool& flag)
{
    while (!flag)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void BM_ViewerOpen(benchmark::State& state)
{
    velta::ScriptedDialogs dialogs;
    for (auto _ : state) {
        velta::viewer::TRptFrm form(dialogs, false);
        bool complete = false;
        QObject::connect(&form.browser(), &velta::viewer::BrowserView::documentComplete, [&] { complete = true; });
        form.setReport(QString(), report(), QStringLiteral("Журнал продаж"), true);
        form.show();
        waitFor(complete);
        form.hide();
    }
}
BENCHMARK(BM_ViewerOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TextBrowserFloor(benchmark::State& state)
{
    for (auto _ : state) {
        QTextBrowser browser;
        browser.resize(742, 456);
        browser.setHtml(report());
        browser.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(browser.document()->documentLayout()->documentSize());
    }
}
BENCHMARK(BM_TextBrowserFloor)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The viewer keeps its settings under the root; a private one per run.
    QTemporaryDir root;
    ::setenv("VELTA_ROOT", root.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toLocal8Bit().constData(), 1);
    ::setenv("VELTA_LOCK_DIR", root.filePath(QStringLiteral("locks")).toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("report: %lld characters of HTML\n", static_cast<long long>(report().size()));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const auto ratio = reporter.ratio("BM_ViewerOpen", "BM_TextBrowserFloor"))
        std::printf("open 5 MB HTML report: viewer %.0f ms, bare QTextBrowser %.0f ms; ratio viewer/QTextBrowser: %.2f\n",
                    reporter.wall["BM_ViewerOpen"], reporter.wall["BM_TextBrowserFloor"], *ratio);
    benchmark::Shutdown();
    return 0;
}
