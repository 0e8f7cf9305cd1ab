#include "store/Sheet.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quadrilo::store {

namespace {

using xls::CellKind;

bool isValidCell(int row, int column)
{
    return CellRef{row, column}.isValid();
}

bool hasValue(const xls::Cell* cell)
{
    return cell && cell->kind != CellKind::Empty;
}

// An empty cell without a style of its own: a gap in a row's cell vector, shown
// with its column's style.
bool isPlaceholder(const xls::Cell& cell)
{
    return cell.kind == CellKind::Empty && cell.style == 0;
}

void clearValue(xls::Cell& cell)
{
    cell.kind = CellKind::Empty;
    cell.code = 0;
    cell.number = 0;
    cell.text.clear();
}

// Excel's End() walk along one line of cells. Positions are 0-based, edge is the
// last position in the direction of travel, extent bounds the positions that
// can hold a value.
template <typename HasValueAt>
int endMove(int from, int step, int edge, int extent, HasValueAt hasValueAt)
{
    if (from == edge)
        return from;
    if (hasValueAt(from) && hasValueAt(from + step)) {
        int at = from + step;
        while (at != edge && hasValueAt(at + step))
            at += step;
        return at;
    }
    if (step > 0) {
        for (int at = from + 1; at < extent; ++at) {
            if (hasValueAt(at))
                return at;
        }
        return edge;
    }
    for (int at = std::min(from - 1, extent - 1); at >= 0; --at) {
        if (hasValueAt(at))
            return at;
    }
    return edge;
}

// Column width conversions with a maximum digit width of 7 pixels (Arial 10 /
// Calibri 11 at 96 dpi) and Excel's 5 pixels of padding.
constexpr double kDigitPixels = 7;
constexpr double kPaddingPixels = 5;

std::uint16_t widthUnits(double characters)
{
    const double units = std::trunc((characters * kDigitPixels + kPaddingPixels) / kDigitPixels * 256);
    return static_cast<std::uint16_t>(std::clamp(units, 0.0, 65535.0));
}

double widthCharacters(double units)
{
    return std::trunc(((units / 256) * kDigitPixels - kPaddingPixels) / kDigitPixels * 100 + 0.5) / 100;
}

// Advance widths of Arial/Helvetica for ASCII 32..126, in 1/1000 em.
constexpr std::uint16_t kAsciiWidths[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  //  !"#$%&'()*+,-./
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0-9 :;<=>?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, // @A-O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // P-Z [\]^_
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // `a-o
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,       // p-z {|}~
};
constexpr double kDigitWidth = 556;

double characterWidth(QChar c)
{
    char16_t u = c.unicode();
    if (u > 126) {
        // Accented letters take the width of their base letter.
        const QString decomposed = c.decomposition();
        if (!decomposed.isEmpty() && decomposed[0].unicode() >= 32 && decomposed[0].unicode() <= 126)
            u = decomposed[0].unicode();
    }
    if (u >= 32 && u <= 126)
        return kAsciiWidths[u - 32] / kDigitWidth;
    if (u >= 0x2E80)
        return 1000 / kDigitWidth;  // CJK and other full-width characters
    return 1.0;
}

// Estimated width of a displayed text in digit widths of the default font.
double textWidth(const QString& text, const xls::Font& font)
{
    double widest = 0;
    double line = 0;
    for (const QChar c : text) {
        if (c == u'\n') {
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        line += characterWidth(c);
    }
    widest = std::max(widest, line);
    const double bold = font.weight >= 700 ? 1.08 : 1.0;
    return widest * (font.heightTwips / 200.0) * bold;
}

bool overlaps(const xls::CellRange& a, int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    return a.firstRow <= lastRow && a.lastRow >= firstRow && a.firstColumn <= lastColumn
        && a.lastColumn >= firstColumn;
}

// Keeps a 0-based row span in step with the deletion of row removed; false when
// the span consisted of that row alone.
bool shiftSpanForDeletedRow(int& first, int& last, int removed)
{
    if (last < removed)
        return true;
    if (first > removed) {
        --first;
        --last;
        return true;
    }
    if (first == last)
        return false;
    --last;
    return true;
}

} // namespace

// --- Handle basics -------------------------------------------------------------

xls::Sheet& Sheet::sheet() const
{
    Q_ASSERT(m_state && m_index >= 0 && m_index < static_cast<int>(m_state->data.sheets.size()));
    return m_state->data.sheets[static_cast<std::size_t>(m_index)];
}

void Sheet::touch() const
{
    m_state->modified = true;
}

const xls::Sheet& Sheet::data() const
{
    return sheet();
}

QString Sheet::name() const
{
    return sheet().name;
}

SheetNameError Sheet::rename(const QString& name)
{
    const SheetNameError error = Workbook::checkName(*m_state, name, m_index);
    if (error != SheetNameError::None)
        return error;
    sheet().name = name;
    touch();
    return SheetNameError::None;
}

void Sheet::activate()
{
    m_state->data.activeSheet = m_index;
}

std::uint16_t Sheet::effectiveStyle(int row0, int column0) const
{
    const xls::Sheet& s = sheet();
    const xls::Cell* cell = s.cellAt(row0, column0);
    if (cell && !isPlaceholder(*cell))
        return cell->style;
    return s.columns[static_cast<std::size_t>(column0)].style;
}

xls::Cell& Sheet::cellForWrite(int row0, int column0)
{
    xls::Sheet& s = sheet();
    const auto r = static_cast<std::size_t>(row0);
    const auto c = static_cast<std::size_t>(column0);
    if (s.rows.size() <= r)
        s.rows.resize(r + 1);
    auto& cells = s.rows[r].cells;
    if (cells.size() <= c)
        cells.resize(c + 1);
    xls::Cell& cell = cells[c];
    if (isPlaceholder(cell))
        cell.style = s.columns[c].style;
    return cell;
}

// --- Reading -------------------------------------------------------------------

CellValue Sheet::value(int row, int column) const
{
    if (!isValidCell(row, column))
        return {};
    const xls::Cell* cell = sheet().cellAt(row - 1, column - 1);
    if (!cell)
        return {};
    switch (cell->kind) {
    case CellKind::Empty:
        return {};
    case CellKind::Text:
        return CellValue::fromText(cell->text);
    case CellKind::Number:
        if (m_state->isDateStyle(cell->style))
            return CellValue::fromDateSerial(cell->number, m_state->data.dateSystem);
        return CellValue::fromNumber(cell->number);
    case CellKind::Boolean:
        return CellValue::fromBoolean(cell->code != 0);
    case CellKind::Error:
        return CellValue::fromError(static_cast<xls::CellError>(cell->code));
    }
    return {};
}

QString Sheet::text(int row, int column) const
{
    if (!isValidCell(row, column))
        return {};
    const xls::Cell* cell = sheet().cellAt(row - 1, column - 1);
    if (!cell)
        return {};
    switch (cell->kind) {
    case CellKind::Empty:
        return {};
    case CellKind::Text:
        return cell->text;
    case CellKind::Number:
        if (m_state->isDateStyle(cell->style))
            return dateText(cell->number, m_state->style(cell->style).numberFormat, m_state->data.dateSystem);
        return numberText(cell->number);
    case CellKind::Boolean:
        return cell->code != 0 ? QStringLiteral("VERO") : QStringLiteral("FALSO");
    case CellKind::Error:
        return errorText(static_cast<xls::CellError>(cell->code));
    }
    return {};
}

QStringList Sheet::rowTexts(int row, int firstColumn, int lastColumn) const
{
    QStringList texts;
    for (int column = firstColumn; column <= lastColumn; ++column)
        texts.append(text(row, column));
    return texts;
}

bool Sheet::isEmpty(int row, int column) const
{
    return !isValidCell(row, column) || !hasValue(sheet().cellAt(row - 1, column - 1));
}

QString Sheet::numberFormat(int row, int column) const
{
    if (!isValidCell(row, column))
        return {};
    return m_state->style(effectiveStyle(row - 1, column - 1)).numberFormat;
}

// --- Writing -------------------------------------------------------------------

bool Sheet::setText(int row, int column, const QString& text)
{
    if (!isValidCell(row, column))
        return false;
    if (text.isEmpty())
        return clear(row, column);
    if (text.size() > kMaxTextLength)
        return false;
    xls::Cell& cell = cellForWrite(row - 1, column - 1);
    clearValue(cell);
    cell.kind = CellKind::Text;
    cell.text = text;
    touch();
    return true;
}

bool Sheet::setNumber(int row, int column, double number)
{
    if (!isValidCell(row, column))
        return false;
    xls::Cell& cell = cellForWrite(row - 1, column - 1);
    clearValue(cell);
    if (std::isfinite(number)) {
        cell.kind = CellKind::Number;
        cell.number = number;
    } else {
        cell.kind = CellKind::Error;
        cell.code = static_cast<std::uint8_t>(xls::CellError::Num);
    }
    touch();
    return true;
}

bool Sheet::writeDate(int row, int column, double serial, bool withTime)
{
    xls::Cell& cell = cellForWrite(row - 1, column - 1);
    clearValue(cell);
    cell.kind = CellKind::Number;
    cell.number = serial;
    if (!m_state->isDateStyle(cell.style)) {
        xls::Style style = m_state->style(cell.style);
        style.numberFormat = withTime ? QStringLiteral("dd/mm/yyyy hh:mm:ss") : QStringLiteral("dd/mm/yyyy");
        cell.style = m_state->data.internStyle(style);
    }
    touch();
    return true;
}

bool Sheet::setDate(int row, int column, QDate date)
{
    if (!isValidCell(row, column))
        return false;
    const auto serial = toSerial(date, m_state->data.dateSystem);
    return serial && writeDate(row, column, *serial, false);
}

bool Sheet::setDateTime(int row, int column, const QDateTime& dateTime)
{
    if (!isValidCell(row, column))
        return false;
    const auto serial = toSerial(dateTime, m_state->data.dateSystem);
    return serial && writeDate(row, column, *serial, true);
}

bool Sheet::setBoolean(int row, int column, bool value)
{
    if (!isValidCell(row, column))
        return false;
    xls::Cell& cell = cellForWrite(row - 1, column - 1);
    clearValue(cell);
    cell.kind = CellKind::Boolean;
    cell.code = value ? 1 : 0;
    touch();
    return true;
}

bool Sheet::setValue(int row, int column, const CellValue& value)
{
    switch (value.kind()) {
    case CellValue::Kind::Empty:
        return clear(row, column);
    case CellValue::Kind::Text:
        return setText(row, column, value.text());
    case CellValue::Kind::Number:
        return setNumber(row, column, value.number());
    case CellValue::Kind::Date: {
        if (!isValidCell(row, column))
            return false;
        const bool withTime = value.dateTime().time().msecsSinceStartOfDay() != 0;
        if (value.dateSystem() == m_state->data.dateSystem)
            return writeDate(row, column, value.number(), withTime);
        const auto serial = toSerial(value.dateTime(), m_state->data.dateSystem);
        return serial && writeDate(row, column, *serial, withTime);
    }
    case CellValue::Kind::Boolean:
        return setBoolean(row, column, value.boolean());
    case CellValue::Kind::Error: {
        if (!isValidCell(row, column))
            return false;
        xls::Cell& cell = cellForWrite(row - 1, column - 1);
        clearValue(cell);
        cell.kind = CellKind::Error;
        cell.code = static_cast<std::uint8_t>(value.error());
        touch();
        return true;
    }
    }
    return false;
}

bool Sheet::clear(int row, int column)
{
    if (!isValidCell(row, column))
        return false;
    xls::Sheet& s = sheet();
    const auto r = static_cast<std::size_t>(row - 1);
    const auto c = static_cast<std::size_t>(column - 1);
    if (r < s.rows.size() && c < s.rows[r].cells.size())
        clearValue(s.rows[r].cells[c]);
    touch();
    return true;
}

void Sheet::clearContents(const RangeRef& range)
{
    const RangeRef r = range.normalized();
    if (!r.isValid())
        return;
    xls::Sheet& s = sheet();
    const int lastRow = std::min(r.last.row, static_cast<int>(s.rows.size()));
    for (int row = r.first.row; row <= lastRow; ++row) {
        auto& cells = s.rows[static_cast<std::size_t>(row - 1)].cells;
        const int lastColumn = std::min(r.last.column, static_cast<int>(cells.size()));
        for (int column = r.first.column; column <= lastColumn; ++column)
            clearValue(cells[static_cast<std::size_t>(column - 1)]);
    }
    touch();
}

// --- Navigation ----------------------------------------------------------------

int Sheet::endDown(int row, int column) const
{
    if (!isValidCell(row, column))
        return 0;
    const xls::Sheet& s = sheet();
    const auto hasValueAt = [&](int r) { return hasValue(s.cellAt(r, column - 1)); };
    return endMove(row - 1, 1, kMaxRow - 1, static_cast<int>(s.rows.size()), hasValueAt) + 1;
}

int Sheet::endUp(int row, int column) const
{
    if (!isValidCell(row, column))
        return 0;
    const xls::Sheet& s = sheet();
    const auto hasValueAt = [&](int r) { return hasValue(s.cellAt(r, column - 1)); };
    return endMove(row - 1, -1, 0, static_cast<int>(s.rows.size()), hasValueAt) + 1;
}

int Sheet::endRight(int row, int column) const
{
    if (!isValidCell(row, column))
        return 0;
    const xls::Sheet& s = sheet();
    const auto r = static_cast<std::size_t>(row - 1);
    const int extent = r < s.rows.size() ? static_cast<int>(s.rows[r].cells.size()) : 0;
    const auto hasValueAt = [&](int c) { return hasValue(s.cellAt(row - 1, c)); };
    return endMove(column - 1, 1, kMaxColumn - 1, extent, hasValueAt) + 1;
}

int Sheet::endLeft(int row, int column) const
{
    if (!isValidCell(row, column))
        return 0;
    const xls::Sheet& s = sheet();
    const auto r = static_cast<std::size_t>(row - 1);
    const int extent = r < s.rows.size() ? static_cast<int>(s.rows[r].cells.size()) : 0;
    const auto hasValueAt = [&](int c) { return hasValue(s.cellAt(row - 1, c)); };
    return endMove(column - 1, -1, 0, extent, hasValueAt) + 1;
}

int Sheet::lastFilledRow(int column) const
{
    return endUp(kMaxRow, column);
}

int Sheet::lastUsedRow() const
{
    const auto& rows = sheet().rows;
    for (std::size_t r = rows.size(); r-- > 0;) {
        for (const xls::Cell& cell : rows[r].cells) {
            if (cell.kind != CellKind::Empty)
                return static_cast<int>(r) + 1;
        }
    }
    return 0;
}

QStringList Sheet::columnTextsDown(int firstRow, int column) const
{
    QStringList texts;
    const int last = lastUsedRow();
    for (int row = firstRow; row <= last && !isEmpty(row, column); ++row)
        texts << text(row, column);
    return texts;
}

std::optional<int> Sheet::firstEmptyRow(int column) const
{
    // Below the last used row everything is empty.
    const int last = std::min(lastUsedRow() + 1, xls::kMaxRows);
    for (int row = 1; row <= last; ++row)
        if (isEmpty(row, column))
            return row;
    return std::nullopt;
}

int Sheet::lastUsedColumn() const
{
    int last = 0;
    for (const xls::Row& row : sheet().rows) {
        for (std::size_t c = row.cells.size(); c-- > static_cast<std::size_t>(last);) {
            if (row.cells[c].kind != CellKind::Empty) {
                last = static_cast<int>(c) + 1;
                break;
            }
        }
    }
    return last;
}

int Sheet::cellCount() const
{
    int count = 0;
    for (const xls::Row& row : sheet().rows) {
        for (const xls::Cell& cell : row.cells)
            count += cell.kind != CellKind::Empty ? 1 : 0;
    }
    return count;
}

// --- Rows and blocks -----------------------------------------------------------

bool Sheet::deleteRow(int row)
{
    if (row < 1 || row > kMaxRow)
        return false;
    xls::Sheet& s = sheet();
    const int removed = row - 1;
    if (removed < static_cast<int>(s.rows.size()))
        s.rows.erase(s.rows.begin() + removed);

    // A manual break sits above the row it belongs to and goes with it.
    auto& breaks = s.pageSetup.rowBreaks;
    std::vector<std::uint16_t> kept;
    kept.reserve(breaks.size());
    for (const std::uint16_t at : breaks) {
        if (at == removed)
            continue;
        const int moved = at > removed ? at - 1 : at;
        if (moved > 0 && (kept.empty() || kept.back() < moved))
            kept.push_back(static_cast<std::uint16_t>(moved));
    }
    breaks = std::move(kept);

    auto shiftRanges = [removed](std::vector<xls::CellRange>& ranges, bool dropSingleCells) {
        std::vector<xls::CellRange> result;
        result.reserve(ranges.size());
        for (xls::CellRange range : ranges) {
            if (!shiftSpanForDeletedRow(range.firstRow, range.lastRow, removed))
                continue;
            if (dropSingleCells && range.firstRow == range.lastRow && range.firstColumn == range.lastColumn)
                continue;
            result.push_back(range);
        }
        ranges = std::move(result);
    };
    shiftRanges(s.mergedCells, true);
    shiftRanges(s.pageSetup.printArea, false);

    if (auto& titles = s.pageSetup.titleRows) {
        if (!shiftSpanForDeletedRow(titles->first, titles->last, removed))
            titles.reset();
    }
    touch();
    return true;
}

bool Sheet::sort(const RangeRef& block, int keyColumn, bool ascending, bool hasHeader)
{
    const RangeRef b = block.normalized();
    if (!b.isValid() || keyColumn < b.first.column || keyColumn > b.last.column)
        return false;
    xls::Sheet& s = sheet();
    // Rows past the end of the sheet's rows are empty and stay last anyway.
    const int firstRow0 = b.first.row - 1 + (hasHeader ? 1 : 0);
    const int lastRow0 = std::min(b.last.row, static_cast<int>(s.rows.size())) - 1;
    touch();
    if (lastRow0 <= firstRow0)
        return true;
    const int count = lastRow0 - firstRow0 + 1;
    const int key0 = keyColumn - 1;

    enum Category : std::uint8_t { Numbers, Texts, Booleans, Errors, Blanks };
    struct Key {
        Category category = Blanks;
        bool hyphenated = false;
        double number = 0;
        int textKey = -1;
    };
    QCollator collator(QLocale(QLocale::Italian, QLocale::Italy));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);

