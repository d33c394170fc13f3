#pragma once
// The "report" command of velta-station: produces one report for scripts and
// scheduled jobs, through a running station server or directly on a station
// folder, and writes its text, HTML or PDF form.
//
//   report [--connect HOST:PORT [--key FILE] | --root DIR] [--cnf FILE]
//          (NUMBER PARAMS | shift ... | period-release ... | receipt ... | ttn ...)
//          [--text] [--html FILE] [--pdf FILE] [--show-params]
#include "common/Variant.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace velta::station {

// Where the report comes from and where it goes.
struct ReportCommandOptions {
    QString connect;   // HOST:PORT of a running server
    QString keyFile;   // its key, for a server that asks for one
    QString root;      // a station folder (velta-station init --root)
    QString cnfFile;   // cnf.ini for the shift report's composition
    bool text = false;
    QString htmlFile;
    QString pdfFile;
    bool showParams = false; // print the parameter array as JSON and stop
    QStringList request;     // NUMBER PARAMS, or a shortcut and its options
};

// Reads the command line; raises Exception with a usage hint on bad options.
ReportCommandOptions parseReportOptions(const QStringList& args);

// The usage text of the command (for --help and velta-station's list).
QString reportUsage();

// A report to produce: its number and parameter array.
struct ReportRequest {
    int reportNo = 0;
    Variant params;
};

// What a station answers for a report: its text and the HTML of report 55.
struct ReportAnswer {
    QString text;
    QString html;
};

// A station that produces reports and answers the small queries the
// shortcuts need (values as text, row by row).
class ReportStation {
public:
    virtual ~ReportStation() = default;
    virtual ReportAnswer produce(const ReportRequest& request) = 0;
    virtual QVector<QStringList> rows(const QString& sql) = 0;
};

// A running server at HOST:PORT (key: the key text, or empty).
std::unique_ptr<ReportStation> serverStation(const QString& hostPort, const QString& key);
// The station database under root, opened in this process; raises a clear
// Exception when a running server holds it.
std::unique_ptr<ReportStation> folderStation(const QString& root);

// The request the arguments name: NUMBER PARAMS or a shortcut. The station
// is asked only when a shortcut needs its data.
ReportRequest reportRequestFor(const QStringList& request, const QString& cnfFile,
                               const std::function<ReportStation&()>& station);

// The exit code of a report the engine stopped at its limits (MaxRows,
// MaxSize): its text, HTML or PDF is written, but incomplete.
inline constexpr int kReportStoppedExit = 3;

// Runs the command; returns the exit code. Output lines go to out (stdout).
int runReport(const QStringList& args);

} // namespace velta::station
