#include "app/Form1.h"

#include "app/Form4.h"
#include "app/Logo.h"
#include "contacts/ContactPanel.h"
#include "contacts/ContactPicker.h"
#include "printing/ContactListPrinting.h"
#include "printing/DailyRegisterWindow.h"
#include "printing/LabelPrinting.h"
#include "printing/PrintPanel.h"
#include "printing/PrinterWindow.h"
#include "register/ClearFields.h"
#include "scan/Attachments.h"
#include "scan/ScanWindows.h"
#include "register/CounterSettings.h"
#include "register/ProtocolPanel.h"
#include "settings/LookupLists.h"
#include "settings/SettingsPanel.h"
#include "settings/UsersPanel.h"
#include "settings/WorkbookWindow.h"
#include "store/ErrorText.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace quadrilo {

namespace layout = store::layout;
using layout::RegisterKind;

namespace {

// A label that reports presses of any mouse button.
class PressableLabel final : public QLabel {
public:
    std::function<void()> pressed;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QLabel::mousePressEvent(event);
        if (pressed)
            pressed();
    }
};

QAction* makeAction(QObject* parent, const char* name, const QString& caption)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

Form1::Form1(Form1Setup setup, QWidget* parent)
    : QMainWindow(parent)
    , m_setup(std::move(setup))
    , m_context{m_setup.session, m_setup.dialogs, m_setup.desktop, m_setup.clock, m_setup.printers, m_setup.programFolder,
                m_setup.loggedInUser, {}, {}}
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quadrilo versione 3.2 - Release del 4-8-2009"));
    m_context.clearFields = [this] { ClearFields(); };
    m_context.saveWorkbook = [this] { return SaveWorkbook(); };
    m_context.lookupListsChanged = [this] { fillEntryLists(); };

    m_protocol = new protocol::ProtocolPanel(m_context);
    m_picker = new contacts::ContactPicker(m_context);
    m_protocol->setContactPicker(m_picker);
    m_contacts = new contacts::ContactPanel(m_context);
    m_settings = new settings::SettingsPanel(m_context);
    m_settings->setUtilitySection(new protocol::CounterSettings(m_context));
    m_print = new printing::PrintPanel;
    m_users = new settings::UsersPanel(m_context);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildTopBar());
    for (QWidget* panel : std::initializer_list<QWidget*>{m_protocol, m_contacts, m_settings, m_print, m_users})
        layout->addWidget(panel, 1);
    layout->addStretch(0);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(central);
    setCentralWidget(scroll);
    buildMenu();

    connect(m_protocol->exitButton(), &QPushButton::clicked, this, &Form1::Command20_Click);
    connect(m_protocol->newContactButton(), &QPushButton::clicked, this, &Form1::Command15_Click);
    connect(m_protocol->labelButton(), &QPushButton::clicked, this, &Form1::Command21_Click);
    connect(m_protocol->scanButton(), &QPushButton::clicked, this, &Form1::Command50_Click);
    connect(m_protocol->attachmentsButton(), &QPushButton::clicked, this, &Form1::Command51_Click);
    connect(m_protocol->attachFileButton(), &QPushButton::clicked, this, &Form1::Command52_Click);
    connect(m_protocol->selectContactButton(), &QPushButton::clicked, m_picker, &contacts::ContactPicker::open);
    connect(m_picker, &contacts::ContactPicker::contactChosen, m_protocol, &protocol::ProtocolPanel::setCorrespondent);
    connect(m_picker->exitButton(), &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(m_contacts->exitButton(), &QPushButton::clicked, this, &Form1::Command12_Click);
    connect(m_contacts->printButton(), &QPushButton::clicked, this, &Form1::Command72_Click);
    connect(m_settings->exitButton(), &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_print->exitButton(), &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(m_print, &printing::PrintPanel::printRequested, this, &Form1::openPrinterWindow);
    connect(m_print->dailyRegisterButton(), &QPushButton::clicked, this, [this] {
        printing::DailyRegisterWindow window(m_context, this);
        window.exec();
    });
    connect(m_settings->printButton(), &QPushButton::clicked, this, [this] { openPrinterWindow(printing::ListCode::Lists); });

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer2"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Form1::Timer2_Timer);
    m_timer->start();
    Timer2_Timer();

    addCompanionWindow(&m_setup.notesWindow);

    // Form_Load: only the menu, the clock and the logo show.
    showAndHide({}, {1, 3, 4, 5, 7});
    // The whole screen: the register list takes all the height left.
    if (const QScreen* shown = screen())
        resize(shown->availableGeometry().size());
}

Form1::~Form1()
{
    delete m_printerWindow;
    delete m_scannerWindow;
}

QWidget* Form1::buildTopBar()
{
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto* logo = new PressableLabel;
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(drawLogo(40));
    logo->setToolTip(kProductWebPage);
    logo->setAccessibleName(QStringLiteral("Quadrilo: pagina web"));
    logo->pressed = [this] { Image1_MouseDown(); };
    m_logo = logo;
    auto* info = new QLabel(QStringLiteral("Registro di protocollo della corrispondenza in Entrata e in Uscita"));
    auto* guide = new QPushButton(QStringLiteral("Istruzioni"));
    guide->setObjectName(QStringLiteral("Command4"));
    connect(guide, &QPushButton::clicked, this, &Form1::MnIstruzioni_Click);
    m_clock = new QLineEdit;
    m_clock->setObjectName(QStringLiteral("Text9"));
    m_clock->setReadOnly(true);
    m_clock->setFocusPolicy(Qt::NoFocus);
    m_clock->setAccessibleName(QStringLiteral("Ora e data"));
    m_clock->setMinimumWidth(m_clock->fontMetrics().horizontalAdvance(QStringLiteral("Ore...00:00:00    00/00/0000")) + 16);
    row->addWidget(m_logo);
    row->addWidget(info, 1);
    row->addWidget(guide);
    row->addWidget(m_clock);
    return bar;
}

void Form1::buildMenu()
{
    QMenuBar* bar = menuBar();
    QMenu* registers = bar->addMenu(kProductName);
    registers->setObjectName(QStringLiteral("MenuPratiche"));
    QAction* entrata = makeAction(this, "MenuClienti", QStringLiteral("Gestione &in Entrata"));
    QAction* uscita = makeAction(this, "MenuArchiviazione", QStringLiteral("Gestione &in Uscita"));
    registers->addAction(entrata);
    registers->addAction(uscita);
    connect(entrata, &QAction::triggered, this, [this] { openRegister(RegisterKind::Entrata); });
    connect(uscita, &QAction::triggered, this, [this] { openRegister(RegisterKind::Uscita); });

    struct Entry {
        const char* name;
        const char* caption;
        void (Form1::*handler)();
    };
    const Entry entries[] = {
        {"MnContatti", "&Gestione Contatti", &Form1::MnContatti_Click},
        {"MnCoopertina", "&Stampe", &Form1::MnCoopertina_Click},
        {"MnImpostazioni", "&Impostazioni", &Form1::MnImpostazioni_Click},
        {"MnUtente", "&Utenti/Password", &Form1::MnUtente_Click},
        {"MnIstruzioni", "&Istruzioni", &Form1::MnIstruzioni_Click},
        {"Norme", "&Norme di Utilizzo", &Form1::Norme_Click},
        {"MnExcel", "&Excel", &Form1::MnExcel_Click},
        {"MenuEsci", "&Esci dal programma", &Form1::MenuEsci_Click},
    };
    for (const Entry& entry : entries) {
        QAction* action = makeAction(this, entry.name, QString::fromUtf8(entry.caption));
        bar->addAction(action);
        connect(action, &QAction::triggered, this, entry.handler);

    }
}

QWidget* Form1::frame(int number) const
{
    switch (number) {
    case 1: return m_protocol;
    case 2: return m_protocol->calendarFrame();
    case 3: return m_contacts;
    case 4: return m_settings;
    case 5: return m_print;
    case 6: return m_protocol->commandFrame();
    case 7: return m_users;
    case 8: return m_picker;
    }
    return nullptr;
}

void Form1::showAndHide(std::initializer_list<int> shown, std::initializer_list<int> hidden)
{
    for (int number : shown)
        frame(number)->show();
    for (int number : hidden)
        frame(number)->hide();
}

void Form1::addCompanionWindow(QWidget* window)
{
    window->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType())
        m_companionWasActive = true;
    return QMainWindow::eventFilter(watched, event);
}

