#pragma once

// One worksheet of an open Workbook, with the spreadsheet operations the program
// uses, modelled on Excel's object model. Rows and columns are 1-based (row
// 1..65536, column 1..256).
//
// A Sheet is a light handle (workbook state plus sheet index): cheap to copy,
// valid as long as its Workbook lives and until Workbook::takeData(). Reads of
// cells outside the sheet give empty results; writes there return false and
// change nothing. Every write sets the workbook's modified flag.

#include "store/CellAddress.h"
#include "store/CellValue.h"
#include "store/Workbook.h"
#include "xls/Workbook.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quadrilo::store {

class Sheet {
public:
    // Text rotation for setRotation(): letters stacked top to bottom.
    static constexpr int kStackedRotation = 255;
    // Characters a cell holds in the file format.
    static constexpr qsizetype kMaxTextLength = 32767;

    QString name() const;
    // 0-based position in tab order.
    int index() const { return m_index; }
    SheetNameError rename(const QString& name);
    // Makes this the workbook's active sheet.
    void activate();

    // --- Reading -------------------------------------------------------------
    // The cell's value; numbers with a date format read as dates.
    CellValue value(int row, int column) const;
    // The displayed text: "" for an empty cell, texts as stored, "VERO"/"FALSO",
    // error codes ("#N/A"), dates "dd/MM/yyyy" (plus " HH:mm:ss" when the format
    // shows a time), numbers as numberText() ("1234", "0,974").
    QString text(int row, int column) const;
    // Displayed texts of columns first..last of one row.
    QStringList rowTexts(int row, int firstColumn, int lastColumn) const;
    // Displayed texts of the column from firstRow down to the first empty cell.
    QStringList columnTextsDown(int firstRow, int column) const;
    bool isEmpty(int row, int column) const;
    // Number format of the cell, or of its column for a cell that has none.
    QString numberFormat(int row, int column) const;

    // --- Typed writes (the style stays; a new cell takes its column's style) ---
    // An empty text clears the value, as Excel does. A text longer than a cell
    // holds (kMaxTextLength) is refused and the cell left as it was.
    bool setText(int row, int column, const QString& text);
    // A number that is not finite is stored as #NUM!.
    bool setNumber(int row, int column, double number);
    // Write the serial and give the cell the format "dd/mm/yyyy" (with time
    // "dd/mm/yyyy hh:mm:ss") unless its format already shows a date. False for
    // invalid dates and dates the workbook's date system cannot hold.
    bool setDate(int row, int column, QDate date);
    bool setDateTime(int row, int column, const QDateTime& dateTime);
    bool setBoolean(int row, int column, bool value);
    // Writes any value: dates as setDate()/setDateTime() do.
    bool setValue(int row, int column, const CellValue& value);
    // Removes the value, keeps the style.
    bool clear(int row, int column);
    void clearContents(const RangeRef& range);

    // --- Navigation (Excel's End(...) rules over non-empty cells; rows and
    // columns returned 1-based, 0 for a start outside the sheet) ---------------
    // From a non-empty cell with a non-empty cell below: the last cell of that
    // block; otherwise the next non-empty cell below, or 65536 when there is none.
    int endDown(int row, int column) const;
    // The same upwards; 1 when nothing is above.
    int endUp(int row, int column) const;
    int endRight(int row, int column) const;
    int endLeft(int row, int column) const;
    // End(xlUp) from row 65536: the last non-empty row of the column, 1 when the
    // column is empty. As in Excel, a value in row 65536 itself makes it the top
    // of that bottom block, or the next value above a lone one (1 if none).
    int lastFilledRow(int column) const;
    // Last row / column holding a value, 0 when the sheet has none.
    int lastUsedRow() const;
    // The first row, from row 1 down, whose cell in column is empty: where a
    // new entry of a list goes. nullopt when every row of the sheet is filled.
    std::optional<int> firstEmptyRow(int column) const;
    int lastUsedColumn() const;
    // Number of cells holding a value.
    int cellCount() const;

