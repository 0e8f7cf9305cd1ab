#pragma once

// The printers of the system, and printing on one of them, behind an
// interface so that tests print to PDF files instead.

#include <QString>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;

namespace quadrilo {

// What became of a printout.
struct PrintJob {
    enum class Outcome {
        Sent,       // the printer's queue accepted the job
        Cancelled,  // the user stopped the drawing: nothing was sent
        Failed,     // no job reached the printer (see problem)
    };
    Outcome outcome = Outcome::Failed;
    QString problem;  // Failed: why, in Italian, without a full stop
    QString notice;   // Sent: something the user should know (a stopped printer)

    bool sent() const { return outcome == Outcome::Sent; }
};

// Draws the pages on the device; false when the user stopped it.
using DrawPages = std::function<bool(QPagedPaintDevice&)>;

class Printers {
public:
    virtual ~Printers() = default;
    // The names of the installed printers, in the system's order.
    virtual QStringList printerNames() const = 0;
    // The system's default printer, "" when there is none.
    virtual QString defaultPrinter() const = 0;
    // Draws the whole job first, then hands it to the printer and tells
    // whether its queue accepted it.
    virtual PrintJob print(const QString& printer, const QString& jobName, const DrawPages& draw) = 0;

    // The printer chosen in the printer window during this run, else the
    // default one: where labels and the address book go.
    QString currentPrinter() const { return m_chosen.isEmpty() ? defaultPrinter() : m_chosen; }
    void choose(const QString& printer) { m_chosen = printer; }

private:
    QString m_chosen;
};

// The printers of the system through CUPS: the job is drawn into a PDF file
// and submitted with libcups, whose answer and job state say whether it was
// accepted.
class QtPrinters final : public Printers {
public:
    QStringList printerNames() const override;
    QString defaultPrinter() const override;
    PrintJob print(const QString& printer, const QString& jobName, const DrawPages& draw) override;
};

} // namespace quadrilo
