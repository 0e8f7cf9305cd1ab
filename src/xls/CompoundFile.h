#pragma once

// The OLE2 compound-file container of an .xls, through libgsf.

#include "xls/Error.h"

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace quadrilo::xls {

struct ContainerContent {
    std::vector<std::uint8_t> workbookStream;
    bool hasMacros = false;         // a VBA project storage
    bool hasEmbeddedObjects = false;
};

// Larger files are not read (TooLarge): the fullest register is some 15 MB.
inline constexpr std::int64_t kMaxFileBytes = std::int64_t(128) << 20;

// Reads a whole file into memory. Io when it cannot be read.
Result<std::vector<std::uint8_t>> readFileBytes(const QString& path);

// Extracts the Workbook stream (or a Book stream; the caller checks the BIFF
// version). OfficeOpenXml for zip files, UnsupportedVersion for raw old BIFF
// files, NotCompoundFile for anything else that is no OLE2 file.
Result<ContainerContent> readCompoundFile(std::span<const std::uint8_t> fileBytes);

// A compound file holding `workbookStream` as its Workbook stream.
Result<std::vector<std::uint8_t>> writeCompoundFile(std::span<const std::uint8_t> workbookStream);

} // namespace quadrilo::xls
