#include "printing/SheetPrint.h"

#include "store/CellValue.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>

#include <cmath>

namespace quadrilo::printing {

namespace {

constexpr double kPointsPerInch = 72;
constexpr int kHeaderFontPoints = 10;
constexpr int kCellFontPoints = 10;
constexpr double kCellPadding = 2;

// Widths of columns are measured in Arial: its metric twin first.
QFont printFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    return font;
}

// A column's width in points: characters of the default font's digit, as a
// spreadsheet converts them (7 pixels a digit plus 5 of padding, at 96 dpi).
double columnPoints(const store::Sheet& sheet, int column)
{
    const double characters = sheet.columnWidth(column);
    if (characters <= 0)
        return 0;
    return (std::trunc(characters * 7 + 0.5) + 5) * 0.75;
}

struct Layout {
    store::RangeRef range;
    std::vector<double> widths;   // per column of range
    std::vector<double> heights;  // per row of range
    QSizeF paper;                 // points
    QRectF body;                  // points: the paper less the margins
    double scale = 1;
    // Leading rows and columns of range repeated on every page.
    int titleRows = 0;
    int titleColumns = 0;
    // Row and column ranges of the pages, down then across.
    std::vector<std::pair<int, int>> rowPages;
    std::vector<std::pair<int, int>> columnPages;
};

// How many of the first count lines, from first (0-based), a title span covers.
int titleCount(const std::optional<xls::Span>& span, int first, int count)
{
    if (!span || span->first > first || span->last < first)
        return 0;
    return std::min(span->last - first + 1, count);
}

// Cuts sizes (in sheet points) from index start on into runs that fit
// length at scale, after the titles (the sizes before start).
std::vector<std::pair<int, int>> cut(const std::vector<double>& sizes, int start, double length, double scale)
{
    for (int i = 0; i < start; ++i)
        length -= sizes[static_cast<size_t>(i)] * scale;
    std::vector<std::pair<int, int>> runs;
    int first = start;
    double used = 0;
    for (int i = start; i < static_cast<int>(sizes.size()); ++i) {
        const double size = sizes[static_cast<size_t>(i)] * scale;
        if (used > 0 && used + size > length + 0.01) {
            runs.emplace_back(first, i - 1);
            first = i;
            used = 0;
        }
        used += size;
    }
    if (static_cast<int>(sizes.size()) > start)
        runs.emplace_back(first, static_cast<int>(sizes.size()) - 1);
    else if (start > 0)
        runs.emplace_back(start, start - 1);  // titles alone
    return runs;
}

Layout makeLayout(const store::Sheet& sheet)
{
    const xls::PageSetup& setup = sheet.pageSetup();
    Layout layout;
    layout.range = printRange(sheet);
    for (int column = layout.range.first.column; column <= layout.range.last.column; ++column)
        layout.widths.push_back(columnPoints(sheet, column));
    for (int row = layout.range.first.row; row <= layout.range.last.row; ++row)
        layout.heights.push_back(sheet.rowHeight(row));

    layout.paper = pageLayout(setup).fullRect(QPageLayout::Point).size();
    layout.body = QRectF(setup.leftMargin * kPointsPerInch, setup.topMargin * kPointsPerInch,
                         layout.paper.width() - (setup.leftMargin + setup.rightMargin) * kPointsPerInch,
                         layout.paper.height() - (setup.topMargin + setup.bottomMargin) * kPointsPerInch);
    double totalWidth = 0;
    for (double width : layout.widths)
        totalWidth += width;
    double totalHeight = 0;
    for (double height : layout.heights)
        totalHeight += height;
    if (setup.fitToPage) {
        // Fit to so many pages wide and tall (0: as many as needed); never enlarged.
        double scale = 1;
        if (setup.fitWidth > 0 && totalWidth > 0)
            scale = std::min(scale, layout.body.width() * setup.fitWidth / totalWidth);
        if (setup.fitHeight > 0 && totalHeight > 0)
            scale = std::min(scale, layout.body.height() * setup.fitHeight / totalHeight);
        layout.scale = std::max(scale, 0.1);
    } else {
        layout.scale = std::clamp(setup.scale / 100.0, 0.1, 4.0);
    }
    layout.titleRows = titleCount(setup.titleRows, layout.range.first.row - 1, static_cast<int>(layout.heights.size()));
    layout.titleColumns = titleCount(setup.titleColumns, layout.range.first.column - 1, static_cast<int>(layout.widths.size()));
    layout.rowPages = cut(layout.heights, layout.titleRows, layout.body.height(), layout.scale);
    layout.columnPages = cut(layout.widths, layout.titleColumns, layout.body.width(), layout.scale);
    return layout;
}

void drawPage(QPainter& painter, const store::Sheet& sheet, const Layout& layout, std::pair<int, int> rows,
              std::pair<int, int> columns)
{
    const xls::PageSetup& setup = sheet.pageSetup();
    const QString header = centreSection(setup.header);
    if (!header.isEmpty()) {
        // Sizes in the drawing's own units, which are points.
        QFont font = printFont();
        font.setPixelSize(kHeaderFontPoints);
        painter.setFont(font);
        const QRectF band(0, setup.headerMargin * kPointsPerInch, layout.paper.width(), kHeaderFontPoints * 2);
        painter.drawText(band, Qt::AlignHCenter | Qt::AlignTop, header);
    }

    painter.save();
    painter.translate(layout.body.topLeft());
    painter.scale(layout.scale, layout.scale);
    QFont font = printFont();
    font.setPixelSize(kCellFontPoints);
    painter.setFont(font);
    QPen grid(QColor(160, 160, 160));
    grid.setWidthF(0.5 / layout.scale);
    // The titles first, then the page's own rows and columns.
    std::vector<int> rowIndexes;
    for (int r = 0; r < layout.titleRows; ++r)
        rowIndexes.push_back(r);
    for (int r = rows.first; r <= rows.second; ++r)
        rowIndexes.push_back(r);
    std::vector<int> columnIndexes;
    for (int c = 0; c < layout.titleColumns; ++c)
        columnIndexes.push_back(c);
    for (int c = columns.first; c <= columns.second; ++c)
        columnIndexes.push_back(c);
    double y = 0;
    for (int r : rowIndexes) {
        const double height = layout.heights[static_cast<size_t>(r)];
        double x = 0;
        for (int c : columnIndexes) {
            const double width = layout.widths[static_cast<size_t>(c)];
            if (width <= 0 || height <= 0)
                continue;
            const QRectF cell(x, y, width, height);
            const int row = layout.range.first.row + r;
            const int column = layout.range.first.column + c;
            const QString text = sheet.text(row, column);
            if (!text.isEmpty()) {
                const store::CellValue value = sheet.value(row, column);
                const Qt::Alignment align = (value.isNumber() || value.isDate() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
                if (text.contains(QLatin1Char('\n'))) {
                    // Lines of their own (a label): wrapped from the top left, a little smaller.
                    QFont small = painter.font();
                    small.setPixelSize(kCellFontPoints - 1);
                    painter.save();
                    painter.setFont(small);
                    painter.drawText(cell.adjusted(kCellPadding * 4, kCellPadding, -kCellPadding, 0),
                                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
                    painter.restore();
                } else {
                    painter.drawText(cell.adjusted(kCellPadding, 0, -kCellPadding, 0), align | Qt::TextSingleLine, text);
                }
            }
            if (setup.printGridlines) {
                painter.setPen(grid);
                painter.drawRect(cell);
                painter.setPen(QPen());
            }
            x += width;
        }
        y += height;
    }
    painter.restore();
}

} // namespace

store::RangeRef printRange(const store::Sheet& sheet)
{
    const auto& area = sheet.pageSetup().printArea;
    if (!area.empty()) {
        const xls::CellRange& first = area.front();
        return store::RangeRef::cells(first.firstRow + 1, first.firstColumn + 1, first.lastRow + 1, first.lastColumn + 1);
    }
    return store::RangeRef::cells(1, 1, std::max(1, sheet.lastUsedRow()), std::max(1, sheet.lastUsedColumn()));
}

QPageLayout pageLayout(const xls::PageSetup& setup)
{
    // Paper codes as the file stores them: 9 A4, 1 Letter, 8 A3, 11 A5, 5 Legal.
    QPageSize::PageSizeId size = QPageSize::A4;
    switch (setup.paperSize) {
    case 1: size = QPageSize::Letter; break;
    case 5: size = QPageSize::Legal; break;
    case 8: size = QPageSize::A3; break;
    case 11: size = QPageSize::A5; break;
    default: break;
    }
    return QPageLayout(QPageSize(size),
                       setup.orientation == xls::Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

QString centreSection(const QString& headerText)
{
    const qsizetype start = headerText.indexOf(QLatin1String("&C"));
    if (start < 0)
        return headerText.contains(QLatin1Char('&')) ? QString() : headerText;
    QString text = headerText.mid(start + 2);
    for (const char* code : {"&L", "&R"})
        if (const qsizetype end = text.indexOf(QLatin1String(code)); end >= 0)
            text.truncate(end);
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

PrintPlan planPrint(const store::Sheet& sheet)
{
    const Layout layout = makeLayout(sheet);
    return PrintPlan{layout.scale, static_cast<int>(layout.rowPages.size() * layout.columnPages.size()),
                     static_cast<int>(layout.rowPages.size())};
}

PrintPlan printSheet(QPagedPaintDevice& device, const store::Sheet& sheet, std::optional<int> onlyPage,
                     const PageProgress& progress)
{
    const Layout layout = makeLayout(sheet);
    device.setPageLayout(pageLayout(sheet.pageSetup()));
    QPainter painter(&device);
    // Draw in points over the whole sheet of paper.
    painter.setWindow(0, 0, static_cast<int>(layout.paper.width()), static_cast<int>(layout.paper.height()));
    painter.setViewport(0, 0, device.width(), device.height());
    const int total = onlyPage ? 1 : static_cast<int>(layout.rowPages.size() * layout.columnPages.size());
    int page = 0;
    int drawn = 0;
    for (const auto& columns : layout.columnPages)
        for (const auto& rows : layout.rowPages) {
            ++page;
            if (onlyPage && *onlyPage != page)
                continue;
            if (drawn > 0)
                device.newPage();
            drawPage(painter, sheet, layout, rows, columns);
            ++drawn;
            if (progress)
                progress(drawn, total);
        }
    painter.end();
    return PrintPlan{layout.scale, drawn, static_cast<int>(layout.rowPages.size())};
}

} // namespace quadrilo::printing
