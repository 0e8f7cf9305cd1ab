#include "register/RegisterList.h"

#include "desktop/PanelContext.h"
#include "store/Sheet.h"

#include <QHeaderView>
#include <QTreeView>

namespace quadrilo::protocol {

namespace layout = store::layout;

int RegisterListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RegisterListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant RegisterListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= kColumnCount || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return m_rows[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
    return {};
}

QVariant RegisterListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_headers[section];
    return {};
}

void RegisterListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_headers.clear();
    endResetModel();
}

void RegisterListModel::setHeaders(const QStringList& headers)
{
    beginResetModel();
    m_headers = headers.mid(0, kColumnCount);
    endResetModel();
}

void RegisterListModel::setRows(std::vector<RowTexts> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

std::vector<RegisterListModel::RowTexts> readRegisterRows(const store::Sheet& sheet)
{
    std::vector<RegisterListModel::RowTexts> rows;
    const int last = sheet.lastUsedRow();
    rows.reserve(static_cast<size_t>(std::max(0, last - 1)));
    for (int row = 2; row <= last && !sheet.isEmpty(row, layout::reg::kNumber); ++row) {
        RegisterListModel::RowTexts& texts = rows.emplace_back();
        for (int column = 0; column < RegisterListModel::kColumnCount; ++column)
            texts[static_cast<size_t>(column)] = sheet.text(row, column + 1);
    }
    return rows;
}

void loadRegisterList(QTreeView& view, RegisterListModel& model, store::Workbook& workbook, layout::RegisterKind kind)
{
    model.clear();
    auto sheet = workbook.sheet(layout::registerSheetName(kind));
    if (!sheet)
        return;
    QStringList headers;
    for (int column = 1; column <= RegisterListModel::kColumnCount; ++column)
        headers << sheet->text(1, column);
    model.setHeaders(headers);
    for (int column = 0; column < RegisterListModel::kColumnCount; ++column)
        view.header()->resizeSection(column, twipsToPixels(kRegisterColumnTwips[static_cast<size_t>(column)], view));
    sheet->activate();
    model.setRows(readRegisterRows(*sheet));
}

void refreshRegisterList(RegisterListModel& model, store::Workbook& workbook, layout::RegisterKind kind)
{
    model.setRows({});
    auto sheet = workbook.sheet(layout::registerSheetName(kind));
    if (!sheet)
        return;
    sheet->activate();
    model.setRows(readRegisterRows(*sheet));
}

} // namespace quadrilo::protocol
