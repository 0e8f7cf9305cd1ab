#include "xls/Workbook.h"

#include <limits>

namespace quadrilo::xls {

std::uint16_t Workbook::internStyle(const Style& style)
{
    for (std::size_t i = 0; i < styles.size(); ++i) {
        if (styles[i] == style)
            return static_cast<std::uint16_t>(i);
    }
    // The index must fit the cell's 16 bits; a table that full falls back to the
    // default style (far beyond the ~4000 formats Excel itself accepts).
    if (styles.size() >= std::numeric_limits<std::uint16_t>::max())
        return 0;
    styles.push_back(style);
    return static_cast<std::uint16_t>(styles.size() - 1);
}

Sheet* Workbook::sheetByName(const QString& name)
{
    for (Sheet& sheet : sheets) {
        if (sheet.name.compare(name, Qt::CaseInsensitive) == 0)
            return &sheet;
    }
    return nullptr;
}

const Sheet* Workbook::sheetByName(const QString& name) const
{
    for (const Sheet& sheet : sheets) {
        if (sheet.name.compare(name, Qt::CaseInsensitive) == 0)
            return &sheet;
    }
    return nullptr;
}

bool isDateFormat(const QString& numberFormat)
{
    // Skip quoted text, escaped and padding characters and bracketed parts
    // (colours, conditions, locales) except elapsed-time codes [h] [m] [s];
    // a date or time code left over makes it a date format.
    const qsizetype n = numberFormat.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = numberFormat[i];
        if (c == u'"') {
            const qsizetype close = numberFormat.indexOf(u'"', i + 1);
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (c == u'\\' || c == u'_' || c == u'*') {
            i += 2;
            continue;
        }
        if (c == u'[') {
            const qsizetype close = numberFormat.indexOf(u']', i + 1);
            const qsizetype end = close < 0 ? n : close;
            bool elapsed = end > i + 1;
            const QChar first = elapsed ? numberFormat[i + 1].toLower() : QChar();
            elapsed = elapsed && (first == u'h' || first == u'm' || first == u's');
            for (qsizetype k = i + 1; elapsed && k < end; ++k)
                elapsed = numberFormat[k].toLower() == first;
            if (elapsed)
                return true;
            i = close < 0 ? n : close + 1;
            continue;
        }
        const QChar lower = c.toLower();
        if (lower == u'd' || lower == u'm' || lower == u'y' || lower == u'h' || lower == u's')
            return true;
        ++i;
    }
    return false;
}

} // namespace quadrilo::xls
