// StrToDate, StrToTime and StrToDateTime under the Russian defaults and under
// year-first settings with "-" as the date separator.
#include "common/Exception.h"
#include "common/SysUtils.h"
#include "tests/common/TestSettings.h"

#include <gtest/gtest.h>

using namespace velta;
using velta::test::ru;

namespace {

const TFormatSettings& ymd()
{
    static const TFormatSettings s = [] {
        TFormatSettings t = TFormatSettings::systemDefaults();
        t.ShortDateFormat = QStringLiteral("yyyy/mm/dd");
        t.LongDateFormat = QStringLiteral("yyyy/mm/dd");
        t.ShortTimeFormat = QStringLiteral("hh:nn:ss.zzz");
        t.LongTimeFormat = QStringLiteral("hh:nn:ss.zzz");
        t.DateSeparator = QLatin1Char('-');
        t.DecimalSeparator = QLatin1Char('.');
        return t;
    }();
    return s;
}

int currentYear()
{
    int y = 0, m = 0, d = 0;
    DecodeDate(SystemNow(), y, m, d);
    return y;
}

} // namespace

TEST(DateParse, DayMonthYearOrderFollowsTheShortDateFormat)
{
    EXPECT_EQ(StrToDate(QStringLiteral("06.12.2026"), ru()), EncodeDate(2026, 12, 6));
    EXPECT_EQ(StrToDate(QStringLiteral("6.1.2026"), ru()), EncodeDate(2026, 1, 6));
    EXPECT_EQ(StrToDate(QStringLiteral("2026-12-06"), ymd()), EncodeDate(2026, 12, 6));
    EXPECT_EQ(StrToDate(QStringLiteral("2026-1-6"), ymd()), EncodeDate(2026, 1, 6));

    TFormatSettings us = ru();
    us.ShortDateFormat = QStringLiteral("M/d/yyyy");
    us.DateSeparator = QLatin1Char('/');
    EXPECT_EQ(StrToDate(QStringLiteral("12/6/2026"), us), EncodeDate(2026, 12, 6));
}

TEST(DateParse, TheSeparatorOfTheSettingsIsTheOnlyOneAccepted)
{
    TDateTime value = 0;
    EXPECT_FALSE(TryStrToDate(QStringLiteral("06/12/2026"), value, ru()));
    EXPECT_FALSE(TryStrToDate(QStringLiteral("2026.12.06"), value, ymd()));
    EXPECT_FALSE(TryStrToDate(QStringLiteral("06.12-2026"), value, ru()));
}

TEST(DateParse, BlanksAroundNumbersAndOneTrailingSeparatorAreAllowed)
{
    EXPECT_EQ(StrToDate(QStringLiteral("  06 . 12 . 2026  "), ru()), EncodeDate(2026, 12, 6));
    EXPECT_EQ(StrToDate(QStringLiteral("06.12.2026."), ru()), EncodeDate(2026, 12, 6));
    TDateTime value = 0;
    EXPECT_FALSE(TryStrToDate(QStringLiteral("06.12.2026.."), value, ru()));
    EXPECT_FALSE(TryStrToDate(QStringLiteral("\t06.12.2026"), value, ru()));
}

TEST(DateParse, RejectsImpossibleAndMalformedDates)
{
    TDateTime value = 123;
    for (const char* bad : {"", " ", "31.04.2026", "29.02.2025", "00.01.2026", "01.13.2026",
                            "1.1.10000", "01.01.12345", "a1.01.2026", "01.01.2026x", "01..2026", ".01.2026",
                            "01.01.2026 12:00"})
        EXPECT_FALSE(TryStrToDate(QString::fromUtf8(bad), value, ru())) << bad;
    EXPECT_EQ(value, 123);
    EXPECT_TRUE(TryStrToDate(QStringLiteral("29.02.2024"), value, ru()));
    EXPECT_TRUE(TryStrToDate(QStringLiteral("01.01.0001"), value, ru()));
    EXPECT_EQ(value, kMinDateTime);
}

TEST(DateParse, TwoNumbersMeanTheCurrentYear)
{
    EXPECT_EQ(StrToDate(QStringLiteral("06.12"), ru()), EncodeDate(currentYear(), 12, 6));
    EXPECT_EQ(StrToDate(QStringLiteral("12-06"), ymd()), EncodeDate(currentYear(), 12, 6));
}

