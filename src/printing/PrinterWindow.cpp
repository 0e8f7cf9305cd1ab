#include "printing/PrinterWindow.h"

#include "desktop/Controls.h"
#include "desktop/Printers.h"
#include "printing/PrintOutcome.h"
#include "printing/SheetPrint.h"
#include "store/Sheet.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace quadrilo::printing {

namespace {

const QString kChoosePrinter = QStringLiteral("Seleziona la stampante");

} // namespace

PrinterWindow::PrinterWindow(PanelContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_context(context)
{
    setObjectName(QStringLiteral("StampaP"));
    setWindowTitle(QStringLiteral("Seleziona Stampante"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_printer = makeEditableCombo("Combo1");
    m_printer->addItems(m_context.printers.printerNames());
    m_printer->setEditText(kChoosePrinter);
    m_printer->setAccessibleName(QStringLiteral("Stampante"));
    m_default = new QLabel(QStringLiteral("La stampante predefinita è: \r\n") + m_context.printers.defaultPrinter());
    m_default->setObjectName(QStringLiteral("Label1"));
    m_code = makeLineEdit("Text1");
    m_code->hide();
    auto* choose = makeButton("Command1", QStringLiteral("Seleziona"));
    layout->addWidget(m_printer);
    layout->addWidget(m_default);
    layout->addWidget(choose);
    layout->addWidget(m_code);
    connect(choose, &QPushButton::clicked, this, &PrinterWindow::Command1_Click);
    resize(380, 150);
}

void PrinterWindow::openFor(ListCode code)
{
    m_code->setText(QString::number(static_cast<int>(code)));
    show();
    raise();
    activateWindow();
}

void PrinterWindow::closeEvent(QCloseEvent* event)
{
    m_code->clear();
    QWidget::closeEvent(event);
}

void PrinterWindow::Command1_Click()
{
    const int number = m_code->text().toInt();
    if (number < static_cast<int>(ListCode::Lists) || number > static_cast<int>(ListCode::Uscita))
        return;
    const auto code = static_cast<ListCode>(number);
    const ListSpec list = listSpec(code);
    store::Workbook& workbook = m_context.workbook();
    auto sheet = workbook.sheet(list.sheet);
    Dialogs& dialogs = m_context.dialogs;
    if (!sheet || sheet->isEmpty(2, 1)) {
        dialogs.message(this, kProductName,
                        QStringLiteral(" La stampa non può essere eseguita in assenza di campi  inseriti .................."),
                        MessageIcon::Information);
        return;
    }
    // A printer that is not in the list would make the job go nowhere.
    const QString printer = m_printer->currentText();
    if (!m_context.printers.printerNames().contains(printer)) {
        dialogs.message(this, kProductName, QStringLiteral(" ERRORE: Selezionare una stampante dall'elenco !"), MessageIcon::Information);
        m_printer->setFocus();
        return;
    }
    const auto answer = dialogs.inputBox(this, kProductName,
                                         QStringLiteral("Digita la percentuale di Zoom della Stampa 80-90-100.................."),
                                         QStringLiteral("70"));
    if (!answer)
        return;  // Annulla: nothing printed
    const auto zoom = parseZoom(*answer);
    if (!zoom) {
        dialogs.message(this, kProductName,
                        QStringLiteral(" ERRORE: La percentuale di Zoom deve essere un numero da %1 a %2 !").arg(kMinZoom).arg(kMaxZoom),
                        MessageIcon::Information);
        return;
    }
    applyListPageSetup(workbook, code, m_context.clock.now().date(), *zoom);
    // The printer chosen here is the one of the run: labels and the address book follow it.
    m_context.printers.choose(printer);
    // The job's name: the list's title without the header's dashes.
    const PrintJob job = printWithProgress(printer, QString(list.title).remove(QStringLiteral("---")).simplified(), *sheet);
    if (!tellPrintOutcome(m_context.dialogs, this, job, printer))
        return;
    if (code == ListCode::Lists)
        sheet->activate();
    m_code->clear();
    hide();
    m_context.saveWorkbook();
}

PrintJob PrinterWindow::printWithProgress(const QString& printer, const QString& title, const store::Sheet& sheet)
{
    // A whole register is hundreds of pages: the pages drawn are shown, the
    // cursor waits, and Annulla stops it before anything is sent.
    QProgressDialog progress(QStringLiteral("Stampa in corso: %1").arg(title), QStringLiteral("Annulla"), 0, 1, this);
    progress.setWindowTitle(kProductName);
    progress.setWindowModality(Qt::ApplicationModal);  // the sheet must not change while it is drawn
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const PageFacts facts = pageFacts(m_context.clock.now(), m_context.session.path());
    const PrintJob job = m_context.printers.print(printer, title, [&](QPagedPaintDevice& device) {
        return !printSheet(device, sheet, std::nullopt, [&](int drawn, int total) {
                    progress.setMaximum(total);
                    progress.setLabelText(QStringLiteral("Stampa in corso: %1\npagina %2 di %3").arg(title).arg(drawn).arg(total));
                    progress.setValue(drawn);
                    return !progress.wasCanceled();
                }, facts).cancelled;
    });
    QGuiApplication::restoreOverrideCursor();
    return job;
}

} // namespace quadrilo::printing