bool Form1::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    // The first showing, and coming back from another window of the program;
    // message boxes and input boxes do not count.
    const bool firstShow = event->type() == QEvent::Show && !m_activated;
    const bool back = event->type() == QEvent::WindowActivate && m_companionWasActive;
    if (!m_ended && (firstShow || back)) {
        m_activated = true;
        m_companionWasActive = false;
        Form_Activate();
    }
    return handled;
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void Form1::Form_Activate()
{
    store::Workbook& workbook = m_context.workbook();
    namespace varie = layout::varie;
    settings::fillLookupList(workbook, varie::kDocumentTypes, *m_settings->selector(varie::kDocumentTypes));
    settings::fillLookupList(workbook, varie::kCorrespondenceTypes, *m_settings->selector(varie::kCorrespondenceTypes));
    settings::fillLookupList(workbook, varie::kSectors, *m_settings->selector(varie::kSectors));
    settings::fillLookupList(workbook, varie::kAssignees, *m_settings->selector(varie::kAssignees));
    m_contacts->fillContactList();
    settings::fillLookupList(workbook, varie::kContactTypes, *m_settings->selector(varie::kContactTypes));
    fillEntryLists();

    m_protocol->calendar()->setSelectedDate(m_context.clock.now().date());
    m_protocol->calendar()->hide();

    m_contacts->ensureContactCounter();
    m_contacts->showContactCounter();

    layout::prepareSheets(workbook);
    m_users->showOwnerData();
    m_protocol->registerModel().setRecords({});
}

