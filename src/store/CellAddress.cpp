#include "store/CellAddress.h"

#include <algorithm>

namespace quadrilo::store {

namespace {

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Reads an optional '$' and then letters at pos; returns the column or nullopt.
std::optional<int> readColumn(QStringView text, qsizetype& pos)
{
    if (pos < text.size() && text[pos] == u'$')
        ++pos;
    const qsizetype start = pos;
    while (pos < text.size() && isAsciiLetter(text[pos]))
        ++pos;
    return parseColumnName(text.mid(start, pos - start));
}

// Reads an optional '$' and then a row number at pos.
std::optional<int> readRow(QStringView text, qsizetype& pos)
{
    if (pos < text.size() && text[pos] == u'$')
        ++pos;
    const qsizetype start = pos;
    while (pos < text.size() && isAsciiDigit(text[pos]))
        ++pos;
    const qsizetype length = pos - start;
    if (length == 0 || length > 5 || text[start] == u'0')
        return std::nullopt;
    int row = 0;
    for (qsizetype i = start; i < pos; ++i)
        row = row * 10 + (text[i].unicode() - u'0');
    if (row > kMaxRow)
        return std::nullopt;
    return row;
}

enum class PartKind { Cell, Column, Row };

struct Part {
    PartKind kind;
    int row = 0;
    int column = 0;
};

// One side of a range: a cell, a column alone or a row alone.
std::optional<Part> parsePart(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    qsizetype pos = 0;
    const qsizetype afterDollar = text[0] == u'$' ? 1 : 0;
    if (afterDollar < text.size() && isAsciiDigit(text[afterDollar])) {
        const auto row = readRow(text, pos);
        if (!row || pos != text.size())
            return std::nullopt;
        return Part{PartKind::Row, *row, 0};
    }
    const auto column = readColumn(text, pos);
    if (!column)
        return std::nullopt;
    if (pos == text.size())
        return Part{PartKind::Column, 0, *column};
    const auto row = readRow(text, pos);
    if (!row || pos != text.size())
        return std::nullopt;
    return Part{PartKind::Cell, *row, *column};
}

} // namespace

RangeRef RangeRef::normalized() const
{
    return {{std::min(first.row, last.row), std::min(first.column, last.column)},
            {std::max(first.row, last.row), std::max(first.column, last.column)}};
}

QString columnName(int column)
{
    if (column < 1 || column > kMaxColumn)
        return {};
    QString name;
    if (column > 26)
        name += QChar(u'A' + (column - 1) / 26 - 1);
    name += QChar(u'A' + (column - 1) % 26);
    return name;
}

std::optional<int> parseColumnName(QStringView name)
{
    if (name.isEmpty() || name.size() > 2)
        return std::nullopt;
    int column = 0;
    for (const QChar c : name) {
        if (!isAsciiLetter(c))
            return std::nullopt;
        column = column * 26 + (c.toUpper().unicode() - u'A' + 1);
    }
    if (column > kMaxColumn)
        return std::nullopt;
    return column;
}

QString address(int row, int column, bool absolute)
{
    if (!CellRef{row, column}.isValid())
        return {};
    const QString dollar = absolute ? QStringLiteral("$") : QString();
    return dollar + columnName(column) + dollar + QString::number(row);
}

QString address(const CellRef& cell, bool absolute)
{
    return address(cell.row, cell.column, absolute);
}

QString address(const RangeRef& range, bool absolute)
{
    if (!range.isValid())
        return {};
    const QString dollar = absolute ? QStringLiteral("$") : QString();
    if (range.isWholeColumns() && !range.isWholeRows())
        return dollar + columnName(range.first.column) + u':' + dollar + columnName(range.last.column);
    if (range.isWholeRows() && !range.isWholeColumns())
        return dollar + QString::number(range.first.row) + u':' + dollar + QString::number(range.last.row);
    if (range.first == range.last)
        return address(range.first, absolute);
    return address(range.first, absolute) + u':' + address(range.last, absolute);
}

std::optional<CellRef> parseCell(QStringView text)
{
    const auto part = parsePart(text);
    if (!part || part->kind != PartKind::Cell)
        return std::nullopt;
    return CellRef{part->row, part->column};
}

std::optional<RangeRef> parseRange(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        const auto cell = parseCell(text);
        if (!cell)
            return std::nullopt;
        return RangeRef{*cell, *cell};
    }
    const auto a = parsePart(text.left(colon));
    const auto b = parsePart(text.mid(colon + 1));
    if (!a || !b || a->kind != b->kind)
        return std::nullopt;
    switch (a->kind) {
    case PartKind::Cell:
        return RangeRef{{a->row, a->column}, {b->row, b->column}}.normalized();
    case PartKind::Column:
        return RangeRef::columns(std::min(a->column, b->column), std::max(a->column, b->column));
    case PartKind::Row:
        return RangeRef::rows(std::min(a->row, b->row), std::max(a->row, b->row));
    }
    return std::nullopt;
}

} // namespace quadrilo::store