TEST(DateParse, TwoDigitYearsUseTheCenturyWindow)
{
    EXPECT_EQ(expandTwoDigitYear(26, 2026, 50), 2026);
    EXPECT_EQ(expandTwoDigitYear(75, 2026, 50), 2075);
    EXPECT_EQ(expandTwoDigitYear(76, 2026, 50), 1976);
    EXPECT_EQ(expandTwoDigitYear(99, 2026, 50), 1999);
    EXPECT_EQ(expandTwoDigitYear(0, 2026, 50), 2000);
    // In 2099 the window is 2049..2148.
    EXPECT_EQ(expandTwoDigitYear(49, 2099, 50), 2049);
    EXPECT_EQ(expandTwoDigitYear(48, 2099, 50), 2148);
    // Without a window the years are those of the current century.
    EXPECT_EQ(expandTwoDigitYear(99, 2026, 0), 2099);

    int year = 0, month = 0, day = 0;
    DecodeDate(StrToDate(QStringLiteral("06.12.26"), ru()), year, month, day);
    EXPECT_EQ(year, expandTwoDigitYear(26, currentYear(), 50));
    // One digit is a short year too; four digits are taken as written, even a small year.
    DecodeDate(StrToDate(QStringLiteral("1.1.0"), ru()), year, month, day);
    EXPECT_EQ(year, expandTwoDigitYear(0, currentYear(), 50));
    DecodeDate(StrToDate(QStringLiteral("06.12.0026"), ru()), year, month, day);
    EXPECT_EQ(year, 26);
}

TEST(TimeParse, HoursAloneOrWithMinutesSecondsAndMilliseconds)
{
    EXPECT_EQ(StrToTime(QStringLiteral("14"), ru()), EncodeTime(14, 0, 0, 0));
    EXPECT_EQ(StrToTime(QStringLiteral("14:30"), ru()), EncodeTime(14, 30, 0, 0));
    EXPECT_EQ(StrToTime(QStringLiteral("14:30:15"), ru()), EncodeTime(14, 30, 15, 0));
    // Milliseconds follow the decimal separator of the settings.
    EXPECT_EQ(StrToTime(QStringLiteral("14:30:15,123"), ru()), EncodeTime(14, 30, 15, 123));
    EXPECT_EQ(StrToTime(QStringLiteral("14:30:15.123"), ymd()), EncodeTime(14, 30, 15, 123));
    TDateTime value = 0;
    EXPECT_FALSE(TryStrToTime(QStringLiteral("14:30:15.123"), value, ru()));
}

TEST(TimeParse, RejectsOutOfRangeAndMalformedTimes)
{
    TDateTime value = 0;
    for (const char* bad : {"", "24:00", "12:60", "12:00:60", "12:00:00,1000", "12:", "12:00:", ":30",
                            "12:00:00,", "12-00", "12:00 x", "1230:00"})
        EXPECT_FALSE(TryStrToTime(QString::fromUtf8(bad), value, ru())) << bad;
    EXPECT_TRUE(TryStrToTime(QStringLiteral(" 23:59:59,999 "), value, ru()));
}

TEST(TimeParse, AmAndPmBeforeOrAfterTheTime)
{
    EXPECT_EQ(StrToTime(QStringLiteral("2:05 PM"), ru()), EncodeTime(14, 5, 0, 0));
    EXPECT_EQ(StrToTime(QStringLiteral("pm 2:05"), ru()), EncodeTime(14, 5, 0, 0));
    EXPECT_EQ(StrToTime(QStringLiteral("12:05 am"), ru()), EncodeTime(0, 5, 0, 0));
    EXPECT_EQ(StrToTime(QStringLiteral("12:05 PM"), ru()), EncodeTime(12, 5, 0, 0));
    TDateTime value = 0;
    EXPECT_FALSE(TryStrToTime(QStringLiteral("13:00 PM"), value, ru()));
    EXPECT_FALSE(TryStrToTime(QStringLiteral("0:00 AM"), value, ru()));

    TFormatSettings local = ru();
    local.TimeAMString = QStringLiteral("дп");
    local.TimePMString = QStringLiteral("пп");
    EXPECT_EQ(StrToTime(QStringLiteral("3:00 ПП"), local), EncodeTime(15, 0, 0, 0));
}

