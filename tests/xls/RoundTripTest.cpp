// Model -> file -> model is the identity for everything the writer stores.

#include "xls/Reader.h"
#include "xls/Writer.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quadrilo;

namespace {

// The reader does not keep trailing empty cells and rows without content.
xls::Workbook trimmed(xls::Workbook book)
{
    for (auto& sheet : book.sheets) {
        for (auto& row : sheet.rows)
            while (!row.cells.empty() && row.cells.back().isEmpty() && row.cells.back().style == 0)
                row.cells.pop_back();
        while (!sheet.rows.empty() && sheet.rows.back().cells.empty() && sheet.rows.back().heightTwips == 0
               && !sheet.rows.back().customHeight && !sheet.rows.back().hidden)
            sheet.rows.pop_back();
    }
    return book;
}

xls::Cell text(const QString& t, std::uint16_t style = 0)
{
    xls::Cell c;
    c.kind = xls::CellKind::Text;
    c.text = t;
    c.style = style;
    return c;
}

xls::Cell number(double v, std::uint16_t style = 0)
{
    xls::Cell c;
    c.kind = xls::CellKind::Number;
    c.number = v;
    c.style = style;
    return c;
}

void put(xls::Sheet& sheet, int row, int column, xls::Cell cell)
{
    if (sheet.rows.size() <= std::size_t(row))
        sheet.rows.resize(std::size_t(row) + 1);
    auto& cells = sheet.rows[std::size_t(row)].cells;
    if (cells.size() <= std::size_t(column))
        cells.resize(std::size_t(column) + 1);
    cells[std::size_t(column)] = std::move(cell);
}

xls::RandomSource fixedRandom()
{
    return [](std::span<std::uint8_t> out) {
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<std::uint8_t>(i * 7 + 3);
    };
}

xls::Workbook richWorkbook()
{
    xls::Workbook book;
    book.dateSystem = xls::DateSystem::Date1904;
    xls::Style textStyle;
    textStyle.numberFormat = QStringLiteral("@");
    xls::Style dateStyle;
    dateStyle.numberFormat = QStringLiteral("dd/mm/yyyy");
    xls::Style label;
    label.horizontal = xls::HorizontalAlignment::Left;
    label.vertical = xls::VerticalAlignment::Top;
    label.wrap = true;
    label.indent = 2;
    label.font.heightTwips = 180;
    xls::Style fancy;
    fancy.font.name = QStringLiteral("Liberation Sans");
    fancy.font.weight = 700;
    fancy.font.italic = true;
    fancy.font.underline = 1;
    fancy.numberFormat = QStringLiteral("#,##0.000;[Red]-#,##0.000");
    fancy.rotation = 45;
    fancy.shrinkToFit = true;
    fancy.readingOrder = xls::ReadingOrder::RightToLeft;
    fancy.locked = false;
    fancy.borderLines = 0x00001111;
    fancy.fillColors = 0x20C0 | 0x0A;
    const auto textIdx = book.internStyle(textStyle);
    const auto dateIdx = book.internStyle(dateStyle);
    const auto labelIdx = book.internStyle(label);
    const auto fancyIdx = book.internStyle(fancy);

    for (const char* name : {"Entrata", "Uscita", "Cliente", "Varie"}) {
        xls::Sheet s;
        s.name = QString::fromLatin1(name);
        book.sheets.push_back(std::move(s));
    }
    auto& e = book.sheets[0];
    put(e, 0, 0, text(QStringLiteral("N.Prot.")));
    put(e, 0, 6, text(QStringLiteral("Località – «Città» ЖЗ ة 😀")));
    put(e, 1, 0, number(1));
    put(e, 1, 1, number(45000.5, dateIdx));
    put(e, 1, 2, number(0.974));
    put(e, 1, 3, number(-21.59));
    put(e, 1, 4, number(1e20));
    put(e, 1, 5, number(-536870912.0));
    put(e, 1, 6, number(536870912.0));
    put(e, 1, 7, number(5e-324));
    put(e, 2, 0, text(QStringLiteral("00184"), textIdx));
    put(e, 2, 1, text(QStringLiteral("riga1\nriga2\tcol\\x")));
    xls::Cell b;
    b.kind = xls::CellKind::Boolean;
    b.code = 1;
    put(e, 2, 2, b);
    xls::Cell err;
    err.kind = xls::CellKind::Error;
    err.code = 0x07;
    put(e, 2, 3, err);
    xls::Cell blank;
    blank.style = fancyIdx;
    put(e, 2, 4, blank);
    put(e, 3, 46, text(QStringLiteral("etichetta"), labelIdx));
    put(e, 65535, 255, number(65536));
    e.rows[0].heightTwips = 2140;
    e.rows[0].customHeight = true;
    e.rows[3].hidden = true;
    e.rows[3].heightTwips = 300;
    e.rows[3].customHeight = true;
    e.columns[46].width = 8595;
    e.columns[8].style = textIdx;
    e.columns[9].hidden = true;
    e.columns[9].width = 100;
    e.frozenRows = 1;
    e.topRow = 1;
    e.activeRow = 4;
    e.activeColumn = 2;
    e.zoom = 85;
    e.mergedCells.push_back({5, 6, 1, 3});
    auto& p = e.pageSetup;
    p.header = QStringLiteral("&CStampa  Lista Protocolli in Entrata  --- Comune --del     08/12/2026");
    p.footer = QStringLiteral("&RPagina &P di &N");
    p.leftMargin = 0.21;
    p.rightMargin = 0.21;
    p.topMargin = 0.5;
    p.bottomMargin = 0.21;
    p.headerMargin = 0.21;
    p.footerMargin = 0.22;
    p.centerHorizontally = true;
    p.printGridlines = true;
    p.printHeadings = true;
    p.fitToPage = true;
    p.fitWidth = 1;
    p.fitHeight = 0;
    p.scale = 70;
    p.paperSize = 9;
    p.orientation = xls::Orientation::Landscape;
    p.printerSettingsValid = true;
    p.overThenDown = true;
    p.blackAndWhite = true;
    p.printErrors = 2;
    p.firstPageNumber = 3;
    p.copies = 2;
    p.rowBreaks = {20, 40};
    p.columnBreaks = {5};
    p.printArea = {{0, 24, 0, 10}};

    auto& u = book.sheets[1];
    u.frozenRows = 2;
    u.frozenColumns = 1;
    u.topRow = 2;
    u.leftColumn = 1;
    u.pageSetup.printArea = {{0, 9, 0, 3}, {20, 29, 5, 6}};
    u.showGridlines = false;

    auto& c = book.sheets[2];
    c.frozenColumns = 2;
    c.leftColumn = 3;
    c.pageSetup.titleRows = xls::Span{0, 0};
    c.pageSetup.titleColumns = xls::Span{0, 1};
    c.defaultColumnWidth = 10;
    c.defaultRowHeightTwips = 300;
    c.visibility = xls::SheetVisibility::Hidden;

    auto& v = book.sheets[3];
    v.pageSetup.titleRows = xls::Span{0, 1};
    v.standardWidth = 3000;
    put(v, 0, 255, number(32766));
    book.activeSheet = 1;
    return book;
}

} // namespace

