#include "support/TestSupport.h"
#include "store/Sheet.h"
#include "store/Workbook.h"

#include <gtest/gtest.h>

#include <utility>

using namespace quadrilo::store;
namespace xls = quadrilo::xls;

namespace {

using quadrilo::testsupport::s;

// A workbook with one empty sheet.
struct OneSheet {
    Workbook book;
    Sheet sheet = *book.addSheet(s("Protocollo"));

    OneSheet() { book.setModified(false); }
};

// A sheet built directly in the model, as the reader would fill it.
xls::Workbook modelWithStyle(const QString& numberFormat, double number)
{
    xls::Workbook model;
    xls::Style style;
    style.numberFormat = numberFormat;
    model.styles.push_back(style);
    xls::Sheet sheet;
    sheet.name = s("Dati");
    sheet.rows.resize(1);
    xls::Cell cell;
    cell.kind = xls::CellKind::Number;
    cell.number = number;
    cell.style = 1;
    sheet.rows[0].cells.push_back(cell);
    model.sheets.push_back(sheet);
    return model;
}

} // namespace

TEST(SheetText, ShowsValuesAsTheProgramDoes)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    ASSERT_TRUE(sh.setNumber(1, 1, 0.974));
    ASSERT_TRUE(sh.setNumber(2, 1, -21.59));
    ASSERT_TRUE(sh.setNumber(3, 1, 1234));
    ASSERT_TRUE(sh.setDate(4, 1, QDate(2026, 12, 7)));
    ASSERT_TRUE(sh.setBoolean(5, 1, true));
    ASSERT_TRUE(sh.setBoolean(6, 1, false));
    ASSERT_TRUE(sh.setText(7, 1, s("Comune di Roma")));
    ASSERT_TRUE(sh.setValue(8, 1, CellValue::fromError(xls::CellError::DivZero)));
    ASSERT_TRUE(sh.setDateTime(9, 1, QDateTime(QDate(2026, 12, 7), QTime(14, 30, 5), Qt::UTC)));

    EXPECT_EQ(sh.text(1, 1), s("0,974"));
    EXPECT_EQ(sh.text(2, 1), s("-21,59"));
    EXPECT_EQ(sh.text(3, 1), s("1234"));
    EXPECT_EQ(sh.text(4, 1), s("07/12/2026"));
    EXPECT_EQ(sh.text(5, 1), s("VERO"));
    EXPECT_EQ(sh.text(6, 1), s("FALSO"));
    EXPECT_EQ(sh.text(7, 1), s("Comune di Roma"));
    EXPECT_EQ(sh.text(8, 1), s("#DIV/0!"));
    EXPECT_EQ(sh.text(9, 1), s("07/12/2026 14:30:05"));
    EXPECT_EQ(sh.text(10, 1), QString());
    EXPECT_EQ(sh.text(0, 1), QString());
    EXPECT_EQ(sh.rowTexts(3, 1, 2), (QStringList{s("1234"), QString()}));

    EXPECT_EQ(sh.numberFormat(4, 1), s("dd/mm/yyyy"));
    EXPECT_EQ(sh.numberFormat(9, 1), s("dd/mm/yyyy hh:mm:ss"));
    EXPECT_EQ(sh.numberFormat(3, 1), s("General"));
}

TEST(SheetText, TextsStayTextsAndNumbersStayNumbers)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setText(1, 1, s("00184"));
    sh.setNumber(1, 2, 184);
    EXPECT_EQ(sh.text(1, 1), s("00184"));
    EXPECT_EQ(sh.value(1, 1), CellValue::fromText(s("00184")));
    EXPECT_NE(sh.value(1, 1), sh.value(1, 2));
    EXPECT_TRUE(sh.value(1, 2).isNumber());
    EXPECT_EQ(sh.data().rows[0].cells[0].kind, xls::CellKind::Text);

    // Texts that look like dates or numbers are never reinterpreted.
    sh.setText(2, 1, s("07/12/2026"));
    EXPECT_TRUE(sh.value(2, 1).isText());
    EXPECT_EQ(sh.text(2, 1), s("07/12/2026"));

    // "@" does not change how a number shows.
    sh.setNumberFormat(RangeRef::cell(3, 1), s("@"));
    sh.setNumber(3, 1, 3.5);
    EXPECT_EQ(sh.text(3, 1), s("3,5"));
    EXPECT_TRUE(sh.value(3, 1).isNumber());
}

