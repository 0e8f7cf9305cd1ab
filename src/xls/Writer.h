#pragma once

// Writes a complete BIFF8 workbook that Excel and LibreOffice open, encrypted
// with RC4 CryptoAPI when a password is given.

#include "xls/Encryption.h"
#include "xls/Error.h"
#include "xls/Workbook.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace quadrilo::xls {

struct WriteOptions {
    QString password;           // empty = not encrypted
    RandomSource random;        // salt and verifier; systemRandom() when empty
    QString author = QStringLiteral("Quadrilo");   // WRITEACCESS user name
};

// The Workbook stream alone (encrypted when a password is given).
Result<std::vector<std::uint8_t>> writeWorkbookStream(const Workbook& workbook, const WriteOptions& options);

// The whole .xls file: a compound file holding the Workbook stream.
Result<std::vector<std::uint8_t>> writeWorkbook(const Workbook& workbook, const WriteOptions& options);

// InvalidContent when the model cannot be stored (bad sheet name, no sheet),
// TooLarge beyond the format's limits.
Status validateForWriting(const Workbook& workbook);

} // namespace quadrilo::xls
