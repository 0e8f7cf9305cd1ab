#include "support/TestSupport.h"
#include "store/TypedInput.h"

#include <gtest/gtest.h>

using namespace quadrilo::store;

namespace {

using quadrilo::testsupport::s;

} // namespace

TEST(ItalianDate, DayMonthYearWithTheUsualSeparators)
{
    const std::pair<const char*, QDate> accepted[] = {
        {"7/12/2026", QDate(2026, 12, 7)},   {"07-12-2026", QDate(2026, 12, 7)}, {"7.12.26", QDate(2026, 12, 7)},
        {" 1/1/2000 ", QDate(2000, 1, 1)},   {"31 12 1999", QDate(1999, 12, 31)}, {"29/02/2024", QDate(2024, 2, 29)},
        {"1/3/29", QDate(2029, 3, 1)},       {"1/3/30", QDate(1930, 3, 1)},       {"1/3/99", QDate(1999, 3, 1)},
        {"1/3/00", QDate(2000, 3, 1)},       {"05/06/0300", QDate(300, 6, 5)},
    };
    for (const auto& [text, date] : accepted) {
        const auto parsed = parseItalianDate(s(text));
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, date) << text;
    }
}

TEST(ItalianDate, AnythingElseIsNoDate)
{
    for (const char* text : {"", "oggi", "7/12", "2026-12-07x", "32/1/2026", "29/02/2025", "0/1/2026", "1/13/2026",
                             "1/1/202", "1//1/2026", "7/12/2026 10:00", "1,2,2026", "12/7/2026/1"})
        EXPECT_FALSE(parseItalianDate(s(text)).has_value()) << text;
}

TEST(LeadingNumber, ReadsAsBasicsValDoes)
{
    const std::pair<const char*, double> cases[] = {
        {"12", 12}, {"  42abc", 42}, {"-3", -3}, {"+7", 7}, {"1.5x", 1.5}, {".5", 0.5},
        {"abc", 0}, {"", 0},         {"1,5", 1}, {"- 3", 0}, {"007", 7},
    };
    for (const auto& [text, number] : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(s(text)), number) << text;
}