TEST(SheetText, EmptyTextClearsTheValueButNotTheStyle)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setNumberFormat(RangeRef::cell(1, 1), s("0.00"));
    sh.setText(1, 1, s("x"));
    ASSERT_TRUE(sh.setText(1, 1, QString()));
    EXPECT_TRUE(sh.value(1, 1).isEmpty());
    EXPECT_TRUE(sh.isEmpty(1, 1));
    EXPECT_TRUE(sh.value(1, 1).equalsText(QString()));
    EXPECT_EQ(sh.numberFormat(1, 1), s("0.00"));

    sh.setNumber(2, 1, 5);
    sh.setNumberFormat(RangeRef::cell(2, 1), s("0.00"));
    ASSERT_TRUE(sh.clear(2, 1));
    EXPECT_TRUE(sh.isEmpty(2, 1));
    EXPECT_EQ(sh.numberFormat(2, 1), s("0.00"));
}

TEST(SheetText, TextLongerThanACellHoldsIsRefused)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setText(1, 1, s("prima"));
    EXPECT_TRUE(sh.setText(2, 1, QString(32767, QLatin1Char('a'))));
    EXPECT_FALSE(sh.setText(1, 1, QString(32768, QLatin1Char('a'))));
    EXPECT_EQ(sh.text(1, 1), s("prima")) << "a refused text leaves the cell as it was";
}

TEST(SheetValue, DateFormattedNumbersReadAsDates)
{
    Workbook book(modelWithStyle(s("d-mmm-yy"), 46363.5));
    Sheet sh = *book.sheet(s("dati"));
    const CellValue v = sh.value(1, 1);
    ASSERT_TRUE(v.isDate());
    EXPECT_EQ(v.dateTime(), QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(sh.text(1, 1), s("07/12/2026"));

    // Writing a date keeps a format that already shows dates.
    ASSERT_TRUE(sh.setDate(1, 1, QDate(2027, 1, 2)));
    EXPECT_EQ(sh.numberFormat(1, 1), s("d-mmm-yy"));
    EXPECT_EQ(sh.text(1, 1), s("02/01/2027"));

    Workbook plain(modelWithStyle(s("0.00"), 46363.5));
    EXPECT_TRUE(plain.sheetAt(0)->value(1, 1).isNumber());
    EXPECT_EQ(plain.sheetAt(0)->text(1, 1), s("46363,5"));
}

TEST(SheetValue, DatesFollowTheWorkbookDateSystem)
{
    xls::Workbook model;
    model.dateSystem = xls::DateSystem::Date1904;
    Workbook book(std::move(model));
    Sheet sh = *book.addSheet(s("Foglio1"));
    ASSERT_TRUE(sh.setDate(1, 1, QDate(2026, 12, 7)));
    EXPECT_EQ(sh.data().rows[0].cells[0].number, 44901.0);
    EXPECT_EQ(sh.text(1, 1), s("07/12/2026"));
    EXPECT_EQ(sh.value(1, 1).date(), QDate(2026, 12, 7));
    // 1900-06-01 does not exist in the 1904 system.
    EXPECT_FALSE(sh.setDate(2, 1, QDate(1900, 6, 1)));
    EXPECT_TRUE(sh.isEmpty(2, 1));
    EXPECT_FALSE(sh.setDate(2, 1, QDate()));
}

TEST(SheetValue, DateStylesAreInternedOnce)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    const auto before = f.book.data().styles.size();
    for (int row = 1; row <= 50; ++row)
        sh.setDate(row, 1, QDate(2026, 1, 1).addDays(row));
    EXPECT_EQ(f.book.data().styles.size(), before + 1);
    EXPECT_EQ(sh.data().rows[0].cells[0].style, sh.data().rows[49].cells[0].style);
}

TEST(SheetValue, NonFiniteNumbersBecomeNumErrors)
{
    OneSheet f;
    f.sheet.setNumber(1, 1, std::numeric_limits<double>::infinity());
    EXPECT_EQ(f.sheet.value(1, 1), CellValue::fromError(xls::CellError::Num));
}

TEST(SheetWrites, OutsideTheSheetNothingChanges)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    EXPECT_FALSE(sh.setText(0, 1, s("x")));
    EXPECT_FALSE(sh.setNumber(65537, 1, 1));
    EXPECT_FALSE(sh.setBoolean(1, 257, true));
    EXPECT_FALSE(sh.setDate(1, 0, QDate(2026, 1, 1)));
    EXPECT_FALSE(sh.clear(0, 0));
    EXPECT_FALSE(f.book.isModified());
    EXPECT_TRUE(sh.data().rows.empty());
    EXPECT_TRUE(sh.value(0, 0).isEmpty());

    EXPECT_TRUE(sh.setNumber(65536, 256, 7));
    EXPECT_EQ(sh.text(65536, 256), s("7"));
    EXPECT_EQ(sh.lastUsedRow(), 65536);
    EXPECT_EQ(sh.lastUsedColumn(), 256);
}

