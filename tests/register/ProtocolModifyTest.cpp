// Changing and deleting stored protocols from the register list, driven
// offscreen.

#include "register/ProtocolPanel.h"
#include "support/MainWindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

void addRecord(store::Sheet sheet, int row, int number, const char* name, const char* marker)
{
    sheet.setNumber(row, 1, number);
    sheet.setDate(row, 2, QDate(2026, 11, number));
    sheet.setText(row, 3, s("PEC"));
    sheet.setText(row, 4, s("Lettera"));
    sheet.setDate(row, 5, QDate(2026, 10, number));
    sheet.setText(row, 6, s(name));
    sheet.setText(row, 7, s("Oggetto ") + QString::number(number));
    sheet.setText(row, 8, s("nota ") + QString::number(number));
    sheet.setText(row, 9, s("1"));
    sheet.setText(row, 10, s("Ragioneria"));
    sheet.setText(row, 11, s("Rossi"));
    sheet.setText(row, 12, s(marker));
}

// Three records in each register, counters at 3.
store::Workbook threeRecords()
{
    store::Workbook workbook = makeArchive();
    for (const auto& [name, marker] : {std::pair{layout::kEntrata, "E"}, std::pair{layout::kUscita, "U"}}) {
        auto sheet = *workbook.sheet(name);
        addRecord(sheet, 2, 1, "ALFA", marker);
        addRecord(sheet, 3, 2, "BETA", marker);
        addRecord(sheet, 4, 3, "GAMMA", marker);
    }
    workbook.sheet(layout::kVarie)->setNumber(1, 256, 3);
    workbook.sheet(layout::kVarie)->setNumber(1, 255, 3);
    return workbook;
}

class ProtocolModifyTest : public MainWindowTest {
protected:
    QLineEdit* line(const char* name) { return child<QLineEdit>(*form, name); }
    QComboBox* combo(const char* name) { return child<QComboBox>(*form, name); }
    QPushButton* button(const char* name) { return child<QPushButton>(*form, name); }
    QTreeView* list() { return child<QTreeView>(*form, "ListView1"); }

