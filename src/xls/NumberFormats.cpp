#include "xls/NumberFormats.h"

#include <array>
#include <utility>

namespace quadrilo::xls {
namespace {

struct BuiltIn {
    std::uint16_t id;
    const char* format;
};

// The ids Excel never writes a FORMAT record for (the US list). Currency
// formats 5-8 and 41-44 depend on the locale and always come with a record.
constexpr std::array<BuiltIn, 32> kBuiltIns{{
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/?\?"},
    {14, "m/d/yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {37, "#,##0_);(#,##0)"},
    {38, "#,##0_);[Red](#,##0)"},
    {39, "#,##0.00_);(#,##0.00)"},
    {40, "#,##0.00_);[Red](#,##0.00)"},
    {41, "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"},
    {42, "_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)"},
    {43, "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"?\?_);_(@_)"},
    {44, "_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"?\?_);_(@_)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mm:ss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
}};

} // namespace

QString builtInNumberFormat(std::uint16_t id)
{
    for (const auto& b : kBuiltIns)
        if (b.id == id)
            return QString::fromLatin1(b.format);
    // Ids of East Asian date formats: keep them dates.
    if ((id >= 27 && id <= 36) || (id >= 50 && id <= 58))
        return QStringLiteral("yyyy-mm-dd");
    if (id >= 5 && id <= 8)
        return QStringLiteral("#,##0.00");
    return QStringLiteral("General");
}

std::optional<std::uint16_t> builtInNumberFormatId(const QString& format)
{
    for (const auto& b : kBuiltIns) {
        if (b.id >= 41 && b.id <= 44)
            continue;
        if (format == QLatin1String(b.format))
            return b.id;
    }
    return std::nullopt;
}

} // namespace quadrilo::xls
