#include "plugin/consignment/records/TtnVarList.h"

#include "common/SysUtils.h"

#include <QStringList>

namespace velta::consignment {
namespace {

QString nameKey(int row)
{
    return QStringLiteral("edVarName%1").arg(row);
}

QString valueKey(int row)
{
    return QStringLiteral("edVarValue%1").arg(row);
}

QString textOf(const TtnEditorValues& values, const QString& key)
{
    const auto found = values.find(key);
    return found == values.end() || found->second.isEmptyOrNull() ? QString() : found->second.toString();
}

} // namespace

QString TtnVarListText(const TtnVariables& variables)
{
    QString text;
    for (int row = 1; row <= kTtnVariableCount; ++row) {
        const TtnVariable& v = variables[row - 1];
        text += QStringLiteral("%1=%2|%3\r\n").arg(row).arg(v.Name, v.Value);
    }
    return text;
}

void TtnVarListLoad(const QString& text, TtnVariables& variables)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& line : normalised.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        int row = 0;
        if (equals < 0 || !TryStrToInt(line.left(equals), row) || row < 1 || row > kTtnVariableCount)
            continue;
        const QString rest = line.mid(equals + 1);
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        TtnVariable& v = variables[row - 1];
        if (bar < 0) {
            v = TtnVariable{};
            continue;
        }
        v.Name = rest.left(bar);
        v.Value = rest.mid(bar + 1);
    }
}

TtnVariables TtnVariablesFromEditors(const TtnEditorValues& values)
{
    TtnVariables variables;
    for (int row = 1; row <= kTtnVariableCount; ++row)
        variables[row - 1] = {textOf(values, nameKey(row)), textOf(values, valueKey(row))};
    return variables;
}

void TtnVariablesToEditors(const TtnVariables& variables, TtnEditorValues& values)
{
    for (int row = 1; row <= kTtnVariableCount; ++row) {
        values[nameKey(row)] = Variant(variables[row - 1].Name);
        values[valueKey(row)] = Variant(variables[row - 1].Value);
    }
}

} // namespace velta::consignment
