// The users area: its password, the users table, the owner data.

#include "support/MainWindowFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

const QString kWrong = s("ERRORE: La Password  di Accesso è ERRATA");

// Users 1 mario, 2 lucia, 3 anna; the area password "area".
store::Workbook usersWorkbook()
{
    store::Workbook workbook = makeArchive();
    auto varie = *workbook.sheet(layout::kVarie);
    const char* users[][4] = {{"Bianchi", "Lucia", "lucia", "pl"}, {"Verdi", "Anna", "anna", "pa"}};
    for (int i = 0; i < 2; ++i) {
        varie.setNumber(3 + i, 11, 2 + i);
        for (int j = 0; j < 4; ++j)
            varie.setText(3 + i, 12 + j, s(users[i][j]));
    }
    varie.setText(3, 16, s("lucia01/12/2026 08:00:00"));
    varie.setNumber(1, 254, 4);
    varie.setText(2, 23, s("area"));
    varie.setText(2, 22, s("excel"));
    return workbook;
}

class UsersPanelTest : public MainWindowTest {
protected:
    QLineEdit* line(const char* name) { return child<QLineEdit>(*form, name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(*form, name), Qt::LeftButton); }
    QTreeWidget* list() { return child<QTreeWidget>(*form, "ListView2"); }
    store::Sheet varie() { return sheet(layout::kVarie); }
    void openArea(const char* password = "area")
    {
        dialogs.answerInput(s(password));
        trigger("MnUtente");
    }
    QString listed()
    {
        QStringList rows;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            rows << list()->topLevelItem(i)->text(0) + QLatin1Char(':') + list()->topLevelItem(i)->text(3);
        return rows.join(QLatin1Char(' '));
    }
    void clickUser(int index)
    {
        QTreeWidgetItem* item = list()->topLevelItem(index);
        emit list()->itemClicked(item, 0);
    }
    void fillUser(const char* surname, const char* name, const char* login, const char* password)
    {
        line("Text44")->setText(s(surname));
        line("Text45")->setText(s(name));
        line("Text46")->setText(s(login));
        line("Text47")->setText(s(password));
    }
};

} // namespace

TEST_F(UsersPanelTest, TheAreaOpensOnlyWithItsPassword)
{
    open(usersWorkbook());
    trigger("MenuClienti");
    openArea("sbagliata");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::Input, s("Quadrilo"), s("Digita  la Password  di Accesso Area Utenti"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s("Quadrilo"), kWrong, MessageIcon::None}));
    EXPECT_TRUE(form->frame(7)->isHidden());
    EXPECT_TRUE(form->frame(1)->isHidden());

    dialogs.clear();
    openArea("area");
    EXPECT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_FALSE(form->frame(7)->isHidden());
    QStringList headers;
    for (int i = 0; i < list()->columnCount(); ++i)
        headers << list()->headerItem()->text(i);
    EXPECT_EQ(headers, (QStringList{s("ID"), s("Cognome"), s("Nome"), s("USERID"), s("PWD"), s("Accesso")}));
    EXPECT_EQ(listed(), s("1:mario 2:lucia 3:anna"));
    EXPECT_EQ(list()->topLevelItem(1)->text(5), s("lucia01/12/2026 08:00:00"));
}

TEST_F(UsersPanelTest, CancelCountsAsAnEmptyPassword)
{
    store::Workbook workbook = usersWorkbook();
    workbook.sheet(layout::kVarie)->clear(2, 23);
    open(workbook);
    dialogs.answerInput(std::nullopt);
    trigger("MnUtente");
    EXPECT_FALSE(form->frame(7)->isHidden()) << "an empty password opens the area";
    EXPECT_EQ(dialogs.texts().last(), kWrong) << "and is reported all the same";
}

TEST_F(UsersPanelTest, AddingTakesTheCounterAndTheFirstFreeRow)
{
    open(usersWorkbook());
    openArea();
    fillUser("Neri", "Paolo", "paolo", "pp");
    dialogs.answerYes();
    click("Command7");
    ASSERT_EQ(dialogs.boxes().size(), 3u);
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::YesNo, s("Quadrilo"), s(" Vuoi Abilitare questo Utente ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[2], (RecordedBox{Kind::Message, s(" Quadrilo"), s("Operazione eseguita !"), MessageIcon::Information}));
    EXPECT_EQ(varie().value(5, 11), CellValue::fromNumber(4));
    EXPECT_EQ(varie().text(5, 14), s("paolo"));
    EXPECT_EQ(varie().value(1, 254), CellValue::fromNumber(5));
    EXPECT_EQ(listed(), s("1:mario 2:lucia 3:anna 4:paolo"));
    EXPECT_EQ(line("Text44")->text(), s("Neri")) << "the boxes keep their text";
    EXPECT_EQ(child<QPushButton>(*form, "Command7")->text(), s("&Abilita"));
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kVarie)->text(5, 14), s("paolo"));

    // The same login twice is accepted.
    dialogs.answerYes();
    click("Command7");
    EXPECT_EQ(listed(), s("1:mario 2:lucia 3:anna 4:paolo 5:paolo"));
}

