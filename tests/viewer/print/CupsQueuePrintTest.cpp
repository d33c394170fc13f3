// A text report printed by the viewer through a real CUPS queue: the test runs
// a private cupsd in a temporary folder (its own socket, spool and state, no
// network), adds a PDF queue whose device is a file there, prints in a child
// process pointed at that socket, and reads the printed PDF back. The
// machine's own printing is never asked.
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/TextPrinting.h"
#include "plugin/viewer/print/ViewerHost.h"
#include "tests/support/ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

const QString kQueue = QStringLiteral("VeltaPdf");
const QString kPdfToPdf = QStringLiteral("/usr/lib/cups/filter/pdftopdf");

// A PDF printer: CUPS turns the job into PDF with its pdftopdf filter (which
// applies the job's page options) and hands it to the device unchanged.
const char kPdfPrinterPpd[] = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "VELTAPDF.PPD"
*Manufacturer: "Velta"
*Product: "(Velta PDF)"
*ModelName: "Velta PDF"
*ShortNickName: "Velta PDF"
*NickName: "Velta PDF"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
)ppd";

class NoHostPrinting : public ViewerHost {
public:
    bool printStraightToDevice() override { return false; }
    bool printThroughHost() override { return false; }
    plugin::HostPrintRoutineFn hostPrintRoutine() override { return nullptr; }
};

QStringList reportLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Report line %1").arg(i, 4, 10, QLatin1Char('0'));
    return lines;
}

constexpr int kReportLines = 400;

// The child: points the print system at the private server before anything
// asks it, makes the queue the viewer's printer and prints pages first..last
// of the report as the viewer's print command does. Writes the page layout
// ("<lines per page> <pages>") to stdout.
const test::ChildRoleRegistration printThroughCups("print-through-cups", [](const QStringList& args) {
    if (args.size() != 4)
        return 2;
    ::setenv("CUPS_SERVER", QFile::encodeName(args[0]).constData(), 1);
    QPrinter& printer = CurrentPrinter();
    printer.setPrinterName(args[1]);
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != args[1]) {
        std::fprintf(stderr, "the queue %s is not a printer of this process\n", qPrintable(args[1]));
        return 3;
    }
    const QStringList lines = reportLines(kReportLines);
    const TextPrintSettings settings;
    NoHostPrinting host;
    try {
        PrintText(lines, args[2].toInt(), 1, args[3].toInt(), printer, settings, host);
    } catch (...) {
        std::fprintf(stderr, "the print raised: %s\n", qPrintable(PrinterNotReadyMessage(printer)));
        return 4;
    }
    const TextPageLayout layout = TextPageLayout::compute(printer, settings.font(), static_cast<int>(lines.size()));
    std::printf("%d %d\n", layout.linesPerPage, layout.pageCount);
    return 0;
});

QString findTool(const QString& name)
{
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                 QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

// A cupsd of the test's own: every folder it writes and its socket are in a
// temporary folder; it listens on nothing else and is stopped at the end.
class PrivateCupsd {
public:
    bool start(QString& why)
    {
        if (!dir_.isValid()) {
            why = QStringLiteral("no temporary folder");
            return false;
        }
        // The filters run as the unprivileged user lp: they must reach the spool and the PPD.
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                               | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char* sub : {"root", "cache", "state", "spool", "spool/tmp", "log", "out"})
            QDir(dir_.path()).mkpath(QString::fromLatin1(sub));
        writeText(QStringLiteral("cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel info\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(socket()));
        writeText(QStringLiteral("cups-files.conf"),
                  QStringLiteral("ServerRoot %1/root\nCacheDir %1/cache\nStateDir %1/state\nRequestRoot %1/spool\n"
                                 "TempDir %1/spool/tmp\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                 "PageLog %1/log/page_log\nPrintcap %1/printcap\nServerBin /usr/lib/cups\n"
                                 "DataDir /usr/share/cups\nFileDevice Yes\nSystemGroup root\n")
                      .arg(dir_.path()));
        writeText(QStringLiteral("velta.ppd"), QString::fromLatin1(kPdfPrinterPpd));

        cupsd_.setProcessChannelMode(QProcess::ForwardedChannels);
        cupsd_.start(findTool(QStringLiteral("cupsd")),
                     {QStringLiteral("-f"), QStringLiteral("-c"), path(QStringLiteral("cupsd.conf")),
                      QStringLiteral("-s"), path(QStringLiteral("cups-files.conf"))});
        if (!cupsd_.waitForStarted()) {
            why = QStringLiteral("cupsd does not start");
            return false;
        }
        const QDeadlineTimer deadline(20000);
        while (!isRunning()) {
            if (deadline.hasExpired() || cupsd_.state() != QProcess::Running) {
                why = QStringLiteral("cupsd does not answer on its socket: ") + errorLog();
                return false;
            }
            QThread::msleep(100);
        }
        return true;
    }

    ~PrivateCupsd()
    {
        if (cupsd_.state() == QProcess::NotRunning)
            return;
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) {
            cupsd_.kill();
            cupsd_.waitForFinished();
        }
    }

    QString socket() const { return path(QStringLiteral("cups.sock")); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString outputFile() const { return path(QStringLiteral("out/printed.pdf")); }

    ToolRun admin(const QString& tool, QStringList args) const
    {
        args.prepend(socket());
        args.prepend(QStringLiteral("-h"));
        return runTool(findTool(tool), args);
    }

    bool addPdfQueue(QString& why) const
    {
        const ToolRun added = admin(QStringLiteral("lpadmin"),
                                    {QStringLiteral("-p"), kQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                                     QStringLiteral("file://") + outputFile(), QStringLiteral("-P"),
                                     path(QStringLiteral("velta.ppd"))});
        why = added.output;
        return added.exitCode == 0;
    }

    // Waits until the queue holds no job that is still to print; false at once
    // when the scheduler stopped a job (a filter failed).
    bool waitUntilIdle(int timeoutMs) const
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired() && !errorLog().contains(QStringLiteral("Job stopped"))) {
            const ToolRun pending = admin(QStringLiteral("lpstat"), {QStringLiteral("-o"), kQueue});
            if (pending.exitCode == 0 && pending.output.trimmed().isEmpty())
                return true;
            QThread::msleep(200);
        }
        return false;
    }

    QString errorLog() const
    {
        QFile log(path(QStringLiteral("log/error_log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

private:
    bool isRunning() const
    {
        return QFileInfo::exists(socket()) && admin(QStringLiteral("lpstat"), {QStringLiteral("-r")}).exitCode == 0;
    }

    void writeText(const QString& name, const QString& text) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text.toUtf8());
    }

    // Under /tmp: a socket path must stay short.
    QTemporaryDir dir_ {QStringLiteral("/tmp/velta-cups-XXXXXX")};
    QProcess cupsd_;
};

int pdfPages(const QString& file)
{
    const ToolRun info = runTool(QStringLiteral("pdfinfo"), {file});
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.output);
    return info.exitCode == 0 && match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString pdfPageText(const QString& file, int page)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                 QString::number(page), QStringLiteral("-layout"), file,
                                                 QStringLiteral("-")})
        .output;
}