    std::vector<Key> keys(static_cast<std::size_t>(count));
    std::vector<QCollatorSortKey> textKeys;
    for (int i = 0; i < count; ++i) {
        const xls::Cell* cell = s.cellAt(firstRow0 + i, key0);
        Key& key = keys[static_cast<std::size_t>(i)];
        if (!cell)
            continue;
        switch (cell->kind) {
        case CellKind::Empty:
            break;
        case CellKind::Number:
            key.category = Numbers;
            key.number = cell->number;
            break;
        case CellKind::Text: {
            // Like Excel, hyphens and apostrophes do not count, except to put a
            // hyphenated text after the same text without them.
            QString plain = cell->text;
            plain.remove(u'-');
            plain.remove(u'\'');
            key.category = Texts;
            key.hyphenated = plain.size() != cell->text.size();
            key.textKey = static_cast<int>(textKeys.size());
            textKeys.push_back(collator.sortKey(plain));
            break;
        }
        case CellKind::Boolean:
            key.category = Booleans;
            key.number = cell->code != 0 ? 1 : 0;
            break;
        case CellKind::Error:
            key.category = Errors;
            break;
        }
    }

    const auto compare = [&](const Key& a, const Key& b) -> int {
        if (a.category != b.category)
            return a.category < b.category ? -1 : 1;
        switch (a.category) {
        case Numbers:
        case Booleans:
            return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
        case Texts: {
            const int c = textKeys[static_cast<std::size_t>(a.textKey)].compare(
                textKeys[static_cast<std::size_t>(b.textKey)]);
            if (c != 0)
                return c;
            return int(a.hyphenated) - int(b.hyphenated);
        }
        default:
            return 0;
        }
    };
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int ia, int ib) {
        const Key& a = keys[static_cast<std::size_t>(ia)];
        const Key& b = keys[static_cast<std::size_t>(ib)];
        if (a.category == Blanks || b.category == Blanks)
            return a.category != Blanks && b.category == Blanks;
        const int c = compare(a, b);
        return ascending ? c < 0 : c > 0;
    });

    // Move the block's part of each row to its place, one permutation cycle at
    // a time: position i receives the row that was at order[i].
    const int firstColumn0 = b.first.column - 1;
    const int width = b.columnCount();
    const auto takeSegment = [&](int i, std::vector<xls::Cell>& out) {
        auto& cells = s.rows[static_cast<std::size_t>(firstRow0 + i)].cells;
        for (int k = 0; k < width; ++k) {
            const auto c = static_cast<std::size_t>(firstColumn0 + k);
            out[static_cast<std::size_t>(k)] = c < cells.size() ? std::move(cells[c]) : xls::Cell{};
        }
    };
    const auto putSegment = [&](int i, std::vector<xls::Cell>& in) {
        auto& cells = s.rows[static_cast<std::size_t>(firstRow0 + i)].cells;
        int needed = 0;
        for (int k = width; k > 0; --k) {
            if (!isPlaceholder(in[static_cast<std::size_t>(k - 1)])) {
                needed = firstColumn0 + k;
                break;
            }
        }
        if (static_cast<int>(cells.size()) < needed)
            cells.resize(static_cast<std::size_t>(needed));
        for (int k = 0; k < width; ++k) {
            const auto c = static_cast<std::size_t>(firstColumn0 + k);
            if (c < cells.size())
                cells[c] = std::move(in[static_cast<std::size_t>(k)]);
        }
    };
    std::vector<bool> placed(static_cast<std::size_t>(count), false);
    std::vector<xls::Cell> held(static_cast<std::size_t>(width));
    std::vector<xls::Cell> moving(static_cast<std::size_t>(width));
    for (int start = 0; start < count; ++start) {
        if (placed[static_cast<std::size_t>(start)] || order[static_cast<std::size_t>(start)] == start) {
            placed[static_cast<std::size_t>(start)] = true;
            continue;
        }
        takeSegment(start, held);
        int at = start;
        while (true) {
            placed[static_cast<std::size_t>(at)] = true;
            const int from = order[static_cast<std::size_t>(at)];
            if (from == start) {
                putSegment(at, held);
                break;
            }
            takeSegment(from, moving);
            putSegment(at, moving);
            at = from;
        }
    }
    return true;
}

