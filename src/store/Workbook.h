#pragma once

// The open workbook: owns the xls model and hands out Sheet handles for the
// spreadsheet operations. Tracks whether anything was written since the last save.

#include "xls/Workbook.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace quadrilo::store {

class Sheet;

// Why a name cannot be a sheet name (Excel's rules).
enum class SheetNameError {
    None,
    Empty,
    TooLong,           // more than 31 characters
    InvalidCharacter,  // one of : \ * ? / [ ]
    Apostrophe,        // starts or ends with '
    Reserved,          // "History", kept by Excel for change tracking
    Duplicate,         // another sheet has it (case-insensitive)
};

class Workbook {
public:
    // An empty workbook without sheets.
    Workbook();
    explicit Workbook(xls::Workbook data);
    ~Workbook();
    // Moving keeps Sheet handles valid (they refer to the state, not to this
    // object); a moved-from Workbook may only be assigned to or destroyed.
    // Assigning over a Workbook ends the handles of what it held before.
    Workbook(Workbook&& other) noexcept;
    Workbook& operator=(Workbook&& other) noexcept;
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    const xls::Workbook& data() const;
    // Direct access for the reader/writer and for bulk work. Edits made here do
    // not set the modified flag.
    xls::Workbook& data();
    // Hands the model over and leaves an empty workbook; every Sheet handle
    // becomes invalid.
    xls::Workbook takeData();

    int sheetCount() const;
    // Sheet by name, case-insensitive as in Excel.
    std::optional<Sheet> sheet(const QString& name);
    // Sheet by 0-based position in tab order.
    std::optional<Sheet> sheetAt(int index);
    std::vector<Sheet> sheets();
    // Appends an empty worksheet; nullopt when checkSheetName() refuses the name.
    std::optional<Sheet> addSheet(const QString& name);
    // Whether name could be given to a sheet; ignoreIndex is the sheet being
    // renamed (-1: none), which may keep its own name in another case.
    SheetNameError checkSheetName(const QString& name, int ignoreIndex = -1) const;

    xls::DateSystem dateSystem() const;
    xls::DroppedContent droppedContent() const;

    // Set by every write through a Sheet handle; clear it after a save.
    bool isModified() const;
    void setModified(bool modified);

private:
    friend class Sheet;

    // Shared with the Sheet handles; lives on the heap so that moving the
    // Workbook does not move it.
    struct State {
        xls::Workbook data;
        bool modified = false;
        std::vector<QString> scrollAreas;           // by sheet index; memory only
        std::vector<std::int8_t> dateStyles;        // cache: -1 unknown, 0 no, 1 date format

        bool isDateStyle(std::uint16_t style);
        const xls::Style& style(std::uint16_t index) const;
    };

    static SheetNameError checkName(const State& state, const QString& name, int ignoreIndex);

    std::unique_ptr<State> m_state;
};

} // namespace quadrilo::store

// Sheet handles come with the workbook.
#include "store/Sheet.h"