    void clickRow(int row)
    {
        const QRect rect = list()->visualRect(list()->model()->index(row, 0));
        ASSERT_TRUE(rect.isValid());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    // Clicks the button, answers Sì to its question and gives the box that follows.
    RecordedBox afterYes(const char* name)
    {
        dialogs.clear();
        dialogs.answerYes();
        click(name);
        EXPECT_EQ(dialogs.boxes().size(), 2u);
        return dialogs.boxes().size() == 2 ? dialogs.boxes()[1] : RecordedBox{};
    }
    // A new window for the next register of a loop.
    void reopenWith(const char* menu)
    {
        TearDown();
        dialogs.clear();
        openWith(menu);
    }
    void openWith(const char* menu, const store::Workbook& workbook = threeRecords())
    {
        open(workbook);
        trigger(menu);
        form->resize(1100, 900);
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(ProtocolModifyTest, ClickingARowLoadsItIntoTheFields)
{
    openWith("MenuClienti");
    clickRow(2);
    EXPECT_EQ(line("Text1")->text(), s("3"));
    EXPECT_EQ(line("Text2")->text(), s("03/11/2026"));
    EXPECT_EQ(combo("Combo1")->currentText(), s("PEC"));
    EXPECT_EQ(combo("Combo2")->currentText(), s("Lettera"));
    EXPECT_EQ(line("Text3")->text(), s("03/10/2026"));
    EXPECT_EQ(line("Text4")->text(), s("GAMMA"));
    EXPECT_EQ(line("Text5")->text(), s("Oggetto 3"));
    EXPECT_EQ(child<QPlainTextEdit>(*form, "Text6")->toPlainText(), s("nota 3"));
    EXPECT_EQ(line("Text70")->text(), s("1"));
    EXPECT_EQ(combo("Combo7")->currentText(), s("Ragioneria"));
    EXPECT_EQ(combo("Combo8")->currentText(), s("Rossi"));
    EXPECT_FALSE(button("Command16")->isEnabled());
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(ProtocolModifyTest, ModifyingRewritesAToKKeepsLAndSaves)
{
    openWith("MenuClienti");
    clickRow(1);
    line("Text2")->setText(s("5/11/26"));
    combo("Combo1")->setEditText(s("Raccomandata"));
    combo("Combo2")->setEditText(s("Fattura"));
    line("Text3")->clear();
    line("Text4")->setText(s("BETA NUOVA"));
    line("Text5")->setText(s("Oggetto nuovo"));
    child<QPlainTextEdit>(*form, "Text6")->setPlainText(s("riga 1\nriga 2"));
    line("Text70")->setText(s("03"));
    combo("Combo7")->setEditText(s("Protocollo"));
    combo("Combo8")->setEditText(s("Bianchi"));
    dialogs.answerYes();
    click("Command17");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::YesNo, s("Quadrilo"), s("Vuoi modificare protocollo  selezionato  ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s("Brenvaldo"), s("Protocollo  Modificato"), MessageIcon::Information}));

    auto sheet = this->sheet(layout::kEntrata);
    const CellValue row3[] = {CellValue::fromNumber(2),
                              sheet.value(3, 2),  // checked as a date below
                              CellValue::fromText(s("Raccomandata")),
                              CellValue::fromText(s("Fattura")),
                              CellValue(),
                              CellValue::fromText(s("BETA NUOVA")),
                              CellValue::fromText(s("Oggetto nuovo")),
                              CellValue::fromText(s("riga 1\nriga 2")),
                              CellValue::fromText(s("03")),
                              CellValue::fromText(s("Protocollo")),
                              CellValue::fromText(s("Bianchi")),
                              CellValue::fromText(s("E"))};
    for (int column = 1; column <= 12; ++column)
        EXPECT_EQ(sheet.value(3, column), row3[column - 1]) << "column " << column;
    EXPECT_TRUE(sheet.value(3, 2).isDate()) << "the date stays a date";
    EXPECT_EQ(sheet.value(3, 2).date(), QDate(2026, 11, 5));
    EXPECT_EQ(sheet.text(2, 6), s("ALFA")) << "the other records are untouched";
    EXPECT_EQ(sheet.text(4, 6), s("GAMMA"));
    EXPECT_EQ(sheet.lastUsedRow(), 4);
    EXPECT_EQ(list()->model()->index(1, 5).data().toString(), s("BETA NUOVA"));
    EXPECT_EQ(list()->model()->index(1, 1).data().toString(), s("05/11/2026"));
    EXPECT_TRUE(button("Command16")->isEnabled());
    EXPECT_EQ(line("Text1")->text(), s("4"));
    expectSavedAsShown();
}

TEST_F(ProtocolModifyTest, UscitaModificationIsTitledQuadrilo)
{
    openWith("MenuArchiviazione");
    clickRow(0);
    dialogs.answerYes();
    click("Command17");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[1].title, s("Quadrilo"));
}

TEST_F(ProtocolModifyTest, NothingLoadedOrMissingFieldsModifyNothing)
{
    for (const char* menu : {"MenuClienti", "MenuArchiviazione"}) {
        SCOPED_TRACE(menu);
        reopenWith(menu);
        line("Text2")->setText(s("1/1/2026"));
        line("Text4")->setText(s("X"));
        line("Text5")->setText(s("Y"));
        click("Command17");
        ASSERT_EQ(dialogs.boxes().size(), 1u);
        EXPECT_EQ(dialogs.boxes()[0].text,
                  s(" ERRORE- Si può modificare solo una registrazione  già inserita , seleziona prima la registrazione !"));
        EXPECT_EQ(form->focusWidget(), line("Text2"));
    }
    dialogs.clear();
    clickRow(0);
    line("Text5")->clear();
    click("Command17");
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE- I Campi DATA /MITTENTE - DESTINATARIO/OGGETTO  devono essere sempre compilati !")});
    EXPECT_EQ(sheet(layout::kUscita).text(2, 7), s("Oggetto 1"));
}

TEST_F(ProtocolModifyTest, AnsweringNoKeepsTheRecordAndOnlyUscitaGivesProtocollaBack)
{
    for (const auto& [menu, enabledAfter] : {std::pair{"MenuClienti", false}, std::pair{"MenuArchiviazione", true}}) {
        SCOPED_TRACE(menu);
        reopenWith(menu);
        clickRow(0);
        line("Text4")->setText(s("CAMBIATO"));
        dialogs.answerNo();
        click("Command17");
        EXPECT_EQ(dialogs.boxes().size(), 1u);
        EXPECT_EQ(line("Text4")->text(), s("CAMBIATO")) << "the fields keep their texts";
        EXPECT_EQ(button("Command16")->isEnabled(), enabledAfter);
    }
    EXPECT_EQ(sheet(layout::kUscita).text(2, 6), s("ALFA"));
}

TEST_F(ProtocolModifyTest, ARecordGoneMeanwhileIsReportedNotClaimedDone)
{
    openWith("MenuClienti");
    clickRow(2);
    sheet(layout::kEntrata).deleteRow(4);  // removed behind the list's back
    EXPECT_EQ(afterYes("Command17"),
              (RecordedBox{Kind::Message, s("Quadrilo"),
                           s(" ERRORE: Il registro è cambiato dopo la scelta del protocollo 3: selezionarlo di nuovo dalla lista. "
                             "Nulla è stato modificato !"),
                           MessageIcon::Stop}));
    EXPECT_TRUE(sheet(layout::kEntrata).isEmpty(4, 1));
    EXPECT_FALSE(button("Command16")->isEnabled());
    EXPECT_EQ(line("Text4")->text(), s("GAMMA")) << "the fields stay for another try";
    EXPECT_EQ(list()->model()->rowCount(), 2) << "the list shows the register as it is";

    // Nothing is chosen any more: nothing is deleted.
    dialogs.clear();
    click("Command19");
    EXPECT_EQ(dialogs.texts(), QStringList{s("ERRORE: Bisogna Selezionare una registrazione !")});
    EXPECT_EQ(sheet(layout::kEntrata).lastUsedRow(), 3);
}

TEST_F(ProtocolModifyTest, AnEmptyRegisterHasNothingToModify)
{
    for (const auto& [menu, enabledAfter] : {std::pair{"MenuClienti", false}, std::pair{"MenuArchiviazione", true}}) {
        SCOPED_TRACE(menu);
        reopenWith(menu);
        clickRow(0);
        // Emptied in the spreadsheet window meanwhile.
        auto register_ = sheet(std::string_view(menu) == "MenuClienti" ? layout::kEntrata : layout::kUscita);
        for (int i = 0; i < 3; ++i)
            register_.deleteRow(2);
        EXPECT_EQ(afterYes("Command17"),
                  (RecordedBox{Kind::Message, s("Quadrilo"), s(" ERRORE: Non ci sono protocolli registrati "), MessageIcon::Information}));
        EXPECT_EQ(button("Command16")->isEnabled(), enabledAfter);
        EXPECT_TRUE(register_.isEmpty(2, 1)) << "nothing written";
    }
}

TEST_F(ProtocolModifyTest, TheRowChosenIsChangedWhenNumbersRepeatOrAreStoredAsText)
{
    // After the counter was set back 1 came again; "07" was typed by hand.
    store::Workbook workbook = threeRecords();
    auto entrata = *workbook.sheet(layout::kEntrata);
    addRecord(entrata, 4, 1, "GAMMA", "E");
    addRecord(entrata, 5, 7, "DELTA", "E");
    entrata.setText(5, 1, s("07"));
    openWith("MenuClienti", workbook);

    clickRow(2);
    line("Text5")->setText(s("Oggetto corretto"));
    EXPECT_EQ(afterYes("Command17").text, s("Protocollo  Modificato"));
    EXPECT_EQ(sheet(layout::kEntrata).text(4, 7), s("Oggetto corretto"));
    EXPECT_EQ(sheet(layout::kEntrata).text(2, 7), s("Oggetto 1")) << "the other record numbered 1 is untouched";

    clickRow(3);
    EXPECT_EQ(line("Text1")->text(), s("07"));
    EXPECT_EQ(afterYes("Command19").text, s("Operazione eseguita"));
    EXPECT_EQ(sheet(layout::kEntrata).lastUsedRow(), 4);

    clickRow(2);
    EXPECT_EQ(afterYes("Command19").text, s("Operazione eseguita"));
    EXPECT_EQ(sheet(layout::kEntrata).lastUsedRow(), 3);
    EXPECT_EQ(sheet(layout::kEntrata).text(2, 6), s("ALFA"));
    EXPECT_EQ(sheet(layout::kEntrata).text(3, 6), s("BETA"));
    expectSavedAsShown();
}

TEST_F(ProtocolModifyTest, ADateThatIsNoDateIsRefusedOnModification)
{
    openWith("MenuClienti");
    clickRow(0);
    line("Text2")->setText(s("primo novembre"));
    click("Command17");
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_TRUE(dialogs.boxes()[0].text.startsWith(s(" ERRORE- Il Campo DATA non contiene una data valida")));
    EXPECT_EQ(sheet(layout::kEntrata).value(2, 2).date(), QDate(2026, 11, 1));
}

TEST_F(ProtocolModifyTest, DeletingTheFirstRecordMovesTheOthersUpAndKeepsTheCounter)
{
    openWith("MenuClienti");
    clickRow(0);
    dialogs.answerYes();
    click("Command19");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::YesNo, s("Quadrilo"), s("Si vuole eliminare il protocollo  selezionato ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s(" Brenvaldo"), s("Operazione eseguita"), MessageIcon::Information}));
    auto sheet = this->sheet(layout::kEntrata);
    EXPECT_EQ(sheet.value(2, 1), CellValue::fromNumber(2));
    EXPECT_EQ(sheet.value(3, 1), CellValue::fromNumber(3));
    EXPECT_TRUE(sheet.isEmpty(4, 1));
    EXPECT_EQ(list()->model()->rowCount(), 2);
    EXPECT_EQ(this->sheet(layout::kVarie).value(1, 256), CellValue::fromNumber(3));
    EXPECT_EQ(line("Text1")->text(), s("4"));
    EXPECT_FALSE(button("Command16")->isEnabled()) << "stays off until Pulisci";
    expectSavedAsShown();

    // The next entry takes the counter plus one, never the freed number.
    click("Command18");
    line("Text2")->setText(s("7/12/2026"));
    line("Text4")->setText(s("DELTA"));
    line("Text5")->setText(s("Nuovo"));
    dialogs.answerYes();
    click("Command16");
    EXPECT_EQ(this->sheet(layout::kEntrata).value(4, 1), CellValue::fromNumber(4));
    EXPECT_EQ(this->sheet(layout::kVarie).value(1, 256), CellValue::fromNumber(4));
}

TEST_F(ProtocolModifyTest, DeletionNeedsALoadedRecord)
{
    openWith("MenuArchiviazione");
    click("Command19");
    EXPECT_EQ(dialogs.texts(), QStringList{s("ERRORE: Bisogna Selezionare una registrazione !")});
    EXPECT_EQ(list()->model()->rowCount(), 3);

    dialogs.clear();
    line("Text4")->setText(s("ALFA"));
    line("Text1")->clear();
    click("Command19");
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::Message, s("Quadrilo"), s("Bisogna selezionare  il protocollo......"), MessageIcon::Information}));

    dialogs.clear();
    clickRow(1);
    dialogs.answerNo();
    click("Command19");
    EXPECT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(sheet(layout::kUscita).text(3, 6), s("BETA"));
}

TEST_F(ProtocolModifyTest, UscitaDeletionIsTitledQuadriloWithABlank)
{
    openWith("MenuArchiviazione");
    clickRow(2);
    dialogs.answerYes();
    click("Command19");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[1].title, s(" Quadrilo"));
    EXPECT_EQ(sheet(layout::kUscita).lastUsedRow(), 3);
    EXPECT_EQ(sheet(layout::kUscita).text(3, 6), s("BETA"));
    expectSavedAsShown();
}

TEST_F(ProtocolModifyTest, ASearchNarrowsTheListAndTheRecordFoundIsTheOneChanged)
{
    store::Workbook workbook = threeRecords();
    workbook.sheet(layout::kEntrata)->setText(3, 6, s("Comune di Forlì"));
    openWith("MenuClienti", workbook);
    line("searchWords")->setText(s("forli"));
    ASSERT_EQ(list()->model()->rowCount(), 1) << "an accented word typed plainly";
    line("searchWords")->setText(s("oggetto ragioneria"));
    EXPECT_EQ(list()->model()->rowCount(), 3) << "every word, each in some column";
    line("searchNumbers")->setText(s("2-3"));
    line("searchFrom")->setText(s("3/11/2026"));
    ASSERT_EQ(list()->model()->rowCount(), 1);
    EXPECT_EQ(list()->model()->index(0, 5).data().toString(), s("GAMMA"));
    EXPECT_EQ(child<QLabel>(*form, "searchFound")->text(), s("Trovati 1 di 3"));
    line("searchTo")->setText(s("31/3"));   // no date: marked, not silently passed over
    EXPECT_FALSE(line("searchTo")->styleSheet().isEmpty());
    EXPECT_EQ(list()->model()->rowCount(), 1);
    line("searchTo")->clear();

    clickRow(0);
    line("Text5")->setText(s("Oggetto trovato"));
    EXPECT_EQ(afterYes("Command17").text, s("Protocollo  Modificato"));
    EXPECT_EQ(sheet(layout::kEntrata).text(4, 7), s("Oggetto trovato"));
    EXPECT_EQ(line("searchWords")->text(), s("oggetto ragioneria")) << "the search stays";
    ASSERT_EQ(list()->model()->rowCount(), 1);
    EXPECT_EQ(list()->currentIndex().row(), 0) << "the record changed stays chosen";

    line("searchWords")->clear();
    line("searchNumbers")->clear();
    line("searchFrom")->clear();
    EXPECT_EQ(list()->model()->rowCount(), 3) << "no search: the whole register";
}

TEST_F(ProtocolModifyTest, BothRegistersListedEachRecordChangedInItsOwn)
{
    openWith("MenuClienti");
    child<QCheckBox>(*form, "searchBoth")->setChecked(true);
    ASSERT_EQ(list()->model()->rowCount(), 6);
    EXPECT_EQ(list()->model()->headerData(11, Qt::Horizontal).toString(), s("Registro"));
    EXPECT_EQ(list()->model()->index(4, 11).data().toString(), s("Uscita"));
    clickRow(4);
    line("Text5")->setText(s("Risposta corretta"));
    EXPECT_EQ(afterYes("Command17"), (RecordedBox{Kind::Message, s("Quadrilo"), s("Protocollo  Modificato"), MessageIcon::Information}));
    EXPECT_EQ(sheet(layout::kUscita).text(3, 7), s("Risposta corretta"));
    EXPECT_EQ(sheet(layout::kEntrata).text(3, 7), s("Oggetto 2"));
}

TEST(RegisterSearch, WordsDatesAndNumbersAreReadAsTyped)
{
    EXPECT_EQ(protocol::foldForSearch(s("Località CÀ ROSSA, Forlì")), s("localita ca rossa, forli"));
    const protocol::RegisterSearch search = protocol::parseSearch(s("  Forlì  perizia "), s("1/3/26"), s("non è una data"), s("180 - 120"));
    EXPECT_EQ(search.words, (QStringList{s("forli"), s("perizia")}));
    EXPECT_EQ(search.from, QDate(2026, 3, 1));
    EXPECT_FALSE(search.to.has_value());
    EXPECT_EQ(search.lowestNumber, 120);
    EXPECT_EQ(search.highestNumber, 180);
    EXPECT_EQ(protocol::parseSearch({}, {}, {}, s("7")).highestNumber, 7);
    EXPECT_TRUE(protocol::parseSearch(s("  "), {}, {}, s("sette")).isEmpty());
    // Typing on narrows; deleting a letter widens.
    EXPECT_TRUE(protocol::parseSearch(s("forli"), {}, {}, {}).narrows(protocol::parseSearch(s("forl"), {}, {}, {})));
    EXPECT_FALSE(protocol::parseSearch(s("forl"), {}, {}, {}).narrows(protocol::parseSearch(s("forli"), {}, {}, {})));
}

TEST_F(ProtocolModifyTest, AnEntryIsChosenInTheListAndAFilledGapBringsTheRecordsBelowIt)
{
    store::Workbook workbook = threeRecords();
    addRecord(*workbook.sheet(layout::kEntrata), 6, 9, "ZETA", "E");   // below an empty row 5
    openWith("MenuClienti", workbook);
    ASSERT_EQ(list()->model()->rowCount(), 3);
    const auto enter = [&](const char* who) {
        line("Text2")->setText(s("9/12/2026"));
        line("Text4")->setText(s(who));
        line("Text5")->setText(s("Nuova"));
        dialogs.answerYes();
        click("Command16");
    };
    enter("ETA");   // into row 5: the run now reaches row 6
    ASSERT_EQ(list()->model()->rowCount(), 5);
    EXPECT_EQ(list()->currentIndex().row(), 3);
    EXPECT_EQ(list()->model()->index(4, 5).data().toString(), s("ZETA"));
    enter("TETA");  // after the last: taken without reading the register again
    ASSERT_EQ(list()->model()->rowCount(), 6);
    EXPECT_EQ(list()->currentIndex().row(), 5);
    EXPECT_EQ(list()->model()->index(5, 5).data().toString(), s("TETA"));
}

TEST_F(ProtocolModifyTest, TheListKeepsItsScrollAfterADeletion)
{
    store::Workbook workbook = threeRecords();
    for (int number = 4; number <= 300; ++number)
        addRecord(*workbook.sheet(layout::kEntrata), number + 1, number, "DELTA", "E");
    openWith("MenuClienti", workbook);
    QScrollBar* scroll = list()->verticalScrollBar();
    scroll->setValue(150);
    const int place = scroll->value();
    ASSERT_GT(place, 0);
    const QModelIndex shown = list()->indexAt(QPoint(5, 5));
    clickRow(shown.row());
    EXPECT_EQ(afterYes("Command19").text, s("Operazione eseguita"));
    EXPECT_EQ(scroll->value(), place);
}
