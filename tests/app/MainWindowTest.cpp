// The main window driven offscreen: caption, menu, frames, the navigation
// table, activation, clock, guide, logo and exit.

#include "contacts/ContactPanel.h"
#include "register/ProtocolPanel.h"
#include "support/MainWindowFixture.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace quadrilo;
using namespace quadrilo::testsupport;
namespace layout = quadrilo::store::layout;

namespace {

// Which of Frame1 to Frame8 are not hidden, as "1 6".
QString shownFrames(const Form1& form)
{
    QStringList shown;
    for (int number = 1; number <= 8; ++number)
        if (!form.frame(number)->isHidden())
            shown << QString::number(number);
    return shown.join(QLatin1Char(' '));
}

QStringList items(const QComboBox& combo)
{
    QStringList list;
    for (int i = 0; i < combo.count(); ++i)
        list << combo.itemText(i);
    return list;
}

store::Workbook workbookWithLists()
{
    store::Workbook workbook = makeArchive();
    auto varie = workbook.sheet(layout::kVarie);
    varie->setText(2, 1, s("Raccomandata"));
    varie->setText(3, 1, s("PEC"));
    varie->setText(2, 2, s("Fattura"));
    varie->setText(2, 3, s("Ragioneria"));
    varie->setText(2, 4, s("Rossi"));
    varie->setText(2, 5, s("Fornitore"));
    varie->setText(5, 1, s("dopo il vuoto"));  // below the empty A4: not listed
    varie->setText(2, 18, s("Comune di Prova"));
    varie->setText(2, 19, s("Piazza Grande 1"));
    varie->setText(2, 20, s("CMNPRV00A01H501X"));
    varie->setText(2, 21, s("01234567890"));
    varie->setText(2, 22, s("excel1"));
    varie->setText(2, 23, s("utenti1"));
    auto cliente = workbook.sheet(layout::kCliente);
    cliente->setNumber(2, 1, 1);
    cliente->setText(2, 2, s("ALFA SRL"));
    cliente->setNumber(3, 1, 2);
    cliente->setText(3, 2, s("BETA SPA"));
    return workbook;
}

} // namespace

TEST_F(MainWindowTest, CaptionMenuAndFrames)
{
    openDefault();
    EXPECT_EQ(form->windowTitle(), s("Quadrilo versione 3.2 - Release del 4-8-2009"));

    QStringList menu;
    for (QAction* action : form->menuBar()->actions())
        menu << action->text();
    EXPECT_EQ(menu, (QStringList{s("Quadrilo"), s("&Gestione Contatti"), s("&Stampe"), s("&Impostazioni"),
                                 s("&Utenti/Password"), s("&Istruzioni"), s("&Norme di Utilizzo"), s("&Excel"),
                                 s("&Esci dal programma")}));
    auto* registers = child<QMenu>(*form, "MenuPratiche");
    ASSERT_NE(registers, nullptr);
    ASSERT_EQ(registers->actions().size(), 2);
    EXPECT_EQ(registers->actions()[0]->objectName(), s("MenuClienti"));
    EXPECT_EQ(registers->actions()[0]->text(), s("Gestione &in Entrata"));
    EXPECT_EQ(registers->actions()[1]->objectName(), s("MenuArchiviazione"));
    EXPECT_EQ(registers->actions()[1]->text(), s("Gestione &in Uscita"));
    for (const char* name : {"MnContatti", "MnCoopertina", "MnImpostazioni", "MnUtente", "MnIstruzioni", "Norme",
                             "MnExcel", "MenuEsci"})
        EXPECT_NE(form->findChild<QAction*>(s(name)), nullptr) << name;

    const std::pair<int, const char*> captions[] = {{1, "Quadrilo"},      {2, "Calendario"},      {3, "Gestione Contatto"},
                                                    {4, "Impostazioni"},  {5, "Stampe"},          {7, "Utente/Password"},
                                                    {8, "Seleziona Contatto"}};
    for (const auto& [number, caption] : captions) {
        auto* box = qobject_cast<QGroupBox*>(form->frame(number));
        ASSERT_NE(box, nullptr) << number;
        EXPECT_EQ(box->title(), s(caption));
        EXPECT_EQ(box->objectName(), QStringLiteral("Frame%1").arg(number));
    }
    EXPECT_EQ(form->frame(6)->objectName(), s("Frame6"));

    // Form_Load hides the panels: only the menu, the clock and the logo show.
    EXPECT_EQ(shownFrames(*form), s("6 8"));  // inside the hidden Frame1
    EXPECT_FALSE(form->frame(1)->isVisible());
    EXPECT_TRUE(child<QLineEdit>(*form, "Text9")->isVisible());
    EXPECT_TRUE(child<QLabel>(*form, "Image1")->isVisible());
    EXPECT_EQ(child<QPushButton>(*form, "Command4")->text(), s("Istruzioni"));
}

