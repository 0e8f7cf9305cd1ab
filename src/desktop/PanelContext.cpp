#include "desktop/PanelContext.h"

#include "store/ErrorText.h"

#include <QWidget>

namespace quadrilo {

bool saveWorkbook(store::WorkbookSession& session, Dialogs& dialogs, QWidget* parent)
{
    auto saved = session.save();
    if (!saved) {
        dialogs.message(parent, kProductName,
                        QStringLiteral("ERRORE: ") + store::sessionErrorText(saved.error())
                            + QStringLiteral("\nL'ultima operazione NON è registrata nel file: resta nel programma aperto "
                                             "e sarà salvata con il prossimo salvataggio riuscito."),
                        MessageIcon::Stop);
        return false;
    }
    if (!saved->keptOriginal.isEmpty())
        dialogs.message(parent, kProductName, store::keptOriginalText(session.droppedContent(), saved->keptOriginal),
                        MessageIcon::Information);
    return true;
}

bool saveThenTell(PanelContext& context, QWidget* parent, const QString& title, const QString& text, MessageIcon icon)
{
    if (!context.saveWorkbook())
        return false;
    context.dialogs.message(parent, title, text, icon);
    return true;
}

int twipsToPixels(int twips, const QWidget& widget)
{
    return (twips * widget.logicalDpiX() + 720) / 1440;
}

} // namespace quadrilo
