#include "app/seams/PanelContext.h"

#include "store/ErrorText.h"

#include <QWidget>

namespace quadrilo {

bool saveWorkbook(store::WorkbookSession& session, Dialogs& dialogs, QWidget* parent)
{
    auto saved = session.save();
    if (!saved) {
        dialogs.message(parent, kProductName, QStringLiteral("ERRORE: ") + store::sessionErrorText(saved.error()),
                        MessageIcon::Stop);
        return false;
    }
    if (!saved->keptOriginal.isEmpty())
        dialogs.message(parent, kProductName, store::keptOriginalText(session.droppedContent(), saved->keptOriginal),
                        MessageIcon::Information);
    return true;
}

int twipsToPixels(int twips, const QWidget& widget)
{
    return (twips * widget.logicalDpiX() + 720) / 1440;
}

} // namespace quadrilo
