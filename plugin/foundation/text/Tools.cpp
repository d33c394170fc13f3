#include "plugin/foundation/text/Tools.h"

#include "common/SysUtils.h"
#include "plugin/foundation/text/DecimalRounding.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/Sound.h"

#include <QStringList>

namespace velta {

std::unique_ptr<Exception> WrapExceptionTagged(const Exception& e, const QString& context, bool addClass)
{
    QString message = Format(QStringLiteral("%s -> %s"), {context, e.message()});
    if (addClass && !message.contains(QLatin1String(" <# ")))
        message += QStringLiteral(" <# ") + e.className() + QStringLiteral(" #>");
    return e.withMessage(message);
}

double RoundTo(int digits, double value)
{
    // Ties go away from zero: up for positive values, down for negative ones.
    const auto control = value >= 0 ? TDecimalRoundingCtrl::HalfPos : TDecimalRoundingCtrl::HalfNeg;
    return static_cast<double>(DecimalRoundDefault(value, digits, control));
}

double RoundMoney(double value)
{
    return RoundTo(2, value);
}

double RoundTo3(double value)
{
    return RoundTo(3, value);
}

bool IsValidFileNameText(const QString& text)
{
    static const QString forbidden = QStringLiteral("\"*/:<>?\\");
    for (const QChar ch : text) {
        if (forbidden.contains(ch))
            return false;
    }
    return true;
}

namespace {

bool elementEquals(const Variant& element, int value)
{
    if (element.isNumeric() || element.type() == VarType::Boolean)
        return element.toDouble() == value;
    if (element.isString()) {
        int parsed = 0;
        return TryStrToInt(element.toString(), parsed) && parsed == value;
    }
    return false;
}

} // namespace

int IndexOfIntInArray(int value, const Variant& array, int defaultIndex)
{
    if (array.isArray()) {
        for (int i = 0; i <= array.arrayHighBound(); ++i) {
            if (elementEquals(array.at(i), value))
                return i;
        }
    }
    if (defaultIndex >= 0)
        Sound::current().tone(300, 50);
    return defaultIndex;
}

QString WindowsFolder()
{
    return Paths::windowsFolder();
}

QString CnfIniFileName()
{
    return WindowsFolder() + QStringLiteral("cnf.ini");
}

QString ReadCnfValue(const QString& section, const QString& ident, const QString& defaultValue)
{
    TSafeIniFile ini(CnfIniFileName());
    return ini.ReadQuotedString(section, ident, defaultValue, QChar(u'`'));
}

const TFormatSettings& ToolsFormatSettings()
{
    static const TFormatSettings settings = [] {
        TFormatSettings s = TFormatSettings::systemDefaults();
        s.LongDateFormat = s.ShortDateFormat = QStringLiteral("yyyy/mm/dd");
        s.LongTimeFormat = s.ShortTimeFormat = QStringLiteral("hh:nn:ss.zzz");
        s.DateSeparator = QLatin1Char('-');
        s.TimeSeparator = QLatin1Char(':');
        s.DecimalSeparator = QLatin1Char('.');
        return s;
    }();
    return settings;
}

QString FormatQueryDateTime(bool withMilliseconds, TDateTime value)
{
    return FormatDateTime(withMilliseconds ? QStringLiteral("yyyy/mm/dd hh:nn:ss.zzz")
                                           : QStringLiteral("yyyy/mm/dd hh:nn:ss"),
                          value, ToolsFormatSettings());
}

QString FormatQueryDate(TDateTime value)
{
    return FormatDateTime(QStringLiteral("yyyy/mm/dd"), value, ToolsFormatSettings());
}

QString ReplaceText(const QString& source, const QString& oldText, const QString& newText, unsigned flags)
{
    if (oldText.isEmpty() || source.isEmpty())
        return source;
    const Qt::CaseSensitivity cs = (flags & rfIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QString result;
    result.reserve(source.size());
    qsizetype from = 0;
    while (true) {
        const qsizetype at = source.indexOf(oldText, from, cs);
        if (at < 0)
            break;
        result += QStringView(source).mid(from, at - from);
        result += newText;
        from = at + oldText.size();
        if (!(flags & rfReplaceAll))
            break;
    }
    result += QStringView(source).mid(from);
    return result;
}

} // namespace velta