TEST(RoundTrip, RichWorkbookWithAndWithoutPassword)
{
    const xls::Workbook book = richWorkbook();
    for (const QString& password : {QString(), QStringLiteral("Mora4715")}) {
        xls::WriteOptions options;
        options.password = password;
        options.random = fixedRandom();
        auto file = xls::writeWorkbook(book, options);
        ASSERT_TRUE(file) << file.error().detail;
        xls::ReadOptions readOptions;
        readOptions.password = password;
        readOptions.requireEncryption = !password.isEmpty();
        auto read = xls::readWorkbook(*file, readOptions);
        ASSERT_TRUE(read) << read.error().detail;
        EXPECT_EQ(read->encryption, password.isEmpty() ? xls::EncryptionScheme::None : xls::EncryptionScheme::Rc4CryptoApi);
        const xls::Workbook expected = trimmed(book);
        const xls::Workbook& actual = read->workbook;
        ASSERT_EQ(actual.sheets.size(), expected.sheets.size());
        EXPECT_EQ(actual.styles, expected.styles);
        for (std::size_t i = 0; i < expected.sheets.size(); ++i) {
            const auto& a = actual.sheets[i];
            const auto& x = expected.sheets[i];
            EXPECT_EQ(a.name, x.name);
            EXPECT_EQ(a.rows, x.rows) << a.name.toStdString();
            EXPECT_EQ(a.columns, x.columns) << a.name.toStdString();
            EXPECT_EQ(a.pageSetup, x.pageSetup) << a.name.toStdString();
            EXPECT_EQ(a.frozenRows, x.frozenRows);
            EXPECT_EQ(a.frozenColumns, x.frozenColumns);
            EXPECT_EQ(a.topRow, x.topRow);
            EXPECT_EQ(a.leftColumn, x.leftColumn);
            EXPECT_EQ(a.mergedCells, x.mergedCells);
        }
        EXPECT_TRUE(actual == expected) << "the whole model, password '" << password.toStdString() << "'";
    }
}

