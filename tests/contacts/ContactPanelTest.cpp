// The address book commands of the contact panel, driven offscreen.

#include "support/MainWindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QApplication>
#include <QTreeWidget>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

void addContact(store::Sheet sheet, int row, int id, const QString& name)
{
    sheet.setNumber(row, 1, id);
    sheet.setText(row, 2, name);
    sheet.setText(row, 7, s("Roma"));
}

class ContactPanelTest : public MainWindowTest {
protected:
    QLineEdit* line(const char* name) { return child<QLineEdit>(*form, name); }
    QComboBox* chooser() { return child<QComboBox>(*form, "Combo4"); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(*form, name), Qt::LeftButton); }
    store::Sheet cliente() { return sheet(layout::kCliente); }
    QString names()
    {
        QStringList list;
        for (int row = 2; !cliente().isEmpty(row, 2); ++row)
            list << cliente().text(row, 2);
        return list.join(QLatin1Char(','));
    }
    void choose(int position)
    {
        chooser()->setCurrentIndex(position);
        emit chooser()->activated(position);
    }
    void openWith(const std::vector<std::pair<int, QString>>& contacts, int counter)
    {
        store::Workbook workbook = makeArchive();
        auto sheet = *workbook.sheet(layout::kCliente);
        int row = 2;
        for (const auto& [id, name] : contacts)
            addContact(sheet, row++, id, name);
        sheet.setNumber(1, 256, counter);
        open(workbook);
        trigger("MnContatti");
    }
};

} // namespace

TEST_F(ContactPanelTest, TheFirstContactTakesIdOneAndRowTwo)
{
    openWith({}, 1);
    QTest::keyClicks(line("Text26"), s("alfa srl"));
    line("Text24")->setText(s("00184"));
    line("Text21")->setText(s("06 1234567"));
    child<QComboBox>(*form, "Combo3")->setEditText(s("Fornitore"));
    child<QPlainTextEdit>(*form, "Text13")->setPlainText(s("prima\nseconda"));
    dialogs.answerYes();
    click("Command70");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::YesNo, s("Brenvaldo"), s(" Vuoi Inserire questo Cliente ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s("Quadrilo"), s(" Contatto aggiunto"), MessageIcon::Information}));
    EXPECT_EQ(cliente().value(2, 1), CellValue::fromNumber(1));
    EXPECT_EQ(cliente().value(2, 2), CellValue::fromText(s("ALFA SRL"))) << "typed in capitals";
    EXPECT_EQ(cliente().value(2, 3), CellValue::fromText(s("Fornitore")));
    EXPECT_EQ(cliente().value(2, 6), CellValue::fromText(s("00184"))) << "the zeros stay";
    EXPECT_EQ(cliente().value(2, 9), CellValue::fromText(s("06 1234567")));
    EXPECT_EQ(cliente().value(2, 17), CellValue::fromText(s("prima\nseconda")));
    EXPECT_EQ(cliente().value(1, 256), CellValue::fromNumber(2));
    EXPECT_EQ(line("Text10")->text(), s("2"));
    EXPECT_TRUE(line("Text26")->text().isEmpty());
    EXPECT_EQ(chooser()->count(), 1);
    expectSavedAsShown();
}

TEST_F(ContactPanelTest, LeadingZerosSurviveSavingAndReopening)
{
    openWith({}, 1);
    line("Text26")->setText(s("ROSSI MARIO"));
    line("Text24")->setText(s("00184"));
    line("Text21")->setText(s("0612345678"));
    line("Text20")->setText(s("0698765432"));
    QTest::keyClicks(line("Text19"), s("rssmra80a01h501u"));
    line("Text11")->setText(s("01234567890"));
    dialogs.answerYes();
    click("Command70");
    const std::pair<int, const char*> typed[] = {
        {6, "00184"}, {9, "0612345678"}, {10, "0698765432"}, {13, "RSSMRA80A01H501U"}, {14, "01234567890"}};
    for (const auto& [column, text] : typed)
        EXPECT_EQ(cliente().value(2, column), CellValue::fromText(s(text))) << "column " << column;
    expectSavedAsShown();

    reopen();
    trigger("MnContatti");
    choose(0);
    for (const auto& [field, text] : {std::pair{"Text24", "00184"}, std::pair{"Text21", "0612345678"},
                                      std::pair{"Text20", "0698765432"}, std::pair{"Text19", "RSSMRA80A01H501U"},
                                      std::pair{"Text11", "01234567890"}})
        EXPECT_EQ(line(field)->text(), s(text)) << field;
    for (const auto& [column, text] : typed)
        EXPECT_EQ(cliente().value(2, column), CellValue::fromText(s(text))) << "reopened, column " << column;
}

TEST_F(ContactPanelTest, ThePickerOfAnEmptyAddressBookSaysSoAndStaysClosed)
{
    openWith({}, 1);
    trigger("MenuClienti");
    click("cmd14");
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{Kind::Message, s("Quadrilo"), s("ERRORE: Non c'è alcun Cliente inserito !"), MessageIcon::Information}));
    EXPECT_TRUE(form->frame(8)->isHidden());

    // Nuovo Contatto, the first contact, and the picker has it.
    click("Command15");
    EXPECT_FALSE(form->frame(3)->isHidden());
    line("Text26")->setText(s("ALFA"));
    dialogs.answerYes();
    click("Command70");
    trigger("MenuClienti");
    dialogs.clear();
    click("cmd14");
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_FALSE(form->frame(8)->isHidden());
    EXPECT_EQ(child<QTreeWidget>(*form, "ListView3")->topLevelItem(0)->text(0), s("ALFA"));
}

