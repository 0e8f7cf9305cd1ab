// The login window driven offscreen: the startup checks, the user list and
// the login check, with scripted message boxes.

#include "app/Form1.h"
#include "app/Form2.h"
#include "app/Form4.h"
#include "store/CellListing.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quadrilo;
using namespace quadrilo::testsupport;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

constexpr int kLogin = layout::varie::kUserLogin;
constexpr int kPassword = layout::varie::kUserPassword;
constexpr int kAccess = layout::varie::kUserAccess;

class LoginTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        workbookPath = folder.filePath(s("Protocollo.xls"));
    }

    void writeWorkbook(const store::Workbook& workbook) { writeArchive(workbook, workbookPath); }
    void writeDefaultWorkbook() { writeWorkbook(makeArchive()); }

    // A login window on the folder, its startup run.
    std::unique_ptr<Form2> start(bool expectStarted = true)
    {
        auto form = std::make_unique<Form2>(ProgramSetup{dialogs, desktop, clock, printers, scanner, folder.path(), [this] { ++ended; }, {}});
        const bool started = form->Form_Load();
        EXPECT_EQ(started, expectStarted);
        return form;
    }

    void login(Form2& form, const QString& user, const QString& password)
    {
        child<QComboBox>(form, "Combo1")->setEditText(user);
        child<QLineEdit>(form, "Text1")->setText(password);
        QTest::mouseClick(child<QPushButton>(form, "Command1"), Qt::LeftButton);
    }

    TempDir folder;
    QString workbookPath;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    PdfPrinters printers;
    FakeScanner scanner;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(10, 30, 5))};
    int ended = 0;
};

} // namespace

TEST_F(LoginTest, StartupCreatesTheAttachmentFolderAndListsTheUsers)
{
    store::Workbook workbook = makeArchive();
    auto varie = workbook.sheet(layout::kVarie);
    varie->setText(3, kLogin, s("lucia"));
    varie->setText(3, kPassword, s("x"));
    writeWorkbook(workbook);
    ASSERT_FALSE(QFileInfo::exists(folder.filePath(s("Prot"))));

    auto form = start();
    EXPECT_TRUE(QFileInfo(folder.filePath(s("Prot"))).isDir());
    EXPECT_TRUE(dialogs.boxes().empty());
    ASSERT_NE(form->session(), nullptr);
    EXPECT_TRUE(form->session()->isOpen());

    EXPECT_EQ(form->windowTitle(), s("Quadrilo versione 3.1 "));
    auto* users = child<QComboBox>(*form, "Combo1");
    ASSERT_EQ(users->count(), 2);
    EXPECT_EQ(users->itemText(0), s("mario"));
    EXPECT_EQ(users->itemText(1), s("lucia"));
    EXPECT_TRUE(users->currentText().isEmpty());
    EXPECT_TRUE(users->isEditable());
    auto* password = child<QLineEdit>(*form, "Text1");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(password->text().size(), 5);
    EXPECT_EQ(child<QPushButton>(*form, "Command1")->text(), s("&Entra"));
    EXPECT_EQ(child<QPushButton>(*form, "Command2")->text(), s("Annulla"));
    EXPECT_EQ(child<QCheckBox>(*form, "Check1")->text(), s("Leggi le novità di questa versione "));
    EXPECT_EQ(ended, 0);
}

TEST_F(LoginTest, AnExistingAttachmentFolderIsKept)
{
    writeDefaultWorkbook();
    ASSERT_TRUE(QDir(folder.path()).mkpath(s("Prot")));
    ASSERT_TRUE(writeFileBytes(folder.filePath(s("Prot/lettera.bmp")), "BM"));
    auto form = start();
    EXPECT_EQ(readFileBytes(folder.filePath(s("Prot/lettera.bmp"))), QByteArray("BM"));
}

TEST_F(LoginTest, AWorkbookInUseEndsTheStartBeforeOpening)
{
    writeDefaultWorkbook();
    auto other = openArchive(workbookPath);  // another program holds it
    ASSERT_NE(other, nullptr);
    const QByteArray before = readFileBytes(workbookPath);

    auto form = start(false);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    const RecordedBox& box = dialogs.boxes()[0];
    EXPECT_EQ(box.title, s("Quadrilo"));
    EXPECT_EQ(box.icon, MessageIcon::Stop);
    // The known text first, then who holds it and since when.
    EXPECT_TRUE(box.text.startsWith(
        s("ERRORE: Risulta che il database Protocollo.xls è già aperto\n Occorre chiuderlo e  poi si potrà riaprire l'applicazione !"
          "\n\nIl file risulta aperto")))
        << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(s(" sul computer ") + QSysInfo::machineHostName() + s(" dal "))) << box.text.toStdString();
    EXPECT_EQ(form->session(), nullptr);
    EXPECT_EQ(readFileBytes(workbookPath), before);
}

