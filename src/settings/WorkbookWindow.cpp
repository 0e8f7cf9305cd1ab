#include "settings/WorkbookWindow.h"

#include "desktop/PanelContext.h"
#include "store/CellAddress.h"
#include "store/Sheet.h"
#include "store/TypedInput.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QKeySequence>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>

namespace quadrilo::settings {

namespace {

std::optional<double> parseNumber(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([+-]?\\d{1,15})(,(\\d+))?\\s*$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QString plain = match.captured(1);
    if (match.hasCaptured(3))
        plain += QLatin1Char('.') + match.captured(3);
    bool ok = false;
    const double number = plain.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

} // namespace

SheetModel::SheetModel(store::Workbook& workbook, int sheetIndex, QObject* parent)
    : QAbstractTableModel(parent)
    , m_workbook(workbook)
    , m_sheetIndex(sheetIndex)
{
    const auto sheet = m_workbook.sheetAt(m_sheetIndex);
    const int lastRow = sheet ? sheet->lastUsedRow() : 0;
    const int lastColumn = sheet ? sheet->lastUsedColumn() : 0;
    m_rows = std::min(std::max(lastRow - 1, 0) + kSpareRows, store::kMaxRow - 1);
    m_columns = std::min(std::max(lastColumn, 1) + kSpareColumns, store::kMaxColumn);
}

int SheetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int SheetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant SheetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const auto sheet = m_workbook.sheetAt(m_sheetIndex);
    if (!sheet)
        return {};
    const int row = sheetRow(index.row());
    const int column = index.column() + 1;
    const store::CellValue value = sheet->value(row, column);
    // Texts are edited as they are stored; the rest as shown.
    if (role == Qt::EditRole && value.isText())
        return value.text();
    return sheet->text(row, column);
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return sheetRow(section);
    const auto sheet = m_workbook.sheetAt(m_sheetIndex);
    const QString title = sheet ? sheet->text(1, section + 1) : QString();
    const QString letter = store::columnName(section + 1);
    return title.isEmpty() ? letter : letter + QLatin1Char('\n') + title;
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    auto sheet = m_workbook.sheetAt(m_sheetIndex);
    if (!sheet)
        return false;
    const int row = sheetRow(index.row());
    const int column = index.column() + 1;
    const QString text = value.toString();
    bool written = false;
    if (text.isEmpty()) {
        written = sheet->clear(row, column);
    } else if (sheet->numberFormat(row, column) == QLatin1String("@")) {
        written = sheet->setText(row, column, text);
    } else if (const auto number = parseNumber(text)) {
        written = sheet->setNumber(row, column, *number);
    } else if (const auto date = store::parseItalianDate(text); date && store::toSerial(*date, m_workbook.dateSystem())) {
        written = sheet->setDate(row, column, *date);
    } else {
        written = sheet->setText(row, column, text);
    }
    if (written)
        emit dataChanged(index, index);
    return written;
}

WorkbookWindow::WorkbookWindow(store::WorkbookSession& session, Dialogs& dialogs, std::function<void()> closed, QWidget* parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_closed(std::move(closed))
{
    setObjectName(QStringLiteral("WorkbookWindow"));
    setWindowTitle(QDir::toNativeSeparators(session.path()) + QStringLiteral(" - Quadrilo"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_tabs = new QTabWidget;
    store::Workbook& workbook = session.workbook();
    for (int index = 0; index < workbook.sheetCount(); ++index) {
        auto* view = new QTableView;
        view->setObjectName(workbook.sheetAt(index)->name());
        view->setModel(new SheetModel(workbook, index, view));
        view->horizontalHeader()->setDefaultSectionSize(110);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
        m_tabs->addTab(view, workbook.sheetAt(index)->name());
    }
    if (const auto entrata = workbook.sheet(QStringLiteral("Entrata"))) {
        m_tabs->setCurrentIndex(entrata->index());
        auto* view = static_cast<QTableView*>(m_tabs->currentWidget());
        view->setCurrentIndex(view->model()->index(0, 0));
    }
    setCentralWidget(m_tabs);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* saveAction = file->addAction(QStringLiteral("&Salva"));
    saveAction->setObjectName(QStringLiteral("Salva"));
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, [this] { save(); });
    QAction* closeAction = file->addAction(QStringLiteral("&Chiudi"));
    closeAction->setObjectName(QStringLiteral("Chiudi"));
    closeAction->setShortcut(QKeySequence::Close);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    resize(1100, 700);
}

bool WorkbookWindow::save()
{
    return saveWorkbook(m_session, m_dialogs, this);
}

void WorkbookWindow::closeEvent(QCloseEvent* event)
{
    if (m_session.isOpen() && m_session.workbook().isModified()
        && m_dialogs.askYesNo(this, kProductName, QStringLiteral("Salvare le modifiche a Protocollo.xls prima di chiudere ?"))
        && !save()) {
        // The save failed: the window stays, with the changes.
        event->ignore();
        return;
    }
    event->accept();
    m_session.close();
    if (m_closed)
        m_closed();
}

} // namespace quadrilo::settings
