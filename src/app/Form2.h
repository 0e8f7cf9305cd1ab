#pragma once

// The login window, first window of the program: the startup checks, the
// opening of Protocollo.xls, the user list and the login check. It holds the
// workbook session for the whole run.

#include "desktop/Desktop.h"
#include "desktop/Dialogs.h"
#include "desktop/Printers.h"
#include "desktop/Scanner.h"
#include "store/Session.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace quadrilo {

class Form1;
class Form4;

struct ProgramSetup {
    Dialogs& dialogs;
    Desktop& desktop;
    Clock& clock;
    Printers& printers;
    Scanner& scanner;
    // The folder of Protocollo.xls, Prot and Guida.pdf.
    QString programFolder;
    // Ends the program at once.
    std::function<void()> endProgram;
    // The password of the workbook; the program's own unless a test says otherwise.
    QString workbookPassword;
};

class Form2 final : public QWidget {
    Q_OBJECT
public:
    explicit Form2(ProgramSetup setup, QWidget* parent = nullptr);
    ~Form2() override;

    // The startup sequence: the attachment folder, the in-use and readable
    // tests, the opening of the workbook, the user list. False when the
    // program must end (the user has been told why); nothing was written.
    bool Form_Load();

    QString workbookPath() const;
    store::WorkbookSession* session() const { return m_session.get(); }
    Form1* mainWindow() const { return m_main.get(); }
    Form4& notesWindow() const { return *m_notes; }

protected:
    // The title-bar close does nothing.
    void closeEvent(QCloseEvent* event) override;

private:
    void FillUserList();
    void Command1_Click();
    void Command2_Click();
    void Check1_Click();
    // Alerts off, host quit without saving: the session closes, the program ends.
    void endWithoutSaving();

    ProgramSetup m_setup;
    std::unique_ptr<store::WorkbookSession> m_session;
    std::unique_ptr<Form4> m_notes;
    std::unique_ptr<Form1> m_main;
    QComboBox* m_user = nullptr;      // Combo1
    QLineEdit* m_password = nullptr;  // Text1
    QPushButton* m_enter = nullptr;   // Command1
    QPushButton* m_cancel = nullptr;  // Command2
    QCheckBox* m_notesBox = nullptr;  // Check1
};

} // namespace quadrilo
