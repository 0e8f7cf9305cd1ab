#pragma once

// The main window: the frames of the panels, shown and hidden by the menu
// (the navigation table), the clock, the activation that reloads the lists and
// prepares the sheets, and the exit that saves, closes and ends.

#include "desktop/PanelContext.h"
#include "desktop/Scanner.h"
#include "store/Layout.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <initializer_list>
#include <memory>

class QLabel;
class QLineEdit;
class QTimer;

namespace quadrilo {

class Form4;
namespace protocol { class ProtocolPanel; }
namespace contacts { class ContactPanel; class ContactPicker; }
namespace settings { class SettingsPanel; class UsersPanel; class WorkbookWindow; }
namespace printing { class PrintPanel; class PrinterWindow; enum class ListCode; }
namespace scan { class Form5; }

// The address the logo opens.
inline const QString kProductWebPage = QStringLiteral("https://quadrilo.example/");

struct Form1Setup {
    store::WorkbookSession& session;
    Dialogs& dialogs;
    Desktop& desktop;
    Clock& clock;
    Printers& printers;
    Scanner& scanner;
    QString programFolder;
    Form4& notesWindow;
    // Ends the program at once; the session is closed by then.
    std::function<void()> endProgram;
    // The login name the user entered with.
    QString loggedInUser;
};

class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(Form1Setup setup, QWidget* parent = nullptr);
    ~Form1() override;

    // A window of the program (notes, printer choice, viewer, scanner) whose
    // leaving makes the main window run its activation again.
    void addCompanionWindow(QWidget* window);

    // Form_Activate: lists reloaded, calendar reset, contact counter shown,
    // sheets prepared, owner data shown, register list emptied.
    void Form_Activate();
    // ClearFields: every field emptied, check boxes unticked, the contact
    // counter and the next number shown.
    void ClearFields();
    // The entry drop-downs of the protocol and contact panels from the lookup lists.
    void fillEntryLists();
    bool SaveWorkbook();

    protocol::ProtocolPanel& protocolPanel() const { return *m_protocol; }
    contacts::ContactPanel& contactPanel() const { return *m_contacts; }
    contacts::ContactPicker& contactPicker() const { return *m_picker; }
    settings::SettingsPanel& settingsPanel() const { return *m_settings; }
    settings::UsersPanel& usersPanel() const { return *m_users; }
    printing::PrintPanel& printPanel() const { return *m_print; }
    // The workbook window "&Excel" opened, or nullptr.
    settings::WorkbookWindow* workbookWindow() const { return m_workbookWindow.get(); }
    // Frame1 to Frame8 by number.
    QWidget* frame(int number) const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    QWidget* buildTopBar();
    // One row of the navigation table: frames to show, then frames to hide.
    void showAndHide(std::initializer_list<int> shown, std::initializer_list<int> hidden);

    void openRegister(store::layout::RegisterKind kind);
    void MnContatti_Click();
    void MnCoopertina_Click();
    void MnImpostazioni_Click();
    void MnUtente_Click();
    void MnExcel_Click();
    void MnIstruzioni_Click();
    void Norme_Click();
    void MenuEsci_Click();
    void Command20_Click();
    void Command12_Click();
    void Command2_Click();
    void Command5_Click();
    void Command6_Click();
    void Command21_Click();
    void Command72_Click();
    void Command50_Click();
    void Command51_Click();
    // "Allega file": a file of the computer copied into Prot and named in the note.
    void Command52_Click();
    // A document belongs to a protocol with its number and correspondent: else told.
    bool hasProtocolForDocument();
    void Command15_Click();
    // The printer window for the list of code, loaded on first use.
    void openPrinterWindow(printing::ListCode code);
    void Timer2_Timer();
    void Image1_MouseDown();

    Form1Setup m_setup;
    PanelContext m_context;
    protocol::ProtocolPanel* m_protocol = nullptr;
    contacts::ContactPanel* m_contacts = nullptr;
    contacts::ContactPicker* m_picker = nullptr;
    settings::SettingsPanel* m_settings = nullptr;
    settings::UsersPanel* m_users = nullptr;
    printing::PrintPanel* m_print = nullptr;
    QLineEdit* m_clock = nullptr;  // Text9
    QLabel* m_logo = nullptr;      // Image1
    QTimer* m_timer = nullptr;     // Timer2
    bool m_activated = false;
    // Another window of the program had the focus since the last activation.
    bool m_companionWasActive = false;
    bool m_ended = false;
    std::unique_ptr<settings::WorkbookWindow> m_workbookWindow;
    QPointer<printing::PrinterWindow> m_printerWindow;
    QPointer<scan::Form5> m_scannerWindow;
};

} // namespace quadrilo
