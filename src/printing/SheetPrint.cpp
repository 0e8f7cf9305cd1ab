#include "printing/SheetPrint.h"

#include "store/CellValue.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quadrilo::printing {

namespace {

constexpr double kPointsPerInch = 72;
constexpr int kHeaderFontPoints = 10;
constexpr int kCellFontPoints = 10;
constexpr double kCellPadding = 2;
// Room for the rounding of glyph positions at the printer's resolution.
constexpr double kMeasureSlack = 1.5;

// The page's font: Arial's metric twin first. Unhinted, so that what is
// measured is what is drawn at any resolution.
QFont printFont(int pixels)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A column's width in points as the workbook gives it: characters of the
// default font's digit, as a spreadsheet converts them (7 pixels a digit plus
// 5 of padding, at 96 dpi).
double columnPoints(const store::Sheet& sheet, int column)
{
    const double characters = sheet.columnWidth(column);
    if (characters <= 0)
        return 0;
    return (std::trunc(characters * 7 + 0.5) + 5) * 0.75;
}

// Texts of their own lines (a label) wrap in their cell as they stand.
bool isMultiLine(const QString& text) { return text.contains(QLatin1Char('\n')); }

// Long texts wrap between words; a word longer than the line (an address)
// is broken where it must.
QTextOption wrapping(Qt::Alignment alignment)
{
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// The height of text wrapped as drawn, at width.
double wrappedHeight(const QFont& font, const QString& text, double width)
{
    QTextLayout layout(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator), font);
    layout.setTextOption(wrapping(Qt::AlignLeft | Qt::AlignTop));
    layout.beginLayout();
    double height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1.0, width));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