// --- Formats -------------------------------------------------------------------

void Sheet::editStyles(const RangeRef& range, const std::function<void(xls::Style&)>& edit)
{
    const RangeRef r = range.normalized();
    if (!r.isValid())
        return;
    xls::Sheet& s = sheet();
    auto& styles = m_state->data.styles;
    // Old style -> edited style; each distinct old style is interned once.
    std::vector<int> remap(styles.size(), -1);
    const auto mapStyle = [&](std::uint16_t old) -> std::uint16_t {
        std::size_t key = old < styles.size() ? old : 0;
        if (key >= remap.size())
            remap.resize(styles.size(), -1);
        if (remap[key] < 0) {
            xls::Style edited = styles[key];
            edit(edited);
            remap[key] = edited == styles[key] ? static_cast<int>(key) : m_state->data.internStyle(edited);
        }
        return static_cast<std::uint16_t>(remap[key]);
    };
    const int firstColumn0 = r.first.column - 1;
    const int lastColumn0 = r.last.column - 1;

    if (r.isWholeColumns() || r.isWholeRows()) {
        // Whole columns: the columns' own styles and the cells that exist. Whole
        // rows (the model has no row styles): the cells that exist.
        if (r.isWholeColumns()) {
            for (int c = firstColumn0; c <= lastColumn0; ++c) {
                auto& column = s.columns[static_cast<std::size_t>(c)];
                column.style = mapStyle(column.style);
            }
        }
        const int lastRow0 = std::min(r.last.row, static_cast<int>(s.rows.size())) - 1;
        for (int row0 = r.first.row - 1; row0 <= lastRow0; ++row0) {
            auto& cells = s.rows[static_cast<std::size_t>(row0)].cells;
            const int last = std::min(lastColumn0, static_cast<int>(cells.size()) - 1);
            for (int c = firstColumn0; c <= last; ++c) {
                xls::Cell& cell = cells[static_cast<std::size_t>(c)];
                if (!isPlaceholder(cell))
                    cell.style = mapStyle(cell.style);
            }
        }
    } else {
        // A bounded range: every cell of it, empty ones as formatted blanks.
        if (s.rows.size() < static_cast<std::size_t>(r.last.row))
            s.rows.resize(static_cast<std::size_t>(r.last.row));
        for (int row0 = r.first.row - 1; row0 <= r.last.row - 1; ++row0) {
            auto& cells = s.rows[static_cast<std::size_t>(row0)].cells;
            if (cells.size() < static_cast<std::size_t>(lastColumn0 + 1))
                cells.resize(static_cast<std::size_t>(lastColumn0 + 1));
            for (int c = firstColumn0; c <= lastColumn0; ++c) {
                xls::Cell& cell = cells[static_cast<std::size_t>(c)];
                const std::uint16_t base =
                    isPlaceholder(cell) ? s.columns[static_cast<std::size_t>(c)].style : cell.style;
                cell.style = mapStyle(base);
            }
        }
    }
    touch();
}

