#pragma once
// The HTML page of a report (what report 55 hands out after it): a complete
// document with its charset declared, the title, the head lines and the
// blocks; tables with their heads in <thead>, repeated on every printed page
// unless the settings say otherwise, and totals in bold.
#include "station/reports/core/ReportDocument.h"

namespace velta::station {

struct HtmlRenderOptions {
    // cnf.ini [Reports] RepeatH: table heads on every printed page.
    bool repeatHead = true;
};

QString renderReportHtml(const ReportDocument& document, const HtmlRenderOptions& options = {});

// The table alone, as an HTML <table> element.
QString renderHtmlTable(const ReportTable& table);

} // namespace velta::station
