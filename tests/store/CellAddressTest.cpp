#include "support/TestSupport.h"
#include "store/CellAddress.h"

#include <gtest/gtest.h>

using namespace quadrilo::store;

namespace {

using quadrilo::testsupport::s;

} // namespace

TEST(CellAddress, ColumnNamesAtTheLetterBoundaries)
{
    EXPECT_EQ(columnName(1), s("A"));
    EXPECT_EQ(columnName(26), s("Z"));
    EXPECT_EQ(columnName(27), s("AA"));
    EXPECT_EQ(columnName(52), s("AZ"));
    EXPECT_EQ(columnName(53), s("BA"));
    EXPECT_EQ(columnName(256), s("IV"));
    EXPECT_TRUE(columnName(0).isEmpty());
    EXPECT_TRUE(columnName(257).isEmpty());

    for (int column = 1; column <= kMaxColumn; ++column)
        EXPECT_EQ(parseColumnName(columnName(column)), column) << column;
    EXPECT_EQ(parseColumnName(u"iv"), 256);
    EXPECT_FALSE(parseColumnName(u"IW"));
    EXPECT_FALSE(parseColumnName(u"AAA"));
    EXPECT_FALSE(parseColumnName(u""));
    EXPECT_FALSE(parseColumnName(u"A1"));
}

TEST(CellAddress, FormatsLikeRangeAddress)
{
    EXPECT_EQ(address(1, 1), s("$A$1"));
    EXPECT_EQ(address(1, 1, false), s("A1"));
    EXPECT_EQ(address(65536, 256), s("$IV$65536"));
    EXPECT_EQ(address(100, 16, false), s("P100"));
    EXPECT_TRUE(address(0, 1).isEmpty());
    EXPECT_TRUE(address(1, 257).isEmpty());
    EXPECT_TRUE(address(65537, 1).isEmpty());

    EXPECT_EQ(address(RangeRef::cells(2, 11, 100, 16)), s("$K$2:$P$100"));
    EXPECT_EQ(address(RangeRef::cells(2, 11, 100, 16), false), s("K2:P100"));
    EXPECT_EQ(address(RangeRef::cell(3, 2)), s("$B$3"));
    EXPECT_EQ(address(RangeRef::columns(1, 17)), s("$A:$Q"));
    EXPECT_EQ(address(RangeRef::columns(9, 9), false), s("I:I"));
    EXPECT_EQ(address(RangeRef::rows(2, 2)), s("$2:$2"));
    EXPECT_EQ(address(RangeRef::wholeSheet()), s("$A$1:$IV$65536"));
    EXPECT_TRUE(address(RangeRef::cells(5, 1, 4, 1)).isEmpty());  // not normalised
}

TEST(CellAddress, ParsesCells)
{
    EXPECT_EQ(parseCell(u"A1"), (CellRef{1, 1}));
    EXPECT_EQ(parseCell(u"$A$1"), (CellRef{1, 1}));
    EXPECT_EQ(parseCell(u"a$7"), (CellRef{7, 1}));
    EXPECT_EQ(parseCell(u"$b3"), (CellRef{3, 2}));
    EXPECT_EQ(parseCell(u"IV65536"), (CellRef{65536, 256}));
    EXPECT_EQ(parseCell(u"P100"), (CellRef{100, 16}));
}

TEST(CellAddress, RejectsBadCells)
{
    for (const char16_t* bad : {u"", u"A", u"1", u"A0", u"A01", u"IW1", u"A65537", u"IV99999", u"AAA1",
                                u" A1", u"A1 ", u"A-1", u"$$A1", u"A$$1", u"1A", u"A1B", u"A1:B2", u"À1",
                                u"A١"}) {
        EXPECT_FALSE(parseCell(bad)) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(CellAddress, ParsesRanges)
{
    EXPECT_EQ(parseRange(u"K2:P100"), RangeRef::cells(2, 11, 100, 16));
    EXPECT_EQ(parseRange(u"$K$2:$P$100"), RangeRef::cells(2, 11, 100, 16));
    EXPECT_EQ(parseRange(u"P100:K2"), RangeRef::cells(2, 11, 100, 16));
    EXPECT_EQ(parseRange(u"K100:P2"), RangeRef::cells(2, 11, 100, 16));  // other diagonal
    EXPECT_EQ(parseRange(u"B3"), RangeRef::cell(3, 2));
    EXPECT_EQ(parseRange(u"I:I"), RangeRef::columns(9, 9));
    EXPECT_EQ(parseRange(u"A:Q"), RangeRef::columns(1, 17));
    EXPECT_EQ(parseRange(u"$Q:$A"), RangeRef::columns(1, 17));
    EXPECT_EQ(parseRange(u"2:2"), RangeRef::rows(2, 2));
    EXPECT_EQ(parseRange(u"$5:$2"), RangeRef::rows(2, 5));
    EXPECT_EQ(parseRange(u"A1:IV65536"), RangeRef::wholeSheet());

    const auto columns = parseRange(u"A:Q");
    ASSERT_TRUE(columns);
    EXPECT_TRUE(columns->isWholeColumns());
    EXPECT_FALSE(columns->isWholeRows());
    EXPECT_EQ(columns->rowCount(), 65536);
    EXPECT_EQ(columns->columnCount(), 17);
    EXPECT_TRUE(parseRange(u"2:2")->isWholeRows());
}

TEST(CellAddress, RejectsBadRanges)
{
    for (const char16_t* bad : {u"", u":", u"A1:", u":A1", u"A1:B", u"A:B2", u"1:B", u"A:1", u"0:0", u"1:65537",
                                u"A:IW", u"A1:B2:C3", u"A1::B2", u"A1;B2", u"A1 :B2", u"I", u"Foglio1!A1"}) {
        EXPECT_FALSE(parseRange(bad)) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(CellAddress, RangeFormattingRoundTrips)
{
    for (const char16_t* text : {u"$A$1", u"$K$2:$P$100", u"$A:$Q", u"$I:$I", u"$2:$2", u"$IV$65536"}) {
        const auto range = parseRange(text);
        ASSERT_TRUE(range);
        EXPECT_EQ(address(*range), QString::fromUtf16(text));
    }
}