void Sheet::setNumberFormat(const RangeRef& range, const QString& numberFormat)
{
    editStyles(range, [&](xls::Style& style) { style.numberFormat = numberFormat; });
}

void Sheet::setHorizontalAlignment(const RangeRef& range, xls::HorizontalAlignment alignment)
{
    editStyles(range, [&](xls::Style& style) { style.horizontal = alignment; });
}

void Sheet::setVerticalAlignment(const RangeRef& range, xls::VerticalAlignment alignment)
{
    editStyles(range, [&](xls::Style& style) { style.vertical = alignment; });
}

void Sheet::setWrap(const RangeRef& range, bool wrap)
{
    editStyles(range, [&](xls::Style& style) { style.wrap = wrap; });
}

bool Sheet::setIndent(const RangeRef& range, int indent)
{
    if (indent < 0 || indent > 15)
        return false;
    editStyles(range, [&](xls::Style& style) { style.indent = static_cast<std::uint8_t>(indent); });
    return true;
}

void Sheet::setShrinkToFit(const RangeRef& range, bool shrink)
{
    editStyles(range, [&](xls::Style& style) { style.shrinkToFit = shrink; });
}

bool Sheet::setRotation(const RangeRef& range, int degrees)
{
    std::uint8_t rotation = 0;
    if (degrees == kStackedRotation)
        rotation = 255;
    else if (degrees >= 0 && degrees <= 90)
        rotation = static_cast<std::uint8_t>(degrees);
    else if (degrees < 0 && degrees >= -90)
        rotation = static_cast<std::uint8_t>(90 - degrees);  // clockwise: 91..180
    else
        return false;
    editStyles(range, [&](xls::Style& style) { style.rotation = rotation; });
    return true;
}

