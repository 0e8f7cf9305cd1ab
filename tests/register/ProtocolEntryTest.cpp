// The protocol panel driven offscreen: opening a register, entering a
// protocol under the next number, clearing, and the contact picker.

#include "register/ProtocolPanel.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

const QString kMissingFields = s(" ERRORE- I Campi DATA /MITTENTE - DESTINATARIO/OGGETTO  devono essere sempre compilati !");

class ProtocolEntryTest : public MainWindowTest {
protected:
    QLineEdit* line(const char* name) { return child<QLineEdit>(*form, name); }
    QComboBox* combo(const char* name) { return child<QComboBox>(*form, name); }
    QAbstractItemModel* list() { return child<QTreeView>(*form, "ListView1")->model(); }

    // Types a record the way a user does.
    void type(const char* date, const char* correspondent, const char* subject)
    {
        QTest::keyClicks(line("Text2"), s(date));
        QTest::keyClicks(line("Text4"), s(correspondent));
        QTest::keyClicks(line("Text5"), s(subject));
    }
    void clickInsert() { QTest::mouseClick(child<QPushButton>(*form, "Command16"), Qt::LeftButton); }

    store::Sheet entrata() { return sheet(layout::kEntrata); }
    store::Sheet varie() { return sheet(layout::kVarie); }
};

} // namespace

TEST_F(ProtocolEntryTest, FirstUseNumbersFromOne)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kVarie)->clear(1, 256);
    open(workbook);
    trigger("MenuClienti");
    EXPECT_EQ(varie().value(1, 256), CellValue::fromNumber(0)) << "an empty counter becomes 0";
    EXPECT_EQ(line("Text1")->text(), s("1"));
    EXPECT_EQ(child<QLabel>(*form, "Label36")->text(), s(" Prot. in Entrata"));
    EXPECT_EQ(child<QLabel>(*form, "Label37")->text(), s("1"));
    EXPECT_TRUE(child<QLabel>(*form, "Label37")->isHidden());

    type("7/12/2026", "ALFA SRL", "Richiesta documenti");
    QTest::keyClicks(combo("Combo1"), s("Raccomandata"));
    QTest::keyClicks(line("Text3"), s("01-12-2026"));
    QTest::keyClicks(child<QPlainTextEdit>(*form, "Text6"), s("prima riga"));
    QTest::keyClicks(line("Text70"), s("2"));
    dialogs.answerYes();
    clickInsert();

    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::YesNo, s(" Quadrilo"), s(" Vuoi Inserire questo Protocollo in Entrata ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s("Quadrilo"), s(" Protocollo inserito "), MessageIcon::Information}));

    auto sheetE = entrata();
    EXPECT_EQ(sheetE.value(2, 1), CellValue::fromNumber(1));
    EXPECT_EQ(sheetE.value(2, 2).date(), QDate(2026, 12, 7));
    EXPECT_EQ(sheetE.text(2, 3), s("Raccomandata"));
    EXPECT_TRUE(sheetE.isEmpty(2, 4));
    EXPECT_EQ(sheetE.value(2, 5).date(), QDate(2026, 12, 1));
    EXPECT_EQ(sheetE.text(2, 6), s("ALFA SRL"));
    EXPECT_EQ(sheetE.text(2, 7), s("Richiesta documenti"));
    EXPECT_EQ(sheetE.text(2, 8), s("prima riga"));
    EXPECT_EQ(sheetE.value(2, 9), CellValue::fromText(s("2")));
    EXPECT_EQ(sheetE.text(2, 12), s("E"));
    EXPECT_EQ(varie().value(1, 256), CellValue::fromNumber(1));
    EXPECT_EQ(line("Text1")->text(), s("2"));
    EXPECT_TRUE(line("Text2")->text().isEmpty());
    EXPECT_TRUE(line("Text4")->text().isEmpty());
    EXPECT_TRUE(combo("Combo1")->currentText().isEmpty());
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(list()->index(0, 0).data().toString(), s("1"));
    EXPECT_EQ(list()->index(0, 1).data().toString(), s("07/12/2026"));

    // Saved at once: a crash now loses nothing.
    store::Workbook saved = readArchive(workbookPath);
    EXPECT_EQ(saved.sheet(layout::kEntrata)->text(2, 7), s("Richiesta documenti"));
    EXPECT_EQ(saved.sheet(layout::kVarie)->value(1, 256), CellValue::fromNumber(1));

    // "&Pulisci" shows the same next number.
    QTest::mouseClick(child<QPushButton>(*form, "Command18"), Qt::LeftButton);
    EXPECT_EQ(line("Text1")->text(), s("2"));
}

