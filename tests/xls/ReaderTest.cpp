// The BIFF8 reader on hand-built streams: one record kind per case.

#include "support/BiffBuilder.h"
#include "xls/Reader.h"

#include <gtest/gtest.h>

using namespace quadrilo;
using quadrilo::testing::BiffBuilder;
using Bytes = quadrilo::testing::Bytes;

namespace {

// Globals with one sheet "S" whose records the test supplies.
xls::Result<xls::ReadResult> readSheet(const std::vector<std::pair<std::uint16_t, Bytes>>& sheetRecords,
                                       const std::vector<std::pair<std::uint16_t, Bytes>>& globals = {})
{
    BiffBuilder b;
    b.minimalGlobals();
    for (const auto& [type, data] : globals)
        b.record(type, data);
    b.boundSheet(QStringLiteral("S")).eof();
    b.sheetStart();
    for (const auto& [type, data] : sheetRecords)
        b.record(type, data);
    b.eof();
    return xls::readWorkbook(b.file());
}

const xls::Cell& cellOf(const xls::ReadResult& r, int row, int column)
{
    static const xls::Cell empty;
    const xls::Cell* c = r.workbook.sheets.at(0).cellAt(row, column);
    return c ? *c : empty;
}

} // namespace

TEST(Reader, RkValuesInAllFourEncodings)
{
    using B = BiffBuilder;
    auto r = readSheet({{xls::rt::Rk, B::concat({B::cell(0, 0), B::u32(0x3FF00000)})},
                        {xls::rt::Rk, B::concat({B::cell(0, 1), B::u32(0x3FF00001)})},
                        {xls::rt::Rk, B::concat({B::cell(0, 2), B::u32(0x004B5646)})},
                        {xls::rt::Rk, B::concat({B::cell(0, 3), B::u32(0x004B5647)})},
                        {xls::rt::Rk, B::concat({B::cell(0, 4), B::u32(0xFFFFFFFE)})}});
    ASSERT_TRUE(r) << r.error().detail;
    EXPECT_EQ(cellOf(*r, 0, 0).number, 1.0);
    EXPECT_EQ(cellOf(*r, 0, 1).number, 0.01);
    EXPECT_EQ(cellOf(*r, 0, 2).number, 1234321.0);
    EXPECT_EQ(cellOf(*r, 0, 3).number, 12343.21);
    EXPECT_EQ(cellOf(*r, 0, 4).number, -1.0);   // arithmetic shift of a negative integer
}

TEST(Reader, MulRkAndMulBlankFillTheirColumns)
{
    using B = BiffBuilder;
    auto r = readSheet({{xls::rt::MulRk, B::concat({B::u16(3), B::u16(2), B::u16(15), B::u32(0x00000012), B::u16(15),
                                                    B::u32(0x00000016), B::u16(3)})},
                        {xls::rt::MulBlank, B::concat({B::u16(4), B::u16(0), B::u16(15), B::u16(15), B::u16(1)})}});
    ASSERT_TRUE(r) << r.error().detail;
    EXPECT_EQ(cellOf(*r, 3, 2).number, 4.0);
    EXPECT_EQ(cellOf(*r, 3, 3).number, 5.0);
    EXPECT_EQ(cellOf(*r, 4, 1).kind, xls::CellKind::Empty);
}

