// The address book printed page by page from the contact panel.

#include "printing/ContactListPrinting.h"
#include "support/MainWindowFixture.h"

#include <QPushButton>
#include <QTest>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

store::Workbook addressBook(int count)
{
    store::Workbook workbook = makeArchive();
    auto cliente = *workbook.sheet(layout::kCliente);
    for (int i = 1; i <= count; ++i) {
        cliente.setNumber(i + 1, 1, i);
        cliente.setText(i + 1, 2, QStringLiteral("CONTATTO %1").arg(i, 3, 10, QLatin1Char('0')));
        cliente.setText(i + 1, 17, QStringLiteral("nota %1").arg(i));
    }
    workbook.sheet(layout::kVarie)->setText(2, 18, s("Comune di Prova"));
    return workbook;
}

class ContactListPrintingTest : public MainWindowTest {
protected:
    void print()
    {
        trigger("MnContatti");
        QTest::mouseClick(child<QPushButton>(*form, "Command72"), Qt::LeftButton);
    }
};

} // namespace

TEST_F(ContactListPrintingTest, AOnePageListAsksOnceAndPrintsIt)
{
    open(addressBook(5));
    dialogs.answerInput(s("70"));
    dialogs.answerYes();
    print();
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{Kind::Input, s("Quadrilo"), s("Digita la percentuale di Zoom della Stampa 50-60-70-80-90-100.................."), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1],
              (RecordedBox{Kind::YesNo, s("Stampa Risultato "), s("Vuoi Procedere alla stampa   ?  Pagine     1    di    1"), MessageIcon::None}));
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, s("Ufficio"));
    const QString text = pdfText(printers.jobs[0].pdfPath).simplified();
    EXPECT_TRUE(text.contains(s("Stampa Contatti Comune di Prova------ del 08/12/2026"))) << text.toStdString();
    EXPECT_TRUE(text.contains(s("CONTATTO 005")));

    const xls::PageSetup& page = sheet(layout::kCliente).pageSetup();
    EXPECT_EQ(page.orientation, xls::Orientation::Landscape);
    EXPECT_EQ(page.printArea[0], (xls::CellRange{0, 5, 0, 16})) << "A1:Q6";
    EXPECT_EQ(page.titleRows, (xls::Span{0, 0}));
    EXPECT_EQ(page.titleColumns, (xls::Span{0, 1}));
    EXPECT_EQ(page.scale, 70);
    EXPECT_EQ(sheet(layout::kCliente).value(1, 47), CellValue::fromNumber(1));
    EXPECT_EQ(sheet(layout::kCliente).value(1, 48), CellValue::fromNumber(1));
}

TEST_F(ContactListPrintingTest, NoStopsThePagesThatFollow)
{
    open(addressBook(120));
    dialogs.answerInput(s("100"));
    dialogs.answerYes();
    dialogs.answerNo();
    print();
    ASSERT_EQ(dialogs.boxes().size(), 3u);
    const QString second = dialogs.boxes()[2].text;
    EXPECT_TRUE(second.startsWith(s("Vuoi Procedere alla stampa   ?  Pagine     2    di    "))) << second.toStdString();
    const int count = second.section(QLatin1Char(' '), -1).toInt();
    EXPECT_GE(count, 3);
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(sheet(layout::kCliente).value(1, 47), CellValue::fromNumber(2));
    EXPECT_EQ(sheet(layout::kCliente).value(1, 48), CellValue::fromNumber(count));
}

TEST_F(ContactListPrintingTest, EveryPageCarriesTheHeaderRowAndTheNames)
{
    open(addressBook(120));
    dialogs.answerInput(s("100"));
    dialogs.answerNo();
    print();
    dialogs.answerInput(s("100"));
    dialogs.answerYes();
    dialogs.answerYes();
    dialogs.answerNo();
    print();
    ASSERT_EQ(printers.jobs.size(), 2u);
    const QString page2 = pdfText(printers.jobs[1].pdfPath);
    EXPECT_TRUE(page2.contains(s("Ragione Sociale"))) << "the header row on top";
    EXPECT_FALSE(page2.contains(s("CONTATTO 001 "))) << "page 2 has its own rows";
    EXPECT_TRUE(page2.contains(s("CONTATTO 060")));
}

TEST_F(ContactListPrintingTest, AnEmptyAddressBookOrACancelPrintsNothing)
{
    open(makeArchive());
    print();
    EXPECT_EQ(dialogs.texts(), QStringList{s(" La stampa non può essere eseguita in assenza di Contatti inseriti ..................")});
    TearDown();
    dialogs.clear();
    open(addressBook(3));
    dialogs.answerInput(std::nullopt);
    print();
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_EQ(dialogs.boxes().size(), 1u);
}