QString missingTools()
{
    QStringList missing;
    for (const QString& tool : {QStringLiteral("cupsd"), QStringLiteral("lpadmin"), QStringLiteral("lpstat"),
                                QStringLiteral("pdfinfo"), QStringLiteral("pdftotext")}) {
        if (findTool(tool).isEmpty())
            missing << tool;
    }
    if (!QFileInfo(kPdfToPdf).isExecutable())
        missing << kPdfToPdf;
    return missing.join(QStringLiteral(", "));
}

TEST(CupsQueuePrintTest, ThePagesChosenReachAPrivateQueueAsPdf)
{
    const QString missing = missingTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "CUPS is not installed (cupsd, cups-client, cups-filters-core-drivers): missing "
                     << missing.toStdString();
    PrivateCupsd cups;
    QString why;
    ASSERT_TRUE(cups.start(why)) << why.toStdString();
    ASSERT_TRUE(cups.addPdfQueue(why)) << why.toStdString();

    // Pages 2 and 3 of the report.
    auto child = test::startChild(QStringLiteral("print-through-cups"),
                                  {cups.socket(), kQueue, QStringLiteral("2"), QStringLiteral("3")});
    ASSERT_EQ(test::waitChild(*child), 0) << cups.errorLog().toStdString();
    const QStringList layout = QString::fromUtf8(child->readAllStandardOutput()).split(QLatin1Char(' '));
    ASSERT_EQ(layout.size(), 2);
    const int linesPerPage = layout[0].toInt();
    ASSERT_GT(linesPerPage, 1);
    ASSERT_GE(layout[1].trimmed().toInt(), 4) << "the report is to have pages after the ones printed";

    ASSERT_TRUE(cups.waitUntilIdle(60000)) << cups.errorLog().toStdString();
    const ToolRun done = cups.admin(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("completed"),
                                                               QStringLiteral("-o"), kQueue});
    EXPECT_EQ(done.output.count(kQueue + QLatin1Char('-')), 1) << done.output.toStdString();
    ASSERT_TRUE(QFileInfo::exists(cups.outputFile())) << cups.errorLog().toStdString();

    EXPECT_EQ(pdfPages(cups.outputFile()), 2);
    const auto lineLabel = [](int number) {
        return QStringLiteral("Report line %1").arg(number, 4, 10, QLatin1Char('0'));
    };
    const QString first = pdfPageText(cups.outputFile(), 1);
    const QString second = pdfPageText(cups.outputFile(), 2);
    // The printed first page is the report's second: its first and last line, nothing of page 1 or 4.
    EXPECT_TRUE(first.contains(lineLabel(linesPerPage + 1))) << first.toStdString();
    EXPECT_TRUE(first.contains(lineLabel(2 * linesPerPage))) << first.toStdString();
    EXPECT_FALSE(first.contains(lineLabel(linesPerPage)));
    EXPECT_TRUE(second.contains(lineLabel(2 * linesPerPage + 1))) << second.toStdString();
    EXPECT_TRUE(second.contains(lineLabel(3 * linesPerPage))) << second.toStdString();
    EXPECT_FALSE(second.contains(lineLabel(3 * linesPerPage + 1)));
}

} // namespace
} // namespace velta::viewer
