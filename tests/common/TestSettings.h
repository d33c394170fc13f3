#pragma once
// Format settings the runtime tests use: the fixed Russian station settings,
// and the same with a full stop as decimal and a comma as thousand separator.
#include "common/FormatSettings.h"

namespace velta::test {

inline const TFormatSettings& ru()
{
    static const TFormatSettings s = TFormatSettings::systemDefaults();
    return s;
}

inline const TFormatSettings& point()
{
    static const TFormatSettings s = [] {
        TFormatSettings t = TFormatSettings::systemDefaults();
        t.DecimalSeparator = QLatin1Char('.');
        t.ThousandSeparator = QLatin1Char(',');
        return t;
    }();
    return s;
}

} // namespace velta::test
