#include "store/CellListing.h"

#include "store/CellAddress.h"
#include "store/CellValue.h"

#include <cmath>
#include <cstdio>

namespace quadrilo::store {
namespace {

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

QString plainNumber(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return QString::fromLatin1(buffer);
}

QString isoDate(double serial, xls::DateSystem system)
{
    const QDateTime dateTime = fromSerial(serial, system);
    if (!dateTime.isValid())
        return plainNumber(serial);
    const QTime time = dateTime.time();
    const QString clock = time.toString(time.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
    if (serial < 1)
        return clock;
    QString day = dateTime.date().toString(QStringLiteral("yyyy-MM-dd"));
    // The 1900 system counts a 29 February 1900 that never was.
    if (system == xls::DateSystem::Date1900 && std::floor(serial) == 60)
        day = QStringLiteral("1900-02-29");
    return time == QTime(0, 0) ? day : day + QLatin1Char('T') + clock;
}

} // namespace

QString cellListingLine(const xls::Workbook& workbook, const xls::Sheet& sheet, int row, int column)
{
    const xls::Cell* cell = sheet.cellAt(row, column);
    if (!cell || cell->isEmpty() || (cell->kind == xls::CellKind::Text && cell->text.isEmpty()))
        return {};
    QString type;
    QString value;
    switch (cell->kind) {
    case xls::CellKind::Text:
        type = QStringLiteral("text");
        value = escaped(cell->text);
        break;
    case xls::CellKind::Number:
        if (xls::isDateFormat(workbook.styles[cell->style].numberFormat)) {
            type = QStringLiteral("date");
            value = isoDate(cell->number, workbook.dateSystem);
        } else {
            type = QStringLiteral("number");
            value = plainNumber(cell->number);
        }
        break;
    case xls::CellKind::Boolean:
        type = QStringLiteral("bool");
        value = cell->code ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        break;
    case xls::CellKind::Error:
        type = QStringLiteral("error");
        value = errorText(static_cast<xls::CellError>(cell->code));
        break;
    case xls::CellKind::Empty:
        return {};
    }
    return sheet.name + QLatin1Char('\t') + address(row + 1, column + 1, false) + QLatin1Char('\t') + type + QLatin1Char('\t')
        + value;
}

QString cellListing(const xls::Workbook& workbook)
{
    QString out;
    for (const xls::Sheet& sheet : workbook.sheets) {
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            for (std::size_t c = 0; c < sheet.rows[r].cells.size(); ++c) {
                const QString line = cellListingLine(workbook, sheet, static_cast<int>(r), static_cast<int>(c));
                if (!line.isEmpty()) {
                    out += line;
                    out += QLatin1Char('\n');
                }
            }
        }
    }
    return out;
}

} // namespace quadrilo::store