void Form1::fillEntryLists()
{
    store::Workbook& workbook = m_context.workbook();
    namespace varie = layout::varie;
    settings::fillLookupList(workbook, varie::kDocumentTypes, *m_protocol->documentTypeCombo());
    settings::fillLookupList(workbook, varie::kCorrespondenceTypes, *m_protocol->correspondenceTypeCombo());
    settings::fillLookupList(workbook, varie::kSectors, *m_protocol->sectorCombo());
    settings::fillLookupList(workbook, varie::kAssignees, *m_protocol->assigneeCombo());
    settings::fillLookupList(workbook, varie::kContactTypes, *m_contacts->contactTypeCombo());
}

void Form1::ClearFields()
{
    protocol::clearEveryField(*this);
    Timer2_Timer();  // the clock is a text box too: no blank second
    m_contacts->showContactCounter();
    m_protocol->showNextNumber();
}

bool Form1::SaveWorkbook()
{
    return saveWorkbook(m_context.session, m_context.dialogs, this);
}

void Form1::openRegister(RegisterKind kind)
{
    showAndHide({1, 6}, {2, 3, 4, 5, 7, 8});
    m_protocol->openRegister(kind);
    m_contacts->fillContactList();
}

void Form1::MnContatti_Click()
{
    showAndHide({3}, {1, 2, 8, 5, 4, 7});
    m_contacts->fillContactList();
}

void Form1::MnCoopertina_Click()
{
    showAndHide({5}, {1, 3, 4, 7, 2, 8});
}

void Form1::MnImpostazioni_Click()
{
    showAndHide({4}, {8, 1, 3, 5, 7, 2});
    m_settings->disableEditBoxes();
}

void Form1::MnUtente_Click()
{
    showAndHide({}, {1, 2, 3, 4, 5, 6, 8});
    m_users->openArea();
}

void Form1::MnExcel_Click()
{
    showAndHide({}, {1, 2, 3, 4, 5, 6, 7, 8});
    const QString typed = m_context.dialogs.inputBox(this, kProductName, QStringLiteral("Digita  la Password  di Accesso"))
                              .value_or(QString());
    const auto& cell = layout::kHostPassword;
    const auto sheet = m_context.workbook().sheet(cell.sheet);
    if (typed != (sheet ? sheet->text(cell.row, cell.column) : QString())) {
        m_context.dialogs.message(this, kProductName, QStringLiteral("ERRORE: La Password  di Accesso è ERRATA"),
                                  MessageIcon::Information);
        return;
    }
    // The workbook goes to its own window; the program ends when that closes.
    if (auto entrata = m_context.workbook().sheet(layout::kEntrata)) {
        entrata->activate();
        entrata->select(store::CellRef{1, 1});
    }
    m_ended = true;
    m_timer->stop();
    m_setup.notesWindow.hide();
    m_workbookWindow = std::make_unique<settings::WorkbookWindow>(m_context.session, m_context.dialogs, m_setup.endProgram);
    m_workbookWindow->show();
    hide();
}

void Form1::MnIstruzioni_Click()
{
    // The office's own guide first, then the one installed with the program
    // (share/quadrilo) or built beside it.
    const QString executables = QCoreApplication::applicationDirPath();
    const QString candidates[] = {QDir(m_context.programFolder).filePath(layout::kGuideFileName),
                                  QDir(executables).filePath(QStringLiteral("../share/quadrilo/") + layout::kGuideFileName),
                                  QDir(executables).filePath(layout::kGuideFileName)};
    const auto found = std::find_if(std::begin(candidates), std::end(candidates), [](const QString& path) { return QFileInfo::exists(path); });
    if (found == std::end(candidates)) {
        m_context.desktop.openDocument(candidates[0]);   // no guide anywhere: nothing to show
        return;
    }
    if (!m_context.desktop.openDocument(QDir::cleanPath(*found)))
        m_context.dialogs.message(this, kProductName,
                                  QStringLiteral("La guida %1 non si può aprire: su questo computer manca un programma per "
                                                 "leggere i file PDF.")
                                      .arg(QDir::toNativeSeparators(QDir::cleanPath(*found))),
                                  MessageIcon::Information);
}

