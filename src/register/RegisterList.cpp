#include "register/RegisterList.h"

#include "desktop/PanelContext.h"
#include "store/Sheet.h"
#include "store/TypedInput.h"

#include <QHeaderView>
#include <QTreeView>

namespace quadrilo::protocol {

namespace layout = store::layout;

namespace {

QString registerName(RegisterKind kind)
{
    return kind == RegisterKind::Entrata ? QStringLiteral("Entrata") : QStringLiteral("Uscita");
}

std::vector<RegisterKind> kindsShown(RegisterKind kind, bool bothRegisters)
{
    if (bothRegisters)
        return {RegisterKind::Entrata, RegisterKind::Uscita};
    return {kind};
}

std::vector<RegisterRecord> readRecords(store::Workbook& workbook, RegisterKind kind, bool bothRegisters)
{
    std::vector<RegisterRecord> records;
    for (RegisterKind shown : kindsShown(kind, bothRegisters))
        if (auto sheet = workbook.sheet(layout::registerSheetName(shown))) {
            std::vector<RegisterRecord> more = readRegisterRows(*sheet, shown);
            records.insert(records.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        }
    return records;
}

} // namespace

int RegisterListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int RegisterListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant RegisterListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= columnCount() || index.row() >= rowCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole)
        return {};
    const RegisterRecord& shown = record(index.row());
    if (index.column() == kColumnCount)
        return registerName(shown.kind);
    const QString& text = shown.texts[static_cast<size_t>(index.column())];
    // The whole text, lines and all, when the column is too narrow for it.
    if (role == Qt::ToolTipRole && text.isEmpty())
        return {};
    return text;
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
    m_records.clear();
    m_folded.clear();
    m_shown.clear();
    m_headers.clear();
    endResetModel();
}

void RegisterListModel::setHeaders(const QStringList& headers, bool bothRegisters)
{
    beginResetModel();
    m_headers = headers.mid(0, kColumnCount);
    m_bothRegisters = bothRegisters;
    if (bothRegisters)
        m_headers << QStringLiteral("Registro");
    endResetModel();
}

void RegisterListModel::setRecords(std::vector<RegisterRecord> records)
{
    beginResetModel();
    m_records = std::move(records);
    m_folded.clear();
    m_shown.clear();
    // Folded now, so that no keystroke of a search waits for it.
    foldTexts();
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_search.isEmpty() || answers(i, m_search))
            m_shown.push_back(static_cast<int>(i));
    endResetModel();
}

bool RegisterListModel::appendRecord(RegisterRecord record)
{
    // After the register's last record, Entrata's before Uscita's.
    size_t position = 0;
    int lastRow = 1;
    for (size_t i = 0; i < m_records.size(); ++i) {
        const RegisterRecord& each = m_records[i];
        if (each.kind == record.kind)
            lastRow = each.sheetRow;
        if (each.kind == record.kind || (record.kind == RegisterKind::Uscita && each.kind == RegisterKind::Entrata))
            position = i + 1;
    }
    if (record.sheetRow != lastRow + 1 || m_folded.size() != m_records.size())
        return false;
    QString folded;
    for (const QString& text : record.texts) {
        appendFolded(folded, text);
        folded += QLatin1Char('\n');
    }
    beginResetModel();
    m_records.insert(m_records.begin() + static_cast<std::ptrdiff_t>(position), std::move(record));
    m_folded.insert(m_folded.begin() + static_cast<std::ptrdiff_t>(position), std::move(folded));
    m_shown.clear();
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_search.isEmpty() || answers(i, m_search))
            m_shown.push_back(static_cast<int>(i));
    endResetModel();
    return true;
}

void RegisterListModel::setSearch(const RegisterSearch& search)
{
    if (search == m_search)
        return;
    if (!search.isEmpty())
        foldTexts();
    // Typing on narrows the last answer: only its rows need looking at.
    const bool narrowing = !m_search.isEmpty() && search.narrows(m_search);
    std::vector<int> shown;
    if (narrowing) {
        for (int index : m_shown)
            if (answers(static_cast<size_t>(index), search))
                shown.push_back(index);
    } else {
        shown.reserve(m_records.size());
        for (size_t i = 0; i < m_records.size(); ++i)
            if (search.isEmpty() || answers(i, search))
                shown.push_back(static_cast<int>(i));
    }
    beginResetModel();
    m_search = search;
    m_shown = std::move(shown);
    endResetModel();
}