struct Layout {
    store::RangeRef range;
    std::vector<double> widths;   // per column of range, widened to their texts
    std::vector<double> heights;  // per row of range, grown for wrapped texts
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

// The widest a text's lines, or its words, are in the page's font.
double widestPart(const QFontMetricsF& metrics, const QString& text, QChar separator)
{
    double widest = 0;
    for (const QString& part : text.split(separator))
        widest = std::max(widest, metrics.horizontalAdvance(part));
    return widest;
}

// The columns' widths for the page: each as wide as its longest line in the
// page's font (at most half the printable width), when the columns so fit
// across the page at the zoom; otherwise each at least as wide as its
// longest word, and the room left shared so that the columns that ask least
// (a date) get all they ask. A text wider than its column then wraps between
// words, and its row grows to hold it.
void fitTexts(const store::Sheet& sheet, Layout& layout, double scale)
{
    const QFontMetricsF metrics(printFont(kCellFontPoints));
    const auto textAt = [&](size_t r, size_t c) {
        return sheet.text(layout.range.first.row + static_cast<int>(r), layout.range.first.column + static_cast<int>(c));
    };
    const double padding = 2 * kCellPadding + kMeasureSlack;
    const double widest = std::max(72.0, layout.body.width() / 2);
    const size_t columns = layout.widths.size();
    std::vector<double> natural(columns, 0);
    std::vector<bool> holdsText(columns, false);
    for (size_t r = 0; r < layout.heights.size(); ++r)
        for (size_t c = 0; c < columns; ++c)
            if (const QString text = textAt(r, c); !text.isEmpty() && layout.widths[c] > 0) {
                holdsText[c] = true;
                natural[c] = std::max(natural[c], std::min(widest, widestPart(metrics, text, QLatin1Char('\n')) + padding));
            }
    for (size_t c = 0; c < columns; ++c)
        if (!holdsText[c])
            natural[c] = layout.widths[c];   // an empty column keeps the workbook's width
    const auto total = [](const std::vector<double>& widths) { return std::accumulate(widths.begin(), widths.end(), 0.0); };
    const double across = scale > 0 ? layout.body.width() / scale : total(natural);
    if (total(natural) <= across + 0.01) {
        layout.widths = natural;
    } else {
        std::vector<double> least(columns, 0);
        for (size_t r = 0; r < layout.heights.size(); ++r)
            for (size_t c = 0; c < columns; ++c)
                if (const QString text = textAt(r, c); !text.isEmpty() && layout.widths[c] > 0)
                    least[c] = std::max(least[c], std::min(natural[c], widestPart(metrics, QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')), QLatin1Char(' ')) + padding));
        for (size_t c = 0; c < columns; ++c)
            if (!holdsText[c])
                least[c] = std::min(natural[c], 24.0);
        layout.widths = least;
        double room = across - total(least);
        if (room > 0) {
            std::vector<size_t> order(columns);
            std::iota(order.begin(), order.end(), size_t{0});
            std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return natural[a] - least[a] < natural[b] - least[b]; });
            for (size_t i = 0; i < order.size(); ++i) {
                const size_t c = order[i];
                const double extra = std::min(natural[c] - least[c], room / static_cast<double>(order.size() - i));
                layout.widths[c] += extra;
                room -= extra;
            }
        }
    }
    for (size_t r = 0; r < layout.heights.size(); ++r) {
        if (layout.heights[r] <= 0)
            continue;
        for (size_t c = 0; c < columns; ++c) {
            const QString text = textAt(r, c);
            const double width = layout.widths[c];
            if (!text.isEmpty() && width > 0 && (isMultiLine(text) || metrics.horizontalAdvance(text) + padding > width))
                layout.heights[r] = std::max(layout.heights[r], wrappedHeight(printFont(kCellFontPoints), text, width - padding) + 2 * kCellPadding);
        }
    }
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
    // A zoom keeps its scale, and the texts fit the pages it gives; a fit to
    // the page takes its scale from the widened columns.
    fitTexts(sheet, layout, setup.fitToPage ? 0 : std::clamp(setup.scale / 100.0, 0.1, 4.0));
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

// The left, centre and right sections of a header or footer in the band at
// distance from the top (or, for a footer, from the bottom) of the paper.
void drawSections(QPainter& painter, const Layout& layout, const xls::PageSetup& setup, const Sections& sections, bool footer)
{
    if (sections.left.isEmpty() && sections.centre.isEmpty() && sections.right.isEmpty())
        return;
    painter.setFont(printFont(kHeaderFontPoints));
    const double height = kHeaderFontPoints * 2;
    const double top = footer ? layout.paper.height() - setup.footerMargin * kPointsPerInch - height
                              : setup.headerMargin * kPointsPerInch;
    const QRectF band(setup.leftMargin * kPointsPerInch, top,
                      layout.paper.width() - (setup.leftMargin + setup.rightMargin) * kPointsPerInch, height);
    const Qt::Alignment vertical = footer ? Qt::AlignBottom : Qt::AlignTop;
    painter.drawText(band, Qt::AlignLeft | vertical, sections.left);
    painter.drawText(QRectF(0, top, layout.paper.width(), height), Qt::AlignHCenter | vertical, sections.centre);
    painter.drawText(band, Qt::AlignRight | vertical, sections.right);
}

void drawPage(QPainter& painter, const store::Sheet& sheet, const Layout& layout, std::pair<int, int> rows,
              std::pair<int, int> columns, const PageFacts& facts)
{
    const xls::PageSetup& setup = sheet.pageSetup();
    drawSections(painter, layout, setup, headerSections(setup.header, facts), false);
    drawSections(painter, layout, setup, headerSections(setup.footer, facts), true);

    painter.save();
    painter.translate(layout.body.topLeft());
    painter.scale(layout.scale, layout.scale);
    painter.setFont(printFont(kCellFontPoints));
    const QFontMetricsF metrics(painter.font());
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
                if (isMultiLine(text) || metrics.horizontalAdvance(text) + 2 * kCellPadding + kMeasureSlack > width) {
                    // Lines of their own, or longer than the column: wrapped in the grown row.
                    painter.drawText(cell.adjusted(kCellPadding, kCellPadding, -kCellPadding - kMeasureSlack, 0),
                                     QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator), wrapping(Qt::AlignLeft | Qt::AlignTop));
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

Sections headerSections(const QString& text, const PageFacts& facts)
{
    Sections sections;
    QString* current = &sections.centre;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('&') || i + 1 >= size) {
            current->append(c);
            continue;
        }
        const QChar code = text[++i];
        switch (code.toUpper().unicode()) {
        case 'L': current = &sections.left; break;
        case 'C': current = &sections.centre; break;
        case 'R': current = &sections.right; break;
        case 'P': current->append(QString::number(facts.page)); break;
        case 'N': current->append(QString::number(facts.pages)); break;
        case 'D': current->append(facts.printedAt.toString(QStringLiteral("dd/MM/yyyy"))); break;
        case 'T': current->append(facts.printedAt.toString(QStringLiteral("HH:mm"))); break;
        case 'F': current->append(facts.fileName); break;
        case 'A': current->append(facts.sheetName); break;
        case '&': current->append(QLatin1Char('&')); break;
        case '"':   // &"font,style"
            while (i + 1 < size && text[i + 1] != QLatin1Char('"'))
                ++i;
            ++i;
            break;
        case 'K':   // &Krrggbb: a colour
            i = std::min(i + 6, size - 1);
            break;
        default:
            // &B &I &U &E &S &X &Y &G and font sizes (&10): formatting only.
            while (code.isDigit() && i + 1 < size && text[i + 1].isDigit())
                ++i;
            break;
        }
    }
    return sections;
}

PageFacts pageFacts(const QDateTime& now, const QString& workbookPath)
{
    PageFacts facts;
    facts.printedAt = now;
    facts.fileName = QFileInfo(workbookPath).fileName();
    return facts;
}

PrintPlan planPrint(const store::Sheet& sheet)
{
    const Layout layout = makeLayout(sheet);
    return PrintPlan{layout.scale, static_cast<int>(layout.rowPages.size() * layout.columnPages.size()),
                     static_cast<int>(layout.rowPages.size())};
}

PrintPlan printSheet(QPagedPaintDevice& device, const store::Sheet& sheet, std::optional<int> onlyPage,
                     const PageProgress& progress, const PageFacts& facts)
{
    const Layout layout = makeLayout(sheet);
    device.setPageLayout(pageLayout(sheet.pageSetup()));
    QPainter painter(&device);
    // Draw in points over the whole sheet of paper.
    painter.setWindow(0, 0, static_cast<int>(layout.paper.width()), static_cast<int>(layout.paper.height()));
    painter.setViewport(0, 0, device.width(), device.height());
    const int pages = static_cast<int>(layout.rowPages.size() * layout.columnPages.size());
    const int total = onlyPage ? 1 : pages;
    PageFacts page = facts;
    page.pages = pages;
    page.sheetName = sheet.name();
    if (!page.printedAt.isValid())
        page.printedAt = QDateTime::currentDateTime();
    PrintPlan plan{layout.scale, 0, static_cast<int>(layout.rowPages.size()), false};
    page.page = 0;
    for (const auto& columns : layout.columnPages)
        for (const auto& rows : layout.rowPages) {
            ++page.page;
            if (plan.cancelled || (onlyPage && *onlyPage != page.page))
                continue;
            if (plan.pages > 0)
                device.newPage();
            drawPage(painter, sheet, layout, rows, columns, page);
            ++plan.pages;
            if (progress && !progress(plan.pages, total))
                plan.cancelled = true;
        }
    painter.end();
    return plan;
}

} // namespace quadrilo::printing
