#pragma once

// The list of one register's records on the protocol panel (ListView1): a
// snapshot of the displayed texts of columns A to K, rows 2 down to the first
// empty number, in sheet order.

#include "store/Layout.h"
#include "store/Workbook.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QTreeView;

namespace quadrilo::protocol {

class RegisterListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumnCount = store::layout::reg::kHeaderCount;
    using RowTexts = std::array<QString, kColumnCount>;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Removes every item and every column.
    void clear();
    void setHeaders(const QStringList& headers);
    void setRows(std::vector<RowTexts> rows);
    const QStringList& headers() const { return m_headers; }
    const RowTexts& rowTexts(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // The sheet row of a list row: the list is the run of records from row 2.
    static int sheetRowOf(int listRow) { return listRow + 2; }

private:
    QStringList m_headers;
    std::vector<RowTexts> m_rows;
};

// The records of a register sheet: from row 2 down to the first row whose
// column A is empty.
std::vector<RegisterListModel::RowTexts> readRegisterRows(const store::Sheet& sheet);

// Column widths of the list, in twips, A to K.
inline constexpr std::array<int, RegisterListModel::kColumnCount> kRegisterColumnTwips{
    900, 1200, 1500, 1500, 1200, 2000, 2000, 2000, 1000, 1000, 1000};

// LoadRegisterList: rebuilds the list, column headers (the texts of row 1) and
// widths included, from the register's sheet, which becomes the active sheet.
void loadRegisterList(QTreeView& view, RegisterListModel& model, store::Workbook& workbook, store::layout::RegisterKind kind);
// RefreshRegisterList: refills the items only; headers and widths stay.
void refreshRegisterList(RegisterListModel& model, store::Workbook& workbook, store::layout::RegisterKind kind);

} // namespace quadrilo::protocol