TEST_F(ContactPanelTest, TheFieldsStandTopToBottomUnderTheirCaptions)
{
    openWith({}, 1);
    form->resize(1100, 900);
    QApplication::processEvents();
    QWidget& panel = *form->frame(3);
    const auto rect = [&](const char* name) { return rectIn(panel, *child<QWidget>(panel, name)); };

    // Lines top to bottom; on each line, left to right.
    const std::vector<std::vector<const char*>> lines = {
        {"Command70", "Command10", "Command11", "Command73", "Command72", "Command12"},
        {"Combo4", "Text18"},
        {"Text26", "Combo3", "Text10"},
        {"Text25", "Text24", "Text23", "Text22"},
        {"Text21", "Text20", "Text15", "Text16"},
        {"Text19", "Text11", "Text7"},
        {"Text12"},
        {"Text13"},
    };
    for (size_t line = 0; line < lines.size(); ++line) {
        const QRect first = rect(lines[line][0]);
        if (line > 0) {
            EXPECT_GE(first.top(), rect(lines[line - 1][0]).bottom()) << lines[line][0];
        }
        for (size_t i = 1; i < lines[line].size(); ++i) {
            const QRect here = rect(lines[line][i]);
            EXPECT_LT(std::abs(here.center().y() - first.center().y()), first.height()) << lines[line][i] << " on its line";
            EXPECT_GT(here.left(), rect(lines[line][i - 1]).left()) << lines[line][i] << " right of " << lines[line][i - 1];
        }
    }
    // The two check boxes, one above the other, at the right edge of the chooser's line.
    EXPECT_GT(rect("Check7").top(), rect("Check6").top());
    EXPECT_GE(rect("Check6").left(), rect("Text18").right());
    EXPECT_LT(rect("Check7").bottom(), rectIn(panel, *captionOf(panel, line("Text26"))).bottom());

    const std::pair<const char*, const char*> captions[] = {
        {"Combo4", "Seleziona Contatto"}, {"Text18", "Data"}, {"Text26", "INSERISCI-Ragione Sociale/Cognome-Nome"},
        {"Combo3", "Tipo Contatto"}, {"Text10", "ID Progressivo"}, {"Text25", "Indirizzo"}, {"Text24", "C.A.P."},
        {"Text23", "Località"}, {"Text22", "(PR)"}, {"Text21", "Telefono"}, {"Text20", "Fax"}, {"Text15", "Cellullare"},
        {"Text16", "E-Mail"}, {"Text19", "Codice Fiscale"}, {"Text11", "Partita IVA"},
        {"Text7", "Referente/Legale Rappresentante"}, {"Text12", "Annotazioni"}};
    for (const auto& [name, text] : captions) {
        SCOPED_TRACE(name);
        QLabel* caption = captionOf(panel, child<QWidget>(panel, name));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), s(text));
        const QRect above = rectIn(panel, *caption);
        EXPECT_LE(above.bottom(), rect(name).top()) << "just above its field";
        EXPECT_LT(rect(name).top() - above.bottom(), 2 * above.height());
        EXPECT_LT(std::abs(above.left() - rect(name).left()), 8);
    }
    const char* const buttons[][2] = {{"Command70", "Inserisci "}, {"Command10", "&Modifica"}, {"Command11", "&Pulisci"},
                                      {"Command73", "&Elimina"},   {"Command72", "&Stampa"},   {"Command12", "&Esci"}};
    for (const auto& [name, text] : buttons)
        EXPECT_EQ(child<QPushButton>(panel, name)->text(), s(text));
    EXPECT_EQ(child<QCheckBox>(panel, "Check6")->text(), s("Azzera Contatore "));
    EXPECT_EQ(child<QCheckBox>(panel, "Check7")->text(), s("Cambia IDProgressivo"));
    EXPECT_EQ(line("Text26")->toolTip(),
              s("Occorre Selezionare il Cliente , se non presente bisogna accedere alla Maschera Assegnazione Cliente"));
    EXPECT_TRUE(line("Text10")->isReadOnly());
    EXPECT_EQ(line("Text10")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
}