TEST_F(LoginTest, AMissingWorkbookIsNamedWithItsFullPath)
{
    auto form = start(false);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].title, QString());
    EXPECT_EQ(dialogs.boxes()[0].text, s("Impossibile eseguire il programma\r\nIl file ") + workbookPath
                                           + s(" non è stato trovato."));
    EXPECT_EQ(dialogs.boxes()[0].icon, MessageIcon::None);
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(s("Prot")))) << "a start that ends makes nothing";
    EXPECT_FALSE(QFileInfo::exists(workbookPath));
}

TEST_F(LoginTest, AnUnreadableWorkbookIsReportedAndLeftUntouched)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* reason;
    };
    store::SessionOptions otherPassword;
    otherPassword.password = s("altra");
    const QString wrongPasswordFile = folder.filePath(s("altra.xls"));
    ASSERT_TRUE(store::saveWorkbookFile(makeArchive().data(), wrongPasswordFile, otherPassword));

    const Case cases[] = {
        {"damaged", QByteArray(5000, 'x'), "non è una cartella di lavoro di Excel"},
        {"wrong password", readFileBytes(wrongPasswordFile), "La password del file"},
        {"xlsx", QByteArray("PK\x03\x04", 4) + QByteArray(600, '\0'), "nel formato .xlsx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        ASSERT_TRUE(writeFileBytes(workbookPath, c.bytes));
        auto form = start(false);
        ASSERT_EQ(dialogs.boxes().size(), 1u);
        const RecordedBox& box = dialogs.boxes()[0];
        EXPECT_EQ(box.title, s("Quadrilo"));
        EXPECT_EQ(box.icon, MessageIcon::Stop);
        EXPECT_TRUE(box.text.startsWith(s("ERRORE: Impossibile aprire il database ") + workbookPath + s("\n"))) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(s(c.reason))) << box.text.toStdString();
        EXPECT_TRUE(box.text.endsWith(s("Il file non è stato modificato; il programma si chiuderà.")));
        EXPECT_EQ(readFileBytes(workbookPath), c.bytes);
        EXPECT_FALSE(store::WorkbookSession::isFileInUse(workbookPath)) << "the lock must be released";
    }
}

TEST_F(LoginTest, AWorkbookWithoutTheProgramsSheetsIsRefused)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kVarie)->rename(s("Varie vecchio"));
    workbook.sheet(layout::kCliente)->rename(s("Rubrica"));
    writeWorkbook(workbook);
    const QByteArray before = readFileBytes(workbookPath);
    auto form = start(false);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, s("ERRORE: Impossibile aprire il database ") + workbookPath
                                           + s("\nMancano i fogli: Cliente, Varie.\nIl file non è stato modificato; il programma si chiuderà."));
    EXPECT_EQ(dialogs.boxes()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(readFileBytes(workbookPath), before);
    EXPECT_FALSE(store::WorkbookSession::isFileInUse(workbookPath));
}

TEST_F(LoginTest, AnEmptyN2LeavesTheListEmptyButLowerUsersStillLogIn)
{
    store::Workbook workbook = makeArchive();
    auto varie = workbook.sheet(layout::kVarie);
    varie->clear(2, kLogin);
    varie->setText(5, kLogin, s("anna"));
    varie->setText(5, kPassword, s("pw5"));
    writeWorkbook(workbook);

    auto form = start();
    EXPECT_EQ(child<QComboBox>(*form, "Combo1")->count(), 0);
    login(*form, s("anna"), s("pw5"));
    EXPECT_EQ(dialogs.texts(), QStringList{s("Utente Autorizzato")});
    ASSERT_NE(form->mainWindow(), nullptr);
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kVarie)->text(5, kAccess), s("anna08/12/2026 10:30:05"));
}

TEST_F(LoginTest, ASuccessfulLoginRecordsTheAccessAndShowsTheMainWindow)
{
    writeDefaultWorkbook();
    const QString before = store::cellListing(readArchive(workbookPath).data());
    auto form = start();
    form->show();
    login(*form, s("mario"), s("segreta"));

    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::Message, s("Quadrilo"), s("Utente Autorizzato"), MessageIcon::None}));
    ASSERT_NE(form->mainWindow(), nullptr);
    EXPECT_TRUE(form->mainWindow()->isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ended, 0);

    // Saved at once, before the main window prepares anything: only P2 changed.
    store::Workbook saved = readArchive(workbookPath);
    EXPECT_EQ(saved.sheet(layout::kVarie)->text(2, kAccess), s("mario08/12/2026 10:30:05"));
    saved.sheet(layout::kVarie)->setText(2, kAccess, QString());
    EXPECT_EQ(store::cellListing(saved.data()), before);
}

