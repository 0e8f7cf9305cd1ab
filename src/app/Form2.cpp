#include "app/Form2.h"

#include "app/Form1.h"
#include "app/Form4.h"
#include "app/Logo.h"
#include "desktop/PanelContext.h"
#include "store/Backups.h"
#include "store/ErrorText.h"
#include "store/Layout.h"
#include "store/Sheet.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quadrilo {

namespace layout = store::layout;

namespace {

// The password the login field holds when the window shows: the one a new
// archive's first user gets.
const QString kPresetPassword = QStringLiteral("admin");

const QString kInUseText = QStringLiteral(
    "ERRORE: Risulta che il database Protocollo.xls è già aperto\n Occorre chiuderlo e  poi si potrà riaprire l'applicazione !");

// "da Anna Rossi sul computer ufficio dal 08/12/2026 10:00", from what the
// lock file says.
QString holderText(const store::LockHolder& holder)
{
    QString text;
    if (!holder.user.isEmpty())
        text += QStringLiteral(" da ") + holder.user;
    if (!holder.host.isEmpty())
        text += QStringLiteral(" sul computer ") + holder.host;
    if (!holder.since.isEmpty())
        text += QStringLiteral(" dal ") + QString(holder.since).replace(QLatin1Char('.'), QLatin1Char('/'));
    return text;
}

QString inUseText(const store::LockHolder& holder)
{
    const QString who = holderText(holder);
    QString text = who.isEmpty() ? kInUseText : kInUseText + QStringLiteral("\n\nIl file risulta aperto") + who + QLatin1Char('.');
    // Another computer's program is not seen from here: the office may know it is gone.
    if (holder.otherComputer)
        text += QStringLiteral("\nSe su quel computer il file non è più aperto, si può cancellare il file nascosto %1 e riaprire l'applicazione.")
                    .arg(QDir::toNativeSeparators(holder.lockFile));
    return text;
}

QString notFoundText(const QString& path)
{
    return QStringLiteral("Impossibile eseguire il programma\r\nIl file ") + QDir::toNativeSeparators(path)
        + QStringLiteral(" non è stato trovato.");
}

} // namespace