TEST_F(ContactPanelTest, AnEmptyNameOrANoWritesNothing)
{
    openWith({{1, s("ALFA")}}, 2);
    click("Command70");
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE- Il Campo RAGIONE/COGNOME deve essere compilato")});
    EXPECT_EQ(form->focusWidget(), line("Text26"));

    dialogs.clear();
    line("Text26")->setText(s("BETA"));
    line("Text23")->setText(s("Milano"));
    dialogs.answerNo();
    click("Command70");
    EXPECT_TRUE(line("Text26")->text().isEmpty());
    EXPECT_TRUE(line("Text23")->text().isEmpty());
    EXPECT_EQ(names(), s("ALFA"));
    EXPECT_EQ(cliente().value(1, 256), CellValue::fromNumber(2));
}

TEST_F(ContactPanelTest, ANewContactIsSortedInAndAnIdlessRowIsReused)
{
    openWith({{1, s("ALFA")}, {2, s("DELTA")}}, 3);
    cliente().clear(3, 1);  // DELTA lost its id in the spreadsheet
    line("Text26")->setText(s("BETA"));
    dialogs.answerYes();
    click("Command70");
    EXPECT_EQ(names(), s("ALFA,BETA"));
    EXPECT_EQ(cliente().value(3, 1), CellValue::fromNumber(3));

    line("Text26")->setText(s("CHARLIE"));
    dialogs.answerYes();
    click("Command70");
    cliente().setText(4, 2, s("alfa"));  // edited by hand in lower case
    line("Text26")->setText(s("ALFA"));
    dialogs.answerYes();
    click("Command70");
    EXPECT_EQ(names(), s("ALFA,alfa,ALFA,BETA")) << "case does not separate a name";
    EXPECT_EQ(chooser()->itemText(3), s("BETA"));
}

TEST_F(ContactPanelTest, ALongAddressBookIsSortedWhole)
{
    std::vector<std::pair<int, QString>> contacts;
    for (int i = 0; i < 1005; ++i)
        contacts.emplace_back(i + 1, QStringLiteral("N%1").arg(i + 1000));
    openWith(contacts, 1006);
    line("Text26")->setText(s("A NUOVO"));
    dialogs.answerYes();
    click("Command70");
    EXPECT_EQ(cliente().text(2, 2), s("A NUOVO"));
    EXPECT_EQ(cliente().value(2, 1), CellValue::fromNumber(1006));
    EXPECT_EQ(chooser()->itemText(0), s("A NUOVO"));
    EXPECT_EQ(chooser()->count(), 1006);
}

TEST_F(ContactPanelTest, ChoosingShowsTheRowOfThatPositionAndModifyWritesIt)
{
    openWith({{1, s("ALFA")}, {2, s("BETA")}, {3, s("GAMMA")}, {4, s("BETA")}}, 5);
    choose(2);
    EXPECT_EQ(line("Text26")->text(), s("GAMMA"));
    EXPECT_EQ(line("Text23")->text(), s("Roma"));
    EXPECT_EQ(line("Text10")->text(), s("3"));

    line("Text26")->setText(s("GAMMA NUOVA"));
    line("Text23")->setText(s("Napoli"));
    click("Command10");
    EXPECT_EQ(dialogs.texts(), QStringList{s("Cliente modificato")});
    EXPECT_EQ(dialogs.boxes()[0].icon, MessageIcon::None);
    EXPECT_EQ(cliente().text(4, 2), s("GAMMA NUOVA"));
    EXPECT_EQ(cliente().text(4, 7), s("Napoli"));
    EXPECT_EQ(cliente().value(4, 1), CellValue::fromNumber(3));
    EXPECT_EQ(names(), s("ALFA,BETA,GAMMA NUOVA,BETA")) << "not sorted again";
    expectSavedAsShown();

    // The second of two equal names is its own row.
    choose(3);
    EXPECT_EQ(line("Text10")->text(), s("4"));
    line("Text23")->setText(s("Torino"));
    click("Command10");
    EXPECT_EQ(cliente().text(5, 7), s("Torino"));
    EXPECT_EQ(cliente().text(3, 7), s("Roma"));
}

TEST_F(ContactPanelTest, ModifyWithoutAChosenContactTouchesNoRow)
{
    openWith({{1, s("ALFA")}}, 2);
    click("Command10");
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{Kind::Message, s("Quadrilo"), s(" Il campo :  CLIENTE  , deve essere compilato"), MessageIcon::Information}));
    // A name typed into the chooser is no choice: the header row stays.
    dialogs.clear();
    chooser()->setEditText(s("ALF"));
    line("Text26")->setText(s("HEADER?"));
    click("Command10");
    EXPECT_EQ(dialogs.texts(), QStringList{s(" Il campo :  CLIENTE  , deve essere compilato")});
    EXPECT_EQ(cliente().text(1, 2), s("Ragione Sociale/Cognome Nome"));
    EXPECT_EQ(cliente().text(2, 2), s("ALFA"));
}

