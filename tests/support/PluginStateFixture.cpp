#include "tests/support/PluginStateFixture.h"

#include "common/Variant.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/VeltaRep.h"

namespace velta::test {

void setPluginPayTypes(const QList<std::pair<QString, int>>& types)
{
    Variant::Array names;
    Variant::Array table;
    for (const auto& [name, code] : types) {
        names.append(Variant(name));
        table.append(Variant(Variant::Array{Variant(name), Variant(QString::number(code)),
                                            Variant(QString::number(code % 100)), Variant(-1)}));
    }
    core::state().payTypeNames = Variant(names);
    core::state().payTypeTable = Variant(table);
    core::state().payTypeCount = static_cast<int>(types.size());
}

PluginStateTest::PluginStateTest()
{
    core::ResetPluginState();
    core::host().getValue = &TestHost::getValue;
    core::host().getPrivValue = &TestHost::getPrivValue;
    core::host().getReport = &TestHost::getReport;
}

PluginStateTest::~PluginStateTest()
{
    core::ResetPluginState();
}

} // namespace velta::test
