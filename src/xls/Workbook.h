#pragma once

// The plain content of a BIFF8 workbook as the reader fills it and the writer
// stores it: sheets, cells, cell styles, widths, heights, panes and page setup.
// No behaviour beyond small helpers; the spreadsheet operations live in store.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quadrilo::xls {

inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;
inline constexpr int kMaxSheetNameLength = 31;

enum class CellKind : std::uint8_t { Empty, Text, Number, Boolean, Error };

// Error codes as BIFF stores them.
enum class CellError : std::uint8_t {
    Null = 0x00,
    DivZero = 0x07,
    Value = 0x0F,
    Ref = 0x17,
    Name = 0x1D,
    Num = 0x24,
    NA = 0x2A,
};

struct Cell {
    CellKind kind = CellKind::Empty;
    std::uint8_t code = 0;     // Boolean: 0/1; Error: a CellError value
    std::uint16_t style = 0;   // index into Workbook::styles; 0 = default style
    double number = 0;         // Number (dates are numbers with a date format)
    QString text;              // Text

    bool isEmpty() const { return kind == CellKind::Empty; }
    bool operator==(const Cell&) const = default;
};

struct Row {
    std::vector<Cell> cells;        // index = column; may be shorter than the sheet
    std::uint16_t heightTwips = 0;  // 0 = the sheet's default height
    bool customHeight = false;      // height set by hand (not to be auto-fitted)
    bool hidden = false;

    bool operator==(const Row&) const = default;
};

struct Column {
    std::uint16_t width = 0;   // in 1/256 of a character width; 0 = the sheet's default
    std::uint16_t style = 0;   // style of empty cells in the column; 0 = default style
    bool hidden = false;

    bool operator==(const Column&) const = default;
};

enum class HorizontalAlignment : std::uint8_t {
    General = 0, Left = 1, Center = 2, Right = 3, Fill = 4, Justify = 5, CenterAcross = 6, Distributed = 7
};
enum class VerticalAlignment : std::uint8_t { Top = 0, Center = 1, Bottom = 2, Justify = 3, Distributed = 4 };
enum class ReadingOrder : std::uint8_t { Context = 0, LeftToRight = 1, RightToLeft = 2 };

struct Font {
    QString name = QStringLiteral("Arial");
    std::uint16_t heightTwips = 200;  // 1/20 point
    std::uint16_t weight = 400;       // 400 normal, 700 bold
    bool italic = false;
    bool strikeOut = false;
    std::uint8_t underline = 0;
    std::uint16_t color = 0x7FFF;     // 0x7FFF = automatic
    std::uint16_t escapement = 0;     // 0 none, 1 superscript, 2 subscript
    std::uint8_t family = 0;
    std::uint8_t charset = 0;

    bool operator==(const Font&) const = default;
};

struct Style {
    Font font;
    QString numberFormat = QStringLiteral("General");
    HorizontalAlignment horizontal = HorizontalAlignment::General;
    VerticalAlignment vertical = VerticalAlignment::Bottom;
    bool wrap = false;
    std::uint8_t rotation = 0;   // 0 none, 1-90 up, 91-180 down, 255 stacked
    std::uint8_t indent = 0;     // 0..15
    bool shrinkToFit = false;
    ReadingOrder readingOrder = ReadingOrder::Context;
    bool locked = true;
    bool formulaHidden = false;
    // Borders and fill, kept as the file stores them (XF bytes 10-19).
    std::uint32_t borderLines = 0;
    std::uint32_t borderColors = 0;
    std::uint16_t fillColors = 0x20C0;

    bool operator==(const Style&) const = default;
};

// A rectangle of cells, 0-based and inclusive.
struct CellRange {
    int firstRow = 0;
    int lastRow = 0;
    int firstColumn = 0;
    int lastColumn = 0;

    bool operator==(const CellRange&) const = default;
};

// Inclusive 0-based span of rows or columns.
struct Span {
    int first = 0;
    int last = 0;

    bool operator==(const Span&) const = default;
};

enum class Orientation : std::uint8_t { Portrait, Landscape };

struct PageSetup {
    QString header;               // with &L &C &R ... codes; empty = none
    QString footer;
    double leftMargin = 0.75;     // inches
    double rightMargin = 0.75;
    double topMargin = 1.0;
    double bottomMargin = 1.0;
    double headerMargin = 0.5;
    double footerMargin = 0.5;
    bool centerHorizontally = false;
    bool centerVertically = false;
    bool printGridlines = false;
    bool printHeadings = false;
    bool fitToPage = false;       // use fitWidth/fitHeight instead of scale
    std::uint16_t fitWidth = 1;   // pages wide; 0 = as many as needed
    std::uint16_t fitHeight = 1;  // pages tall; 0 = as many as needed
    std::uint16_t scale = 100;    // percent
    std::uint16_t paperSize = 0;  // 9 = A4; 0 = printer default
    Orientation orientation = Orientation::Portrait;
    bool printerSettingsValid = false;  // paper size, scale, orientation, copies, resolution set
    bool overThenDown = false;    // page order: false = down, then over
    bool blackAndWhite = false;
    bool draft = false;
    bool printNotes = false;
    std::uint8_t printErrors = 0; // 0 displayed, 1 blank, 2 "--", 3 "#N/A"
    std::optional<std::uint16_t> firstPageNumber;  // empty = automatic
    std::uint16_t horizontalResolution = 600;
    std::uint16_t verticalResolution = 600;
    std::uint16_t copies = 1;
    std::vector<std::uint16_t> rowBreaks;     // first row below each break, ascending
    std::vector<std::uint16_t> columnBreaks;  // first column right of each break, ascending
    std::vector<CellRange> printArea;          // empty = whole sheet
    std::optional<Span> titleRows;             // rows repeated at top
    std::optional<Span> titleColumns;          // columns repeated at left