TEST(Reader, LabelRStringBoolErrAndFormulaResults)
{
    using B = BiffBuilder;
    const Bytes stringResult{0x00, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    const Bytes boolResult{0x01, 0, 0x01, 0, 0, 0, 0xFF, 0xFF};
    const Bytes errorResult{0x02, 0, 0x07, 0, 0, 0, 0xFF, 0xFF};
    const Bytes emptyResult{0x03, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    const Bytes formulaTail = B::concat({B::u16(0), B::u32(0), B::u16(0)});
    auto r = readSheet({{xls::rt::Label, B::concat({B::cell(0, 0), B::latin1("caff\xE8")})},
                        {xls::rt::RString, B::concat({B::cell(0, 1), B::latin1("rich"), B::u16(1), B::u16(0), B::u16(5)})},
                        {xls::rt::BoolErr, B::concat({B::cell(1, 0), Bytes{1, 0}})},
                        {xls::rt::BoolErr, B::concat({B::cell(1, 1), Bytes{0x2A, 1}})},
                        {xls::rt::Formula, B::concat({B::cell(2, 0), stringResult, formulaTail})},
                        {xls::rt::ShrFmla, Bytes(10, 0)},
                        {xls::rt::String, B::latin1("risultato")},
                        {xls::rt::Formula, B::concat({B::cell(2, 1), boolResult, formulaTail})},
                        {xls::rt::Formula, B::concat({B::cell(2, 2), errorResult, formulaTail})},
                        {xls::rt::Formula, B::concat({B::cell(2, 3), emptyResult, formulaTail})},
                        {xls::rt::Formula, B::concat({B::cell(2, 4), B::f64(2.5), formulaTail})}});
    ASSERT_TRUE(r) << r.error().detail;
    EXPECT_EQ(cellOf(*r, 0, 0).text, QStringLiteral("caffè"));
    EXPECT_EQ(cellOf(*r, 0, 1).text, QStringLiteral("rich"));
    EXPECT_EQ(cellOf(*r, 1, 0).kind, xls::CellKind::Boolean);
    EXPECT_EQ(cellOf(*r, 1, 0).code, 1);
    EXPECT_EQ(cellOf(*r, 1, 1).kind, xls::CellKind::Error);
    EXPECT_EQ(cellOf(*r, 1, 1).code, 0x2A);
    EXPECT_EQ(cellOf(*r, 2, 0).text, QStringLiteral("risultato"));
    EXPECT_EQ(cellOf(*r, 2, 1).kind, xls::CellKind::Boolean);
    EXPECT_EQ(cellOf(*r, 2, 2).code, 0x07);
    EXPECT_TRUE(cellOf(*r, 2, 3).isEmpty());
    EXPECT_EQ(cellOf(*r, 2, 4).number, 2.5);
    EXPECT_TRUE(xls::hasAny(r->workbook.dropped, xls::DroppedContent::Formulas));
    EXPECT_TRUE(xls::hasAny(r->workbook.dropped, xls::DroppedContent::RichText));
}

TEST(Reader, SharedStringsSplitAcrossContinueSwitchWidth)
{
    using B = BiffBuilder;
    // "abcdéЖ": four 8-bit characters in the SST, the rest in a CONTINUE that
    // restarts with a 16-bit flags byte; then a string with runs and phonetic
    // data, both skipped.
    Bytes sst = B::concat({B::u32(2), B::u32(2), B::u16(6), Bytes{0x00}, Bytes{'a', 'b', 'c', 'd'}});
    Bytes cont = B::concat({Bytes{0x01}, B::u16(0x00E9), B::u16(0x0416), B::u16(2), Bytes{0x0C}, B::u16(1), B::u32(3),
                            Bytes{'x', 'y'}, B::u32(0), Bytes{9, 9, 9}});
    BiffBuilder b;
    b.minimalGlobals();
    b.record(xls::rt::Sst, sst).record(xls::rt::Continue, cont);
    b.boundSheet(QStringLiteral("S")).eof();
    b.sheetStart();
    b.record(xls::rt::LabelSst, B::concat({B::cell(0, 0), B::u32(0)}));
    b.record(xls::rt::LabelSst, B::concat({B::cell(1, 0), B::u32(1)}));
    b.eof();
    auto r = xls::readWorkbook(b.file());
    ASSERT_TRUE(r) << r.error().detail;
    EXPECT_EQ(cellOf(*r, 0, 0).text, QStringLiteral("abcdéЖ"));
    EXPECT_EQ(cellOf(*r, 1, 0).text, QStringLiteral("xy"));
}

TEST(Reader, RowsColumnsPanesAndPageSetup)
{
    using B = BiffBuilder;
    auto r = readSheet({
        {xls::rt::DefColWidth, B::u16(8)},
        {xls::rt::ColInfo, B::concat({B::u16(2), B::u16(3), B::u16(8595), B::u16(15), B::u16(0x0002), B::u16(0)})},
        {xls::rt::ColInfo, B::concat({B::u16(4), B::u16(4), B::u16(2340), B::u16(15), B::u16(0x0000), B::u16(0)})},
        {xls::rt::Row, B::concat({B::u16(5), B::u16(0), B::u16(1), B::u16(0x8000 | 2140), B::u16(0), B::u16(0), B::u16(0x0140), B::u16(15)})},
        {xls::rt::Number, B::concat({B::cell(5, 0), B::f64(1)})},
        {xls::rt::Window2, B::concat({B::u16(0x06BE), B::u16(0), B::u16(0), B::u16(64), Bytes(10, 0)})},
        {xls::rt::Pane, B::concat({B::u16(0), B::u16(1), B::u16(1), B::u16(0), Bytes{2, 0}})},
        {xls::rt::Header, B::latin1("&CProtocollo &P/&N")},
        {xls::rt::WsBool, B::u16(0x05C1)},
        {xls::rt::Setup, B::concat({B::u16(9), B::u16(70), B::u16(1), B::u16(1), B::u16(0), B::u16(0x0000), B::u16(600),
                                    B::u16(600), B::f64(0.21), B::f64(0.22), B::u16(1)})},
        {xls::rt::LeftMargin, B::f64(0.21)},
        {xls::rt::HorizontalPageBreaks, B::concat({B::u16(2), B::u16(40), B::u16(0), B::u16(255), B::u16(20), B::u16(0), B::u16(255)})},
    });
    ASSERT_TRUE(r) << r.error().detail;
    const xls::Sheet& s = r->workbook.sheets[0];
    EXPECT_EQ(s.columns[2].width, 8595);
    EXPECT_EQ(s.columns[3].width, 8595);
    EXPECT_EQ(s.columns[4].width, 0) << "a default-width COLINFO not set by hand is the default";
    EXPECT_EQ(s.rows[5].heightTwips, 2140) << "bit 15 of the height is masked";
    EXPECT_TRUE(s.rows[5].customHeight);
    EXPECT_EQ(s.frozenRows, 1);
    EXPECT_EQ(s.frozenColumns, 0);
    EXPECT_EQ(s.topRow, 1);
    EXPECT_EQ(s.pageSetup.header, QStringLiteral("&CProtocollo &P/&N"));
    EXPECT_TRUE(s.pageSetup.fitToPage);
    EXPECT_EQ(s.pageSetup.paperSize, 9);
    EXPECT_EQ(s.pageSetup.orientation, xls::Orientation::Landscape);
    EXPECT_EQ(s.pageSetup.scale, 70);
    EXPECT_DOUBLE_EQ(s.pageSetup.leftMargin, 0.21);
    EXPECT_DOUBLE_EQ(s.pageSetup.footerMargin, 0.22);
    EXPECT_EQ(s.pageSetup.rowBreaks, (std::vector<std::uint16_t>{20, 40})) << "breaks come sorted";
}

TEST(Reader, FontIndexGapDateModeAndFormats)
{
    using B = BiffBuilder;
    BiffBuilder b;
    b.bof(0x0005);
    b.record(xls::rt::DateMode, B::u16(1));
    for (int i = 0; i < 4; ++i)
        b.record(xls::rt::Font, B::concat({B::u16(200), B::u16(0), B::u16(0x7FFF), B::u16(400), B::u16(0), Bytes{0, 0, 0, 0}, B::shortString(QStringLiteral("Arial"))}));
    b.record(xls::rt::Font, B::concat({B::u16(180), B::u16(0), B::u16(0x7FFF), B::u16(700), B::u16(0), Bytes{0, 0, 0, 0}, B::shortString(QStringLiteral("Verdana"))}));
    b.record(xls::rt::Format, B::concat({B::u16(164), B::latin1("dd/mm/yyyy")}));
    for (int i = 0; i < 15; ++i)
        b.record(xls::rt::Xf, B::xf(true));
    b.record(xls::rt::Xf, B::xf(false));
    // XF 16: font index 5 (the fifth FONT record), format 164.
    b.record(xls::rt::Xf, B::concat({B::u16(5), B::u16(164), B::u16(1), Bytes{0x1B, 0, 0x02, 0}, B::u32(0), B::u32(0), B::u16(0x20C0)}));
    b.boundSheet(QStringLiteral("S")).eof();
    b.sheetStart();
    b.record(xls::rt::Number, B::concat({B::cell(0, 0, 16), B::f64(1)}));
    b.record(xls::rt::Number, B::concat({B::cell(0, 1, 999), B::f64(2)}));
    b.eof();
    auto r = xls::readWorkbook(b.file());
    ASSERT_TRUE(r) << r.error().detail;
    EXPECT_EQ(r->workbook.dateSystem, xls::DateSystem::Date1904);
    const xls::Style& style = r->workbook.styles[cellOf(*r, 0, 0).style];
    EXPECT_EQ(style.font.name, QStringLiteral("Verdana"));
    EXPECT_EQ(style.font.heightTwips, 180);
    EXPECT_EQ(style.font.weight, 700);
    EXPECT_EQ(style.numberFormat, QStringLiteral("dd/mm/yyyy"));
    EXPECT_TRUE(xls::isDateFormat(style.numberFormat));
    EXPECT_EQ(style.horizontal, xls::HorizontalAlignment::Right);
    EXPECT_TRUE(style.wrap);
    EXPECT_EQ(style.vertical, xls::VerticalAlignment::Center);
    EXPECT_EQ(style.indent, 2);
    EXPECT_EQ(cellOf(*r, 0, 1).style, 0) << "an XF index beyond the table falls back to the default";
}

TEST(Reader, PrintAreaAndTitlesFromBuiltInNames)
{
    using B = BiffBuilder;
    const Bytes area = B::concat({Bytes{0x3B}, B::u16(0), B::u16(0), B::u16(30), B::u16(0), B::u16(3)});
    const Bytes titles = B::concat({Bytes{0x29}, B::u16(0x17), Bytes{0x3B}, B::u16(0), B::u16(0), B::u16(0xFFFF), B::u16(0),
                                    B::u16(1), Bytes{0x3B}, B::u16(0), B::u16(0), B::u16(0), B::u16(0), B::u16(0xFF), Bytes{0x10, 0x15}});
    auto name = [](std::uint8_t code, const Bytes& formula) {
        return B::concat({B::u16(0x0020), Bytes{0, 1}, B::u16(static_cast<std::uint16_t>(formula.size())), B::u16(0), B::u16(1),
                          Bytes{0, 0, 0, 0}, Bytes{0, code}, formula});
    };
    auto r = readSheet({}, {{xls::rt::Name, name(6, area)}, {xls::rt::Name, name(7, titles)}});
    ASSERT_TRUE(r) << r.error().detail;
    const auto& page = r->workbook.sheets[0].pageSetup;
    ASSERT_EQ(page.printArea.size(), 1u);
    EXPECT_EQ(page.printArea[0], (xls::CellRange{0, 30, 0, 3}));
    ASSERT_TRUE(page.titleRows && page.titleColumns);
    EXPECT_EQ(*page.titleRows, (xls::Span{0, 0}));
    EXPECT_EQ(*page.titleColumns, (xls::Span{0, 1}));
}