std::optional<int> RegisterListModel::listRowOf(RegisterKind kind, int sheetRow) const
{
    for (size_t row = 0; row < m_shown.size(); ++row) {
        const RegisterRecord& candidate = m_records[static_cast<size_t>(m_shown[row])];
        if (candidate.kind == kind && candidate.sheetRow == sheetRow)
            return static_cast<int>(row);
    }
    return std::nullopt;
}

void RegisterListModel::foldTexts()
{
    if (m_folded.size() == m_records.size())
        return;
    m_folded.clear();
    m_folded.reserve(m_records.size());
    for (const RegisterRecord& each : m_records) {
        QString& folded = m_folded.emplace_back();
        for (const QString& text : each.texts) {
            appendFolded(folded, text);
            folded += QLatin1Char('\n');   // a word never runs from one column into the next
        }
    }
}

bool RegisterListModel::answers(size_t index, const RegisterSearch& search) const
{
    const RegisterRecord& candidate = m_records[index];
    if ((search.from || search.to) && !candidate.date.isValid())
        return false;
    if ((search.from && candidate.date < *search.from) || (search.to && candidate.date > *search.to))
        return false;
    if (search.lowestNumber
        && (!candidate.number || *candidate.number < *search.lowestNumber || *candidate.number > *search.highestNumber))
        return false;
    const QString& folded = m_folded[index];
    for (const QString& word : search.words)
        if (!folded.contains(word))
            return false;
    return true;
}

RegisterRecord readRegisterRow(const store::Sheet& sheet, int row, RegisterKind kind)
{
    RegisterRecord record;
    record.kind = kind;
    record.sheetRow = row;
    for (int column = 0; column < RegisterRecord::kColumnCount; ++column)
        record.texts[static_cast<size_t>(column)] = sheet.text(row, column + 1);
    if (const store::CellValue date = sheet.value(row, layout::reg::kDate); date.isDate())
        record.date = date.date();
    const store::CellValue number = sheet.value(row, layout::reg::kNumber);
    if (number.isNumber())
        record.number = number.number();
    else if (number.isText())
        record.number = store::leadingNumber(number.text());
    return record;
}

std::vector<RegisterRecord> readRegisterRows(const store::Sheet& sheet, RegisterKind kind)
{
    std::vector<RegisterRecord> records;
    const int last = sheet.lastUsedRow();
    records.reserve(static_cast<size_t>(std::max(0, last - 1)));
    for (int row = 2; row <= last && !sheet.isEmpty(row, layout::reg::kNumber); ++row)
        records.push_back(readRegisterRow(sheet, row, kind));
    return records;
}

void loadRegisterList(QTreeView& view, RegisterListModel& model, store::Workbook& workbook, RegisterKind kind, bool bothRegisters)
{
    model.clear();
    auto sheet = workbook.sheet(layout::registerSheetName(kind));
    if (!sheet)
        return;
    QStringList headers;
    for (int column = 1; column <= RegisterListModel::kColumnCount; ++column)
        headers << sheet->text(1, column);
    // Both registers: their senders and addressees share the column.
    if (bothRegisters)
        headers[layout::reg::kCorrespondent - 1] = QStringLiteral("Mittente/Destinatario");
    model.setHeaders(headers, bothRegisters);
    for (int column = 0; column < RegisterListModel::kColumnCount; ++column)
        view.header()->resizeSection(column, twipsToPixels(kRegisterColumnTwips[static_cast<size_t>(column)], view));
    view.header()->setSectionResizeMode(QHeaderView::Interactive);
    sheet->activate();
    model.setRecords(readRecords(workbook, kind, bothRegisters));
}

void refreshRegisterList(RegisterListModel& model, store::Workbook& workbook, RegisterKind kind, bool bothRegisters)
{
    if (auto sheet = workbook.sheet(layout::registerSheetName(kind)))
        sheet->activate();
    model.setRecords(readRecords(workbook, kind, bothRegisters));
}

} // namespace quadrilo::protocol