TEST(DateTimeParse, DateWithOptionalTime)
{
    EXPECT_EQ(StrToDateTime(QStringLiteral("06.12.2026"), ru()), EncodeDate(2026, 12, 6));
    EXPECT_EQ(StrToDateTime(QStringLiteral("06.12.2026 14:30:15"), ru()),
              EncodeDateTime(2026, 12, 6, 14, 30, 15, 0));
    EXPECT_EQ(StrToDateTime(QStringLiteral("2026-12-06 14:30:15.123"), ymd()),
              EncodeDateTime(2026, 12, 6, 14, 30, 15, 123));
    // A time alone is a time of 30.12.1899.
    EXPECT_EQ(StrToDateTime(QStringLiteral("14:30"), ru()), EncodeTime(14, 30, 0, 0));
}

TEST(DateTimeParse, NegativeDatesAddTheTimeAwayFromZero)
{
    const TDateTime value = StrToDateTime(QStringLiteral("07.09.1812 18:30"), ru());
    EXPECT_EQ(value, EncodeDateTime(1812, 9, 7, 18, 30, 0, 0));
    EXPECT_EQ(FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), value, ru()), "07.09.1812 18:30");
}

TEST(DateTimeParse, TextAfterTheTimeIsRejected)
{
    TDateTime value = 0;
    EXPECT_FALSE(TryStrToDateTime(QStringLiteral("06.12.2026 14:30xyz"), value, ru()));
    EXPECT_FALSE(TryStrToDateTime(QStringLiteral("06.12.2026 14:30:15 16"), value, ru()));
    EXPECT_FALSE(TryStrToDateTime(QStringLiteral("06.12.2026 25:00"), value, ru()));
}

TEST(DateTimeParse, RoundTripsWithTheWritingFunctions)
{
    for (const TFormatSettings* s : {&ru(), &ymd()}) {
        const TDateTime date = EncodeDate(2024, 2, 29);
        EXPECT_EQ(StrToDate(DateToStr(date, *s), *s), date);
        const TDateTime stamp = EncodeDateTime(2024, 2, 29, 23, 59, 58, 0);
        EXPECT_EQ(StrToDateTime(DateTimeToStr(stamp, *s), *s), stamp) << DateTimeToStr(stamp, *s).toStdString();
    }
    const TDateTime withMs = EncodeDateTime(2026, 12, 6, 0, 0, 0, 7);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(withMs, ymd()), ymd()), withMs);
}

TEST(DateTimeParse, ErrorsNameTheTextExactly)
{
    auto messageOf = [](auto&& call) {
        try {
            call();
        } catch (const EConvertError& e) {
            return e.message();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(messageOf([] { StrToDate(QStringLiteral("31.02.2026"), ru()); }),
              QStringLiteral("'31.02.2026' is not a valid date"));
    EXPECT_EQ(messageOf([] { StrToTime(QStringLiteral("25:00"), ru()); }),
              QStringLiteral("'25:00' is not a valid time"));
    EXPECT_EQ(messageOf([] { StrToDateTime(QStringLiteral("завтра"), ru()); }),
              QStringLiteral("'завтра' is not a valid date and time"));
    // A text with a placeholder of its own is quoted, not expanded.
    EXPECT_EQ(messageOf([] { StrToDate(QStringLiteral("%1 %2"), ru()); }),
              QStringLiteral("'%1 %2' is not a valid date"));
}

TEST(DateTimeParse, GlobalSettingsAreUsedWithoutExplicitOnes)
{
    TFormatSettings& global = globalFormatSettings();
    const TFormatSettings saved = global;
    EXPECT_EQ(StrToDate(QStringLiteral("06.12.2026")), EncodeDate(2026, 12, 6));
    global = ymd();
    EXPECT_EQ(StrToDate(QStringLiteral("2026-12-06")), EncodeDate(2026, 12, 6));
    EXPECT_EQ(DateToStr(EncodeDate(2026, 12, 6)), "2026-12-06");
    global = saved;
}