    // --- Rows and blocks -------------------------------------------------------
    // EntireRow.Delete: the rows below move up one, with their heights; page
    // breaks, merged cells, print area and print titles below move with them.
    bool deleteRow(int row);
    // Sorts the rows of block by the cell in keyColumn (a sheet column inside
    // the block), stably. Ascending: numbers and dates, texts (Italian,
    // case-insensitive), FALSE, TRUE, errors; descending reverses that; empty
    // keys always go last. Only the block's columns move; cells take their
    // styles along; heights stay. With hasHeader the first row stays in place.
    // False for an invalid block or a key column outside it.
    bool sort(const RangeRef& block, int keyColumn, bool ascending, bool hasHeader);

    // --- Formats ---------------------------------------------------------------
    // Whole-column ranges set the columns' styles and those of their existing
    // cells; other ranges format every cell of the range.
    void setNumberFormat(const RangeRef& range, const QString& numberFormat);
    void setHorizontalAlignment(const RangeRef& range, xls::HorizontalAlignment alignment);
    void setVerticalAlignment(const RangeRef& range, xls::VerticalAlignment alignment);
    void setWrap(const RangeRef& range, bool wrap);
    // 0..15; false otherwise.
    bool setIndent(const RangeRef& range, int indent);
    void setShrinkToFit(const RangeRef& range, bool shrink);
    // Degrees -90..90 (positive: counter-clockwise) or kStackedRotation.
    bool setRotation(const RangeRef& range, int degrees);
    void setReadingOrder(const RangeRef& range, xls::ReadingOrder order);
    // 1..409 points; false otherwise.
    bool setFontSize(const RangeRef& range, double points);
    void setBold(const RangeRef& range, bool bold);
    // Removes every merged area that overlaps range.
    void unmerge(const RangeRef& range);
    // Rotation 0, indent 0, no shrink to fit, reading order by context, unmerged.
    void resetAlignment(const RangeRef& range);
    // Applies edit to the style of every cell of range (same rules as
    // setNumberFormat); styles are interned once per distinct old style.
    void editStyles(const RangeRef& range, const std::function<void(xls::Style&)>& edit);

    // --- Sizes -----------------------------------------------------------------
    // Column widths from the displayed texts of the range's cells (estimated
    // with Arial-like character widths, scaled by the font size); columns with
    // nothing to show get the default width; hidden columns are left alone.
    void autoFitColumns(const RangeRef& range);
    void autoFitColumns();
    // Points (0 hides the row); false outside 0..409.5.
    bool setRowHeight(int row, double points);
    // Points; the default height for rows without their own, 0 for hidden rows.
    double rowHeight(int row) const;
    // Characters of the default font's digit width (0 hides the column); false
    // outside 0..255.
    bool setColumnWidth(int column, double characters);
    // Characters with two decimals (8.43 for Excel's default), 0 when hidden.
    double columnWidth(int column) const;

    // --- Window ----------------------------------------------------------------
    // As ActiveWindow.FreezePanes with topLeft selected: the rows above and the
    // columns left of it stay in view. A1 unfreezes.
    void freezePanes(CellRef topLeft);
    void unfreeze();
    int frozenRows() const;
    int frozenColumns() const;
    // The area the user may scroll to, "" for no limit. Kept in memory only (the
    // file has no place for it); setScrollArea() stores the absolute address and
    // returns false for an invalid one.
    QString scrollArea() const;
    bool setScrollArea(const QString& area);
    CellRef activeCell() const;
    void select(CellRef cell);

    const xls::PageSetup& pageSetup() const;
    // For changing the page setup; sets the modified flag.
    xls::PageSetup& editPageSetup();

    // The underlying model, for fast read-only scans.
    const xls::Sheet& data() const;

private:
    friend class Workbook;
    Sheet(Workbook::State* state, int index) : m_state(state), m_index(index) {}

    xls::Sheet& sheet() const;
    void touch() const;
    std::uint16_t effectiveStyle(int row0, int column0) const;
    // The cell at 0-based row0/column0, created when missing; a cell without a
    // style takes its column's.
    xls::Cell& cellForWrite(int row0, int column0);
    bool writeDate(int row, int column, double serial, bool withTime);

    Workbook::State* m_state;
    int m_index;
};

} // namespace quadrilo::store
