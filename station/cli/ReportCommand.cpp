#include "station/cli/ReportCommand.h"

#include "common/Codecs.h"
#include "common/DataPacket.h"
#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "station/cli/QueryRows.h"
#include "station/cli/ReportParamsJson.h"
#include "station/cli/ReportPdf.h"
#include "station/cli/ReportShortcuts.h"
#include "station/db/StationDatabase.h"
#include "station/db/StationPaths.h"
#include "station/reports/core/ReportDocument.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/server/ServeCommand.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHostInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace velta::station {
namespace {

QString nextValue(const QStringList& args, qsizetype& i)
{
    if (i + 1 >= args.size())
        throw Exception(QStringLiteral("Option %1 needs a value").arg(args[i]));
    return args[++i];
}

void writeOut(FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// The HTML in the charset its own declaration names (the engine declares
// windows-1251), UTF-8 when it names none or another.
QByteArray htmlBytes(const QString& html)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString name = charset.match(html.left(2048)).captured(1).toLower();
    if (name == QLatin1String("windows-1251") || name == QLatin1String("cp1251"))
        return codec::toCp1251(html);
    return html.toUtf8();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    if (FileIO::writeWholeFile(QFileInfo(path).absoluteFilePath(), bytes) != FileIO::Outcome::Written)
        throw Exception(QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
}

// The station server at HOST:PORT, as the plug-in's remote workplaces use it:
// GetReportEx for the report, then report 55 for its HTML. The command names
// a workplace of its own so another client's report never answers its 55.
class ServerStation : public ReportStation {
public:
    ServerStation(const QString& hostPort, const QString& key)
    {
        const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const uint port = colon > 0 ? hostPort.mid(colon + 1).toUInt(&ok) : 0;
        if (colon <= 0 || !ok || port == 0 || port > 65535)
            throw Exception(QStringLiteral("--connect needs HOST:PORT, not \"%1\"").arg(hostPort));
        QString host = hostPort.left(colon);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        workplace_ = QStringLiteral("velta-station report %1:%2").arg(QHostInfo::localHostName()).arg(::getpid());
        try {
            client_.connect(host, static_cast<std::uint16_t>(port));
            if (!key.isEmpty())
                client_.authenticate(key);
        } catch (const Exception& e) {
            throw Exception(QStringLiteral("The station server %1 is unreachable: %2").arg(hostPort, e.message()));
        }
    }

    ReportAnswer produce(const ReportRequest& request) override
    {
        ReportAnswer answer;
        answer.text = call(request.reportNo, request.params);
        answer.html = call(report::kLastReportHtml, Variant(Variant::Array{}));
        return answer;
    }

    QVector<QStringList> rows(const QString& sql) override
    {
        const Variant answer = client_.call(QString::fromLatin1(kOpenProvider),
                                            {Variant("DSPRepCustomSQL"), Variant(sql), Variant(Variant::Array{}), Variant(-1)});
        const DataPacket packet = DataPacket::fromBytes(answer.at(1).toByteArray());
        QVector<QStringList> result;
        for (int r = 0; r < packet.rowCount(); ++r) {
            QStringList row;
            for (int f = 0; f < packet.fieldCount(); ++f)
                row << (packet.isNull(r, f) ? QString() : packet.value(r, f).toString());
            result << row;
        }
        return result;
    }

private:
    QString call(int reportNo, const Variant& params)
    {
        const Variant answer = client_.call(QString::fromLatin1(kGetReportEx),
                                            {Variant(reportNo), params, Variant(workplace_)});
        return answer.isEmptyOrNull() ? QString() : answer.toString();
    }

    WireClient client_;
    QString workplace_;
};

// The station database opened in this process with the server's own engine.
class FolderStation : public ReportStation {
public:
    explicit FolderStation(const QString& root)
        : hold_(hold(root))
        , db_(open(root))
        , engine_(*db_, connection_, memory_)
    {
    }

    ReportAnswer produce(const ReportRequest& request) override
    {
        ReportAnswer answer;
        answer.text = engine_.produce(request.reportNo, request.params, QString(), false);
        answer.html = engine_.produce(report::kLastReportHtml, Variant(Variant::Array{}), QString(), false);
        return answer;
    }

    QVector<QStringList> rows(const QString& sql) override { return queryRows(*db_, sql); }

private:
    // A running server holds its folder: the report then goes through it.
    static std::unique_ptr<StationFolderHold> hold(const QString& root)
    {
        const QString path = stationDatabasePath(root);
        if (!QFileInfo::exists(path))
            throw Exception(QStringLiteral("No station database %1: create it with velta-station init --root %2")
                                .arg(path, root));
        auto held = std::make_unique<StationFolderHold>(root);
        if (!held->held())
            throw Exception(QStringLiteral("The station folder %1 is held by a running \"velta-station serve\" (or "
                                           "another report): ask that server with --connect HOST:PORT instead of --root")
                                .arg(root));
        return held;
    }

    static std::unique_ptr<StationDatabase> open(const QString& root)
    {
        const QString path = stationDatabasePath(root);
        try {
            return std::make_unique<StationDatabase>(path);
        } catch (const EDatabaseError& e) {
            // The embedded engine lets one process hold a database file: a
            // running server keeps everyone else out.
            if (e.message().contains(QStringLiteral("lock"), Qt::CaseInsensitive))
                throw Exception(QStringLiteral("The station database %1 is held by another program, most likely a "
                                               "running \"velta-station serve\": ask that server with "
                                               "--connect HOST:PORT instead of --root (%2)")
                                    .arg(path, e.message()));
            throw;
        }
    }

    std::unique_ptr<StationFolderHold> hold_;
    std::unique_ptr<StationDatabase> db_;
    ReportConnectionState connection_;
    ReportWorkplaceMemory memory_;
    ReportEngine engine_;
};

ReportRequest numberedRequest(const QStringList& request)
{
    bool ok = false;
    const int reportNo = request[0].toInt(&ok);
    if (!ok || reportNo < 0 || reportNo > report::kMaxReportNo)
        throw Exception(QStringLiteral("\"%1\" is neither a report number 0-255 nor a shortcut (shift, period-release, receipt, ttn)")
                            .arg(request[0]));
    if (request.size() != 2)
        throw Exception(QStringLiteral("Report %1 needs one PARAMS argument, a JSON array such as "
                                       "[{\"int\":1000},{\"int\":1005}] (\"-\" reads it from the standard input)")
                            .arg(reportNo));
    QByteArray json = request[1].toUtf8();
    if (request[1] == QLatin1String("-")) {
        QTextStream in(stdin);
        json = in.readAll().toUtf8();
    }
    return {reportNo, reportParamsFromJson(json)};
}

StationPayTypes stationPayTypes(ReportStation& station)
{
    const StationPayTypes pay = payTypesFromRows(station.rows(payTypesSql()));
    if (pay.codes.arrayCount() == 0)
        throw Exception(QStringLiteral("The station has no payment types (table PAYTYPE is empty)"));
    return pay;
}

ReportRequest shiftRequest(const QStringList& options, const QString& cnfFile,
                           const std::function<ReportStation&()>& station)
{
    std::optional<ShiftRange> range;
    QString day;
    int choices = 0;
    for (qsizetype i = 1; i < options.size(); ++i) {
        const QString& a = options[i];
        if (a == QLatin1String("--shifts")) {
            range = parseShiftRange(nextValue(options, i));
            ++choices;
        } else if (a == QLatin1String("--current")) {
            range = ShiftRange{true, -1, -1};
            ++choices;
        } else if (a == QLatin1String("--day")) {
            day = nextValue(options, i);
            ++choices;
        } else {
            throw Exception(QStringLiteral("shift: unknown option %1 (--shifts FIRST-LAST, --current or --day YYYY-MM-DD)").arg(a));
        }
    }
    if (choices != 1)
        throw Exception(QStringLiteral("shift needs one of --shifts FIRST-LAST, --current or --day YYYY-MM-DD"));
    const ShiftComposition composition = readShiftComposition(cnfFile);
    if (composition.defaults)
        writeOut(stderr, QStringLiteral("velta-station report: no %1; the shift report has the composition a station "
                                        "gets at its first log-on\n")
                             .arg(Paths::toNative(cnfFile))
                             .toUtf8());
    if (!day.isEmpty()) {
        const QVector<QStringList> found = station().rows(shiftsOfDaySql(day));
        if (found.isEmpty() || found[0].value(0).isEmpty())
            throw Exception(QStringLiteral("No shift was opened on %1").arg(day));
        range = ShiftRange{false, found[0][0].toInt(), found[0][1].toInt()};
    }
    return {report::kShift, shiftReportParams(*range, composition, stationPayTypes(station()))};
}

ReportRequest periodReleaseRequest(const QStringList& options, const std::function<ReportStation&()>& station)
{
    PeriodRelease release;
    QString kind, from, to;
    for (qsizetype i = 1; i < options.size(); ++i) {
        const QString& a = options[i];
        if (a == QLatin1String("--kind"))
            kind = nextValue(options, i);
        else if (a == QLatin1String("--name"))
            release.contragent = nextValue(options, i);
        else if (a == QLatin1String("--car") || a == QLatin1String("--driver"))
            release.detail = nextValue(options, i);
        else if (a == QLatin1String("--from"))
            from = nextValue(options, i);
        else if (a == QLatin1String("--to"))
            to = nextValue(options, i);
        else if (a == QLatin1String("--by-drivers"))
            release.byDrivers = true;
        else if (a == QLatin1String("--by-cars"))
            release.byCars = true;
        else if (a == QLatin1String("--drivers-first"))
            release.driversFirst = true;
        else
            throw Exception(QStringLiteral("period-release: unknown option %1").arg(a));
    }
    const std::optional<ReleaseKind> k = releaseKindOf(kind);
    if (!k)
        throw Exception(QStringLiteral("period-release needs --kind statement, contragent, car or driver%1")
                            .arg(kind.isEmpty() ? QString() : QStringLiteral(", not \"%1\"").arg(kind)));
    release.kind = *k;
    if (from.isEmpty() || to.isEmpty())
        throw Exception(QStringLiteral("period-release needs --from and --to (YYYY-MM-DD or YYYY-MM-DDTHH:MM)"));
    release.from = parseCommandDateTime(QStringLiteral("--from"), from);
    release.to = parseCommandDateTime(QStringLiteral("--to"), to);
    if (release.from > release.to)
        throw Exception(QStringLiteral("period-release: --from %1 comes after --to %2").arg(from, to));
    if (release.kind != ReleaseKind::Statement && release.contragent.isEmpty())
        throw Exception(QStringLiteral("period-release --kind %1 needs --name CONTRAGENT").arg(kind));
    if (release.kind == ReleaseKind::Car && release.detail.isEmpty())
        throw Exception(QStringLiteral("period-release --kind car needs --car NAME"));
    if (release.kind == ReleaseKind::Driver && release.detail.isEmpty())
        throw Exception(QStringLiteral("period-release --kind driver needs --driver NAME"));
    return {report::periodReleaseReportNo(release.kind), periodReleaseParams(release, stationPayTypes(station()))};
}

// The printer receipt of a sale as the receipt window asks for it:
// [8, sale, operator, post, comment]; -1 is the empty form.
ReportRequest receiptRequest(const QStringList& options)
{
    bool ok = false;
    const int sale = options.size() > 1 ? options[1].toInt(&ok) : 0;
    if (!ok || sale < -1)
        throw Exception(QStringLiteral("receipt needs SALE, a sale number or -1 for the empty form%1")
                            .arg(options.size() > 1 ? QStringLiteral(", not \"%1\"").arg(options[1]) : QString()));
    QString operatorName, post, comment;
    for (qsizetype i = 2; i < options.size(); ++i) {
        const QString& a = options[i];
        if (a == QLatin1String("--operator"))
            operatorName = nextValue(options, i);
        else if (a == QLatin1String("--post"))
            post = nextValue(options, i);
        else if (a == QLatin1String("--comment"))
            comment = nextValue(options, i);
        else
            throw Exception(QStringLiteral("receipt: unknown option %1 (--operator NAME, --post POST, --comment HTML)").arg(a));
    }
    return {report::kService, Variant(Variant::Array{Variant(report::kSelectorPrinterReceipt), Variant(sale),
                                                     Variant(operatorName), Variant(post), Variant(comment)})};
}

// A printed form of a consignment note as the note list asks for it:
// [selector, TTN_ID], and [7, TTN_ID, variant] for the goods waybill.
ReportRequest ttnRequest(const QStringList& options)
{
    bool ok = false;
    const int note = options.size() > 1 ? options[1].toInt(&ok) : 0;
    if (!ok || note < 1)
        throw Exception(QStringLiteral("ttn needs ID, the note's TTN_ID%1")
                            .arg(options.size() > 1 ? QStringLiteral(", not \"%1\"").arg(options[1]) : QString()));
    QString form = QStringLiteral("goods");
    for (qsizetype i = 2; i < options.size(); ++i) {
        if (options[i] != QLatin1String("--form"))
            throw Exception(QStringLiteral("ttn: unknown option %1 (--form FORM)").arg(options[i]));
        form = nextValue(options, i);
    }
    const auto formCall = [note](std::uint8_t selector) {
        return ReportRequest{report::kService, Variant(Variant::Array{Variant(selector), Variant(note)})};
    };
    if (form == QLatin1String("goods"))
        return formCall(report::kSelectorTtnGoods);
    if (form == QLatin1String("transport"))
        return formCall(report::kSelectorTtnTransport);
    if (form == QLatin1String("invoice"))
        return formCall(report::kSelectorInvoice);
    if (form == QLatin1String("receipt"))
        return formCall(report::kSelectorShipmentReceipt);
    for (int variant = 0; variant <= 2; ++variant) {
        if (form == QStringLiteral("waybill%1").arg(variant))
            return {report::kService,
                    Variant(Variant::Array{Variant(report::kSelectorGoodsWaybill), Variant(note), Variant(variant)})};
    }
    throw Exception(QStringLiteral("ttn: --form is goods, transport, invoice, waybill0, waybill1, waybill2 or receipt, not \"%1\"")
                        .arg(form));
}

} // namespace

QString reportUsage()
{
    return QStringLiteral(
        "report (--connect HOST:PORT [--key FILE] | --root DIR) [--cnf FILE] REQUEST [--text] [--html FILE] [--pdf FILE] [--show-params]\n"
        "      produce one report through a running server or directly on a station folder that no server holds;\n"
        "      --text writes its text to the standard output (the default), --html its HTML page, --pdf the text on A4 pages;\n"
        "      --show-params prints the parameter array as JSON instead of producing the report.\n"
        "    REQUEST is one of:\n"
        "      NUMBER PARAMS   report 0-255; PARAMS is a JSON array (\"-\": read it from the standard input) whose\n"
        "                      elements name their types: null, {\"empty\":null}, {\"bool\":true}, {\"str\":\"text\"},\n"
        "                      {\"int8\":-1}, {\"byte\":19}, {\"smallint\":-5}, {\"word\":7}, {\"int\":1000}, {\"uint32\":7},\n"
        "                      {\"int64\":5}, {\"single\":1.5}, {\"double\":0.25}, {\"currency\":\"12.34\"},\n"
        "                      {\"date\":\"2026-11-30T08:00:00\"}, {\"array\":[...]}\n"
        "      shift (--shifts FIRST-LAST | --current | --day YYYY-MM-DD)\n"
        "                      the shift report (45) with the composition of [SmenaRep] in cnf.ini\n"
        "                      (default: cnf.ini of the Windows folder under $VELTA_ROOT) and every payment type\n"
        "      period-release --kind statement|contragent|car|driver --from DATE --to DATE [--name CONTRAGENT]\n"
        "                     [--car NAME | --driver NAME] [--by-drivers] [--by-cars] [--drivers-first]\n"
        "                      the release for a period (reports 11, 12, 13, 53) with every payment type;\n"
        "                      DATE is YYYY-MM-DD (midnight) or YYYY-MM-DDTHH:MM\n"
        "      receipt SALE [--operator NAME] [--post POST] [--comment HTML]\n"
        "                      the printer receipt of a sale (report 35, selector 8); SALE -1 is the empty form\n"
        "      ttn ID [--form goods|transport|invoice|waybill0|waybill1|waybill2|receipt]\n"
        "                      a printed form of consignment note ID (report 35, selectors 4, 5, 6, 7 and 16); goods by default");
}

ReportCommandOptions parseReportOptions(const QStringList& args)
{
    ReportCommandOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--connect"))
            options.connect = nextValue(args, i);
        else if (a == QLatin1String("--key"))
            options.keyFile = nextValue(args, i);
        else if (a == QLatin1String("--root"))
            options.root = nextValue(args, i);
        else if (a == QLatin1String("--cnf"))
            options.cnfFile = nextValue(args, i);
        else if (a == QLatin1String("--text"))
            options.text = true;
        else if (a == QLatin1String("--html"))
            options.htmlFile = nextValue(args, i);
        else if (a == QLatin1String("--pdf"))
            options.pdfFile = nextValue(args, i);
        else if (a == QLatin1String("--show-params"))
            options.showParams = true;
        else
            options.request << a;
    }
    if (options.request.isEmpty())
        throw Exception(QStringLiteral("report needs NUMBER PARAMS, shift ..., period-release ..., receipt ... or ttn ..."));
    if (!options.showParams && options.connect.isEmpty() == options.root.isEmpty())
        throw Exception(QStringLiteral("report needs either --connect HOST:PORT (a running server) or --root DIR "
                                       "(a station folder no server holds)"));
    if (!options.keyFile.isEmpty() && options.connect.isEmpty())
        throw Exception(QStringLiteral("--key goes with --connect"));
    if (options.htmlFile.isEmpty() && options.pdfFile.isEmpty())
        options.text = true;
    return options;
}