TEST_F(LoginTest, EnterInThePasswordFieldLogsIn)
{
    writeDefaultWorkbook();
    auto form = start();
    child<QComboBox>(*form, "Combo1")->setEditText(s("mario"));
    auto* password = child<QLineEdit>(*form, "Text1");
    password->clear();
    QTest::keyClicks(password, s("segreta"));
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(dialogs.texts(), QStringList{s("Utente Autorizzato")});
    EXPECT_NE(form->mainWindow(), nullptr);
}

TEST_F(LoginTest, AWrongPasswordEndsTheProgramWithoutSaving)
{
    writeDefaultWorkbook();
    const QByteArray before = readFileBytes(workbookPath);
    auto form = start();
    login(*form, s("mario"), s("Segreta"));
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::Message, s("Quadrilo"), s("Utente - non - Autorizzato"), MessageIcon::None}));
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(form->session()->isOpen());
    EXPECT_EQ(form->mainWindow(), nullptr);
    EXPECT_EQ(readFileBytes(workbookPath), before);
    EXPECT_FALSE(store::WorkbookSession::isFileInUse(workbookPath));
}

TEST_F(LoginTest, OnlyTheFirstRowOfALoginNameIsExamined)
{
    store::Workbook workbook = makeArchive();
    auto varie = workbook.sheet(layout::kVarie);
    varie->setText(3, kLogin, s("mario"));
    varie->setText(3, kPassword, s("seconda"));
    writeWorkbook(workbook);
    auto form = start();
    login(*form, s("mario"), s("seconda"));
    EXPECT_EQ(dialogs.texts(), QStringList{s("Utente - non - Autorizzato")});
    EXPECT_EQ(ended, 1);
}

TEST_F(LoginTest, EmptyFieldsEndTheProgram)
{
    for (const auto& [user, password] : {std::pair{"mario", ""}, std::pair{"", "segreta"}}) {
        SCOPED_TRACE(user);
        writeDefaultWorkbook();
        const QByteArray before = readFileBytes(workbookPath);
        dialogs.clear();
        ended = 0;
        auto form = start();
        login(*form, s(user), s(password));
        ASSERT_EQ(dialogs.boxes().size(), 1u);
        EXPECT_EQ(dialogs.boxes()[0],
                  (RecordedBox{Kind::Message, s("Quadrilo"),
                               s("I Campi - Utente- e -Password-  non possono essere vuoti, l'applicazione si chiuderà !"),
                               MessageIcon::Information}));
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(form->session()->isOpen());
        EXPECT_EQ(readFileBytes(workbookPath), before);
    }
}

TEST_F(LoginTest, AnUnknownLoginNameLeavesTheWindowOpenAsTyped)
{
    writeDefaultWorkbook();
    auto form = start();
    form->show();
    login(*form, s("Mario"), s("segreta"));  // case matters
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(child<QComboBox>(*form, "Combo1")->currentText(), s("Mario"));
    EXPECT_EQ(child<QLineEdit>(*form, "Text1")->text(), s("segreta"));
    EXPECT_EQ(form->mainWindow(), nullptr);
}

TEST_F(LoginTest, ANumberInTheUsersTableNeverEqualsTypedText)
{
    store::Workbook workbook = makeArchive();
    auto varie = workbook.sheet(layout::kVarie);
    varie->setNumber(3, kLogin, 42);
    varie->setText(3, kPassword, s("x"));
    varie->setText(4, kLogin, s("rita"));
    varie->setNumber(4, kPassword, 1234);
    writeWorkbook(workbook);

    auto form = start();
    login(*form, s("42"), s("x"));
    EXPECT_TRUE(dialogs.boxes().empty()) << "a number is no login name";
    login(*form, s("rita"), s("1234"));
    EXPECT_EQ(dialogs.texts(), QStringList{s("Utente - non - Autorizzato")});
}

TEST_F(LoginTest, AnnullaEndsWithoutSavingAndTheCloseBoxDoesNothing)
{
    writeDefaultWorkbook();
    const QByteArray before = readFileBytes(workbookPath);
    auto form = start();
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ended, 0);

    QTest::mouseClick(child<QPushButton>(*form, "Command2"), Qt::LeftButton);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(form->session()->isOpen());
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_EQ(readFileBytes(workbookPath), before);
}

