// The first start of the installed program: a new archive, or an existing one
// brought in with its attachments, driven offscreen.

#include "app/FirstStart.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "support/WindowTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace quadrilo;
using namespace quadrilo::testsupport;
namespace layout = quadrilo::store::layout;

namespace {

class FirstStartTest : public testing::Test {
protected:
    QString folder() const { return home.filePath(s("Documenti/Quadrilo")); }
    void type(const char* name, const char* text) { child<QLineEdit>(*window, name)->setText(s(text)); }
    void click(const char* name) { QTest::mouseClick(child<QAbstractButton>(*window, name), Qt::LeftButton); }

    TempDir home;
    ScriptedDialogs dialogs;
    std::unique_ptr<FirstStart> window = std::make_unique<FirstStart>(dialogs, folder());
};

} // namespace

TEST_F(FirstStartTest, ANewArchiveGetsItsUserAndBothAccessPasswords)
{
    type("login", "segreteria");
    type("password", "primavera");
    type("repeatedPassword", "primavere");
    click("proceed");
    EXPECT_EQ(dialogs.texts(), QStringList{s("ERRORE: Le due password scritte non sono uguali.")});
    EXPECT_FALSE(QFileInfo::exists(folder()));

    dialogs.clear();
    type("repeatedPassword", "primavera");
    type("excelPassword", "foglio");
    click("proceed");
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.texts(), QStringList{s("Il nuovo archivio è pronto in ") + folder() + s("/Protocollo.xls.\n"
                                                                                             "Si entra con l'utente segreteria e la sua password.")});
    EXPECT_TRUE(QFileInfo(folder() + s("/Prot")).isDir());
    store::Workbook book = readArchive(folder() + s("/Protocollo.xls"));
    auto varie = book.sheet(layout::kVarie);
    EXPECT_EQ(varie->text(2, layout::varie::kUserLogin), s("segreteria"));
    EXPECT_EQ(varie->text(2, layout::varie::kUserPassword), s("primavera"));
    EXPECT_EQ(varie->text(layout::kUsersPassword.row, layout::kUsersPassword.column), s("primavera"));
    EXPECT_EQ(varie->text(layout::kHostPassword.row, layout::kHostPassword.column), s("foglio"));
}

TEST_F(FirstStartTest, AnExistingArchiveIsCopiedWithItsAttachmentsAndAForeignFileIsRefused)
{
    TempDir old;
    writeArchive(makeArchive(), old.filePath(s("Protocollo.xls")));
    ASSERT_TRUE(QDir(old.path()).mkpath(s("Prot/2025")));
    ASSERT_TRUE(writeFileBytes(old.filePath(s("Prot/lettera.bmp")), "BM1"));
    ASSERT_TRUE(writeFileBytes(old.filePath(s("Prot/2025/vecchia.pdf")), "%PDF"));
    ASSERT_TRUE(writeFileBytes(old.filePath(s("appunti.xls")), "non un archivio"));

    child<QRadioButton>(*window, "bringArchive")->setChecked(true);
    dialogs.answerFile(old.filePath(s("appunti.xls")));
    click("browse");
    click("proceed");
    ASSERT_EQ(dialogs.boxes().size(), 2u);   // the file dialog, then the refusal
    EXPECT_EQ(dialogs.boxes()[1].text, s("ERRORE: L'archivio non è stato portato.\nIl file ") + old.filePath(s("appunti.xls"))
                                           + s(" non è una cartella di lavoro di Excel."));
    EXPECT_FALSE(QFileInfo::exists(folder() + s("/Protocollo.xls")));

    // Not while a program holds it: the copy would part from it.
    {
        auto held = openArchive(old.filePath(s("Protocollo.xls")));
        dialogs.clear();
        dialogs.answerFile(old.filePath(s("Protocollo.xls")));
        click("browse");
        click("proceed");
        EXPECT_TRUE(dialogs.texts().last().endsWith(s(" è già aperto da un altro programma."))) << dialogs.texts().last().toStdString();
        EXPECT_FALSE(QFileInfo::exists(folder() + s("/Protocollo.xls")));
    }
    // A different file of the same name already in Prot is not written over.
    ASSERT_TRUE(QDir().mkpath(folder() + s("/Prot")));
    ASSERT_TRUE(writeFileBytes(folder() + s("/Prot/lettera.bmp"), "someone else's"));
    click("proceed");
    EXPECT_EQ(dialogs.texts().last(), s("ERRORE: L'archivio non è stato portato.\nIl file ") + folder()
                                          + s("/Prot/lettera.bmp esiste già: non viene sovrascritto."));
    EXPECT_FALSE(QFileInfo::exists(folder() + s("/Protocollo.xls")));
    ASSERT_TRUE(QFile::remove(folder() + s("/Prot/lettera.bmp")));

    dialogs.clear();
    dialogs.answerFile(old.filePath(s("Protocollo.xls")));
    click("browse");
    click("proceed");
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(readFileBytes(folder() + s("/Protocollo.xls")), readFileBytes(old.filePath(s("Protocollo.xls"))));
    EXPECT_EQ(readFileBytes(folder() + s("/Prot/lettera.bmp")), QByteArray("BM1"));
    EXPECT_EQ(readFileBytes(folder() + s("/Prot/2025/vecchia.pdf")), QByteArray("%PDF"));
    EXPECT_TRUE(QFileInfo::exists(old.filePath(s("Protocollo.xls")))) << "copied, never moved";
    EXPECT_TRUE(QFileInfo::exists(old.filePath(s("Prot/lettera.bmp"))));
}