void Sheet::setReadingOrder(const RangeRef& range, xls::ReadingOrder order)
{
    editStyles(range, [&](xls::Style& style) { style.readingOrder = order; });
}

bool Sheet::setFontSize(const RangeRef& range, double points)
{
    if (!(points >= 1 && points <= 409))
        return false;
    const auto twips = static_cast<std::uint16_t>(std::lround(points * 20));
    editStyles(range, [&](xls::Style& style) { style.font.heightTwips = twips; });
    return true;
}

void Sheet::setBold(const RangeRef& range, bool bold)
{
    editStyles(range, [&](xls::Style& style) { style.font.weight = bold ? 700 : 400; });
}

void Sheet::unmerge(const RangeRef& range)
{
    const RangeRef r = range.normalized();
    if (!r.isValid())
        return;
    auto& merged = sheet().mergedCells;
    std::erase_if(merged, [&](const xls::CellRange& m) {
        return overlaps(m, r.first.row - 1, r.last.row - 1, r.first.column - 1, r.last.column - 1);
    });
    touch();
}

void Sheet::resetAlignment(const RangeRef& range)
{
    editStyles(range, [](xls::Style& style) {
        style.rotation = 0;
        style.indent = 0;
        style.shrinkToFit = false;
        style.readingOrder = xls::ReadingOrder::Context;
    });
    unmerge(range);
}