TEST(SheetWrites, EveryWriteSetsModified)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    const auto check = [&](const char* what, auto&& write) {
        f.book.setModified(false);
        write();
        EXPECT_TRUE(f.book.isModified()) << what;
    };
    check("text", [&] { sh.setText(1, 1, s("a")); });
    check("number", [&] { sh.setNumber(1, 2, 1); });
    check("date", [&] { sh.setDate(1, 3, QDate(2026, 1, 1)); });
    check("boolean", [&] { sh.setBoolean(1, 4, true); });
    check("clear", [&] { sh.clear(1, 4); });
    check("clearContents", [&] { sh.clearContents(RangeRef::cells(1, 1, 1, 2)); });
    check("deleteRow", [&] { sh.deleteRow(5); });
    check("format", [&] { sh.setNumberFormat(RangeRef::columns(1, 1), s("@")); });
    check("width", [&] { sh.setColumnWidth(1, 12); });
    check("height", [&] { sh.setRowHeight(1, 20); });
    check("freeze", [&] { sh.freezePanes({2, 1}); });
    check("page setup", [&] { sh.editPageSetup().scale = 90; });
    check("autofit", [&] { sh.autoFitColumns(); });
    check("rename", [&] { sh.rename(s("Registro")); });

    f.book.setModified(false);
    (void)sh.text(1, 1);
    (void)sh.value(1, 3);
    (void)sh.endDown(1, 1);
    (void)sh.pageSetup();
    sh.setScrollArea(s("A1:Q10"));
    sh.select({3, 3});
    EXPECT_FALSE(f.book.isModified());
}

TEST(SheetWrites, ClearContentsKeepsStyles)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setDate(1, 1, QDate(2026, 1, 1));
    sh.setText(1, 2, s("b"));
    sh.setText(2, 1, s("c"));
    sh.setText(3, 3, s("outside"));
    sh.clearContents(RangeRef::cells(1, 1, 2, 2));
    EXPECT_TRUE(sh.isEmpty(1, 1));
    EXPECT_TRUE(sh.isEmpty(1, 2));
    EXPECT_TRUE(sh.isEmpty(2, 1));
    EXPECT_EQ(sh.text(3, 3), s("outside"));
    EXPECT_EQ(sh.numberFormat(1, 1), s("dd/mm/yyyy"));
    EXPECT_EQ(sh.cellCount(), 1);
}

TEST(SheetNavigation, EndDownFollowsExcel)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    // Column A: block 1..3, gap, block 6..7, gap, 10.
    for (const int row : {1, 2, 3, 6, 7, 10})
        sh.setNumber(row, 1, row);
    EXPECT_EQ(sh.endDown(1, 1), 3);   // inside a block: its last cell
    EXPECT_EQ(sh.endDown(2, 1), 3);
    EXPECT_EQ(sh.endDown(3, 1), 6);   // last of a block: the next value below
    EXPECT_EQ(sh.endDown(4, 1), 6);   // empty: the next value below
    EXPECT_EQ(sh.endDown(6, 1), 7);
    EXPECT_EQ(sh.endDown(7, 1), 10);
    EXPECT_EQ(sh.endDown(10, 1), 65536);  // nothing below
    EXPECT_EQ(sh.endDown(11, 1), 65536);
    EXPECT_EQ(sh.endDown(65536, 1), 65536);
    EXPECT_EQ(sh.endDown(1, 2), 65536);   // empty column

    EXPECT_EQ(sh.endUp(10, 1), 7);
    EXPECT_EQ(sh.endUp(7, 1), 6);
    EXPECT_EQ(sh.endUp(5, 1), 3);
    EXPECT_EQ(sh.endUp(3, 1), 1);
    EXPECT_EQ(sh.endUp(1, 1), 1);
    EXPECT_EQ(sh.endUp(65536, 2), 1);
    EXPECT_EQ(sh.endDown(0, 1), 0);

    // A formatted blank is no value; an empty text (a formula's "") is one.
    sh.setNumberFormat(RangeRef::cell(12, 1), s("@"));
    EXPECT_EQ(sh.endDown(10, 1), 65536);
    xls::Cell& blankText = f.book.data().sheets[0].rows[11].cells[0];
    blankText.kind = xls::CellKind::Text;
    EXPECT_EQ(sh.endDown(10, 1), 12);
}

