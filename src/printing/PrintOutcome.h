#pragma once

// What the user is told once a printout was handed to the printer.

#include "desktop/Dialogs.h"
#include "desktop/Printers.h"

class QWidget;

namespace quadrilo::printing {

// A job that did not reach the printer is told with its reason, a cancelled
// one is told that nothing was printed, a sent one with a notice gets it.
// True when the job was sent.
bool tellPrintOutcome(Dialogs& dialogs, QWidget* parent, const PrintJob& job, const QString& printer);

} // namespace quadrilo::printing
