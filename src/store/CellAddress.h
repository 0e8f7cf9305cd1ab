#pragma once

// Cell and range addresses as the spreadsheet writes them ("A1", "$K$2:$P$100",
// "I:I", "2:2"). Rows and columns are 1-based here: row 1..65536, column 1..256
// (column 1 = A), unlike the 0-based xls model.

#include <QString>
#include <QStringView>

#include <optional>

namespace quadrilo::store {

inline constexpr int kMaxRow = 65536;
inline constexpr int kMaxColumn = 256;

struct CellRef {
    int row = 1;
    int column = 1;

    bool isValid() const { return row >= 1 && row <= kMaxRow && column >= 1 && column <= kMaxColumn; }
    bool operator==(const CellRef&) const = default;
};

// An inclusive rectangle. Ranges made by parseRange() or the helpers below are
// normalised (first is top-left, last is bottom-right).
struct RangeRef {
    CellRef first;
    CellRef last;

    static RangeRef cell(int row, int column) { return {{row, column}, {row, column}}; }
    static RangeRef cells(int firstRow, int firstColumn, int lastRow, int lastColumn)
    {
        return {{firstRow, firstColumn}, {lastRow, lastColumn}};
    }
    static RangeRef columns(int firstColumn, int lastColumn) { return {{1, firstColumn}, {kMaxRow, lastColumn}}; }
    static RangeRef rows(int firstRow, int lastRow) { return {{firstRow, 1}, {lastRow, kMaxColumn}}; }
    static RangeRef wholeSheet() { return {{1, 1}, {kMaxRow, kMaxColumn}}; }

    // Both corners inside the sheet and first <= last.
    bool isValid() const
    {
        return first.isValid() && last.isValid() && first.row <= last.row && first.column <= last.column;
    }
    // Corners swapped where needed so that first is top-left.
    RangeRef normalized() const;
    bool isWholeColumns() const { return first.row == 1 && last.row == kMaxRow; }
    bool isWholeRows() const { return first.column == 1 && last.column == kMaxColumn; }
    int rowCount() const { return last.row - first.row + 1; }
    int columnCount() const { return last.column - first.column + 1; }
    bool contains(int row, int column) const
    {
        return row >= first.row && row <= last.row && column >= first.column && column <= last.column;
    }
    bool operator==(const RangeRef&) const = default;
};

// "A" for 1, "Z" for 26, "AA" for 27, "IV" for 256; empty outside 1..256.
QString columnName(int column);
// Column number of "A".."IV" (any case, no '$'); nullopt for anything else.
std::optional<int> parseColumnName(QStringView name);

// Excel's Range.Address: "$A$1" when absolute, "A1" when not. Empty for a cell
// outside the sheet.
QString address(int row, int column, bool absolute = true);
QString address(const CellRef& cell, bool absolute = true);
// "$A$1" for one cell, "$K$2:$P$100", whole columns "$A:$Q", whole rows "$2:$5"
// (relative forms without '$'). Empty for an invalid range.
QString address(const RangeRef& range, bool absolute = true);

// One cell: "A1", "$A$1", "a$1", up to "IV65536". Rejects row 0, numbers with a
// leading zero, columns beyond IV, rows beyond 65536, spaces and anything else.
std::optional<CellRef> parseCell(QStringView text);
// A cell ("B3" = B3:B3), a rectangle "K2:P100" (corners in any order), whole
// columns "I:I" / "$A:$Q" or whole rows "2:2" / "$2:$5". nullopt for garbage,
// mixed forms ("A1:B") and addresses outside the sheet.
std::optional<RangeRef> parseRange(QStringView text);

} // namespace quadrilo::store