std::unique_ptr<ReportStation> serverStation(const QString& hostPort, const QString& key)
{
    return std::make_unique<ServerStation>(hostPort, key);
}

std::unique_ptr<ReportStation> folderStation(const QString& root)
{
    return std::make_unique<FolderStation>(root);
}

ReportRequest reportRequestFor(const QStringList& request, const QString& cnfFile,
                               const std::function<ReportStation&()>& station)
{
    if (request[0] == QLatin1String("shift"))
        // A bare name would be looked up in the Windows folder, as the INI functions do.
        return shiftRequest(request, cnfFile.isEmpty() ? CnfIniFileName() : QFileInfo(cnfFile).absoluteFilePath(),
                            station);
    if (request[0] == QLatin1String("period-release"))
        return periodReleaseRequest(request, station);
    if (request[0] == QLatin1String("receipt"))
        return receiptRequest(request);
    if (request[0] == QLatin1String("ttn"))
        return ttnRequest(request);
    if (request[0].startsWith(QLatin1String("-")) || !request[0].front().isDigit())
        throw Exception(QStringLiteral("Unknown shortcut or option \"%1\" (shift, period-release, receipt, ttn or a report number)")
                            .arg(request[0]));
    return numberedRequest(request);
}

int runReport(const QStringList& args)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        writeOut(stdout, (QStringLiteral("Usage: velta-station ") + reportUsage() + QLatin1Char('\n')).toUtf8());
        return 0;
    }
    const ReportCommandOptions options = parseReportOptions(args);
    std::unique_ptr<ReportStation> station;
    const auto stationOnce = [&]() -> ReportStation& {
        if (!station) {
            if (!options.connect.isEmpty())
                station = serverStation(options.connect,
                                        options.keyFile.isEmpty() ? QString() : readServeKey(options.keyFile));
            else if (!options.root.isEmpty())
                station = folderStation(options.root);
            else
                throw Exception(QStringLiteral("This request needs the station's data: give --connect or --root"));
        }
        return *station;
    };
    const ReportRequest request = reportRequestFor(options.request, options.cnfFile, stationOnce);
    if (options.showParams) {
        writeOut(stdout, QByteArray::number(request.reportNo) + ' ' + reportParamsToJson(request.params) + '\n');
        return 0;
    }
    const ReportAnswer answer = stationOnce().produce(request);
    if (!options.htmlFile.isEmpty()) {
        if (answer.html.isEmpty())
            writeOut(stderr, QStringLiteral("velta-station report: the station gave no HTML page for report %1; %2 is empty\n")
                                 .arg(request.reportNo)
                                 .arg(options.htmlFile)
                                 .toUtf8());
        writeFile(options.htmlFile, htmlBytes(answer.html));
    }
    if (!options.pdfFile.isEmpty())
        writeReportPdf(answer.text, options.pdfFile, QStringLiteral("Report %1").arg(request.reportNo));
    if (options.text) {
        QByteArray bytes = answer.text.toUtf8();
        if (!bytes.endsWith('\n'))
            bytes += '\n';
        writeOut(stdout, bytes);
    }
    if (textStoppedAtLimits(answer.text)) {
        writeOut(stderr, QStringLiteral("velta-station report: report %1 stopped at the report limits "
                                        "([Reports] MaxRows or MaxSize of cnf.ini); what was written is incomplete\n")
                             .arg(request.reportNo)
                             .toUtf8());
        return kReportStoppedExit;
    }
    return 0;
}

} // namespace velta::station
