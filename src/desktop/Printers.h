#pragma once

// The printers of the system, and printing on one of them, behind an
// interface so that tests print to PDF files instead.

#include <QString>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;

namespace quadrilo {

class Printers {
public:
    virtual ~Printers() = default;
    // The names of the installed printers, in the system's order.
    virtual QStringList printerNames() const = 0;
    // The system's default printer, "" when there is none.
    virtual QString defaultPrinter() const = 0;
    // Runs draw on the named printer's device and sends the job; false when
    // there is no such printer or the job could not start.
    virtual bool print(const QString& printer, const QString& jobName,
                       const std::function<void(QPagedPaintDevice&)>& draw) = 0;
};

// The printers of the system through Qt (CUPS).
class QtPrinters final : public Printers {
public:
    QStringList printerNames() const override;
    QString defaultPrinter() const override;
    bool print(const QString& printer, const QString& jobName,
               const std::function<void(QPagedPaintDevice&)>& draw) override;
};

} // namespace quadrilo