Form2::Form2(ProgramSetup setup, QWidget* parent)
    : QWidget(parent)
    , m_setup(std::move(setup))
    , m_notes(std::make_unique<Form4>())
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Quadrilo versione 3.1 "));
    if (m_setup.workbookPassword.isEmpty())
        m_setup.workbookPassword = layout::kWorkbookPassword;

    auto* picture = new QLabel;
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(drawLogo(48));
    auto* info = new QLabel(QStringLiteral("Registro di protocollo della corrispondenza"));

    m_user = new QComboBox;
    m_user->setObjectName(QStringLiteral("Combo1"));
    m_user->setEditable(true);
    m_user->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is what is compared: no completion may change its case.
    m_user->completer()->setCaseSensitivity(Qt::CaseSensitive);
    m_password = new QLineEdit(kPresetPassword);
    m_password->setObjectName(QStringLiteral("Text1"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    auto* userLabel = new QLabel(QStringLiteral("Seleziona Utente:"));
    userLabel->setBuddy(m_user);
    auto* passwordLabel = new QLabel(QStringLiteral("Password:"));
    passwordLabel->setBuddy(m_password);

    m_enter = new QPushButton(QStringLiteral("&Entra"));
    m_enter->setObjectName(QStringLiteral("Command1"));
    m_enter->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Annulla"));
    m_cancel->setObjectName(QStringLiteral("Command2"));
    m_notesBox = new QCheckBox(QStringLiteral("Leggi le novità di questa versione "));
    m_notesBox->setObjectName(QStringLiteral("Check1"));

    auto* grid = new QGridLayout;
    grid->addWidget(userLabel, 0, 0);
    grid->addWidget(m_user, 0, 1);
    grid->addWidget(passwordLabel, 1, 0);
    grid->addWidget(m_password, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_notesBox);
    buttons->addStretch();
    buttons->addWidget(m_enter);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(info, 1);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_enter, &QPushButton::clicked, this, &Form2::Command1_Click);
    // Enter in the password field logs in, as the default button would in a dialog.
    connect(m_password, &QLineEdit::returnPressed, this, &Form2::Command1_Click);
    connect(m_cancel, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(m_notesBox, &QCheckBox::clicked, this, &Form2::Check1_Click);
}

Form2::~Form2()
{
    // The main window goes first: it uses the session and the notes window.
    m_main.reset();
}

QString Form2::workbookPath() const
{
    return QDir(m_setup.programFolder).filePath(layout::kWorkbookFileName);
}

bool Form2::Form_Load()
{
    const QString path = workbookPath();
    store::SessionOptions options;
    options.password = m_setup.workbookPassword;
    const store::LockHolder holder = QFileInfo::exists(path) ? store::FileLock::holder(path) : store::LockHolder{};
    if (holder.state == store::LockHolder::State::Held) {
        m_setup.dialogs.message(this, kProductName, inUseText(holder), MessageIcon::Stop);
        return false;
    }
    if (holder.state == store::LockHolder::State::Stale) {
        // Left by a program of this computer that ended without closing it:
        // nothing holds it any more.
        if (!m_setup.dialogs.askYesNo(this, kProductName,
                                      QStringLiteral("Risulta che il database Protocollo.xls è già aperto") + holderText(holder)
                                          + QStringLiteral(", ma nessun programma di questo computer lo sta più usando: "
                                                           "il programma che lo aveva aperto si è chiuso senza liberarlo.\n"
                                                           "Vuoi liberarlo e aprire l'applicazione ?")))
            return false;
        options.takeOverStaleLock = true;
    }
    if (!store::WorkbookSession::verifyFile(path)) {
        m_setup.dialogs.message(this, QString(), notFoundText(path), MessageIcon::None);
        return false;
    }

    auto opened = store::WorkbookSession::open(path, options);
    if (!opened) {
        const store::SessionError& error = opened.error();
        if (error.kind == store::SessionError::Kind::InUse)
            m_setup.dialogs.message(this, kProductName, inUseText(store::FileLock::holder(path)), MessageIcon::Stop);
        else if (error.kind == store::SessionError::Kind::Missing)
            m_setup.dialogs.message(this, QString(), notFoundText(path), MessageIcon::None);
        else if (error.kind == store::SessionError::Kind::ReadOnly)
            m_setup.dialogs.message(this, kProductName,
                                    QStringLiteral("ERRORE: Il database ") + QDir::toNativeSeparators(path)
                                        + QStringLiteral(" è in sola lettura: il programma non potrebbe registrare nulla.\n"
                                                         "Occorre renderlo modificabile e poi riaprire l'applicazione.\n"
                                                         "Il file non è stato modificato; il programma si chiuderà."),
                                    MessageIcon::Stop);
        else
            m_setup.dialogs.message(this, kProductName,
                                    QStringLiteral("ERRORE: Impossibile aprire il database ") + QDir::toNativeSeparators(path)
                                        + QStringLiteral("\n") + store::sessionErrorText(error)
                                        + QStringLiteral("\nIl file non è stato modificato; il programma si chiuderà."),
                                    MessageIcon::Stop);
        return false;
    }
    // A workbook without the program's sheets is some other workbook: it is
    // left as it is.
    const QStringList missing = layout::missingSheets((*opened)->workbook().data());
    if (!missing.isEmpty()) {
        (*opened)->close();
        m_setup.dialogs.message(this, kProductName,
                                QStringLiteral("ERRORE: Impossibile aprire il database ") + QDir::toNativeSeparators(path)
                                    + QStringLiteral("\nMancano i fogli: ") + missing.join(QStringLiteral(", "))
                                    + QStringLiteral(".\nIl file non è stato modificato; il programma si chiuderà."),
                                MessageIcon::Stop);
        return false;
    }
    m_session = std::move(*opened);
    // Only a start that goes on makes the attachment folder.
    QDir(m_setup.programFolder).mkpath(layout::kAttachmentFolder);
    // The day's first start keeps the workbook as it found it, before anything is written.
    if (auto backup = store::makeDailyBackup(m_session->path(), m_setup.programFolder, m_setup.clock.now().date()); !backup)
        m_setup.dialogs.message(this, kProductName,
                                QStringLiteral("ATTENZIONE: La copia di sicurezza di oggi (%1) non si è potuta scrivere: %2.\n"
                                               "Il lavoro può continuare; conviene controllare la cartella Backup e lo spazio sul disco.")
                                    .arg(QDir::toNativeSeparators(backup.error().path), backup.error().detail),
                                MessageIcon::Warning);
    FillUserList();
    return true;
}

void Form2::FillUserList()
{
    m_user->clear();
    m_user->clearEditText();
    auto sheet = m_session->workbook().sheet(layout::kVarie);
    if (!sheet)
        return;
    sheet->activate();
    m_user->addItems(sheet->columnTextsDown(2, layout::varie::kUserLogin));
    m_user->setCurrentIndex(-1);
    m_user->clearEditText();
}

void Form2::Command1_Click()
{
    m_notes->hide();
    const QString login = m_user->currentText();
    const QString password = m_password->text();
    if (login.isEmpty() || password.isEmpty()) {
        m_setup.dialogs.message(
            this, kProductName,
            QStringLiteral("I Campi - Utente- e -Password-  non possono essere vuoti, l'applicazione si chiuderà !"),
            MessageIcon::Information);
        endWithoutSaving();
        return;
    }

    auto sheet = m_session->workbook().sheet(layout::kVarie);
    if (!sheet)
        return;
    sheet->activate();
    namespace varie = layout::varie;
    const int lastRow = sheet->lastFilledRow(varie::kUserLogin);
    // Row 1 holds the headers USERID and PWD: they are no login.
    for (int row = 2; row <= lastRow; ++row) {
        if (!sheet->value(row, varie::kUserLogin).equalsText(login))
            continue;
        if (!sheet->value(row, varie::kUserPassword).equalsText(password)) {
            m_setup.dialogs.message(this, kProductName, QStringLiteral("Utente - non - Autorizzato"), MessageIcon::None);
            endWithoutSaving();
            return;
        }
        // The access record is kept at once, as every change is, before the
        // user is let in.
        const QDateTime now = m_setup.clock.now();
        sheet->setText(row, varie::kUserAccess,
                       login + now.toString(kDateFormat) + QLatin1Char(' ') + now.toString(kTimeFormat));
        saveWorkbook(*m_session, m_setup.dialogs, this);
        m_setup.dialogs.message(this, kProductName, QStringLiteral("Utente Autorizzato"), MessageIcon::None);

        m_main = std::make_unique<Form1>(Form1Setup{*m_session, m_setup.dialogs, m_setup.desktop, m_setup.clock, m_setup.printers,
                                                    m_setup.scanner, m_setup.programFolder, *m_notes, m_setup.endProgram, login});
        m_main->showMaximized();
        hide();
        return;
    }
}

void Form2::Command2_Click()
{
    endWithoutSaving();
}

void Form2::Check1_Click()
{
    m_notes->showNotes(false);
}

void Form2::endWithoutSaving()
{
    m_notes->hide();
    if (m_session)
        m_session->close();
    m_setup.endProgram();
}

void Form2::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

} // namespace quadrilo
