#pragma once

// A main window over a workbook of the test's own, as a successful login
// leaves it: the session open, the window shown and activated once.

#include "app/Form1.h"
#include "app/Form4.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QEvent>

#include <algorithm>

#include <gtest/gtest.h>

namespace quadrilo::testsupport {

// Whether a message says that a command is done.
inline bool isSuccessText(const QString& text)
{
    static const QStringList beginnings{
        QStringLiteral(" Protocollo inserito "), QStringLiteral("Protocollo  Modificato"), QStringLiteral("Operazione eseguita"),
        QStringLiteral(" Operazione eseguita"),  QStringLiteral(" Contatto aggiunto"),    QStringLiteral("Cliente modificato"),
        QStringLiteral("Contatto eliminato"),
    };
    return std::any_of(beginnings.begin(), beginnings.end(), [&](const QString& b) { return text.startsWith(b); });
}

class MainWindowTest : public testing::Test {
protected:
    // Writes the workbook as Protocollo.xls of the folder and opens the window on it.
    void open(const store::Workbook& workbook)
    {
        ASSERT_TRUE(folder.isValid());
        workbookPath = folder.filePath(QStringLiteral("Protocollo.xls"));
        writeArchive(workbook, workbookPath);
        reopen();
    }
    // Closes the window and opens a new one over the file as it was saved.
    void reopen()
    {
        TearDown();
        session = openArchive(workbookPath);
        ASSERT_NE(session, nullptr);
        notes = std::make_unique<Form4>();
        // Whatever a box says is done is on disk while the box shows.
        dialogs.onMessage = [this](const RecordedBox& box) {
            if (box.icon != MessageIcon::Stop && isSuccessText(box.text))
                expectSavedAsShown();
        };
        form = std::make_unique<Form1>(Form1Setup{*session, dialogs, desktop, clock, printers, scanner, folder.path(), *notes, [this] { ++ended; }, loggedInUser});
        form->show();
    }
    void openDefault() { open(makeArchive()); }

    void TearDown() override
    {
        dialogs.onMessage = nullptr;
        form.reset();
        notes.reset();
        session.reset();
    }

    void trigger(const char* actionName)
    {
        QAction* action = form->findChild<QAction*>(QString::fromLatin1(actionName));
        ASSERT_NE(action, nullptr) << actionName;
        action->trigger();
        // The panels shown are laid out before the next click, as for a person.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }

    // As when another window of the program had the focus and the main window
    // gets it back.
    void returnFrom(QWidget& window)
    {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&window, &activate);
        QEvent back(QEvent::WindowActivate);
        QApplication::sendEvent(form.get(), &back);
    }

    store::Sheet sheet(const QString& name) { return *session->workbook().sheet(name); }

    // The file on disk holds every cell as the window's workbook holds it:
    // the last command saved all of its work.
    void expectSavedAsShown()
    {
        store::Workbook saved = readArchive(workbookPath);
        store::Workbook& shown = session->workbook();
        ASSERT_EQ(saved.sheetCount(), shown.sheetCount());
        int differences = 0;
        for (int index = 0; index < shown.sheetCount() && differences < 5; ++index) {
            const store::Sheet mine = *shown.sheetAt(index);
            const store::Sheet onDisk = *saved.sheetAt(index);
            EXPECT_EQ(onDisk.name(), mine.name());
            const int rows = std::max(mine.lastUsedRow(), onDisk.lastUsedRow());
            const int columns = std::max(mine.lastUsedColumn(), onDisk.lastUsedColumn());
            for (int row = 1; row <= rows && differences < 5; ++row)
                for (int column = 1; column <= columns; ++column)
                    if (!(mine.value(row, column) == onDisk.value(row, column))) {
                        ADD_FAILURE() << "not saved: " << mine.name().toStdString() << " row " << row << " column "
                                      << column << ": " << testing::PrintToString(mine.value(row, column)) << " on disk "
                                      << testing::PrintToString(onDisk.value(row, column));
                        if (++differences == 5)
                            break;
                    }
        }
    }

    TempDir folder;
    QString workbookPath;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    PdfPrinters printers;
    FakeScanner scanner;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7))};
    std::unique_ptr<store::WorkbookSession> session;
    std::unique_ptr<Form4> notes;
    std::unique_ptr<Form1> form;
    int ended = 0;
    QString loggedInUser = QStringLiteral("mario");
};

} // namespace quadrilo::testsupport
