#include "station/reports/receipts/ReceiptTemplateAnswer.h"

#include "common/ReportContract.h"
#include "plugin/receipts/template/DefaultReceiptTemplate.h"
#include "plugin/receipts/template/PredChecksFile.h"

#include <limits>

namespace velta::station {

QString receiptTemplateAnswer(StationDatabase&, const ReportParams& params)
{
    params.expectCount({2});
    const std::int64_t code = params.integer(1);
    if (code < std::numeric_limits<int>::min() || code > std::numeric_limits<int>::max())
        params.fail(1, QStringLiteral("кодом вида оплаты"));
    return receiptTemplateAnswer(static_cast<int>(code), receipts::PredChecksFile::stationName());
}

QString receiptTemplateAnswer(int payTypeCode, const QString& predChecksName)
{
    QString text = receipts::PredChecksFile(predChecksName).templateFor(payTypeCode);
    if (text.isEmpty())
        text = receipts::DefaultReceiptTemplate();
    return QString::fromLatin1(report::kReceiptTemplateMarker) + text;
}

} // namespace velta::station
