#include "support/TestSupport.h"
#include "store/CellValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quadrilo::store;
using quadrilo::xls::CellError;

namespace {

using quadrilo::testsupport::s;

} // namespace

TEST(DateSerial, System1900AroundTheMissingLeapDay)
{
    EXPECT_EQ(toSerial(QDate(1900, 1, 1)), 1.0);
    EXPECT_EQ(toSerial(QDate(1900, 2, 28)), 59.0);
    EXPECT_EQ(toSerial(QDate(1900, 3, 1)), 61.0);
    EXPECT_EQ(toSerial(QDate(1899, 12, 31)), 0.0);
    EXPECT_FALSE(toSerial(QDate(1899, 12, 30)));
    EXPECT_EQ(toSerial(QDate(2026, 12, 7)), 46363.0);
    EXPECT_EQ(toSerial(QDate(9999, 12, 31)), 2958465.0);
    EXPECT_FALSE(toSerial(QDate()));

    EXPECT_EQ(fromSerial(1).date(), QDate(1900, 1, 1));
    EXPECT_EQ(fromSerial(59).date(), QDate(1900, 2, 28));
    EXPECT_EQ(fromSerial(61).date(), QDate(1900, 3, 1));
    EXPECT_EQ(fromSerial(46363).date(), QDate(2026, 12, 7));
    // Serial 60 is Excel's 1900-02-29, a day that never was.
    EXPECT_EQ(fromSerial(60).date(), QDate(1900, 2, 28));
    EXPECT_EQ(dateText(60, s("dd/mm/yyyy")), s("29/02/1900"));
    EXPECT_EQ(dateText(59, s("dd/mm/yyyy")), s("28/02/1900"));
    EXPECT_EQ(dateText(61, s("dd/mm/yyyy")), s("01/03/1900"));
}

TEST(DateSerial, System1904)
{
    const auto d1904 = DateSystem::Date1904;
    EXPECT_EQ(toSerial(QDate(1904, 1, 1), d1904), 0.0);
    EXPECT_EQ(toSerial(QDate(1904, 1, 2), d1904), 1.0);
    EXPECT_FALSE(toSerial(QDate(1903, 12, 31), d1904));
    // The same day is 1462 days apart in the two systems.
    EXPECT_EQ(*toSerial(QDate(2026, 12, 7)) - *toSerial(QDate(2026, 12, 7), d1904), 1462.0);
    EXPECT_EQ(fromSerial(0, d1904).date(), QDate(1904, 1, 1));
    EXPECT_EQ(fromSerial(44901, d1904).date(), QDate(2026, 12, 7));
    EXPECT_EQ(dateText(44901, s("dd/mm/yyyy"), d1904), s("07/12/2026"));
}