// --- Sizes ---------------------------------------------------------------------

void Sheet::autoFitColumns(const RangeRef& range)
{
    const RangeRef r = range.normalized();
    if (!r.isValid())
        return;
    xls::Sheet& s = sheet();
    const int firstColumn0 = r.first.column - 1;
    const int lastColumn0 = r.last.column - 1;
    std::vector<double> widest(static_cast<std::size_t>(r.columnCount()), 0.0);
    const int lastRow0 = std::min(r.last.row, static_cast<int>(s.rows.size())) - 1;
    for (int row0 = r.first.row - 1; row0 <= lastRow0; ++row0) {
        const auto& cells = s.rows[static_cast<std::size_t>(row0)].cells;
        const int last = std::min(lastColumn0, static_cast<int>(cells.size()) - 1);
        for (int c = firstColumn0; c <= last; ++c) {
            const xls::Cell& cell = cells[static_cast<std::size_t>(c)];
            if (cell.kind == CellKind::Empty || s.columns[static_cast<std::size_t>(c)].hidden)
                continue;
            // Like Excel, merged cells do not count.
            const bool inMerge = std::any_of(s.mergedCells.begin(), s.mergedCells.end(),
                                             [&](const xls::CellRange& m) { return overlaps(m, row0, row0, c, c); });
            if (inMerge)
                continue;
            const double width = textWidth(text(row0 + 1, c + 1), m_state->style(cell.style).font);
            double& best = widest[static_cast<std::size_t>(c - firstColumn0)];
            best = std::max(best, width);
        }
    }
    for (int c = firstColumn0; c <= lastColumn0; ++c) {
        auto& column = s.columns[static_cast<std::size_t>(c)];
        if (column.hidden)
            continue;
        const double width = widest[static_cast<std::size_t>(c - firstColumn0)];
        // Half a character of slack for the estimate.
        column.width = width > 0 ? widthUnits(std::min(width + 0.5, 255.0)) : 0;
    }
    touch();
}

