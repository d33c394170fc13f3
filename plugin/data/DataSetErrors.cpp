#include "plugin/data/DataSetErrors.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"

namespace velta {

void databaseError(const TClientDataSet& dataSet, const QString& message)
{
    databaseError(dataSet.Name(), message);
}

void databaseError(const QString& dataSetName, const QString& message)
{
    if (dataSetName.isEmpty())
        throw EDatabaseError(message);
    throw EDatabaseError(dataSetName + QStringLiteral(": ") + message);
}

} // namespace velta