void Form1::Norme_Click()
{
    m_setup.notesWindow.showNotes(true);
    showAndHide({}, {2, 3, 4, 5, 1, 7, 8, 6});
}

void Form1::Command20_Click()
{
    showAndHide({}, {6, 1});
}

void Form1::Command12_Click()
{
    showAndHide({}, {3});
    m_contacts->chooser()->clear();
    ClearFields();
    SaveWorkbook();
}

void Form1::Command2_Click()
{
    showAndHide({}, {4});
    ClearFields();
    m_settings->resetEditing();
}

void Form1::Command5_Click()
{
    showAndHide({}, {5});
    SaveWorkbook();
}

void Form1::Command6_Click()
{
    showAndHide({}, {8});
}

void Form1::Command21_Click()
{
    // A record chosen among both registers is labelled as its own register's.
    const auto kind = m_protocol->registerOfShownRecord();
    if (!kind)
        return;
    const protocol::ProtocolRecord record = m_protocol->record();
    const printing::LabelFields fields{record.number, record.date, record.correspondent, record.sector, record.assignee};
    if (printing::printProtocolLabel(m_context, this, *kind, fields) == printing::LabelOutcome::MissingField)
        m_protocol->focusDate();
}

void Form1::Command72_Click()
{
    // After the pages are offered the printer window goes, if it is loaded.
    if (printing::printContactList(m_context, this) && m_printerWindow)
        m_printerWindow->hide();
}

bool Form1::hasProtocolForDocument()
{
    const protocol::ProtocolRecord record = m_protocol->record();
    if (!record.number.isEmpty() && !record.correspondent.isEmpty())
        return true;
    m_context.dialogs.message(
        this, QStringLiteral("Scanner"),
        QStringLiteral("ERRORE : Il documento deve essere associato ad un Protocollo ed a un Contatto/Mittente/Destinatario "),
        MessageIcon::Information);
    return false;
}

void Form1::Command50_Click()
{
    if (!hasProtocolForDocument())
        return;
    if (!m_scannerWindow) {
        m_scannerWindow = new scan::Form5(m_context, m_setup.scanner,
                                          [this](const QString& line) { m_protocol->appendToNote(line); });
        addCompanionWindow(m_scannerWindow);
    }
    m_scannerWindow->open();
}

void Form1::Command51_Click()
{
    auto* viewer = new scan::Form3(m_context);
    addCompanionWindow(viewer);
    viewer->show();
}

void Form1::Command52_Click()
{
    if (!hasProtocolForDocument())
        return;
    const QString name = scan::attachExistingFile(m_context, this);
    if (!name.isEmpty())
        m_protocol->appendToNote(scan::attachmentLine(name));
}

void Form1::Command15_Click()
{
    showAndHide({3}, {1});
}

void Form1::openPrinterWindow(printing::ListCode code)
{
    if (!m_printerWindow) {
        m_printerWindow = new printing::PrinterWindow(m_context);
        addCompanionWindow(m_printerWindow);
    }
    m_printerWindow->openFor(code);
}

void Form1::Timer2_Timer()
{
    const QDateTime now = m_context.clock.now();
    m_clock->setText(QStringLiteral("Ore...") + now.toString(kTimeFormat) + QStringLiteral("    ")
                     + now.toString(kDateFormat));
}

void Form1::Image1_MouseDown()
{
    m_logo->setFrameShape(QFrame::Box);
    m_logo->setFrameShadow(QFrame::Plain);
    m_context.desktop.openWebPage(kProductWebPage);
}

void Form1::MenuEsci_Click()
{
    m_setup.notesWindow.hide();
    store::WorkbookSession& session = m_context.session;
    auto saved = session.save();
    if (!saved) {
        // Ending now would lose what the save did not write: the user decides.
        const QString question = QStringLiteral("ERRORE: ") + store::sessionErrorText(saved.error())
            + QStringLiteral("\n\nUscire comunque dal programma? Le modifiche non salvate andranno perse.");
        if (!m_context.dialogs.askYesNo(this, kProductName, question, MessageIcon::Stop))
            return;
    } else if (!saved->keptOriginal.isEmpty()) {
        m_context.dialogs.message(this, kProductName,
                                  store::keptOriginalText(session.droppedContent(), saved->keptOriginal),
                                  MessageIcon::Information);
    }
    session.close();
    m_ended = true;
    m_timer->stop();
    m_setup.endProgram();
}

} // namespace quadrilo