void Sheet::autoFitColumns()
{
    autoFitColumns(RangeRef::wholeSheet());
}

bool Sheet::setRowHeight(int row, double points)
{
    if (row < 1 || row > kMaxRow || !(points >= 0 && points <= 409.5))
        return false;
    xls::Sheet& s = sheet();
    if (s.rows.size() < static_cast<std::size_t>(row))
        s.rows.resize(static_cast<std::size_t>(row));
    xls::Row& r = s.rows[static_cast<std::size_t>(row - 1)];
    if (points == 0) {
        r.hidden = true;
    } else {
        r.hidden = false;
        r.heightTwips = static_cast<std::uint16_t>(std::lround(points * 20));
        r.customHeight = true;
    }
    touch();
    return true;
}

double Sheet::rowHeight(int row) const
{
    if (row < 1 || row > kMaxRow)
        return 0;
    const xls::Sheet& s = sheet();
    const auto r = static_cast<std::size_t>(row - 1);
    if (r < s.rows.size()) {
        if (s.rows[r].hidden)
            return 0;
        if (s.rows[r].heightTwips != 0)
            return s.rows[r].heightTwips / 20.0;
    }
    return s.defaultRowHeightTwips / 20.0;
}

bool Sheet::setColumnWidth(int column, double characters)
{
    if (column < 1 || column > kMaxColumn || !(characters >= 0 && characters <= 255))
        return false;
    auto& c = sheet().columns[static_cast<std::size_t>(column - 1)];
    if (characters == 0) {
        c.hidden = true;
    } else {
        c.hidden = false;
        c.width = widthUnits(characters);
    }
    touch();
    return true;
}