TEST(SheetNavigation, LastFilledRow)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    EXPECT_EQ(sh.lastFilledRow(1), 1);  // empty column
    sh.setText(1, 1, s("Numero"));
    EXPECT_EQ(sh.lastFilledRow(1), 1);
    sh.setNumber(2, 1, 1);
    sh.setNumber(3, 1, 2);
    sh.setNumber(40, 1, 3);
    EXPECT_EQ(sh.lastFilledRow(1), 40);
    sh.clear(40, 1);
    EXPECT_EQ(sh.lastFilledRow(1), 3);

    // Row 65536 filled: End(xlUp) starts from a value, so Excel walks to the
    // top of that bottom block, or on to the next value above it (row 1 if none).
    sh.setNumber(65536, 2, 1);
    EXPECT_EQ(sh.lastFilledRow(2), 1);
    sh.setNumber(7, 2, 1);
    EXPECT_EQ(sh.lastFilledRow(2), 7);
    sh.setNumber(65535, 2, 1);
    sh.setNumber(65534, 2, 1);
    sh.setNumber(100, 2, 1);
    EXPECT_EQ(sh.lastFilledRow(2), 65534);
}

TEST(SheetNavigation, EndAcrossColumns)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    for (const int column : {1, 2, 3, 17})
        sh.setText(1, column, s("x"));
    EXPECT_EQ(sh.endRight(1, 1), 3);
    EXPECT_EQ(sh.endRight(1, 3), 17);
    EXPECT_EQ(sh.endRight(1, 17), 256);
    EXPECT_EQ(sh.endLeft(1, 256), 17);
    EXPECT_EQ(sh.endLeft(1, 17), 3);
    EXPECT_EQ(sh.endLeft(1, 3), 1);
    EXPECT_EQ(sh.endRight(2, 1), 256);
}

TEST(SheetRows, DeleteRowMovesValuesHeightsAndLayout)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    for (int row = 1; row <= 6; ++row)
        sh.setNumber(row, 1, row * 10);
    sh.setRowHeight(2, 30);
    sh.setRowHeight(4, 40);
    auto& setup = sh.editPageSetup();
    setup.rowBreaks = {2, 3, 5};                   // 0-based rows below each break
    setup.titleRows = xls::Span{0, 0};
    setup.printArea = {xls::CellRange{0, 5, 0, 3}};
    auto& merged = f.book.data().sheets[0].mergedCells;
    merged = {xls::CellRange{1, 2, 1, 2}, xls::CellRange{3, 4, 1, 1}, xls::CellRange{4, 4, 2, 3}};

    ASSERT_TRUE(sh.deleteRow(3));  // 0-based 2

    EXPECT_EQ(sh.text(2, 1), s("20"));
    EXPECT_EQ(sh.text(3, 1), s("40"));
    EXPECT_EQ(sh.text(5, 1), s("60"));
    EXPECT_TRUE(sh.isEmpty(6, 1));
    EXPECT_EQ(sh.rowHeight(2), 30);
    EXPECT_EQ(sh.rowHeight(3), 40);
    EXPECT_EQ(sh.rowHeight(4), 12.75);
    EXPECT_EQ(sh.pageSetup().rowBreaks, (std::vector<std::uint16_t>{2, 4}));
    EXPECT_EQ(sh.pageSetup().titleRows, (xls::Span{0, 0}));
    EXPECT_EQ(sh.pageSetup().printArea, (std::vector<xls::CellRange>{{0, 4, 0, 3}}));
    // B2:C3 lost its deleted row, B4:B5 and C5:D5 moved up.
    EXPECT_EQ(sh.data().mergedCells,
              (std::vector<xls::CellRange>{{1, 1, 1, 2}, {2, 3, 1, 1}, {3, 3, 2, 3}}));

    // A merge left as a single cell disappears; the title row itself goes.
    ASSERT_TRUE(sh.deleteRow(1));
    EXPECT_EQ(sh.text(1, 1), s("20"));
    EXPECT_FALSE(sh.pageSetup().titleRows);
    EXPECT_EQ(sh.data().mergedCells, (std::vector<xls::CellRange>{{0, 0, 1, 2}, {1, 2, 1, 1}, {2, 2, 2, 3}}));
    ASSERT_TRUE(sh.deleteRow(2));
    EXPECT_EQ(sh.data().mergedCells, (std::vector<xls::CellRange>{{0, 0, 1, 2}, {1, 1, 2, 3}}));

    EXPECT_FALSE(sh.deleteRow(0));
    EXPECT_TRUE(sh.deleteRow(60000));  // past the data: nothing moves
    EXPECT_EQ(sh.text(1, 1), s("20"));
}

