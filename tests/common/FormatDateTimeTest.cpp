// FormatDateTime picture codes and the DateToStr family.
#include "common/SysUtils.h"
#include "tests/common/TestSettings.h"

#include <gtest/gtest.h>

using namespace velta;
using velta::test::ru;

namespace {

// 06.12.2026 (a Sunday) 14:30:05.123
TDateTime sample()
{
    return EncodeDateTime(2026, 12, 6, 14, 30, 5, 123);
}

// 01.02.2005 (a Tuesday) 03:04:09.007
TDateTime early()
{
    return EncodeDateTime(2005, 2, 1, 3, 4, 9, 7);
}

QString fmt(const char* picture, TDateTime value, const TFormatSettings& settings = ru())
{
    return FormatDateTime(QString::fromUtf8(picture), value, settings);
}

} // namespace

TEST(FormatDateTimeCodes, DayMonthYearRunsCountTheirLetters)
{
    EXPECT_EQ(fmt("d", early()), "1");
    EXPECT_EQ(fmt("dd", early()), "01");
    EXPECT_EQ(fmt("m", early()), "2");
    EXPECT_EQ(fmt("mm", early()), "02");
    EXPECT_EQ(fmt("mmm", early()), QStringLiteral("фев"));
    EXPECT_EQ(fmt("mmmm", early()), QStringLiteral("Февраль"));
    EXPECT_EQ(fmt("mmmmm", early()), QStringLiteral("Февраль"));
    EXPECT_EQ(fmt("y", early()), "05");
    EXPECT_EQ(fmt("yy", early()), "05");
    EXPECT_EQ(fmt("yyy", early()), "2005");
    EXPECT_EQ(fmt("yyyy", early()), "2005");
    EXPECT_EQ(fmt("yyyy", EncodeDate(987, 6, 5)), "0987");
}

TEST(FormatDateTimeCodes, DayNamesAndWholeDatePictures)
{
    EXPECT_EQ(fmt("ddd", sample()), QStringLiteral("Вс"));
    EXPECT_EQ(fmt("dddd", sample()), QStringLiteral("воскресенье"));
    EXPECT_EQ(fmt("dddd", early()), QStringLiteral("вторник"));
    EXPECT_EQ(fmt("aaa", early()), QStringLiteral("Вт"));
    EXPECT_EQ(fmt("aaaa", early()), QStringLiteral("вторник"));
    EXPECT_EQ(fmt("ddddd", sample()), "06.12.2026");
    EXPECT_EQ(fmt("dddddd", sample()), QStringLiteral("6 Декабрь 2026 г."));
    EXPECT_EQ(fmt("ddddddd", sample()), QStringLiteral("6 Декабрь 2026 г."));
}

TEST(FormatDateTimeCodes, TimeRunsPadFromTwoLettersAndMillisecondsToThree)
{
    EXPECT_EQ(fmt("h", early()), "3");
    EXPECT_EQ(fmt("hh", early()), "03");
    EXPECT_EQ(fmt("hhh", early()), "03");
    EXPECT_EQ(fmt("n", early()), "4");
    EXPECT_EQ(fmt("nn", early()), "04");
    EXPECT_EQ(fmt("s", early()), "9");
    EXPECT_EQ(fmt("ss", early()), "09");
    EXPECT_EQ(fmt("z", early()), "7");
    EXPECT_EQ(fmt("zz", early()), "007");
    EXPECT_EQ(fmt("zzz", early()), "007");
    EXPECT_EQ(fmt("zzzz", early()), "007");
    EXPECT_EQ(fmt("hh:nn:ss.zzzz", sample()), "14:30:05.123");
    EXPECT_EQ(fmt("t", sample()), "14:30");
    EXPECT_EQ(fmt("tt", sample()), "14:30:05");
}

TEST(FormatDateTimeCodes, LettersAreCaseInsensitiveButRunsAreNot)
{
    EXPECT_EQ(fmt("DD.MM.YYYY HH:NN:SS", sample()), "06.12.2026 14:30:05");
    EXPECT_EQ(fmt("Dd", early()), "11"); // two runs of one letter each
}

TEST(FormatDateTimeCodes, MinuteAfterHourRule)
{
    EXPECT_EQ(fmt("h:mm", early()), "3:04");
    EXPECT_EQ(fmt("hh:m", early()), "03:4");
    EXPECT_EQ(fmt("hh' h 'mm", early()), "03 h 04");          // quoted text is skipped
    EXPECT_EQ(fmt("hh\"/\"mm", early()), "03/04");
    EXPECT_EQ(fmt("hh dd mm", early()), "03 01 02");          // a day code in between: month
    EXPECT_EQ(fmt("mm hh", early()), "02 03");                // before the hour: month
    EXPECT_EQ(fmt("hh-x-mm", early()), "03-x-02");            // any letter breaks the rule
    EXPECT_EQ(fmt("hh mm mm", early()), "03 04 02");          // only the first run after h
}

TEST(FormatDateTimeCodes, SeparatorsComeFromTheSettings)
{
    TFormatSettings tools = ru();
    tools.DateSeparator = QLatin1Char('-');
    tools.TimeSeparator = QLatin1Char('.');
    EXPECT_EQ(fmt("yyyy/mm/dd hh:nn:ss", sample(), tools), "2026-12-06 14.30.05");
    EXPECT_EQ(fmt("dd/mm/yyyy", sample()), "06.12.2026");

    TFormatSettings none = ru();
    none.DateSeparator = QChar();
    none.TimeSeparator = QChar();
    EXPECT_EQ(fmt("dd/mm hh:nn", sample(), none), "0612 1430");
}

