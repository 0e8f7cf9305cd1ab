#pragma once

// Files already on the computer (a PDF received by e-mail, any document)
// attached to a protocol: copied into the attachment folder.

#include "desktop/PanelContext.h"

#include <QDir>
#include <QString>

namespace quadrilo::scan {

// A name for the copy of the file named original in folder that replaces
// nothing and leads nowhere else: letters, digits, blanks, dots, dashes and
// underscores kept, anything else made "_", and " (2)", " (3)"... before the
// extension while the name is taken.
QString safeAttachmentName(const QString& original, const QDir& folder);

// Lets the user choose a file and copies it into Prot under a safe name. The
// name of the copy; "" when no file was chosen or the copy failed (told).
QString attachExistingFile(PanelContext& context, QWidget* parent);

} // namespace quadrilo::scan
