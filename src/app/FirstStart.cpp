#include "app/FirstStart.h"

#include "desktop/PanelContext.h"
#include "store/ArchiveFolder.h"
#include "store/ErrorText.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quadrilo {

namespace {

QLineEdit* passwordField(const char* name)
{
    auto* field = new QLineEdit;
    field->setObjectName(QString::fromLatin1(name));
    field->setEchoMode(QLineEdit::Password);
    return field;
}

void addRow(QFormLayout* form, const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    form->addRow(label, field);
}

} // namespace

FirstStart::FirstStart(Dialogs& dialogs, QString programFolder, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
    , m_folder(std::move(programFolder))
{
    setObjectName(QStringLiteral("FirstStart"));
    setWindowTitle(kProductName);
    auto* layout = new QVBoxLayout(this);
    auto* welcome = new QLabel(QStringLiteral("Benvenuto in Quadrilo.\nL'archivio dei protocolli starà nella cartella\n%1\n"
                                              "dove ancora non c'è. Come si vuole cominciare?")
                                   .arg(QDir::toNativeSeparators(m_folder)));
    welcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(welcome);

    m_create = new QRadioButton(QStringLiteral("&Creare un nuovo archivio"));
    m_create->setObjectName(QStringLiteral("createArchive"));
    m_create->setChecked(true);
    layout->addWidget(m_create);
    m_createFields = new QWidget;
    auto* createForm = new QFormLayout(m_createFields);
    m_login = new QLineEdit;
    m_login->setObjectName(QStringLiteral("login"));
    m_password = passwordField("password");
    m_repeated = passwordField("repeatedPassword");
    m_areaPassword = passwordField("usersAreaPassword");
    m_excelPassword = passwordField("excelPassword");
    addRow(createForm, QStringLiteral("&Nome utente:"), m_login);
    addRow(createForm, QStringLiteral("&Password:"), m_password);
    addRow(createForm, QStringLiteral("&Ripeti la password:"), m_repeated);
    addRow(createForm, QStringLiteral("Password &area utenti:"), m_areaPassword);
    addRow(createForm, QStringLiteral("Password E&xcel:"), m_excelPassword);
    createForm->addRow(new QLabel(QStringLiteral("Le due password di accesso, se lasciate vuote, sono quella dell'utente.")));
    layout->addWidget(m_createFields);

    m_bring = new QRadioButton(QStringLiteral("&Portare qui un archivio esistente (Protocollo.xls e la sua cartella Prot)"));
    m_bring->setObjectName(QStringLiteral("bringArchive"));
    layout->addWidget(m_bring);
    m_bringFields = new QWidget;
    auto* bringRow = new QHBoxLayout(m_bringFields);
    m_file = new QLineEdit;
    m_file->setObjectName(QStringLiteral("archiveFile"));
    m_file->setReadOnly(true);
    auto* fileLabel = new QLabel(QStringLiteral("File:"));
    fileLabel->setBuddy(m_file);
    auto* browse = new QPushButton(QStringLiteral("&Sfoglia..."));
    browse->setObjectName(QStringLiteral("browse"));
    bringRow->addWidget(fileLabel);
    bringRow->addWidget(m_file, 1);
    bringRow->addWidget(browse);
    layout->addWidget(m_bringFields);
    layout->addWidget(new QLabel(QStringLiteral("Il file e gli allegati vengono copiati: gli originali restano dove sono.")));

    auto* buttons = new QDialogButtonBox;
    auto* proceedButton = buttons->addButton(QStringLiteral("&Continua"), QDialogButtonBox::AcceptRole);
    proceedButton->setObjectName(QStringLiteral("proceed"));
    proceedButton->setDefault(true);
    auto* quit = buttons->addButton(QStringLiteral("&Esci"), QDialogButtonBox::RejectRole);
    quit->setObjectName(QStringLiteral("quit"));
    layout->addWidget(buttons);

    connect(m_create, &QRadioButton::toggled, this, &FirstStart::showChoice);
    connect(browse, &QPushButton::clicked, this, &FirstStart::chooseFile);
    connect(proceedButton, &QPushButton::clicked, this, &FirstStart::proceed);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    showChoice();
}

QString FirstStart::firstUser() const
{
    return m_create->isChecked() ? m_login->text() : QString();
}

void FirstStart::showChoice()
{
    m_createFields->setEnabled(m_create->isChecked());
    m_bringFields->setEnabled(m_bring->isChecked());
}

void FirstStart::chooseFile()
{
    const QString file = m_dialogs.openFileName(this, QStringLiteral("Scegli il file Protocollo.xls"), QDir::homePath(),
                                                QStringLiteral("Cartelle di lavoro di Excel 97-2003 (*.xls *.XLS)"));
    if (!file.isEmpty())
        m_file->setText(file);
}

void FirstStart::proceed()
{
    if (m_create->isChecked() ? create() : bring())
        accept();
}

bool FirstStart::create()
{
    if (m_login->text().isEmpty() || m_password->text().isEmpty()) {
        m_dialogs.message(this, kProductName, QStringLiteral("ERRORE: Occorre scrivere il nome utente e la password."),
                          MessageIcon::Information);
        (m_login->text().isEmpty() ? m_login : m_password)->setFocus();
        return false;
    }
    if (m_password->text() != m_repeated->text()) {
        m_dialogs.message(this, kProductName, QStringLiteral("ERRORE: Le due password scritte non sono uguali."),
                          MessageIcon::Information);
        m_repeated->clear();
        m_repeated->setFocus();
        return false;
    }
    auto created = store::createArchiveFolder(m_folder, m_login->text(), m_password->text(),
                                              {m_areaPassword->text(), m_excelPassword->text()});
    if (!created) {
        m_dialogs.message(this, kProductName, QStringLiteral("ERRORE: ") + store::sessionErrorText(created.error()), MessageIcon::Stop);
        return false;
    }
    m_dialogs.message(this, kProductName,
                      QStringLiteral("Il nuovo archivio è pronto in %1.\nSi entra con l'utente %2 e la sua password.")
                          .arg(QDir::toNativeSeparators(*created), m_login->text()),
                      MessageIcon::Information);
    return true;
}

bool FirstStart::bring()
{
    if (m_file->text().isEmpty()) {
        m_dialogs.message(this, kProductName, QStringLiteral("ERRORE: Occorre scegliere il file Protocollo.xls da portare."),
                          MessageIcon::Information);
        return false;
    }
    QProgressDialog progress(QStringLiteral("Copia dell'archivio e degli allegati..."), QString(), 0, 1, this);
    progress.setWindowTitle(kProductName);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    auto brought = store::bringArchive(m_file->text(), m_folder, [&](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    progress.reset();
    if (!brought) {
        m_dialogs.message(this, kProductName,
                          QStringLiteral("ERRORE: L'archivio non è stato portato.\n") + store::sessionErrorText(brought.error()),
                          MessageIcon::Stop);
        return false;
    }
    m_dialogs.message(this, kProductName,
                      QStringLiteral("L'archivio è stato copiato in %1; l'originale resta dove si trovava.")
                          .arg(QDir::toNativeSeparators(*brought)),
                      MessageIcon::Information);
    return true;
}

} // namespace quadrilo