TEST_F(MainWindowTest, TheNavigationTable)
{
    openDefault();
    struct Step {
        const char* command;  // an action or a button
        const char* shown;    // frames not hidden afterwards
    };
    const Step steps[] = {
        {"MenuClienti", "1 6"},
        {"MnContatti", "3 6"},
        {"MnCoopertina", "5 6"},
        {"MnImpostazioni", "4 6"},
        {"MenuArchiviazione", "1 6"},
        {"cmd14", "1 6"},           // no contacts: the picker closes again
        {"Command20", ""},          // Esci of the protocol panel hides 6 and 1
        {"MnContatti", "3"},
        {"Command12", ""},
        {"MnCoopertina", "5"},
        {"Command5", ""},
        {"MnImpostazioni", "4"},
        {"Command2", ""},
        {"MenuClienti", "1 6"},
        {"Command15", "3 6"},       // Nuovo Contatto: contact panel over the protocol panel
        {"MenuClienti", "1 6"},
        {"Norme", ""},
    };
    dialogs.clear();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        if (form->findChild<QAction*>(s(step.command)))
            trigger(step.command);
        else
            QTest::mouseClick(child<QPushButton>(*form, step.command), Qt::LeftButton);
        EXPECT_EQ(shownFrames(*form), s(step.shown));
    }
    EXPECT_TRUE(notes->isVisible());
    EXPECT_FALSE(notes->usageRulesFrame()->isHidden());
    EXPECT_EQ(dialogs.texts(), QStringList{s("ERRORE: Non c'è alcun Cliente inserito !")});
}

TEST_F(MainWindowTest, SettingsPanelOpensWithItsEditBoxesDisabled)
{
    openDefault();
    trigger("MnImpostazioni");
    for (const char* name : {"Text34", "Text35", "Text36", "Text37", "Text38"})
        EXPECT_FALSE(child<QLineEdit>(*form, name)->isEnabled()) << name;
    for (const char* name : {"Combo9", "Combo10", "Combo11", "Combo12", "Combo13"})
        child<QComboBox>(*form, name)->setEnabled(false);
    QTest::mouseClick(child<QPushButton>(*form, "Command2"), Qt::LeftButton);
    for (const char* name : {"Combo9", "Combo10", "Combo11", "Combo12", "Combo13"})
        EXPECT_TRUE(child<QComboBox>(*form, name)->isEnabled()) << name;
}

TEST_F(MainWindowTest, ActivationFillsTheListsAndShowsTheSettings)
{
    open(workbookWithLists());
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo9")), (QStringList{s("TipoCorrispondenza"), s("Raccomandata"), s("PEC")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo1")), (QStringList{s("TipoCorrispondenza"), s("Raccomandata"), s("PEC")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo10")), (QStringList{s("TipoDocumento"), s("Fattura")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo2")), (QStringList{s("TipoDocumento"), s("Fattura")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo11")), (QStringList{s("Settore"), s("Ragioneria")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo7")), (QStringList{s("Settore"), s("Ragioneria")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo12")), (QStringList{s("Assegnata"), s("Rossi")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo8")), (QStringList{s("Assegnata"), s("Rossi")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo13")), (QStringList{s("TipoContatto"), s("Fornitore")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo3")), (QStringList{s("TipoContatto"), s("Fornitore")}));
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo4")), (QStringList{s("ALFA SRL"), s("BETA SPA")}));
    EXPECT_EQ(child<QComboBox>(*form, "Combo9")->currentIndex(), -1) << "a selector starts with nothing chosen";
    EXPECT_TRUE(child<QComboBox>(*form, "Combo1")->currentText().isEmpty());

    const std::pair<const char*, const char*> owner[] = {{"Text40", "Comune di Prova"}, {"Text41", "Piazza Grande 1"},
                                                         {"Text42", "CMNPRV00A01H501X"}, {"Text43", "01234567890"},
                                                         {"Text8", "excel1"},            {"Text14", "utenti1"}};
    for (const auto& [name, text] : owner)
        EXPECT_EQ(child<QLineEdit>(*form, name)->text(), s(text)) << name;
    EXPECT_EQ(child<QCalendarWidget>(*form, "Calendario")->selectedDate(), QDate(2026, 12, 8));
    EXPECT_TRUE(child<QCalendarWidget>(*form, "Calendario")->isHidden());
}

