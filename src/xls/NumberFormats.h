#pragma once

// Excel's built-in number formats (ids 0-163 are never stored in the file).

#include <QString>

#include <cstdint>
#include <optional>

namespace quadrilo::xls {

inline constexpr std::uint16_t kFirstCustomFormatId = 164;
inline constexpr std::uint16_t kTextFormatId = 49;

// The format string of a built-in id; General for ids without one.
QString builtInNumberFormat(std::uint16_t id);

// The built-in id whose string equals `format` exactly, if any.
std::optional<std::uint16_t> builtInNumberFormatId(const QString& format);

} // namespace quadrilo::xls