TEST_F(UsersPanelTest, EveryFieldIsNeededAndNoKeepsTheTable)
{
    open(usersWorkbook());
    openArea();
    dialogs.clear();
    fillUser("Neri", "Paolo", "paolo", "");
    click("Command7");
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE- Tutti i  campi devono essere compilati per Abilitare gli Utenti")});
    dialogs.clear();
    line("Text47")->setText(s("pp"));
    dialogs.answerNo();
    click("Command7");
    EXPECT_EQ(form->focusWidget(), line("Text44"));
    EXPECT_TRUE(varie().isEmpty(5, 14));
}

TEST_F(UsersPanelTest, ChoosingAndModifyingAUser)
{
    open(usersWorkbook());
    openArea();
    clickUser(1);
    EXPECT_EQ(child<QLabel>(*form, "Label59")->text(), s("2"));
    EXPECT_EQ(line("Text44")->text(), s("Bianchi"));
    EXPECT_EQ(line("Text47")->text(), s("pl"));
    EXPECT_EQ(child<QPushButton>(*form, "Command7")->text(), s("&Modifica"));

    line("Text47")->setText(s("nuova"));
    dialogs.clear();
    dialogs.answerYes();
    click("Command7");
    EXPECT_EQ(dialogs.texts(), QStringList{s("Vuoi modificare l'Utente  selezionato  ?")}) << "no message after";
    EXPECT_EQ(varie().text(3, 15), s("nuova"));
    EXPECT_EQ(varie().text(3, 16), s("lucia01/12/2026 08:00:00")) << "the access stamp stays";
    EXPECT_EQ(child<QPushButton>(*form, "Command7")->text(), s("&Abilita"));
    EXPECT_TRUE(child<QLabel>(*form, "Label59")->text().isEmpty());
}

TEST_F(UsersPanelTest, DeletingEmptiesTheRowWhichTheNextAddReuses)
{
    open(usersWorkbook());
    openArea();
    clickUser(1);
    dialogs.answerYes();
    click("Command23");
    EXPECT_EQ(dialogs.texts().last(), s("Vuoi eliminare l'Utente  selezionato  ?"));
    for (int column = 11; column <= 15; ++column)
        EXPECT_TRUE(varie().isEmpty(3, column)) << column;
    EXPECT_EQ(varie().text(3, 16), s("lucia01/12/2026 08:00:00"));
    EXPECT_EQ(listed(), s("1:mario")) << "the list ends above the emptied row";
    EXPECT_TRUE(line("Text44")->text().isEmpty());

    fillUser("Neri", "Paolo", "paolo", "pp");
    dialogs.answerYes();
    click("Command7");
    EXPECT_EQ(varie().text(3, 14), s("paolo"));
    EXPECT_EQ(varie().value(3, 11), CellValue::fromNumber(4));
    EXPECT_EQ(varie().text(3, 16), s("lucia01/12/2026 08:00:00")) << "until paolo logs in";
}

TEST_F(UsersPanelTest, LeavingSortsTheTableAndSaves)
{
    open(usersWorkbook());
    openArea();
    clickUser(1);
    dialogs.answerYes();
    click("Command23");
    click("Command25");
    EXPECT_TRUE(form->frame(7)->isHidden());
    EXPECT_EQ(varie().text(3, 14), s("anna")) << "the emptied row went last";
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kVarie)->text(3, 14), s("anna"));
    dialogs.clear();
    openArea();
    EXPECT_EQ(listed(), s("1:mario 3:anna"));
}

TEST_F(UsersPanelTest, DeletingWithNoUserChosenTouchesNothing)
{
    open(usersWorkbook());
    openArea();
    dialogs.clear();
    click("Command23");
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE: Selezionare prima l'Utente dall'elenco !")});
    EXPECT_EQ(listed(), s("1:mario 2:lucia 3:anna"));
}

