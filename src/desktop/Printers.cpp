#include "desktop/Printers.h"

#include <QPdfWriter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cups/cups.h>

namespace quadrilo {

namespace {

// What the printer's administrator wrote as its state ("carta esaurita").
QString stateMessage(const QString& printer)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (!dest)
        return {};
    const char* message = cupsGetOption("printer-state-message", dest->num_options, dest->options);
    const QString text = message ? QString::fromUtf8(message).trimmed() : QString();
    cupsFreeDests(1, dest);
    return text;
}

// Why CUPS refused a job, in words an office understands.
QString refusalText(const QString& printer)
{
    switch (cupsLastError()) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS: {
        const QString why = stateMessage(printer);
        return QStringLiteral("la stampante %1 non accetta lavori (è stata sospesa nel servizio di stampa%2)")
            .arg(printer, why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    }
    case IPP_STATUS_ERROR_NOT_FOUND: return QStringLiteral("la stampante %1 non esiste nel servizio di stampa").arg(printer);
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return QStringLiteral("non si ha il permesso di stampare su %1").arg(printer);
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_DEVICE: return QStringLiteral("il servizio di stampa non risponde");
    default:
        return QStringLiteral("il servizio di stampa ha rifiutato il lavoro (%1)").arg(QString::fromUtf8(cupsLastErrorString()));
    }
}

// The state of a job of the printer, 0 when it is not listed.
int jobState(const QString& printer, int id)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, printer.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    int state = 0;
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == id)
            state = jobs[i].state;
    cupsFreeJobs(count, jobs);
    return state;
}

bool isStopped(const QString& printer)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (!dest)
        return false;
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const bool stopped = state && QByteArray(state) == QByteArray::number(IPP_PSTATE_STOPPED);
    cupsFreeDests(1, dest);
    return stopped;
}

} // namespace

QStringList QtPrinters::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString QtPrinters::defaultPrinter() const
{
    return QPrinterInfo::defaultPrinterName();
}

PrintJob QtPrinters::print(const QString& printer, const QString& jobName, const DrawPages& draw)
{
    PrintJob job;
    if (QPrinterInfo::printerInfo(printer).isNull()) {
        job.problem = QStringLiteral("la stampante %1 non è installata").arg(printer);
        return job;
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("stampa.pdf"));
    {
        QPdfWriter writer(path);
        writer.setResolution(600);
        writer.setTitle(jobName);
        writer.setCreator(QStringLiteral("Quadrilo"));
        if (!draw(writer)) {
            job.outcome = PrintJob::Outcome::Cancelled;
            return job;
        }
    }
    const int id = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), path.toLocal8Bit().constData(),
                                  jobName.toUtf8().constData(), 0, nullptr);
    if (id == 0) {
        job.problem = refusalText(printer);
        return job;
    }
    // A queue that takes the job may still drop it at once.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int state = jobState(printer, id);
        if (state == IPP_JSTATE_ABORTED || state == IPP_JSTATE_CANCELED) {
            job.problem = QStringLiteral("il lavoro è stato annullato dal servizio di stampa");
            return job;
        }
        if (state == IPP_JSTATE_COMPLETED || state == IPP_JSTATE_PROCESSING)
            break;
        QThread::msleep(100);
    }
    job.outcome = PrintJob::Outcome::Sent;
    if (isStopped(printer))
        job.notice = QStringLiteral("La stampante %1 è ferma: la stampa resta in coda e partirà quando la stampante verrà riattivata.")
                         .arg(printer);
    return job;
}

} // namespace quadrilo