TEST_F(ProtocolEntryTest, TheNextRecordGoesToTheFirstRowWithoutANumber)
{
    store::Workbook workbook = makeArchive();
    auto sheetE = *workbook.sheet(layout::kEntrata);
    sheetE.setNumber(2, 1, 1);
    sheetE.setNumber(3, 1, 2);
    sheetE.setText(4, 7, s("stray subject"));
    sheetE.setNumber(5, 1, 3);
    workbook.sheet(layout::kVarie)->setNumber(1, 256, 3);
    open(workbook);
    trigger("MenuClienti");
    EXPECT_EQ(line("Text1")->text(), s("4"));
    type("8/12/2026", "BETA", "Secondo");
    dialogs.answerYes();
    clickInsert();
    EXPECT_EQ(entrata().value(4, 1), CellValue::fromNumber(4));
    EXPECT_EQ(entrata().text(4, 7), s("Secondo"));
    EXPECT_EQ(list()->rowCount(), 4) << "the gap is filled, so row 5 shows too";
}

TEST_F(ProtocolEntryTest, MissingRequiredFieldsAreRefused)
{
    openDefault();
    trigger("MenuArchiviazione");
    for (const auto& [date, who, subject] : {std::tuple{"", "ALFA", "Oggetto"}, std::tuple{"7/12/2026", "", "Oggetto"},
                                             std::tuple{"7/12/2026", "ALFA", ""}}) {
        SCOPED_TRACE(std::string(date) + "|" + who + "|" + subject);
        dialogs.clear();
        line("Text2")->setText(s(date));
        line("Text4")->setText(s(who));
        line("Text5")->setText(s(subject));
        line("Text5")->setFocus();
        clickInsert();
        ASSERT_EQ(dialogs.boxes().size(), 1u);
        EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::Message, s("Quadrilo"), kMissingFields, MessageIcon::None}));
        EXPECT_EQ(form->focusWidget(), line("Text2"));
    }
    EXPECT_TRUE(sheet(layout::kUscita).isEmpty(2, 1));
    EXPECT_EQ(line("Text4")->text(), s("ALFA")) << "the fields keep what was typed";
}

TEST_F(ProtocolEntryTest, ADateThatIsNoDateIsRefusedNotStoredEmpty)
{
    openDefault();
    trigger("MenuClienti");
    type("ieri", "ALFA", "Oggetto");
    clickInsert();
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text,
              s(" ERRORE- Il Campo DATA non contiene una data valida: scriverla come giorno/mese/anno, per esempio 07/12/2026 !"));
    EXPECT_EQ(form->focusWidget(), line("Text2"));

    dialogs.clear();
    line("Text2")->setText(s("7/12/2026"));
    line("Text3")->setText(s("31/11/2026"));
    clickInsert();
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_TRUE(dialogs.boxes()[0].text.startsWith(s(" ERRORE- Il Campo DATA DOCUMENTO non contiene una data valida")));
    EXPECT_EQ(form->focusWidget(), line("Text3"));
    EXPECT_TRUE(entrata().isEmpty(2, 1));

    // An empty document date is fine and leaves column E empty.
    dialogs.clear();
    line("Text3")->clear();
    dialogs.answerYes();
    clickInsert();
    EXPECT_EQ(dialogs.texts(), (QStringList{s(" Vuoi Inserire questo Protocollo in Entrata ?"), s(" Protocollo inserito ")}));
    EXPECT_TRUE(entrata().isEmpty(2, 5));
    EXPECT_EQ(entrata().text(2, 6), s("ALFA"));
}