TEST(DateSerial, TimesAreUtcAndRoundToTheMillisecond)
{
    const QDateTime noon = fromSerial(46363.5);
    EXPECT_EQ(noon.timeSpec(), Qt::UTC);
    EXPECT_EQ(noon, QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(fromSerial(0.75).time(), QTime(18, 0));

    const QDateTime dt(QDate(2026, 3, 29), QTime(2, 30, 15), Qt::UTC);  // a DST night in Italy
    const auto serial = toSerial(dt);
    ASSERT_TRUE(serial);
    EXPECT_EQ(fromSerial(*serial), dt);

    // Local times count by their fields.
    EXPECT_EQ(toSerial(QDateTime(QDate(2026, 3, 29), QTime(2, 30, 15), Qt::LocalTime)), serial);

    // Just below midnight rounds to the next day.
    EXPECT_EQ(fromSerial(46363.9999999999), QDateTime(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC));
}

TEST(DateSerial, InvalidSerials)
{
    EXPECT_FALSE(fromSerial(-1).isValid());
    EXPECT_FALSE(fromSerial(2958466).isValid());
    EXPECT_TRUE(fromSerial(2958465.5).isValid());
    EXPECT_FALSE(fromSerial(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_FALSE(fromSerial(std::numeric_limits<double>::infinity()).isValid());
    EXPECT_FALSE(toSerial(QDateTime()));
}

TEST(DateText, DatesTimesAndPureTimes)
{
    EXPECT_EQ(dateText(46363, s("dd/mm/yyyy")), s("07/12/2026"));
    EXPECT_EQ(dateText(46363.75, s("dd/mm/yyyy")), s("07/12/2026"));  // time not shown, no rounding up
    EXPECT_EQ(dateText(46363.5, s("m/d/yy h:mm")), s("07/12/2026 12:00:00"));
    EXPECT_EQ(dateText(46363.5, s("dd/mm/yyyy hh:mm:ss")), s("07/12/2026 12:00:00"));
    EXPECT_EQ(dateText(46363.99999, s("dd/mm/yyyy hh:mm:ss")), s("07/12/2026 23:59:59"));
    EXPECT_EQ(dateText(46363.999999, s("dd/mm/yyyy hh:mm:ss")), s("08/12/2026 00:00:00"));
    EXPECT_EQ(dateText(46363, s("d-mmm-yy")), s("07/12/2026"));
    EXPECT_EQ(dateText(46363, s("mmm-yy")), s("07/12/2026"));

    // Time-only formats ('m' next to h or s means minutes).
    EXPECT_EQ(dateText(0.5, s("h:mm")), s("12:00:00"));
    EXPECT_EQ(dateText(0.25 + 1.0 / 86400, s("hh:mm:ss")), s("06:00:01"));
    EXPECT_EQ(dateText(0.0006944444, s("mm:ss")), s("00:01:00"));
    EXPECT_EQ(dateText(0.75, s("h:mm AM/PM")), s("18:00:00"));
    EXPECT_EQ(dateText(0.1, s("[h]:mm:ss")), s("02:24:00"));
    // A time format above one day shows the date too.
    EXPECT_EQ(dateText(1.5, s("[h]:mm:ss")), s("01/01/1900 12:00:00"));
    // Quoted and escaped letters are not codes.
    EXPECT_EQ(dateText(0.5, s("h:mm \"d\\y\"")), s("12:00:00"));

    // Serials that are no date fall back to the number.
    EXPECT_EQ(dateText(-3, s("dd/mm/yyyy")), s("-3"));
}

TEST(NumberText, ItalianFormWithoutSeparators)
{
    EXPECT_EQ(numberText(0), s("0"));
    EXPECT_EQ(numberText(-0.0), s("0"));
    EXPECT_EQ(numberText(1234), s("1234"));
    EXPECT_EQ(numberText(-5), s("-5"));
    EXPECT_EQ(numberText(32766), s("32766"));
    EXPECT_EQ(numberText(999999999999999), s("999999999999999"));
    EXPECT_EQ(numberText(0.974), s("0,974"));
    EXPECT_EQ(numberText(-21.59), s("-21,59"));
    EXPECT_EQ(numberText(0.1 + 0.2), s("0,3"));          // 15 significant digits
    EXPECT_EQ(numberText(1.0 / 3), s("0,333333333333333"));
    EXPECT_EQ(numberText(2.5), s("2,5"));
    EXPECT_EQ(numberText(1e15), s("1E+15"));
    EXPECT_EQ(numberText(1.5e20), s("1,5E+20"));
    EXPECT_EQ(numberText(0.00001), s("1E-05"));
}

TEST(CellValue, KindsAndAccessors)
{
    const CellValue empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.kind(), CellValue::Kind::Empty);

    const CellValue text = CellValue::fromText(s("00184"));
    EXPECT_TRUE(text.isText());
    EXPECT_EQ(text.text(), s("00184"));
    EXPECT_EQ(text.number(), 0.0);

    const CellValue date = CellValue::fromDate(QDate(2026, 12, 7));
    EXPECT_TRUE(date.isDate());
    EXPECT_EQ(date.number(), 46363.0);
    EXPECT_EQ(date.date(), QDate(2026, 12, 7));
    EXPECT_EQ(date.dateTime().timeSpec(), Qt::UTC);

    EXPECT_TRUE(CellValue::fromDateSerial(-2).isNumber());
    EXPECT_TRUE(CellValue::fromDate(QDate(1800, 1, 1)).isEmpty());
    EXPECT_TRUE(CellValue::fromBoolean(true).boolean());
    EXPECT_FALSE(CellValue::fromBoolean(false).boolean());
    EXPECT_EQ(CellValue::fromError(CellError::DivZero).error(), CellError::DivZero);
}

TEST(CellValue, EqualityKeepsKindsApart)
{
    EXPECT_NE(CellValue::fromNumber(1), CellValue::fromText(s("1")));
    EXPECT_NE(CellValue::fromNumber(184), CellValue::fromText(s("00184")));
    EXPECT_NE(CellValue::fromNumber(46363), CellValue::fromDate(QDate(2026, 12, 7)));
    EXPECT_NE(CellValue::fromNumber(1), CellValue::fromBoolean(true));
    EXPECT_NE(CellValue(), CellValue::fromText(QString()));
    EXPECT_NE(CellValue(), CellValue::fromNumber(0));
    EXPECT_NE(CellValue::fromText(s("abc")), CellValue::fromText(s("ABC")));

    EXPECT_EQ(CellValue(), CellValue());
    EXPECT_EQ(CellValue::fromNumber(2.5), CellValue::fromNumber(2.5));
    EXPECT_EQ(CellValue::fromText(s("è")), CellValue::fromText(s("è")));
    EXPECT_EQ(CellValue::fromError(CellError::NA), CellValue::fromError(CellError::NA));
    EXPECT_NE(CellValue::fromError(CellError::NA), CellValue::fromError(CellError::Ref));
    // The same day in either date system is the same date.
    EXPECT_EQ(CellValue::fromDate(QDate(2026, 12, 7)), CellValue::fromDate(QDate(2026, 12, 7), DateSystem::Date1904));
    // Serial 59 and the fictitious 60 differ although both read as 1900-02-28.
    EXPECT_NE(CellValue::fromDateSerial(59), CellValue::fromDateSerial(60));
}

TEST(CellValue, EqualsTextTreatsEmptyAsEmptyText)
{
    EXPECT_TRUE(CellValue().equalsText(QString()));
    EXPECT_TRUE(CellValue().equalsText(s("")));
    EXPECT_FALSE(CellValue().equalsText(s(" ")));
    EXPECT_TRUE(CellValue::fromText(s("Posta")).equalsText(s("Posta")));
    EXPECT_FALSE(CellValue::fromText(s("Posta")).equalsText(s("posta")));
    EXPECT_FALSE(CellValue::fromNumber(0).equalsText(s("0")));
    EXPECT_FALSE(CellValue::fromNumber(0).equalsText(QString()));
    EXPECT_FALSE(CellValue::fromBoolean(true).equalsText(s("VERO")));
}

TEST(CellValue, ErrorTexts)
{
    EXPECT_EQ(errorText(CellError::Null), s("#NULL!"));
    EXPECT_EQ(errorText(CellError::DivZero), s("#DIV/0!"));
    EXPECT_EQ(errorText(CellError::Value), s("#VALUE!"));
    EXPECT_EQ(errorText(CellError::Ref), s("#REF!"));
    EXPECT_EQ(errorText(CellError::Name), s("#NAME?"));
    EXPECT_EQ(errorText(CellError::Num), s("#NUM!"));
    EXPECT_EQ(errorText(CellError::NA), s("#N/A"));
}

TEST(DateFormat, RecognisesDateAndTimeCodes)
{
    using quadrilo::xls::isDateFormat;
    for (const char* format : {"m/d/yy", "d-mmm-yy", "d-mmm", "mmm-yy", "h:mm AM/PM", "h:mm:ss", "m/d/yy h:mm",
                               "mm:ss", "[h]:mm:ss", "mm:ss.0", "dd/mm/yyyy", "DD/MM/YYYY", "[$-410]d mmmm yyyy",
                               "[Red]dd/mm/yy", "yyyy", "[mm]", "\"Il \"dd/mm"}) {
        EXPECT_TRUE(isDateFormat(s(format))) << format;
    }
    for (const char* format : {"General", "0", "0.00", "#,##0", "0%", "0.00E+00", "# ?/?", "@", "",
                               "\"giorni\" 0", "0\\d", "0_m", "0*s", "[Red]0.00", "[$€-410] #,##0.00",
                               "[>=100]0;0.0", "#,##0 \"mq\""}) {
        EXPECT_FALSE(isDateFormat(s(format))) << format;
    }
}
