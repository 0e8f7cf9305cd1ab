#pragma once

// The label of the protocol shown on the protocol panel, printed on the
// current printer (the one chosen in the printer window during the run, else
// the default) from the scratch cell AU1 of sheet Entrata.

#include "desktop/PanelContext.h"
#include "store/Layout.h"

#include <QString>

namespace quadrilo::printing {

struct LabelFields {
    QString number;
    QString date;
    QString correspondent;
    QString sector;
    QString assignee;
};

// The five lines of the label.
QString labelText(store::layout::RegisterKind kind, const LabelFields& fields);

enum class LabelOutcome { Printed, MissingField, PrintFailed };

// Formats AU1 of Entrata as a label, writes the text, prints that cell alone
// on the current printer, then empties it and gives row 1 its height of 14
// points back. A missing field (nothing changed) and a failed print are told
// to the user.
LabelOutcome printProtocolLabel(PanelContext& context, QWidget* parent, store::layout::RegisterKind kind, const LabelFields& fields);

} // namespace quadrilo::printing