TEST_F(ProtocolEntryTest, AnsweringNoDiscardsTheFieldsAndStoresNothing)
{
    openDefault();
    trigger("MenuClienti");
    const QString next = line("Text1")->text();
    type("7/12/2026", "ALFA", "Oggetto");
    dialogs.answerNo();
    clickInsert();
    EXPECT_EQ(dialogs.texts(), QStringList{s(" Vuoi Inserire questo Protocollo in Entrata ?")});
    EXPECT_TRUE(line("Text2")->text().isEmpty());
    EXPECT_TRUE(line("Text4")->text().isEmpty());
    EXPECT_TRUE(line("Text5")->text().isEmpty());
    EXPECT_EQ(line("Text1")->text(), next);
    EXPECT_TRUE(entrata().isEmpty(2, 1));
}

TEST_F(ProtocolEntryTest, UscitaWritesUAndLeavesTheEntrataCounter)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kVarie)->setNumber(1, 256, 10);
    workbook.sheet(layout::kVarie)->setNumber(1, 255, 20);
    open(workbook);
    trigger("MenuArchiviazione");
    EXPECT_EQ(child<QLabel>(*form, "Label36")->text(), s(" Prot. in Uscita"));
    EXPECT_EQ(child<QLabel>(*form, "Label37")->text(), s("2"));
    EXPECT_EQ(line("Text1")->text(), s("21"));
    type("7/12/2026", "BETA SPA", "Risposta");
    dialogs.answerYes();
    clickInsert();
    EXPECT_EQ(dialogs.boxes()[0].text, s(" Vuoi Inserire questo Protocollo in Uscita ?"));
    auto uscita = sheet(layout::kUscita);
    EXPECT_EQ(uscita.value(2, 1), CellValue::fromNumber(21));
    EXPECT_EQ(uscita.text(2, 12), s("U"));
    EXPECT_EQ(varie().value(1, 255), CellValue::fromNumber(21));
    EXPECT_EQ(varie().value(1, 256), CellValue::fromNumber(10));
    EXPECT_TRUE(entrata().isEmpty(2, 1));
}

TEST_F(ProtocolEntryTest, SwitchingRegisterDiscardsWhatWasTyped)
{
    openDefault();
    trigger("MenuClienti");
    type("7/12/2026", "ALFA", "Oggetto");
    trigger("MenuArchiviazione");
    EXPECT_TRUE(line("Text2")->text().isEmpty());
    EXPECT_TRUE(line("Text4")->text().isEmpty());
    EXPECT_EQ(form->focusWidget(), line("Text2"));
    auto* view = child<QTreeView>(*form, "ListView1");
    EXPECT_EQ(view->model()->headerData(5, Qt::Horizontal).toString(), s("Destinatario"));
}

TEST_F(ProtocolEntryTest, AFullNumberRangeIsReportedInsteadOfASixDigitNumber)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kVarie)->setNumber(1, 256, 99999);
    open(workbook);
    trigger("MenuClienti");
    type("7/12/2026", "ALFA", "Oggetto");
    clickInsert();
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text,
              s(" ERRORE- Il Num.Prot. deve essere compreso tra 1 e 99999: occorre impostare il progressivo in Impostazioni !"));
    EXPECT_TRUE(entrata().isEmpty(2, 1));
}