    bool operator==(const PageSetup&) const = default;
};

enum class SheetVisibility : std::uint8_t { Visible = 0, Hidden = 1, VeryHidden = 2 };

struct Sheet {
    QString name;
    SheetVisibility visibility = SheetVisibility::Visible;
    std::vector<Row> rows;                  // index = row; may be shorter than the sheet
    std::array<Column, kMaxColumns> columns{};
    std::uint16_t defaultColumnWidth = 8;   // DEFCOLWIDTH, in characters
    std::optional<std::uint16_t> standardWidth;  // STANDARDWIDTH, 1/256 character
    std::uint16_t defaultRowHeightTwips = 255;
    // Frozen panes: the rows above and the columns left of the split stay in view.
    int frozenRows = 0;
    int frozenColumns = 0;
    int topRow = 0;        // first row shown (below the split when frozen)
    int leftColumn = 0;    // first column shown (right of the split when frozen)
    int activeRow = 0;     // the active cell
    int activeColumn = 0;
    std::uint16_t zoom = 100;   // percent
    bool showGridlines = true;
    std::vector<CellRange> mergedCells;
    PageSetup pageSetup;

    bool operator==(const Sheet&) const = default;

    const Cell* cellAt(int row, int column) const
    {
        if (row < 0 || column < 0 || row >= static_cast<int>(rows.size()))
            return nullptr;
        const auto& cells = rows[static_cast<std::size_t>(row)].cells;
        return column < static_cast<int>(cells.size()) ? &cells[static_cast<std::size_t>(column)] : nullptr;
    }
};

enum class DateSystem : std::uint8_t { Date1900, Date1904 };

// Content the reader met but does not keep: the writer cannot store it back.
enum class DroppedContent : std::uint32_t {
    None = 0,
    Formulas = 1u << 0,          // kept only as their last computed values
    Charts = 1u << 1,
    Pictures = 1u << 2,          // drawings, pictures, shapes, form controls
    Comments = 1u << 3,
    Macros = 1u << 4,            // VBA project, macro sheets
    Hyperlinks = 1u << 5,
    DataValidation = 1u << 6,
    ConditionalFormats = 1u << 7,
    DefinedNames = 1u << 8,      // names other than print area and print titles
    Protection = 1u << 9,        // sheet or workbook protection
    RichText = 1u << 10,         // character-level formatting inside a cell
    OtherStreams = 1u << 11,     // document properties and other parts of the container
    AutoFilter = 1u << 12,
};

constexpr DroppedContent operator|(DroppedContent a, DroppedContent b)
{
    return static_cast<DroppedContent>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr DroppedContent& operator|=(DroppedContent& a, DroppedContent b) { return a = a | b; }
constexpr bool hasAny(DroppedContent set, DroppedContent flags)
{
    return (static_cast<std::uint32_t>(set) & static_cast<std::uint32_t>(flags)) != 0;
}

struct Workbook {
    std::vector<Sheet> sheets;
    std::vector<Style> styles{Style{}};   // styles[0] is the default style
    DateSystem dateSystem = DateSystem::Date1900;
    int activeSheet = 0;
    DroppedContent dropped = DroppedContent::None;  // filled by the reader

    bool operator==(const Workbook&) const = default;

    // Index of an equal style, added when missing.
    std::uint16_t internStyle(const Style& style);
    Sheet* sheetByName(const QString& name);
    const Sheet* sheetByName(const QString& name) const;
};

// The width of columns without their own, in 1/256 of a character.
inline std::uint16_t defaultColumnWidthUnits(const Sheet& sheet)
{
    if (sheet.standardWidth)
        return *sheet.standardWidth;
    // DEFCOLWIDTH counts digits without padding: Excel's 8 becomes 64 pixels at
    // 7 pixels a digit, 2340 units ("8.43 characters").
    const double units = (sheet.defaultColumnWidth * 7.0 + 8.0) / 7.0 * 256.0;
    return static_cast<std::uint16_t>(units < 65535.0 ? units : 65535.0);
}

// True for number formats that show dates or times.
bool isDateFormat(const QString& numberFormat);

} // namespace quadrilo::xls