double Sheet::columnWidth(int column) const
{
    if (column < 1 || column > kMaxColumn)
        return 0;
    const xls::Sheet& s = sheet();
    const auto& c = s.columns[static_cast<std::size_t>(column - 1)];
    if (c.hidden)
        return 0;
    return widthCharacters(c.width != 0 ? c.width : xls::defaultColumnWidthUnits(s));
}

// --- Window --------------------------------------------------------------------

void Sheet::freezePanes(CellRef topLeft)
{
    if (!topLeft.isValid())
        return;
    xls::Sheet& s = sheet();
    s.frozenRows = topLeft.row - 1;
    s.frozenColumns = topLeft.column - 1;
    s.topRow = topLeft.row - 1;
    s.leftColumn = topLeft.column - 1;
    touch();
}

void Sheet::unfreeze()
{
    xls::Sheet& s = sheet();
    s.frozenRows = 0;
    s.frozenColumns = 0;
    s.topRow = 0;
    s.leftColumn = 0;
    touch();
}

int Sheet::frozenRows() const
{
    return sheet().frozenRows;
}

int Sheet::frozenColumns() const
{
    return sheet().frozenColumns;
}

QString Sheet::scrollArea() const
{
    const auto& areas = m_state->scrollAreas;
    const auto i = static_cast<std::size_t>(m_index);
    return i < areas.size() ? areas[i] : QString();
}

bool Sheet::setScrollArea(const QString& area)
{
    QString stored;
    if (!area.isEmpty()) {
        const auto range = parseRange(area);
        if (!range)
            return false;
        stored = address(*range, true);
    }
    auto& areas = m_state->scrollAreas;
    const auto i = static_cast<std::size_t>(m_index);
    if (areas.size() <= i)
        areas.resize(i + 1);
    areas[i] = stored;
    return true;
}

CellRef Sheet::activeCell() const
{
    const xls::Sheet& s = sheet();
    return {s.activeRow + 1, s.activeColumn + 1};
}

void Sheet::select(CellRef cell)
{
    if (!cell.isValid())
        return;
    xls::Sheet& s = sheet();
    s.activeRow = cell.row - 1;
    s.activeColumn = cell.column - 1;
}

const xls::PageSetup& Sheet::pageSetup() const
{
    return sheet().pageSetup;
}

xls::PageSetup& Sheet::editPageSetup()
{
    touch();
    return sheet().pageSetup;
}

} // namespace quadrilo::store