TEST_F(MainWindowTest, AnEmptyContactCounterBecomesOne)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kCliente)->clear(1, 256);
    open(workbook);
    EXPECT_EQ(sheet(layout::kCliente).value(1, 256), store::CellValue::fromNumber(1));
    EXPECT_EQ(child<QLineEdit>(*form, "Text10")->text(), s("1"));
}

TEST_F(MainWindowTest, ActivationPreparesTheSheets)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kEntrata)->setText(1, 6, s("scritto a mano"));
    open(workbook);
    EXPECT_EQ(sheet(layout::kEntrata).text(1, 6), s("Mittente"));
}

TEST_F(MainWindowTest, ReturningFromAnotherWindowOfTheProgramActivatesAgain)
{
    open(workbookWithLists());
    trigger("MenuClienti");
    auto* list = child<QTreeView>(*form, "ListView1");
    sheet(layout::kEntrata).setNumber(2, 1, 1);
    sheet(layout::kEntrata).setText(2, 6, s("ALFA SRL"));
    trigger("MenuClienti");
    ASSERT_EQ(list->model()->rowCount(), 1);
    sheet(layout::kVarie).setText(3, 2, s("Circolare"));
    sheet(layout::kEntrata).setText(1, 1, s("numero"));

    // A message box or input box going away does not count.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form.get(), &activate);
    EXPECT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(child<QComboBox>(*form, "Combo2")->count(), 2);

    trigger("Norme");
    returnFrom(*notes);
    EXPECT_EQ(list->model()->rowCount(), 0) << "the register list is emptied";
    EXPECT_EQ(list->model()->columnCount(), 11) << "its columns stay";
    EXPECT_EQ(items(*child<QComboBox>(*form, "Combo2")), (QStringList{s("TipoDocumento"), s("Fattura"), s("Circolare")}));
    EXPECT_EQ(sheet(layout::kEntrata).text(1, 1), s("N.Prot.")) << "header rows rewritten";
}