TEST_F(LoginTest, TheNotesBoxShowsTheNotesWithoutTheUsageRules)
{
    writeDefaultWorkbook();
    auto form = start();
    form->show();
    auto* box = child<QCheckBox>(*form, "Check1");
    Form4& notes = form->notesWindow();
    for (int click = 0; click < 2; ++click) {
        notes.hide();
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_TRUE(notes.isVisible()) << "click " << click;
        EXPECT_TRUE(notes.usageRulesFrame()->isHidden());
    }
    EXPECT_EQ(notes.windowTitle(), s("Quadrilo ver.3.1"));
    EXPECT_TRUE(form->isVisible()) << "the login window stays usable";
    // A login hides the notes.
    login(*form, s("mario"), s("segreta"));
    EXPECT_FALSE(notes.isVisible());
}

TEST_F(LoginTest, TheHeaderRowIsNoLogin)
{
    writeDefaultWorkbook();
    const QByteArray before = readFileBytes(workbookPath);
    auto form = start();
    login(*form, s("USERID"), s("PWD"));
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_EQ(form->mainWindow(), nullptr);
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(form->session()->workbook().sheet(layout::kVarie)->text(1, kAccess), s("Accesso"));
    EXPECT_EQ(readFileBytes(workbookPath), before);
}

TEST_F(LoginTest, ALockLeftOnThisComputerIsFreedOnlyWhenTheUserSaysSo)
{
    writeDefaultWorkbook();
    const QString lockPath = folder.filePath(s(".~lock.Protocollo.xls#"));
    const QByteArray stale = ",anna," + QSysInfo::machineHostName().toUtf8() + ",08.12.2026 10:00,file:///home/anna;";
    ASSERT_TRUE(writeFileBytes(lockPath, stale));

    dialogs.answerNo();
    auto refused = start(false);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].kind, Kind::YesNo);
    EXPECT_EQ(dialogs.boxes()[0].text,
              s("Risulta che il database Protocollo.xls è già aperto da anna sul computer ") + QSysInfo::machineHostName()
                  + s(" dal 08/12/2026 10:00, ma nessun programma di questo computer lo sta più usando: il programma che lo aveva "
                      "aperto si è chiuso senza liberarlo.\nVuoi liberarlo e aprire l'applicazione ?"));
    EXPECT_EQ(readFileBytes(lockPath), stale);

    dialogs.clear();
    dialogs.answerYes();
    auto form = start();
    ASSERT_NE(form->session(), nullptr);
    EXPECT_TRUE(readFileBytes(lockPath).startsWith("Quadrilo,"));
}

TEST_F(LoginTest, AReadOnlyWorkbookEndsTheStartUntouched)
{
    writeDefaultWorkbook();
    ASSERT_TRUE(QFile::setPermissions(workbookPath, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QByteArray before = readFileBytes(workbookPath);
    auto form = start(false);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, s("ERRORE: Il database ") + workbookPath
                                           + s(" è in sola lettura: il programma non potrebbe registrare nulla.\n"
                                               "Occorre renderlo modificabile e poi riaprire l'applicazione.\n"
                                               "Il file non è stato modificato; il programma si chiuderà."));
    EXPECT_EQ(readFileBytes(workbookPath), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{s("Protocollo.xls")});
}

TEST_F(LoginTest, TheDaysFirstStartKeepsTheWorkbookAsItFoundItOncePerDay)
{
    writeDefaultWorkbook();
    const QByteArray before = readFileBytes(workbookPath);
    const QString copy = folder.filePath(s("Backup/Protocollo-20261208.xls"));
    {
        auto form = start();
        EXPECT_EQ(readFileBytes(copy), before) << "the same encrypted bytes";
        login(*form, s("mario"), s("segreta"));   // the access is saved: the workbook changes
        ASSERT_NE(form->mainWindow(), nullptr);
    }
    ASSERT_NE(readFileBytes(workbookPath), before);
    auto again = start();
    EXPECT_EQ(readFileBytes(copy), before) << "a second start that day makes none";
    EXPECT_EQ(QDir(folder.filePath(s("Backup"))).entryList(QDir::Files), QStringList{s("Protocollo-20261208.xls")});
}

TEST_F(LoginTest, ABackupThatCannotBeWrittenIsToldAndTheWorkGoesOn)
{
    writeDefaultWorkbook();
    ASSERT_TRUE(writeFileBytes(folder.filePath(s("Backup")), "a file where the folder should be"));
    auto form = start();
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(dialogs.boxes()[0].text.startsWith(s("ATTENZIONE: La copia di sicurezza di oggi"))) << dialogs.boxes()[0].text.toStdString();
    EXPECT_NE(form->session(), nullptr);
}