TEST(SheetFormats, WholeColumnFormatReachesNewCells)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setNumber(1, 9, 12);
    sh.setText(2, 10, s("x"));
    sh.setNumber(1, 1, 5);
    sh.setNumberFormat(RangeRef::columns(9, 10), s("@"));

    EXPECT_EQ(sh.numberFormat(1, 9), s("@"));
    EXPECT_EQ(sh.numberFormat(2, 10), s("@"));
    EXPECT_EQ(sh.numberFormat(500, 9), s("@"));   // a cell that does not exist yet
    EXPECT_EQ(sh.numberFormat(1, 1), s("General"));
    EXPECT_EQ(sh.numberFormat(1, 11), s("General"));

    sh.setText(3000, 9, s("00184"));
    EXPECT_EQ(sh.data().rows[2999].cells[8].style, sh.data().columns[8].style);
    EXPECT_EQ(sh.numberFormat(3000, 9), s("@"));
    // A cell with a style of its own keeps it in a formatted column.
    sh.setDate(3001, 9, QDate(2026, 1, 1));
    EXPECT_EQ(sh.numberFormat(3001, 9), s("dd/mm/yyyy"));
    // No blanks were made for the rows in between.
    EXPECT_EQ(sh.data().rows[1500].cells.size(), 0u);
}

TEST(SheetFormats, StylesAreRemappedNotMultiplied)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    for (int row = 1; row <= 5000; ++row) {
        sh.setText(row, 1, s("t"));
        if (row % 2 == 0)
            sh.setDate(row, 2, QDate(2026, 1, 1));
        else
            sh.setNumber(row, 2, row);
    }
    const auto before = f.book.data().styles.size();  // default + date
    sh.setHorizontalAlignment(RangeRef::wholeSheet(), xls::HorizontalAlignment::Left);
    // One left-aligned copy of each style in use.
    EXPECT_EQ(f.book.data().styles.size(), before + 2);
    EXPECT_EQ(sh.numberFormat(2, 2), s("dd/mm/yyyy"));
    EXPECT_EQ(sh.numberFormat(3, 2), s("General"));
    const auto& styles = f.book.data().styles;
    EXPECT_EQ(styles[sh.data().rows[1].cells[1].style].horizontal, xls::HorizontalAlignment::Left);
    EXPECT_EQ(styles[sh.data().columns[200].style].horizontal, xls::HorizontalAlignment::Left);
    EXPECT_EQ(sh.text(2, 2), s("01/01/2026"));
}

TEST(SheetFormats, BoundedRangeFormatsItsEmptyCells)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setNumberFormat(RangeRef::cells(2, 1, 3, 2), s("0.00"));
    EXPECT_EQ(sh.numberFormat(3, 2), s("0.00"));
    EXPECT_EQ(sh.numberFormat(4, 2), s("General"));
    EXPECT_EQ(sh.numberFormat(1, 1), s("General"));
    EXPECT_EQ(sh.cellCount(), 0);
    sh.setNumber(3, 2, 1.5);
    EXPECT_EQ(sh.numberFormat(3, 2), s("0.00"));
}

TEST(SheetFormats, ResetAlignmentLeavesValuesAlone)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setText(1, 1, s("Oggetto"));
    sh.setDate(1, 2, QDate(2026, 12, 7));
    sh.setNumber(2, 1, 0.974);
    const RangeRef all = RangeRef::wholeSheet();
    sh.setHorizontalAlignment(all, xls::HorizontalAlignment::Center);
    ASSERT_TRUE(sh.setRotation(all, 45));
    ASSERT_TRUE(sh.setIndent(all, 3));
    sh.setShrinkToFit(all, true);
    sh.setReadingOrder(all, xls::ReadingOrder::RightToLeft);
    auto& merged = f.book.data().sheets[0].mergedCells;
    merged = {xls::CellRange{0, 0, 2, 3}, xls::CellRange{9, 10, 0, 0}};

    sh.resetAlignment(RangeRef::rows(1, 5));

    EXPECT_EQ(sh.text(1, 1), s("Oggetto"));
    EXPECT_EQ(sh.text(1, 2), s("07/12/2026"));
    EXPECT_EQ(sh.text(2, 1), s("0,974"));
    EXPECT_EQ(sh.numberFormat(1, 2), s("dd/mm/yyyy"));
    const auto& style = f.book.data().styles[sh.data().rows[0].cells[0].style];
    EXPECT_EQ(style.rotation, 0);
    EXPECT_EQ(style.indent, 0);
    EXPECT_FALSE(style.shrinkToFit);
    EXPECT_EQ(style.readingOrder, xls::ReadingOrder::Context);
    EXPECT_EQ(style.horizontal, xls::HorizontalAlignment::Center);  // not part of the reset
    EXPECT_EQ(sh.data().mergedCells, (std::vector<xls::CellRange>{{9, 10, 0, 0}}));
    // Columns outside the reset rows keep their rotation.
    EXPECT_EQ(f.book.data().styles[sh.data().columns[0].style].rotation, 45);
}