TEST_F(ProtocolEntryTest, FieldsHaveTheirLimitsLookAndOrder)
{
    openDefault();
    trigger("MenuClienti");
    const std::tuple<const char*, int, bool> limits[] = {{"Text1", 5, true},   {"Text2", 10, true}, {"Text3", 10, true},
                                                         {"Text4", 78, false}, {"Text5", 100, false}, {"Text70", 10, true}};
    for (const auto& [name, length, centred] : limits) {
        EXPECT_EQ(line(name)->maxLength(), length) << name;
        EXPECT_EQ(line(name)->alignment().testFlag(Qt::AlignHCenter), centred) << name;
    }
    EXPECT_TRUE(line("Text1")->isReadOnly());
    for (const char* name : {"Combo1", "Combo2", "Combo7", "Combo8"})
        EXPECT_TRUE(combo(name)->isEditable()) << name;

    // Tab goes date, types, document date, names, subject, note, attachments, sector, assignee, number.
    const QStringList order{s("Text2"),  s("Combo1"), s("Combo2"), s("Text3"), s("Text4"), s("Text5"),
                            s("Text6"),  s("Text70"), s("Combo7"), s("Combo8"), s("Text1")};
    QStringList chain;
    QWidget* field = form->findChild<QWidget*>(order[0]);
    for (int step = 0; step < 200 && chain.size() < order.size(); ++step, field = field->nextInFocusChain()) {
        // A combo box's own line edit stands for the combo box.
        QWidget* control = qobject_cast<QComboBox*>(field->parentWidget()) ? field->parentWidget() : field;
        if (control->focusPolicy() == Qt::NoFocus || control->objectName().isEmpty())
            continue;
        if (chain.isEmpty() || chain.last() != control->objectName())
            chain << control->objectName();
    }
    EXPECT_EQ(chain, order);
}

TEST_F(ProtocolEntryTest, ThePickerHandsTheClickedNameToTheSenderField)
{
    store::Workbook workbook = makeArchive();
    auto cliente = *workbook.sheet(layout::kCliente);
    cliente.setNumber(2, 1, 1);
    cliente.setText(2, 2, s("ALFA SRL"));
    cliente.setNumber(3, 1, 2);
    cliente.setText(3, 2, s("BETA SPA"));
    cliente.setText(5, 2, s("below the gap"));
    open(workbook);
    trigger("MenuClienti");
    QTest::mouseClick(child<QPushButton>(*form, "cmd14"), Qt::LeftButton);
    EXPECT_FALSE(form->frame(8)->isHidden());
    auto* picker = child<QTreeWidget>(*form, "ListView3");
    ASSERT_EQ(picker->topLevelItemCount(), 2);
    EXPECT_EQ(picker->headerItem()->text(0), s("Ragione Sociale/Cognome Nome"));
    EXPECT_EQ(picker->topLevelItem(1)->text(0), s("BETA SPA"));

    const QRect second = picker->visualItemRect(picker->topLevelItem(1));
    QTest::mouseClick(picker->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(line("Text4")->text(), s("BETA SPA"));
    QTest::mouseClick(child<QPushButton>(*form, "Command6"), Qt::LeftButton);
    EXPECT_TRUE(form->frame(8)->isHidden());
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(ProtocolEntryTest, ClearFieldsEmptiesEveryPanelAndShowsTheCounters)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kCliente)->setNumber(1, 256, 7);
    workbook.sheet(layout::kVarie)->setNumber(1, 256, 4);
    open(workbook);
    trigger("MenuClienti");
    line("Text2")->setText(s("x"));
    line("Text26")->setText(s("NOME"));  // a field of the hidden contact panel
    combo("Combo4")->setEditText(s("typed"));
    line("Text40")->setText(s("owner"));
    QTest::mouseClick(child<QPushButton>(*form, "Command18"), Qt::LeftButton);
    for (const char* name : {"Text2", "Text26", "Text40"})
        EXPECT_TRUE(line(name)->text().isEmpty()) << name;
    EXPECT_TRUE(combo("Combo4")->currentText().isEmpty());
    EXPECT_EQ(line("Text10")->text(), s("7"));
    EXPECT_EQ(line("Text1")->text(), s("5"));
    EXPECT_TRUE(child<QPushButton>(*form, "Command16")->isEnabled());
}