TEST(RoundTrip, EachSheetIsHandedOverAsSoonAsItIsRead)
{
    const xls::Workbook book = richWorkbook();
    ASSERT_GE(book.sheets.size(), 2u);
    auto file = xls::writeWorkbook(book, {});
    ASSERT_TRUE(file) << file.error().detail;
    const xls::Workbook expected = trimmed(book);
    std::vector<std::size_t> seen;
    xls::ReadOptions options;
    options.sheetRead = [&](std::size_t index, xls::Sheet& sheet, const xls::Workbook&) {
        ASSERT_LT(index, expected.sheets.size());
        EXPECT_EQ(index, seen.size()) << "in order, each once";
        EXPECT_EQ(sheet.name, expected.sheets[index].name);
        EXPECT_EQ(sheet.rows, expected.sheets[index].rows) << "whole when handed over";
        seen.push_back(index);
        sheet.rows = {};
    };
    auto read = xls::readWorkbook(*file, options);
    ASSERT_TRUE(read) << read.error().detail;
    EXPECT_EQ(seen.size(), expected.sheets.size());
    ASSERT_EQ(read->workbook.sheets.size(), expected.sheets.size());
    for (std::size_t i = 0; i < expected.sheets.size(); ++i) {
        EXPECT_TRUE(read->workbook.sheets[i].rows.empty()) << "dropped rows stay dropped";
        EXPECT_EQ(read->workbook.sheets[i].pageSetup, expected.sheets[i].pageSetup) << "the rest is kept";
    }
}

TEST(RoundTrip, SharedStringsBeyondOneRecord)
{
    xls::Workbook book;
    book.sheets.emplace_back();
    book.sheets[0].name = QStringLiteral("Foglio");
    QString longLatin(20000, QLatin1Char('x'));
    longLatin[8000] = QChar(0xE8);
    QString longWide;
    for (int i = 0; i < 9000; ++i)
        longWide += QChar(0x0410 + i % 32);
    put(book.sheets[0], 0, 0, text(longLatin));
    put(book.sheets[0], 1, 0, text(longWide));
    for (int i = 0; i < 5000; ++i)
        put(book.sheets[0], 2 + i, 1, text(QStringLiteral("Oggetto numero %1 è arrivato").arg(i)));
    auto file = xls::writeWorkbook(book, {});
    ASSERT_TRUE(file);
    auto read = xls::readWorkbook(*file);
    ASSERT_TRUE(read) << read.error().detail;
    EXPECT_TRUE(read->workbook == trimmed(book));
}

TEST(RoundTrip, SameInputAndRandomGiveIdenticalBytes)
{
    xls::WriteOptions options;
    options.password = QStringLiteral("Mora4715");
    options.random = fixedRandom();
    auto first = xls::writeWorkbookStream(richWorkbook(), options);
    auto second = xls::writeWorkbookStream(richWorkbook(), options);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *second);
}