TEST(SheetFormats, SetterLimits)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    const RangeRef a1 = RangeRef::cell(1, 1);
    const auto styleOfA1 = [&] { return f.book.data().styles[sh.data().rows[0].cells[0].style]; };
    EXPECT_FALSE(sh.setIndent(a1, 16));
    EXPECT_FALSE(sh.setIndent(a1, -1));
    EXPECT_FALSE(sh.setRotation(a1, 91));
    EXPECT_FALSE(sh.setRotation(a1, -91));
    EXPECT_FALSE(sh.setFontSize(a1, 0.5));
    EXPECT_FALSE(sh.setFontSize(a1, 410));
    EXPECT_FALSE(f.book.isModified());

    ASSERT_TRUE(sh.setRotation(a1, -30));
    EXPECT_EQ(styleOfA1().rotation, 120);
    ASSERT_TRUE(sh.setRotation(a1, Sheet::kStackedRotation));
    EXPECT_EQ(styleOfA1().rotation, 255);
    ASSERT_TRUE(sh.setFontSize(a1, 12.5));
    EXPECT_EQ(styleOfA1().font.heightTwips, 250);
    sh.setWrap(a1, true);
    sh.setVerticalAlignment(a1, xls::VerticalAlignment::Top);
    sh.setBold(a1, true);
    EXPECT_TRUE(styleOfA1().wrap);
    EXPECT_EQ(styleOfA1().vertical, xls::VerticalAlignment::Top);
    EXPECT_EQ(styleOfA1().font.weight, 700);
}

TEST(SheetSizes, ColumnWidthFormula)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    EXPECT_DOUBLE_EQ(sh.columnWidth(1), 8.43);  // DEFCOLWIDTH 8
    ASSERT_TRUE(sh.setColumnWidth(1, 8.43));
    ASSERT_TRUE(sh.setColumnWidth(2, 10));
    ASSERT_TRUE(sh.setColumnWidth(3, 32.86));
    EXPECT_EQ(sh.data().columns[0].width, 2340);
    EXPECT_EQ(sh.data().columns[1].width, 2742);
    EXPECT_EQ(sh.data().columns[2].width, 8595);
    EXPECT_DOUBLE_EQ(sh.columnWidth(1), 8.43);
    EXPECT_DOUBLE_EQ(sh.columnWidth(2), 10.0);
    EXPECT_DOUBLE_EQ(sh.columnWidth(3), 32.86);

    ASSERT_TRUE(sh.setColumnWidth(4, 0));
    EXPECT_TRUE(sh.data().columns[3].hidden);
    EXPECT_EQ(sh.columnWidth(4), 0);
    EXPECT_FALSE(sh.setColumnWidth(5, 256));
    EXPECT_FALSE(sh.setColumnWidth(5, -1));
    EXPECT_FALSE(sh.setColumnWidth(257, 10));

    f.book.data().sheets[0].standardWidth = 2742;
    EXPECT_DOUBLE_EQ(sh.columnWidth(6), 10.0);
}

TEST(SheetSizes, RowHeights)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    EXPECT_EQ(sh.rowHeight(1), 12.75);
    ASSERT_TRUE(sh.setRowHeight(3, 15));
    EXPECT_EQ(sh.data().rows[2].heightTwips, 300);
    EXPECT_TRUE(sh.data().rows[2].customHeight);
    EXPECT_EQ(sh.rowHeight(3), 15);
    EXPECT_EQ(sh.rowHeight(2), 12.75);
    ASSERT_TRUE(sh.setRowHeight(3, 0));
    EXPECT_EQ(sh.rowHeight(3), 0);
    ASSERT_TRUE(sh.setRowHeight(3, 20.25));
    EXPECT_EQ(sh.rowHeight(3), 20.25);
    EXPECT_FALSE(sh.data().rows[2].hidden);
    EXPECT_FALSE(sh.setRowHeight(3, 410));
    EXPECT_FALSE(sh.setRowHeight(0, 10));
}

