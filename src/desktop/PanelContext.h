#pragma once

// What the panels of the main window share: the open workbook, the dialogs and
// desktop seams, and the two routines of the main window every panel calls.

#include "desktop/Desktop.h"
#include "desktop/Dialogs.h"
#include "desktop/Printers.h"
#include "store/Session.h"

#include <QString>

#include <functional>

class QWidget;

namespace quadrilo {

// How the program writes dates and times, whatever the system locale.
inline const QString kDateFormat = QStringLiteral("dd/MM/yyyy");
inline const QString kTimeFormat = QStringLiteral("HH:mm:ss");
inline const QString kProductName = QStringLiteral("Quadrilo");

struct PanelContext {
    store::WorkbookSession& session;
    Dialogs& dialogs;
    Desktop& desktop;
    Clock& clock;
    Printers& printers;
    QString programFolder;
    // The login name the user entered with.
    QString loggedInUser;
    // Empties every field of the main window and shows the next number again.
    std::function<void()> clearFields;
    // Saves the workbook; false when it failed (the user has been told).
    std::function<bool()> saveWorkbook;
    // Reloads the drop-downs that offer the lookup lists, after a list changed.
    std::function<void()> lookupListsChanged;

    store::Workbook& workbook() const { return session.workbook(); }
};

// Saves the session's workbook. A failure is told in a message box and the
// previous file stays; on the first save of a file whose extra content is not
// written back, the user is told where the original was kept.
bool saveWorkbook(store::WorkbookSession& session, Dialogs& dialogs, QWidget* parent);

// What is done is said only once it is on disk: the workbook is saved, then
// the message is shown; a failed save has been told instead. True when saved.
bool saveThenTell(PanelContext& context, QWidget* parent, const QString& title, const QString& text, MessageIcon icon);

// Twips (1/1440 inch) to pixels at the widget's screen resolution.
int twipsToPixels(int twips, const QWidget& widget);

} // namespace quadrilo