TEST(FormatDateTimeCodes, PicturesUsedByTheSystem)
{
    TFormatSettings query = ru();
    query.DateSeparator = QLatin1Char('-');
    query.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(fmt("yyyy/mm/dd hh:nn:ss.zzz", EncodeDateTime(2026, 12, 6, 14, 30, 15, 123), query),
              "2026-12-06 14:30:15.123");
    EXPECT_EQ(fmt("dd/mm/yyyy hh:nn:ss.zzz", EncodeDateTime(2026, 12, 6, 14, 30, 15, 123)),
              "06.12.2026 14:30:15.123");
    EXPECT_EQ(fmt("dd.mm.yyyy", sample()), "06.12.2026");
    EXPECT_EQ(fmt("ddmmyy hhnn", early()), "010205 0304");
}

TEST(FormatDateTimeCodes, QuotedTextIsCopiedAsIs)
{
    EXPECT_EQ(fmt("'dd' \"mm\" yyyy", sample()), "dd mm 2026");
    EXPECT_EQ(fmt("dd 'unterminated", sample()), "06 unterminated");
    EXPECT_EQ(fmt("''dd", sample()), "06");
    EXPECT_EQ(fmt("\"it's\" d", sample()), "it's 6");
}

TEST(FormatDateTimeCodes, TwelveHourClock)
{
    const TDateTime midnight = EncodeDateTime(2026, 1, 1, 0, 5, 0, 0);
    const TDateTime noon = EncodeDateTime(2026, 1, 1, 12, 5, 0, 0);
    const TDateTime evening = EncodeDateTime(2026, 1, 1, 21, 5, 0, 0);
    EXPECT_EQ(fmt("h:nn am/pm", midnight), "12:05 am");
    EXPECT_EQ(fmt("h:nn am/pm", noon), "12:05 pm");
    EXPECT_EQ(fmt("hh:nn AM/PM", evening), "09:05 PM");
    EXPECT_EQ(fmt("h a/p", evening), "9 p");
    EXPECT_EQ(fmt("h A/P", midnight), "12 A");
    EXPECT_EQ(fmt("h 'am/pm'", evening), "21 am/pm"); // quoted: no 12-hour clock

    TFormatSettings en = ru();
    en.TimeAMString = QStringLiteral("AM");
    en.TimePMString = QStringLiteral("PM");
    EXPECT_EQ(fmt("h:nn ampm", evening, en), "9:05 PM");
    EXPECT_EQ(fmt("h:nn ampm", midnight), "12:05 "); // the Russian strings are empty
    // A lone "a" is text, and the "m" after it is a month again.
    EXPECT_EQ(fmt("h amx", evening), "21 a1x");
}

TEST(FormatDateTimeCodes, EraAndOtherLetters)
{
    EXPECT_EQ(fmt("g", sample()), QStringLiteral("н.э."));
    EXPECT_EQ(fmt("e", early()), "5");
    EXPECT_EQ(fmt("ee", early()), "05");
    EXPECT_EQ(fmt("b-q-x", sample()), "b-q-x");
    EXPECT_EQ(fmt("№ d", sample()), QStringLiteral("№ 6"));
}

TEST(FormatDateTimeC, OmitsTheTimeAtMidnight)
{
    EXPECT_EQ(fmt("c", EncodeDate(2026, 12, 6)), "06.12.2026");
    EXPECT_EQ(fmt("c", sample()), "06.12.2026 14:30:05");
    EXPECT_EQ(fmt("", sample()), "06.12.2026 14:30:05");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 6), ru()), "06.12.2026");
    EXPECT_EQ(DateTimeToStr(sample(), ru()), "06.12.2026 14:30:05");

    // Milliseconds alone are time too: a picture that shows them must not lose them.
    TFormatSettings ini = ru();
    ini.LongTimeFormat = QStringLiteral("hh:nn:ss.zzzz");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 6) + EncodeTime(0, 0, 0, 5), ini), "06.12.2026 00:00:00.005");
}

TEST(FormatDateTimeC, NestedPicturesDoNotRecurseForever)
{
    TFormatSettings loop = ru();
    loop.ShortDateFormat = QStringLiteral("ddddd|c");
    loop.LongTimeFormat = QStringLiteral("tt");
    // The second level of nesting is dropped instead of expanding again; the
    // blank "c" puts before a non-zero time stays.
    EXPECT_EQ(fmt("ddddd", sample(), loop), "| ");
    EXPECT_EQ(fmt("c", sample(), loop), "|  ");
}

TEST(FormatDateTimeStr, DateAndTimeUseTheirSettings)
{
    EXPECT_EQ(DateToStr(sample(), ru()), "06.12.2026");
    EXPECT_EQ(TimeToStr(sample(), ru()), "14:30:05");
    EXPECT_EQ(TimeToStr(early(), ru()), "3:04:09");

    TFormatSettings iso = ru();
    iso.ShortDateFormat = QStringLiteral("yyyy/mm/dd");
    iso.DateSeparator = QLatin1Char('-');
    EXPECT_EQ(DateToStr(sample(), iso), "2026-12-06");
}

TEST(FormatDateTimeStr, NegativeDatesShowTheirOwnDayAndTime)
{
    EXPECT_EQ(fmt("dd.mm.yyyy hh:nn", -1.25), "29.12.1899 06:00");
    EXPECT_EQ(fmt("dd.mm.yyyy hh:nn:ss.zzz", EncodeDateTime(1812, 9, 7, 18, 30, 15, 250)),
              "07.09.1812 18:30:15.250");
}