TEST_F(UsersPanelTest, AFirstUserWithoutACounterFollowsTheHighestId)
{
    store::Workbook workbook = usersWorkbook();
    workbook.sheet(layout::kVarie)->clear(1, 254);
    open(workbook);
    openArea();
    fillUser("Neri", "Paolo", "paolo", "pp");
    dialogs.answerYes();
    click("Command7");
    EXPECT_EQ(varie().value(5, 11), CellValue::fromNumber(4));
    EXPECT_EQ(varie().value(1, 254), CellValue::fromNumber(5));
}

TEST_F(UsersPanelTest, OwnerDataAndPasswords)
{
    open(usersWorkbook());
    openArea();
    dialogs.clear();
    line("Text40")->clear();
    click("cmd24");
    EXPECT_EQ(dialogs.boxes().back(),
              (RecordedBox{Kind::Message, s(" Quadrilo"), s("ERRORE- Il Campo non può esser vuoto  !"), MessageIcon::Information}));
    dialogs.clear();
    line("Text40")->setText(s("Comune di Prova"));
    line("Text42")->setText(s("cmnprv00a01h501x"));
    line("Text8")->clear();
    click("cmd24");
    EXPECT_EQ(dialogs.texts(), QStringList{s("Operazione eseguita !\nATTENZIONE , prima di uscire trascrivere il luogo sicuro le Password Accesso al foglio di EXCEL\n e la Password Accesso AREA UTENTI ")});
    EXPECT_EQ(varie().text(2, 18), s("Comune di Prova"));
    EXPECT_EQ(varie().text(2, 20), s("CMNPRV00A01H501X"));
    EXPECT_TRUE(varie().isEmpty(2, 22)) << "an empty password box stores an empty password";
    EXPECT_EQ(varie().text(2, 23), s("area"));
    const std::pair<const char*, int> limits[] = {{"Text40", 70}, {"Text41", 70}, {"Text42", 16}, {"Text43", 11}, {"Text8", 8}, {"Text14", 8}};
    for (const auto& [field, length] : limits)
        EXPECT_EQ(line(field)->maxLength(), length) << field;
}

TEST_F(UsersPanelTest, TheLastUserCannotGoAndOneSelfOnlyAfterAQuestion)
{
    open(usersWorkbook());   // logged in as mario, user 1
    openArea();
    // lucia goes without a word more.
    clickUser(1);
    dialogs.clear();
    dialogs.answerYes();
    click("Command23");
    EXPECT_EQ(dialogs.texts(), QStringList{s("Vuoi eliminare l'Utente  selezionato  ?")});

    // mario is the one logged in: asked twice, No keeps him.
    clickUser(0);
    dialogs.clear();
    dialogs.answerYes();
    dialogs.answerNo();
    click("Command23");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[1].text, s("L'Utente selezionato è quello con cui si è entrati nel programma: dopo l'uscita non "
                                         "potrà più entrare con il nome mario.\nVuoi eliminarlo ugualmente ?"));
    EXPECT_EQ(varie().text(2, 14), s("mario"));

    // With anna gone, mario is the last one who can log in.
    click("Command25");
    openArea();
    clickUser(1);
    EXPECT_EQ(line("Text46")->text(), s("anna"));
    dialogs.answerYes();
    click("Command23");
    clickUser(0);
    dialogs.clear();
    click("Command23");
    EXPECT_EQ(dialogs.boxes(), (std::vector<RecordedBox>{{Kind::Message, s("Quadrilo"),
                                                          s(" ERRORE: Non si può eliminare l'ultimo Utente abilitato: nessuno "
                                                            "potrebbe più entrare nel programma !"),
                                                          MessageIcon::Stop}}));
    EXPECT_EQ(varie().text(2, 14), s("mario"));
    expectSavedAsShown();
}

TEST_F(UsersPanelTest, OwnerDataComeBackFromTheWorkbookWhenTheAreaOpens)
{
    store::Workbook workbook = usersWorkbook();
    workbook.sheet(layout::kVarie)->setText(2, 19, s("Piazza Grande 1"));
    open(workbook);
    // Another panel's clearing empties every field of the window.
    trigger("MnContatti");
    QTest::mouseClick(child<QPushButton>(*form, "Command11"), Qt::LeftButton);
    EXPECT_TRUE(line("Text41")->text().isEmpty());
    openArea();
    EXPECT_EQ(line("Text41")->text(), s("Piazza Grande 1"));
    EXPECT_EQ(line("Text14")->text(), s("area"));
}
