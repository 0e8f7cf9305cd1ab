#pragma once

// The printer window (StampaP): a printer chosen from the system's list, then
// the requested list printed on it.

#include "desktop/PanelContext.h"
#include "desktop/Printers.h"
#include "printing/ListPrinting.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace quadrilo::store {
class Sheet;
}

namespace quadrilo::printing {

class PrinterWindow final : public QWidget {
    Q_OBJECT
public:
    PrinterWindow(PanelContext& context, QWidget* parent = nullptr);

    // Shows the window, without blocking, for the list of code.
    void openFor(ListCode code);

protected:
    // The close box empties the request and unloads the window.
    void closeEvent(QCloseEvent* event) override;

private:
    void Command1_Click();
    PrintJob printWithProgress(const QString& printer, const QString& title, const store::Sheet& sheet);

    PanelContext& m_context;
    QComboBox* m_printer = nullptr;  // Combo1
    QLabel* m_default = nullptr;     // Label1
    QLineEdit* m_code = nullptr;     // Text1
};

} // namespace quadrilo::printing
