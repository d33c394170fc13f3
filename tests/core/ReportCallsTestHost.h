#pragma once
// A scripted host for the report call tests: GetValue and GetPrivValue answer
// from tables (a code in `failing` raises), GetReport_ records every call and
// answers through a replaceable handler. Installs itself into the plug-in's
// host context for one test and reads the plug-in's log back.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "common/Variant.h"
#include "plugin/core/HostContext.h"
#include "plugin/platform/Paths.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QList>
#include <QSet>
#include <functional>
#include <map>

namespace velta::test {

struct ReportCall {
    int reportNo = 0;
    Variant params;
};

class ScriptedHost {
public:
    using ReportHandler = std::function<void(QString& text, int reportNo, const Variant& params)>;

    ScriptedHost()
    {
        current_ = this;
        core::HostCallbacks& callbacks = core::host();
        callbacks.getValue = &ScriptedHost::getValue;
        callbacks.getPrivValue = &ScriptedHost::getPrivValue;
        callbacks.getReport = &ScriptedHost::getReport;
    }
    ~ScriptedHost()
    {
        core::host() = core::HostCallbacks();
        current_ = nullptr;
    }
    ScriptedHost(const ScriptedHost&) = delete;
    ScriptedHost& operator=(const ScriptedHost&) = delete;

    std::map<int, Variant> values;
    std::map<int, Variant> privValues;
    QSet<int> failingValues;
    QList<ReportCall> calls;
    ReportHandler onReport = [](QString& text, int, const Variant&) { text = QStringLiteral("Отчет"); };

    // The calls for one report number.
    QList<ReportCall> callsOf(int reportNo) const
    {
        QList<ReportCall> found;
        for (const ReportCall& call : calls)
            if (call.reportNo == reportNo)
                found << call;
        return found;
    }

    // The plug-in's log as text (empty when nothing was written).
    static QString logText()
    {
        QFile file(Paths::toNative(QStringLiteral("C:\\DEXE\\LogFiles\\Reports.log")));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return codec::fromCp1251(file.readAll());
    }

private:
    static void getValue(Variant& result, int code, int)
    {
        if (current_->failingValues.contains(code))
            throw EOleException(QStringLiteral("host value %1 failed").arg(code));
        const auto it = current_->values.find(code);
        result = it == current_->values.end() ? Variant() : it->second;
    }
    static void getPrivValue(Variant& result, int code)
    {
        const auto it = current_->privValues.find(code);
        result = it == current_->privValues.end() ? Variant() : it->second;
    }
    static void getReport(QString& text, int reportNo, Variant params)
    {
        current_->calls << ReportCall{reportNo, params};
        current_->onReport(text, reportNo, params);
    }

    static inline ScriptedHost* current_ = nullptr;
};

} // namespace velta::test