TEST_F(MainWindowTest, TheClockShowsTimeAndDate)
{
    openDefault();
    auto* clockField = child<QLineEdit>(*form, "Text9");
    EXPECT_EQ(clockField->text(), s("Ore...09:05:07    08/12/2026"));
    clock.time = QDateTime(QDate(2027, 1, 2), QTime(23, 59, 58));
    auto* timer = child<QTimer>(*form, "Timer2");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_TRUE(timer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(clockField->text(), s("Ore...23:59:58    02/01/2027"), 3000);
}

TEST_F(MainWindowTest, GuideAndLogoOpenWithTheDefaultPrograms)
{
    openDefault();
    const QString guide = folder.filePath(s("Guida.pdf"));
    trigger("MnIstruzioni");
    QTest::mouseClick(child<QPushButton>(*form, "Command4"), Qt::LeftButton);
    EXPECT_EQ(desktop.documents, (QStringList{guide, guide}));
    EXPECT_TRUE(dialogs.boxes().empty()) << "a missing guide is not reported";

    auto* logo = child<QLabel>(*form, "Image1");
    EXPECT_EQ(logo->frameShape(), QFrame::NoFrame);
    QTest::mouseClick(logo, Qt::RightButton);
    EXPECT_EQ(logo->frameShape(), QFrame::Box);
    EXPECT_EQ(desktop.webPages, QStringList{kProductWebPage});
}

TEST_F(MainWindowTest, TheCloseBoxIsRefused)
{
    openDefault();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(session->isOpen());
}

TEST_F(MainWindowTest, ExitSavesClosesAndEnds)
{
    openDefault();
    trigger("Norme");
    sheet(layout::kVarie).setText(2, 1, s("Raccomandata"));
    trigger("MenuEsci");
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(session->isOpen());
    EXPECT_FALSE(notes->isVisible());
    EXPECT_FALSE(store::WorkbookSession::isFileInUse(workbookPath));
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kVarie)->text(2, 1), s("Raccomandata"));
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(MainWindowTest, AnExitWhoseSaveFailsAsksBeforeLosingChanges)
{
    openDefault();
    const QByteArray before = readFileBytes(workbookPath);
    // A text longer than the format holds makes every save fail.
    auto& rows = session->workbook().data().sheets[0].rows;
    rows.resize(std::max<size_t>(rows.size(), 6));
    rows[5].cells.resize(std::max<size_t>(rows[5].cells.size(), 1));
    rows[5].cells[0].kind = xls::CellKind::Text;
    rows[5].cells[0].text = QString(40000, QLatin1Char('x'));

    dialogs.answerNo();
    trigger("MenuEsci");
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].kind, RecordedBox::Kind::YesNo);
    EXPECT_EQ(dialogs.boxes()[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(dialogs.boxes()[0].text.startsWith(s("ERRORE: Il salvataggio del file ")));
    EXPECT_TRUE(dialogs.boxes()[0].text.endsWith(s("Uscire comunque dal programma? Le modifiche non salvate andranno perse.")));
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(session->isOpen());

    dialogs.answerYes();
    trigger("MenuEsci");
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(session->isOpen());
    EXPECT_EQ(readFileBytes(workbookPath), before);
}

TEST_F(MainWindowTest, LeavingTheContactAndPrintingPanelsSaves)
{
    openDefault();
    for (const auto& [menu, button] : {std::pair{"MnContatti", "Command12"}, std::pair{"MnCoopertina", "Command5"}}) {
        SCOPED_TRACE(button);
        const QString value = s(button);
        sheet(layout::kVarie).setText(2, 2, value);
        trigger(menu);
        QTest::mouseClick(child<QPushButton>(*form, button), Qt::LeftButton);
        EXPECT_EQ(readArchive(workbookPath).sheet(layout::kVarie)->text(2, 2), value);
    }
}

TEST_F(MainWindowTest, FieldsCarryTheirCaptionsForTheKeyboardAndScreenReaders)
{
    openDefault();
    trigger("MenuClienti");
    for (const char* name : {"Text1", "Text2", "Combo1", "Combo2", "Text3", "Text4", "Text5", "Text6", "Text70",
                             "Combo7", "Combo8", "Text40", "Text26", "Combo4"}) {
        QWidget* field = form->findChild<QWidget*>(s(name));
        ASSERT_NE(field, nullptr) << name;
        bool hasBuddy = false;
        for (QLabel* label : form->findChildren<QLabel*>())
            hasBuddy = hasBuddy || label->buddy() == field;
        EXPECT_TRUE(hasBuddy) << name;
    }
    // What a screen reader says of the fields beside their date boxes and of the lists.
    const std::pair<const char*, const char*> named[] = {
        {"Text2", "Data"}, {"Text3", "Data Documento"}, {"ListView1", "Lista/ Seleziona  Protocolli"},
        {"ListView2", "Utenti Abilitati"}, {"ListView3", "Seleziona Contatto"}, {"Text4", "Contatto/Mittente/Destinatario"}};
    for (const auto& [name, caption] : named) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(form->findChild<QWidget*>(s(name)));
        ASSERT_NE(accessible, nullptr) << name;
        EXPECT_EQ(accessible->text(QAccessible::Name), s(caption)) << name;
    }
}

TEST_F(MainWindowTest, ReloadingAListKeepsTheTextOfAnEditableField)
{
    open(workbookWithLists());
    trigger("MenuClienti");
    auto* type = child<QComboBox>(*form, "Combo1");
    type->setEditText(s("Fax"));
    trigger("Norme");
    returnFrom(*notes);
    EXPECT_EQ(type->currentText(), s("Fax"));
    EXPECT_EQ(type->count(), 3);
}
