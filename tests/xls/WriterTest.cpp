// The bytes the writer produces: record layout, offsets and limits.

#include "xls/ByteReader.h"
#include "xls/RecordTypes.h"
#include "xls/Writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace quadrilo;

namespace {

struct Rec {
    std::uint16_t type;
    std::size_t offset;
    std::vector<std::uint8_t> data;
};

std::vector<Rec> records(const std::vector<std::uint8_t>& stream)
{
    std::vector<Rec> out;
    xls::ByteReader in(stream);
    while (in.remaining() >= 4) {
        const std::size_t at = in.position();
        const std::uint16_t type = in.u16();
        const std::uint16_t size = in.u16();
        if (type == 0 && size == 0)
            break;   // padding
        auto data = in.bytes(size);
        out.push_back({type, at, {data.begin(), data.end()}});
    }
    return out;
}

xls::Workbook oneSheet(int rows)
{
    xls::Workbook book;
    book.sheets.emplace_back();
    book.sheets[0].name = QStringLiteral("Entrata");
    for (int r = 0; r < rows; ++r) {
        book.sheets[0].rows.emplace_back();
        xls::Cell c;
        c.kind = xls::CellKind::Number;
        c.number = r;
        book.sheets[0].rows.back().cells.push_back(c);
    }
    return book;
}

} // namespace

TEST(Writer, GlobalsStartWithBofAndStreamIsPadded)
{
    auto stream = xls::writeWorkbookStream(oneSheet(1), {});
    ASSERT_TRUE(stream);
    EXPECT_GE(stream->size(), 4096u) << "small streams stay out of the mini stream";
    const auto recs = records(*stream);
    ASSERT_FALSE(recs.empty());
    EXPECT_EQ(recs[0].type, xls::rt::Bof);
    EXPECT_EQ(recs[0].data, (std::vector<std::uint8_t>{0x00, 0x06, 0x05, 0x00, 0xBB, 0x0D, 0xCC, 0x07, 0xC1, 0, 0, 0, 0x06, 0x08, 0, 0}));
    for (const auto& r : recs)
        EXPECT_LE(r.data.size(), 8224u);
    const auto fonts = std::count_if(recs.begin(), recs.end(), [](const Rec& r) { return r.type == xls::rt::Font; });
    const auto styleXfs = std::count_if(recs.begin(), recs.end(), [](const Rec& r) { return r.type == xls::rt::Xf; });
    EXPECT_GE(fonts, 5) << "Excel wants five fonts at least";
    EXPECT_GE(styleXfs, 16) << "15 style XFs and the default cell XF";
}

TEST(Writer, FilePassFollowsBofAndKeepsSizes)
{
    xls::WriteOptions options;
    options.password = QStringLiteral("Mora4715");
    options.random = [](std::span<std::uint8_t> out) { std::fill(out.begin(), out.end(), 0x5A); };
    auto plain = xls::writeWorkbookStream(oneSheet(500), {});
    auto encrypted = xls::writeWorkbookStream(oneSheet(500), options);
    ASSERT_TRUE(plain && encrypted);
    const auto recs = records(*encrypted);
    ASSERT_GE(recs.size(), 2u);
    EXPECT_EQ(recs[1].type, xls::rt::FilePass);
    EXPECT_EQ(recs[1].data.size(), 200u);
    EXPECT_EQ(recs[1].data[0], 0x01);
    EXPECT_EQ(recs[1].data[2], 0x04) << "RC4 CryptoAPI, version 4.2";
    EXPECT_EQ(encrypted->size(), plain->size() + 204);
}

TEST(Writer, BoundSheetOffsetsIndexAndDbCellPointAtTheirRecords)
{
    auto stream = xls::writeWorkbookStream(oneSheet(70), {});
    ASSERT_TRUE(stream);
    const auto recs = records(*stream);
    std::map<std::size_t, std::uint16_t> typeAt;
    for (const auto& r : recs)
        typeAt[r.offset] = r.type;
    std::size_t dbCells = 0;
    for (const auto& r : recs) {
        xls::ByteReader in(r.data);
        if (r.type == xls::rt::BoundSheet) {
            EXPECT_EQ(typeAt[in.u32()], xls::rt::Bof);
        } else if (r.type == xls::rt::Index) {
            in.skip(4);
            EXPECT_EQ(in.u32(), 0u);
            EXPECT_EQ(in.u32(), 70u);
            EXPECT_EQ(typeAt[in.u32()], xls::rt::DefColWidth);
            int blocks = 0;
            while (!in.atEnd()) {
                EXPECT_EQ(typeAt[in.u32()], xls::rt::DbCell);
                ++blocks;
            }
            EXPECT_EQ(blocks, 3) << "70 rows make three blocks of 32";
        } else if (r.type == xls::rt::DbCell) {
            ++dbCells;
            EXPECT_EQ(typeAt[r.offset - in.u32()], xls::rt::Row);
        }
    }
    EXPECT_EQ(dbCells, 3u);
}

TEST(Writer, RefusesWhatTheFormatCannotHold)
{
    xls::Workbook none;
    EXPECT_EQ(xls::writeWorkbookStream(none, {}).error().code, xls::ErrorCode::InvalidContent);
    for (const char* bad : {"", "a/b", "[x]", "'quoted'", "una stringa di oltre trentun caratteri"}) {
        xls::Workbook book = oneSheet(1);
        book.sheets[0].name = QString::fromLatin1(bad);
        EXPECT_EQ(xls::writeWorkbookStream(book, {}).error().code, xls::ErrorCode::InvalidContent) << bad;
    }
    xls::Workbook twins = oneSheet(1);
    twins.sheets.push_back(twins.sheets[0]);
    twins.sheets[1].name = QStringLiteral("ENTRATA");
    EXPECT_EQ(xls::writeWorkbookStream(twins, {}).error().code, xls::ErrorCode::InvalidContent);

    xls::Workbook longText = oneSheet(1);
    longText.sheets[0].rows[0].cells[0].kind = xls::CellKind::Text;
    longText.sheets[0].rows[0].cells[0].text = QString(32768, QLatin1Char('a'));
    EXPECT_EQ(xls::writeWorkbookStream(longText, {}).error().code, xls::ErrorCode::TooLarge);

    xls::Workbook badStyle = oneSheet(1);
    badStyle.sheets[0].rows[0].cells[0].style = 9;
    EXPECT_EQ(xls::writeWorkbookStream(badStyle, {}).error().code, xls::ErrorCode::InvalidContent);
}
