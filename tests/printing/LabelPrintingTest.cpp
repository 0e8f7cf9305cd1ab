// The protocol label, printed from the fields of the protocol panel.

#include "printing/LabelPrinting.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace quadrilo;
using namespace quadrilo::testsupport;
namespace layout = quadrilo::store::layout;

namespace {

class LabelPrintingTest : public MainWindowTest {
protected:
    void fill(const char* date, const char* who, const char* sector, const char* assignee)
    {
        child<QLineEdit>(*form, "Text2")->setText(s(date));
        child<QLineEdit>(*form, "Text4")->setText(s(who));
        child<QComboBox>(*form, "Combo7")->setEditText(s(sector));
        child<QComboBox>(*form, "Combo8")->setEditText(s(assignee));
    }
    void clickLabel() { QTest::mouseClick(child<QPushButton>(*form, "Command21"), Qt::LeftButton); }
};

} // namespace

TEST(LabelText, CaptionsAsEachRegisterSpacesThem)
{
    const printing::LabelFields fields{s("5"), s("07/12/2026"), s("ALFA"), s("Ragioneria"), s("Rossi")};
    EXPECT_EQ(printing::labelText(layout::RegisterKind::Entrata, fields),
              s("N.Prot/Entrata       5\nData      07/12/2026\nMittente : ALFA\nSettore:  Ragioneria\nAssegnata a: Rossi"));
    EXPECT_EQ(printing::labelText(layout::RegisterKind::Uscita, fields),
              s("N.Prot/Uscita       5\nData      07/12/2026\nDestinatario :ALFA\nSettore: Ragioneria\nAssegnata a:Rossi"));
}

TEST_F(LabelPrintingTest, TheLabelIsPrintedAndTheScratchCellEmptied)
{
    openDefault();
    trigger("MenuArchiviazione");
    fill("07/12/2026", "BETA SPA", "Ragioneria", "Rossi");
    clickLabel();
    EXPECT_TRUE(dialogs.boxes().empty());
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, s("Ufficio")) << "the default printer";
    const QString text = pdfText(printers.jobs[0].pdfPath).simplified();
    EXPECT_TRUE(text.contains(s("N.Prot/Uscita 1"))) << text.toStdString();
    EXPECT_TRUE(text.contains(s("Destinatario :BETA SPA")));
    EXPECT_TRUE(text.contains(s("Assegnata a:Rossi")));
    EXPECT_FALSE(text.contains(s("N.Prot.")));

    auto entrata = sheet(layout::kEntrata);
    EXPECT_TRUE(entrata.isEmpty(1, 47));
    EXPECT_DOUBLE_EQ(entrata.rowHeight(1), 14);
    EXPECT_NEAR(entrata.columnWidth(47), 32.86, 0.01);
    EXPECT_TRUE(entrata.pageSetup().printArea.empty());
    EXPECT_EQ(session->workbook().data().activeSheet, entrata.index()) << "Entrata is selected";

    clickLabel();
    ASSERT_EQ(printers.jobs.size(), 2u);
    EXPECT_EQ(pdfText(printers.jobs[1].pdfPath).simplified(), text) << "the same layout again";
}

TEST_F(LabelPrintingTest, TheLabelGoesToThePrinterChosenDuringTheRun)
{
    openDefault();
    printers.choose(s("Segreteria"));   // as the printer window does
    trigger("MenuClienti");
    fill("07/12/2026", "ALFA", "Ragioneria", "Rossi");
    clickLabel();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, s("Segreteria"));
}

TEST_F(LabelPrintingTest, AnEmptyFieldPrintsNothing)
{
    openDefault();
    trigger("MenuClienti");
    fill("07/12/2026", "ALFA", "", "Rossi");
    clickLabel();
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE- I Campi DATA /MITTENTE - DESTINATARIO/OGGETTO  devono essere sempre compilati !")});
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_EQ(form->focusWidget(), child<QLineEdit>(*form, "Text2"));
    EXPECT_NE(sheet(layout::kEntrata).rowHeight(1), 107);
}

TEST_F(LabelPrintingTest, NoDefaultPrinterIsSaid)
{
    openDefault();
    printers.defaultName.clear();
    trigger("MenuClienti");
    fill("07/12/2026", "ALFA", "Ragioneria", "Rossi");
    clickLabel();
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE: Nessuna stampante predefinita: l'etichetta non è stata stampata !")});
    EXPECT_TRUE(sheet(layout::kEntrata).isEmpty(1, 47));
}
