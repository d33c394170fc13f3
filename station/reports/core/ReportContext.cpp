#include "station/reports/core/ReportContext.h"

#include "station/db/StationDatabase.h"

#include <utility>

namespace velta::station {

ReportContext::ReportContext(StationDatabase& db, ReportFormats formats)
    : db_(db)
    , formats_(std::move(formats))
{
    QSqlQuery query = db_.query();
    query.setForwardOnly(true);
    execQuery(query, QStringLiteral("SELECT FIRST 1 AZSNAME, ADDRESS, INN, ISLOADINGRACK FROM STATION ORDER BY AZS_ID"), QStringLiteral("Station details"));
    if (query.next()) {
        stationName_ = query.value(0).toString().trimmed();
        stationAddress_ = query.value(1).toString().trimmed();
        stationInn_ = query.value(2).toString().trimmed();
        loadingRack_ = query.value(3).toInt() != 0;
    }
}

ReportDocument ReportContext::newDocument(const QString& title) const
{
    ReportDocument document(title, formats_.limits);
    if (!stationName_.isEmpty())
        document.addHeadLine(QStringLiteral("АЗС: ") + stationName_);
    if (!stationAddress_.isEmpty())
        document.addHeadLine(QStringLiteral("Адрес: ") + stationAddress_);
    if (!stationInn_.isEmpty())
        document.addHeadLine(QStringLiteral("ИНН: ") + stationInn_);
    return document;
}

QString ReportContext::webFormsFolder()
{
    return QStringLiteral("C:\\DEXE\\FORMS\\WEBREP\\");
}

QString ReportContext::textFormsFolder()
{
    return QStringLiteral("C:\\DEXE\\FORMS\\REPORT\\");
}

} // namespace velta::station
