#pragma once
// Raising dataset errors the framework's way: the dataset's name, a colon and
// the message, when the dataset has a name.
#include <QString>


namespace velta {

class TClientDataSet;

[[noreturn]] void databaseError(const TClientDataSet& dataSet, const QString& message);
[[noreturn]] void databaseError(const QString& dataSetName, const QString& message);

} // namespace velta