TEST(SheetSizes, AutoFitFollowsTheTexts)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.setText(1, 1, s("Numero"));
    sh.setNumber(2, 1, 1234);
    sh.setText(1, 2, s("Oggetto della corrispondenza in arrivo"));
    sh.setText(1, 3, s("iiiiiiiiii"));
    sh.setText(1, 4, s("MMMMMMMMMM"));
    sh.setText(1, 6, s("Nascosta"));
    sh.setColumnWidth(5, 30);      // empty column with a width
    sh.setColumnWidth(6, 0);       // hidden
    sh.setText(1, 7, s("Numero"));
    sh.setFontSize(RangeRef::cell(1, 7), 20);
    sh.setText(1, 8, QString(30000, u'W'));

    sh.autoFitColumns();
    const auto& columns = sh.data().columns;
    EXPECT_GT(columns[0].width, 0);
    EXPECT_GT(columns[1].width, 3 * columns[0].width);
    EXPECT_GT(columns[3].width, 2 * columns[2].width);  // wide letters against narrow ones
    EXPECT_EQ(columns[4].width, 0);                      // back to the default
    EXPECT_TRUE(columns[5].hidden);
    EXPECT_GT(columns[6].width, columns[0].width * 3 / 2);  // bigger font
    EXPECT_DOUBLE_EQ(sh.columnWidth(8), 255.0);             // clamped
    EXPECT_DOUBLE_EQ(sh.columnWidth(5), 8.43);

    // Fitting a range considers only its rows.
    sh.autoFitColumns(RangeRef::cells(2, 1, 2, 2));
    EXPECT_LT(sh.data().columns[0].width, 2000);
    EXPECT_EQ(sh.data().columns[1].width, 0);
}

TEST(SheetWindow, FreezePanes)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    sh.freezePanes({2, 1});
    EXPECT_EQ(sh.frozenRows(), 1);
    EXPECT_EQ(sh.frozenColumns(), 0);
    EXPECT_EQ(sh.data().topRow, 1);
    EXPECT_EQ(sh.data().leftColumn, 0);

    sh.freezePanes({3, 3});
    EXPECT_EQ(sh.frozenRows(), 2);
    EXPECT_EQ(sh.frozenColumns(), 2);
    EXPECT_EQ(sh.data().topRow, 2);
    EXPECT_EQ(sh.data().leftColumn, 2);

    sh.unfreeze();
    EXPECT_EQ(sh.frozenRows(), 0);
    EXPECT_EQ(sh.frozenColumns(), 0);
    sh.freezePanes({1, 1});
    EXPECT_EQ(sh.frozenRows(), 0);
}

TEST(SheetWindow, ScrollAreaSelectionAndPageSetup)
{
    OneSheet f;
    Sheet& sh = f.sheet;
    Sheet other = *f.book.addSheet(s("Rubrica"));
    EXPECT_TRUE(sh.scrollArea().isEmpty());
    ASSERT_TRUE(sh.setScrollArea(s("q100:a1")));
    EXPECT_EQ(sh.scrollArea(), s("$A$1:$Q$100"));
    EXPECT_FALSE(sh.setScrollArea(s("A0:B2")));
    EXPECT_EQ(sh.scrollArea(), s("$A$1:$Q$100"));
    EXPECT_TRUE(other.scrollArea().isEmpty());
    ASSERT_TRUE(sh.setScrollArea(QString()));
    EXPECT_TRUE(sh.scrollArea().isEmpty());

    sh.select({5, 3});
    EXPECT_EQ(sh.activeCell(), (CellRef{5, 3}));
    EXPECT_EQ(sh.data().activeRow, 4);

    sh.editPageSetup().orientation = xls::Orientation::Landscape;
    EXPECT_EQ(sh.pageSetup().orientation, xls::Orientation::Landscape);
}

