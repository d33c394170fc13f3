#include "plugin/receipts/template/CustomCheckBuilder.h"

#include "common/Exception.h"

// Placeholder until the builder lands: every operation refuses.
namespace velta::receipts {

TCustomCheckBuilder::TCustomCheckBuilder(QString templateText) : text_(std::move(templateText)) {}

void TCustomCheckBuilder::SetDateTime(const QString&, const QString&, TDateTime)
{
    throw Exception(QStringLiteral("TCustomCheckBuilder is not built yet"));
}

void TCustomCheckBuilder::SetFloat(const QString&, const QString&, double)
{
    throw Exception(QStringLiteral("TCustomCheckBuilder is not built yet"));
}

void TCustomCheckBuilder::SetString(const QString&, const QString&, const QString&)
{
    throw Exception(QStringLiteral("TCustomCheckBuilder is not built yet"));
}

QString TCustomCheckBuilder::GetCheckText()
{
    throw Exception(QStringLiteral("TCustomCheckBuilder is not built yet"));
}

} // namespace velta::receipts
