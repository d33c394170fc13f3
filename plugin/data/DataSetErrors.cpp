#include "plugin/data/DataSetErrors.h"

#include "common/Exception.h"
#include "plugin/data/ClientDataSet.h"

namespace velta {

void databaseError(const TClientDataSet& dataSet, const QString& message)
{
    if (dataSet.Name().isEmpty())
        throw EDatabaseError(message);
    throw EDatabaseError(dataSet.Name() + QStringLiteral(": ") + message);
}

} // namespace velta