TEST_F(ContactPanelTest, DeletionFindsTheContactByItsId)
{
    openWith({{5, s("ALFA")}, {7, s("BETA")}, {9, s("GAMMA")}}, 10);
    choose(1);
    line("Text26")->setText(s("NOME CAMBIATO"));
    dialogs.answerYes();
    click("Command73");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::YesNo, s("Quadrilo"), s("Si vuole Eliminare il Contatto  Selezionato ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s("Quadrilo"), s("Contatto eliminato"), MessageIcon::Information}));
    EXPECT_EQ(names(), s("ALFA,GAMMA"));
    EXPECT_EQ(cliente().value(1, 256), CellValue::fromNumber(10));
    EXPECT_EQ(chooser()->count(), 2);
    expectSavedAsShown();

    line("Text26")->setText(s("DELTA"));
    dialogs.answerYes();
    click("Command70");
    EXPECT_EQ(names(), s("ALFA,DELTA,GAMMA"));
    EXPECT_EQ(cliente().value(3, 1), CellValue::fromNumber(10)) << "the id comes from the counter, not the freed 7";
}

TEST_F(ContactPanelTest, DeletionNeedsANameAndAFoundId)
{
    openWith({{5, s("ALFA")}}, 6);
    click("Command73");
    EXPECT_EQ(dialogs.texts(), QStringList{s("Bisogna Selezionare il Contatto .......")});
    dialogs.clear();
    choose(0);
    dialogs.answerNo();
    click("Command73");
    EXPECT_EQ(line("Text26")->text(), s("ALFA")) << "No keeps the fields";
    EXPECT_EQ(names(), s("ALFA"));

    dialogs.clear();
    line("Text26")->setText(s("ALFA"));
    line("Text10")->setText(s("99"));
    dialogs.answerYes();
    click("Command73");
    EXPECT_EQ(dialogs.texts().last(), s(" ERRORE: Nessun contatto ha l'ID 99: nulla è stato eliminato !"));
    EXPECT_EQ(names(), s("ALFA"));
}

TEST_F(ContactPanelTest, NamesAndFiscalCodesAreTypedInCapitals)
{
    openWith({}, 1);
    auto* name = line("Text26");
    QTest::keyClicks(name, s("ROSSI"));
    name->setCursorPosition(2);
    QTest::keyClicks(name, s("x"));
    EXPECT_EQ(name->text(), s("ROXSSI"));
    EXPECT_EQ(name->cursorPosition(), 3);
    auto* fiscal = line("Text19");
    QTest::keyClicks(fiscal, s("rssmra80a01h501uextra"));
    EXPECT_EQ(fiscal->text(), s("RSSMRA80A01H501U"));
    const std::pair<const char*, int> limits[] = {{"Text19", 16}, {"Text11", 11}, {"Text24", 5}, {"Text22", 2}, {"Text18", 10}};
    for (const auto& [field, length] : limits)
        EXPECT_EQ(line(field)->maxLength(), length) << field;
}

TEST_F(ContactPanelTest, PulisciEmptiesAndReloads)
{
    openWith({{1, s("ALFA")}}, 2);
    line("Text26")->setText(s("X"));
    cliente().setNumber(3, 1, 2);
    cliente().setText(3, 2, s("BETA"));
    click("Command11");
    EXPECT_TRUE(line("Text26")->text().isEmpty());
    EXPECT_EQ(chooser()->count(), 2);
    EXPECT_EQ(line("Text10")->text(), s("2"));
}

TEST_F(ContactPanelTest, AStoredTextLongerThanAFieldShowsWholeAndTheLimitComesBack)
{
    store::Workbook workbook = makeArchive();
    auto sheet = *workbook.sheet(layout::kCliente);
    addContact(sheet, 2, 1, s("ALFA"));
    addContact(sheet, 3, 2, s("BETA"));
    sheet.setText(2, 6, s("00184-1234"));   // typed in a spreadsheet program
    sheet.setText(3, 6, s("47121"));
    sheet.setNumber(1, 256, 3);
    open(workbook);
    trigger("MnContatti");
    choose(0);
    EXPECT_EQ(line("Text24")->text(), s("00184-1234"));
    choose(1);
    EXPECT_EQ(line("Text24")->maxLength(), 5) << "the next contact's code is typed within the limit";
    click("Command11");
    line("Text24")->setFocus();
    QTest::keyClicks(line("Text24"), s("0018412345"));
    EXPECT_EQ(line("Text24")->text(), s("00184"));
}