TEST(WorkbookSheets, NamesAndHandles)
{
    Workbook book;
    EXPECT_EQ(book.sheetCount(), 0);
    ASSERT_TRUE(book.addSheet(s("Protocollo")));
    EXPECT_TRUE(book.isModified());
    EXPECT_FALSE(book.addSheet(s("PROTOCOLLO")));
    EXPECT_FALSE(book.addSheet(QString()));
    EXPECT_FALSE(book.addSheet(QString(32, u'x')));
    EXPECT_TRUE(book.addSheet(QString(31, u'x')));
    EXPECT_EQ(book.checkSheetName(s("a/b")), SheetNameError::InvalidCharacter);
    EXPECT_EQ(book.checkSheetName(s("a[1]")), SheetNameError::InvalidCharacter);
    EXPECT_EQ(book.checkSheetName(s("a:b")), SheetNameError::InvalidCharacter);
    EXPECT_EQ(book.checkSheetName(s("'ab")), SheetNameError::Apostrophe);
    EXPECT_EQ(book.checkSheetName(s("ab'")), SheetNameError::Apostrophe);
    EXPECT_EQ(book.checkSheetName(s("l'ab")), SheetNameError::None);
    EXPECT_EQ(book.checkSheetName(s("history")), SheetNameError::Reserved);
    EXPECT_EQ(book.checkSheetName(s("protocollo")), SheetNameError::Duplicate);
    EXPECT_EQ(book.checkSheetName(s("Città")), SheetNameError::None);

    Sheet p = *book.sheet(s("pRoToCoLlO"));
    EXPECT_EQ(p.name(), s("Protocollo"));
    EXPECT_EQ(p.index(), 0);
    EXPECT_FALSE(book.sheet(s("Protocollo2")));
    EXPECT_EQ(book.sheets().size(), 2u);
    EXPECT_EQ(book.sheets()[1].index(), 1);

    // A handle survives adding sheets and moving the workbook.
    p.setText(1, 1, s("kept"));
    for (int i = 0; i < 20; ++i)
        book.addSheet(QStringLiteral("S%1").arg(i));
    Workbook moved(std::move(book));
    EXPECT_EQ(p.text(1, 1), s("kept"));
    EXPECT_EQ(moved.sheetAt(0)->text(1, 1), s("kept"));

    EXPECT_EQ(p.rename(s("S3")), SheetNameError::Duplicate);
    EXPECT_EQ(p.rename(s("PROTOCOLLO")), SheetNameError::None);  // own name, other case
    EXPECT_EQ(p.name(), s("PROTOCOLLO"));

    const xls::Workbook taken = moved.takeData();
    EXPECT_EQ(taken.sheets.size(), 22u);
    EXPECT_EQ(moved.sheetCount(), 0);
    EXPECT_EQ(moved.data().styles.size(), 1u);
}

TEST(WorkbookSheets, SheetByNameInTheModel)
{
    xls::Workbook model;
    model.sheets.resize(2);
    model.sheets[0].name = s("Città");
    model.sheets[1].name = s("РУБРИКА");
    EXPECT_EQ(model.sheetByName(s("CITTÀ")), &model.sheets[0]);
    EXPECT_EQ(model.sheetByName(s("рубрика")), &model.sheets[1]);
    EXPECT_EQ(model.sheetByName(s("Citta")), nullptr);
    const xls::Workbook& constModel = model;
    EXPECT_EQ(constModel.sheetByName(s("città")), &model.sheets[0]);

    xls::Style bold;
    bold.font.weight = 700;
    EXPECT_EQ(model.internStyle(xls::Style{}), 0);
    EXPECT_EQ(model.internStyle(bold), 1);
    EXPECT_EQ(model.internStyle(bold), 1);
    EXPECT_EQ(model.styles.size(), 2u);
}

TEST(SheetLists, TheRunDownAColumnAndItsFirstEmptyCell)
{
    OneSheet one;
    Sheet& sheet = one.sheet;
    EXPECT_EQ(sheet.firstEmptyRow(2), 1);
    EXPECT_TRUE(sheet.columnTextsDown(1, 2).isEmpty());
    sheet.setText(1, 2, s("Intestazione"));
    sheet.setText(2, 2, s("ALFA"));
    sheet.setNumber(3, 2, 7);
    sheet.setText(5, 2, s("dopo il vuoto"));
    sheet.setText(9, 4, s("altra colonna"));
    EXPECT_EQ(sheet.columnTextsDown(1, 2), (QStringList{s("Intestazione"), s("ALFA"), s("7")}));
    EXPECT_EQ(sheet.columnTextsDown(2, 2), (QStringList{s("ALFA"), s("7")}));
    EXPECT_EQ(sheet.firstEmptyRow(2), 4) << "a gap is filled first";
    EXPECT_EQ(sheet.firstEmptyRow(1), 1);
    sheet.setText(4, 2, s("x"));
    EXPECT_EQ(sheet.firstEmptyRow(2), 6);
}
