#pragma once

// The open workbook for direct editing, as "&Excel" hands it over: one tab per
// sheet, a grid whose header row stays in view (its texts head the columns),
// texts, numbers and dates edited in place, save, and a question before
// closing with unsaved changes.

#include "desktop/Dialogs.h"
#include "store/Session.h"

#include <QAbstractTableModel>
#include <QMainWindow>

#include <functional>

class QTabWidget;

namespace quadrilo::settings {

// The cells of one sheet from row 2 down; row 1 heads the columns.
class SheetModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // Room left below and right of the used cells for typing new ones.
    static constexpr int kSpareRows = 200;
    static constexpr int kSpareColumns = 5;

    SheetModel(store::Workbook& workbook, int sheetIndex, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Typed input as a spreadsheet reads it: empty clears, a whole or decimal
    // number ("12", "-3,5") is a number and an Italian date a date, unless
    // the cell has the text format "@"; anything else is text, as typed.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The sheet row of a model row.
    static int sheetRow(int modelRow) { return modelRow + 2; }

private:
    store::Workbook& m_workbook;
    int m_sheetIndex;
    int m_rows;
    int m_columns;
};

class WorkbookWindow final : public QMainWindow {
    Q_OBJECT
public:
    // closed runs once the window has closed.
    WorkbookWindow(store::WorkbookSession& session, Dialogs& dialogs, std::function<void()> closed,
                   QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    // Saves; false when it failed (the user has been told).
    bool save();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    store::WorkbookSession& m_session;
    Dialogs& m_dialogs;
    std::function<void()> m_closed;
    QTabWidget* m_tabs = nullptr;
};

} // namespace quadrilo::settings
