#include "common/FormatSettings.h"

namespace velta {

TFormatSettings TFormatSettings::systemDefaults()
{
    TFormatSettings s;
    s.DecimalSeparator = QLatin1Char(',');
    s.ThousandSeparator = QChar(0x00A0);
    s.DateSeparator = QLatin1Char('.');
    s.TimeSeparator = QLatin1Char(':');
    s.ShortDateFormat = QStringLiteral("dd.mm.yyyy");
    s.LongDateFormat = QStringLiteral("d mmmm yyyy 'г.'");
    s.ShortTimeFormat = QStringLiteral("h:mm");
    s.LongTimeFormat = QStringLiteral("h:mm:ss");
    s.TimeAMString.clear();
    s.TimePMString.clear();
    s.CurrencyString = QStringLiteral("р.");
    s.CurrencyFormat = 1;
    s.NegCurrFormat = 5;
    s.CurrencyDecimals = 2;
    s.TwoDigitYearCenturyWindow = 50;
    s.ShortMonthNames = {QStringLiteral("янв"), QStringLiteral("фев"), QStringLiteral("мар"),
                         QStringLiteral("апр"), QStringLiteral("май"), QStringLiteral("июн"),
                         QStringLiteral("июл"), QStringLiteral("авг"), QStringLiteral("сен"),
                         QStringLiteral("окт"), QStringLiteral("ноя"), QStringLiteral("дек")};
    s.LongMonthNames = {QStringLiteral("Январь"), QStringLiteral("Февраль"), QStringLiteral("Март"),
                        QStringLiteral("Апрель"), QStringLiteral("Май"), QStringLiteral("Июнь"),
                        QStringLiteral("Июль"), QStringLiteral("Август"), QStringLiteral("Сентябрь"),
                        QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"), QStringLiteral("Декабрь")};
    s.ShortDayNames = {QStringLiteral("Вс"), QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"),
                       QStringLiteral("Чт"), QStringLiteral("Пт"), QStringLiteral("Сб")};
    s.LongDayNames = {QStringLiteral("воскресенье"), QStringLiteral("понедельник"), QStringLiteral("вторник"),
                      QStringLiteral("среда"), QStringLiteral("четверг"), QStringLiteral("пятница"),
                      QStringLiteral("суббота")};
    return s;
}

TFormatSettings& globalFormatSettings()
{
    static TFormatSettings settings = TFormatSettings::systemDefaults();
    return settings;
}

} // namespace velta
