#pragma once

// Reads a BIFF8 workbook (Excel 97-2003 .xls), decrypting it when needed.

#include "xls/Encryption.h"
#include "xls/Error.h"
#include "xls/Workbook.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <span>

namespace quadrilo::xls {

// What the stored rows and cells of one workbook may take: a register of
// 2 x 32,766 records and its address book take a tenth of it.
inline constexpr std::size_t kMaxSlotBytes = std::size_t(256) << 20;

// A worksheet as soon as its records are read; book holds what was read
// before it (the styles among them).
using SheetReadCallback = std::function<void(std::size_t index, Sheet& sheet, const Workbook& book)>;

struct ReadOptions {
    QString password;                 // tried first on an encrypted file
    bool requireEncryption = false;   // an unencrypted file is then NotEncrypted
    // Called with each worksheet (its index in Workbook::sheets) as soon as
    // its records are read, before the next one's. It may take or drop the
    // sheet's rows: a reader that only checks the cells then holds one sheet's
    // cells at a time.
    SheetReadCallback sheetRead;
};

struct ReadResult {
    Workbook workbook;
    EncryptionScheme encryption = EncryptionScheme::None;
    bool defaultPasswordUsed = false;  // opened with Excel's built-in password
};

// Never throws and never crashes on bad input: every damaged, truncated or
// foreign file ends in an Error whose code tells what is wrong.
Result<ReadResult> readWorkbook(std::span<const std::uint8_t> fileBytes, const ReadOptions& options = {});
Result<ReadResult> readWorkbookFile(const QString& path, const ReadOptions& options = {});

} // namespace quadrilo::xls
