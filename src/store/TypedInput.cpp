#include "store/TypedInput.h"

#include <QRegularExpression>

namespace quadrilo::store {

std::optional<QDate> parseItalianDate(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2})\\s*[/.\\- ]\\s*(\\d{1,2})\\s*[/.\\- ]\\s*(\\d{2}|\\d{4})\\s*$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int day = match.captured(1).toInt();
    const int month = match.captured(2).toInt();
    int year = match.captured(3).toInt();
    if (match.capturedLength(3) == 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

double leadingNumber(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([+-]?(\\d+(\\.\\d*)?|\\.\\d+))"));
    const auto match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

} // namespace quadrilo::store
