#pragma once
// Format settings: the separators, date and time pictures and names that every
// formatting and parsing function of the runtime takes.
#include "common/RuntimeExport.h"

#include <QChar>
#include <QString>
#include <array>

namespace velta {

struct VELTA_RUNTIME_EXPORT TFormatSettings {
    QChar DecimalSeparator = QLatin1Char(',');
    QChar ThousandSeparator = QChar(0x00A0);
    QChar DateSeparator = QLatin1Char('.');
    QChar TimeSeparator = QLatin1Char(':');
    QString ShortDateFormat = QStringLiteral("dd.mm.yyyy");
    QString LongDateFormat = QStringLiteral("d mmmm yyyy 'г.'");
    QString ShortTimeFormat = QStringLiteral("h:mm");
    QString LongTimeFormat = QStringLiteral("h:mm:ss");
    QString TimeAMString;
    QString TimePMString;
    QString CurrencyString = QStringLiteral("р.");
    int CurrencyFormat = 1;   // 1 = "1р." (string after the number, no space)
    int NegCurrFormat = 5;    // 5 = "-1р."
    int CurrencyDecimals = 2;
    // Two-digit years are read within this many years before the current one.
    int TwoDigitYearCenturyWindow = 50;
    std::array<QString, 12> ShortMonthNames;
    std::array<QString, 12> LongMonthNames;
    std::array<QString, 7> ShortDayNames; // Sunday first
    std::array<QString, 7> LongDayNames;

    // The settings a Russian Windows station reports as its system locale.
    // Fixed here so that nothing depends on the machine's own locale.
    static TFormatSettings systemDefaults();
};

// The process-wide settings (the framework's global format variables) that
// the host may change at run time: "the decimal separator in force".
VELTA_RUNTIME_EXPORT TFormatSettings& globalFormatSettings();

} // namespace velta
