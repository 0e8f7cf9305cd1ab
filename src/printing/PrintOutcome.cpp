#include "printing/PrintOutcome.h"

#include "desktop/PanelContext.h"

namespace quadrilo::printing {

bool tellPrintOutcome(Dialogs& dialogs, QWidget* parent, const PrintJob& job, const QString& printer)
{
    switch (job.outcome) {
    case PrintJob::Outcome::Sent:
        if (!job.notice.isEmpty())
            dialogs.message(parent, kProductName, job.notice, MessageIcon::Warning);
        return true;
    case PrintJob::Outcome::Cancelled:
        dialogs.message(parent, kProductName, QStringLiteral("Stampa annullata: non è stato stampato nulla."), MessageIcon::Information);
        return false;
    case PrintJob::Outcome::Failed:
        dialogs.message(parent, kProductName,
                        QStringLiteral(" ERRORE: La stampa su %1 non è arrivata alla stampante: %2 !").arg(printer, job.problem),
                        MessageIcon::Stop);
        return false;
    }
    return false;
}

} // namespace quadrilo::printing
