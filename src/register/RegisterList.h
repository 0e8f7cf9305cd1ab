#pragma once

// The list of the register's records on the protocol panel (ListView1): a
// snapshot of the displayed texts of columns A to K, rows 2 down to the first
// empty number, in sheet order; or of both registers, each row saying which.
// A search narrows the rows shown.

#include "register/RegisterSearch.h"
#include "store/Layout.h"
#include "store/Workbook.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class QTreeView;

namespace quadrilo::protocol {

using store::layout::RegisterKind;

// One record of a register as the list shows it.
struct RegisterRecord {
    static constexpr int kColumnCount = store::layout::reg::kHeaderCount;
    std::array<QString, kColumnCount> texts;   // columns A to K as displayed
    RegisterKind kind = RegisterKind::Entrata;
    int sheetRow = 0;
    QDate date;                 // column B, when it holds a date
    std::optional<double> number;  // column A read as a number ("07" is 7)
};

class RegisterListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = RegisterRecord::kColumnCount;
    using RowTexts = std::array<QString, kColumnCount>;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Removes every item and every column.
    void clear();
    // The headers of columns A to K; with bothRegisters a twelfth, "Registro".
    void setHeaders(const QStringList& headers, bool bothRegisters = false);
    // The records, in the order they show when nothing is searched.
    void setRecords(std::vector<RegisterRecord> records);
    // A record written after the last one of its register (an entry): added
    // without reading the register again. False when it is not the next one
    // of the run the list shows (a gap was filled): the list must be refilled.
    bool appendRecord(RegisterRecord record);
    // Shows only the records that answer the search (all when it is empty).
    void setSearch(const RegisterSearch& search);
    const RegisterSearch& search() const { return m_search; }

    const RegisterRecord& record(int listRow) const { return m_records[static_cast<size_t>(m_shown[static_cast<size_t>(listRow)])]; }
    const RowTexts& rowTexts(int listRow) const { return record(listRow).texts; }
    // The list row showing that record, if it shows.
    std::optional<int> listRowOf(RegisterKind kind, int sheetRow) const;
    // How many records there are, shown or not.
    int recordCount() const { return static_cast<int>(m_records.size()); }

private:
    bool answers(size_t record, const RegisterSearch& search) const;
    void foldTexts();

    QStringList m_headers;
    bool m_bothRegisters = false;
    std::vector<RegisterRecord> m_records;
    std::vector<QString> m_folded;   // per record, every column folded, for searches
    std::vector<int> m_shown;        // the records shown, by index
    RegisterSearch m_search;
};

// The records of a register sheet: from row 2 down to the first row whose
// column A is empty.
std::vector<RegisterRecord> readRegisterRows(const store::Sheet& sheet, RegisterKind kind);
// One row of a register sheet as the list shows it.
RegisterRecord readRegisterRow(const store::Sheet& sheet, int row, RegisterKind kind);

// Column widths of the list, in twips, A to K.
inline constexpr std::array<int, RegisterListModel::kColumnCount> kRegisterColumnTwips{
    900, 1200, 1500, 1500, 1200, 2000, 2000, 2000, 1000, 1000, 1000};

// LoadRegisterList: rebuilds the list, column headers (the texts of row 1) and
// widths included, from the register's sheet, which becomes the active sheet;
// with bothRegisters, from both sheets, Entrata first. The search stays.
void loadRegisterList(QTreeView& view, RegisterListModel& model, store::Workbook& workbook, RegisterKind kind,
                      bool bothRegisters = false);
// RefreshRegisterList: refills the items only; headers and widths stay.
void refreshRegisterList(RegisterListModel& model, store::Workbook& workbook, RegisterKind kind, bool bothRegisters = false);

} // namespace quadrilo::protocol
