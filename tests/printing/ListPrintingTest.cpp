// Printing the registers and the lookup lists through the printer window;
// the printouts go to PDF files and are read back with pdftotext.

#include "printing/SheetPrint.h"
#include "support/MainWindowFixture.h"

#include <QComboBox>
#include <QTimer>
#include <QCalendarWidget>
#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace quadrilo;
using namespace quadrilo::testsupport;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

store::Workbook registerWorkbook(int records)
{
    store::Workbook workbook = makeArchive();
    auto entrata = *workbook.sheet(layout::kEntrata);
    for (int i = 1; i <= records; ++i) {
        entrata.setNumber(i + 1, 1, i);
        entrata.setDate(i + 1, 2, QDate(2026, 11, 1 + i % 28));
        entrata.setText(i + 1, 6, QStringLiteral("MITTENTE %1").arg(i));
        entrata.setText(i + 1, 7, QStringLiteral("Oggetto %1").arg(i));
    }
    auto varie = *workbook.sheet(layout::kVarie);
    varie.setText(2, 18, s("Comune di Prova"));
    varie.setText(2, 1, s("Raccomandata"));
    varie.setText(2, 2, s("Fattura"));
    varie.setText(3, 2, s("Nota di credito"));
    return workbook;
}

class ListPrintingTest : public MainWindowTest {
protected:
    QWidget* findWindow()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("StampaP"))
                return widget;
        return nullptr;
    }
    void openPrinter(const char* button)
    {
        trigger(button[7] == '1' ? "MnImpostazioni" : "MnCoopertina");
        QTest::mouseClick(child<QPushButton>(*form, button), Qt::LeftButton);
        m_window = findWindow();
        ASSERT_NE(m_window, nullptr);
    }
    void choosePrinter(const char* name) { child<QComboBox>(*m_window, "Combo1")->setEditText(s(name)); }
    void clickSeleziona() { QTest::mouseClick(child<QPushButton>(*m_window, "Command1"), Qt::LeftButton); }
    // The Entrata list of a register of that many records, on "Segreteria".
    void printEntrata(int records, const char* zoom)
    {
        open(registerWorkbook(records));
        openPrinter("Command8");
        choosePrinter("Segreteria");
        dialogs.answerInput(s(zoom));
        clickSeleziona();
    }

    QWidget* m_window = nullptr;
};

} // namespace

TEST_F(ListPrintingTest, ThePrinterWindowListsThePrinters)
{
    open(registerWorkbook(3));
    openPrinter("Command8");
    EXPECT_EQ(m_window->windowTitle(), s("Seleziona Stampante"));
    EXPECT_TRUE(m_window->isVisible());
    auto* list = child<QComboBox>(*m_window, "Combo1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(1), s("Segreteria"));
    EXPECT_EQ(list->currentText(), s("Seleziona la stampante"));
    EXPECT_EQ(child<QLabel>(*m_window, "Label1")->text(), s("La stampante predefinita è: \r\nUfficio"));
    EXPECT_EQ(child<QLineEdit>(*m_window, "Text1")->text(), s("6"));
}

TEST_F(ListPrintingTest, TheRegisterIsLaidOutAndPrinted)
{
    printEntrata(24, "90");
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{Kind::Input, s("Quadrilo"), s("Digita la percentuale di Zoom della Stampa 80-90-100.................."), MessageIcon::None}));
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, s("Segreteria"));

    const xls::PageSetup& page = sheet(layout::kEntrata).pageSetup();
    EXPECT_EQ(page.header, s("&CStampa  Lista Protocolli in Entrata  ---Comune di Prova --del     08/12/2026"));
    EXPECT_DOUBLE_EQ(page.leftMargin, 0.21);
    EXPECT_DOUBLE_EQ(page.topMargin, 0.5);
    EXPECT_DOUBLE_EQ(page.headerMargin, 0.21);
    EXPECT_TRUE(page.printGridlines);
    EXPECT_EQ(page.paperSize, 9);
    EXPECT_EQ(page.orientation, xls::Orientation::Portrait);
    EXPECT_EQ(page.scale, 90);
    EXPECT_FALSE(page.fitToPage) << "the zoom governs";
    ASSERT_EQ(page.printArea.size(), 1u);
    EXPECT_EQ(page.printArea[0], (xls::CellRange{0, 24, 0, 10})) << "A1:K25";

    const QString text = pdfText(printers.jobs[0].pdfPath);
    if (qEnvironmentVariableIsSet("QUADRILO_KEEP_PDF"))
        QFile::copy(printers.jobs[0].pdfPath, qEnvironmentVariable("QUADRILO_KEEP_PDF"));
    // pdftotext gives runs of blanks as one.
    EXPECT_TRUE(text.simplified().contains(s("Stampa Lista Protocolli in Entrata ---Comune di Prova --del 08/12/2026")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(s("MITTENTE 24")));
    EXPECT_TRUE(text.contains(s("N.Prot.")));
    EXPECT_FALSE(m_window->isVisible()) << "hidden, kept for the next print";
    EXPECT_TRUE(child<QLineEdit>(*m_window, "Text1")->text().isEmpty());
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kEntrata)->pageSetup().scale, 90) << "the layout is saved";
}

TEST_F(ListPrintingTest, ALongListTellsItsPagesAsTheyAreDrawn)
{
    printEntrata(400, "100");
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the wait cursor is gone";

    const store::Sheet entrata = sheet(layout::kEntrata);
    const printing::PrintPlan plan = printing::planPrint(entrata);
    ASSERT_GT(plan.pages, 3);
    const auto drawnPages = [&](std::optional<int> onlyPage) {
        TempDir scratch;
        QPdfWriter pdf(scratch.filePath(s("pagine.pdf")));
        std::vector<std::pair<int, int>> told;
        printing::printSheet(pdf, entrata, onlyPage, [&](int drawn, int total) {
            told.emplace_back(drawn, total);
            return true;
        });
        return told;
    };
    const auto every = drawnPages(std::nullopt);
    ASSERT_EQ(every.size(), static_cast<std::size_t>(plan.pages));
    for (int page = 1; page <= plan.pages; ++page)
        EXPECT_EQ(every[static_cast<std::size_t>(page - 1)], std::pair(page, plan.pages));
    EXPECT_EQ(drawnPages(2), (std::vector<std::pair<int, int>>{{1, 1}}));

    // Annulla after the second page: nothing more is drawn.
    TempDir scratch;
    QPdfWriter pdf(scratch.filePath(s("annullata.pdf")));
    const printing::PrintPlan stopped = printing::printSheet(pdf, entrata, std::nullopt, [](int drawn, int) { return drawn < 2; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.pages, 2);
}

TEST_F(ListPrintingTest, AJobThePrinterRefusesIsToldWithItsReason)
{
    printers.refusal = s("la stampante Segreteria non accetta lavori");
    printEntrata(3, "100");
    EXPECT_EQ(dialogs.texts().last(),
              s(" ERRORE: La stampa su Segreteria non è arrivata alla stampante: la stampante Segreteria non accetta lavori !"));
    EXPECT_TRUE(m_window->isVisible()) << "the window stays for another printer";
}

TEST_F(ListPrintingTest, OnlyTheRunOfColumnAIsPrinted)
{
    store::Workbook workbook = registerWorkbook(24);
    auto entrata = *workbook.sheet(layout::kEntrata);
    entrata.setNumber(27, 1, 99);
    entrata.setText(27, 6, s("OLTRE IL VUOTO"));
    open(workbook);
    openPrinter("Command8");
    choosePrinter("Ufficio");
    dialogs.answerInput(s("100"));
    clickSeleziona();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(sheet(layout::kEntrata).pageSetup().printArea[0], (xls::CellRange{0, 24, 0, 10}));
    EXPECT_FALSE(pdfText(printers.jobs[0].pdfPath).contains(s("OLTRE IL VUOTO")));
}

TEST_F(ListPrintingTest, TheListsOfVarieStopAtColumnAsRun)
{
    open(registerWorkbook(1));
    openPrinter("Command13");
    EXPECT_EQ(child<QLineEdit>(*m_window, "Text1")->text(), s("5"));
    choosePrinter("Ufficio");
    dialogs.answerInput(s("80"));
    clickSeleziona();
    ASSERT_EQ(printers.jobs.size(), 1u);
    const xls::PageSetup& page = sheet(layout::kVarie).pageSetup();
    EXPECT_EQ(page.header, s("&CStampa  Causali e Varie  ---Comune di Prova --del     08/12/2026"));
    EXPECT_EQ(page.printArea[0], (xls::CellRange{0, 1, 0, 4})) << "A1:E2: the second document type is cut";
    const QString text = pdfText(printers.jobs[0].pdfPath);
    EXPECT_TRUE(text.contains(s("Raccomandata")));
    EXPECT_FALSE(text.contains(s("Nota di credito")));
}

TEST_F(ListPrintingTest, AnEmptyListIsNotPrinted)
{
    open(makeArchive());
    openPrinter("Command22");
    choosePrinter("Ufficio");
    clickSeleziona();
    EXPECT_EQ(dialogs.boxes().back(),
              (RecordedBox{Kind::Message, s("Quadrilo"), s(" La stampa non può essere eseguita in assenza di campi  inseriti .................."),
                           MessageIcon::Information}));
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(child<QLineEdit>(*m_window, "Text1")->text(), s("7"));
}

TEST_F(ListPrintingTest, NoPrinterCancelOrABadZoomPrintsNothing)
{
    open(registerWorkbook(3));
    openPrinter("Command8");
    clickSeleziona();  // "Seleziona la stampante" untouched
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE: Selezionare una stampante dall'elenco !")});
    choosePrinter("Ufficio");
    dialogs.answerInput(std::nullopt);
    clickSeleziona();
    dialogs.answerInput(s("cento"));
    clickSeleziona();
    dialogs.answerInput(s("500"));
    clickSeleziona();
    EXPECT_EQ(dialogs.texts().last(), s(" ERRORE: La percentuale di Zoom deve essere un numero da 10 a 400 !"));
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(sheet(layout::kEntrata).pageSetup().scale, 100) << "the sheet's layout is untouched";
}

TEST_F(ListPrintingTest, ClosingThePrinterWindowUnloadsItAndActivatesTheMainWindow)
{
    open(registerWorkbook(3));
    openPrinter("Command8");
    trigger("MenuClienti");
    ASSERT_EQ(child<QTreeView>(*form, "ListView1")->model()->rowCount(), 3);
    returnFrom(*m_window);
    EXPECT_EQ(child<QTreeView>(*form, "ListView1")->model()->rowCount(), 0) << "activation ran";
    m_window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(findWindow(), nullptr);
    openPrinter("Command22");
    EXPECT_EQ(child<QLineEdit>(*m_window, "Text1")->text(), s("7"));
}

TEST(SheetPrint, TheZoomOrTheFitSetsTheScale)
{
    store::Workbook workbook = makeArchive();
    auto entrata = *workbook.sheet(layout::kEntrata);
    for (int row = 2; row <= 301; ++row)
        entrata.setNumber(row, 1, row - 1);
    xls::PageSetup& page = entrata.editPageSetup();
    page.printArea = {xls::CellRange{0, 300, 0, 10}};
    page.paperSize = 9;
    page.fitToPage = false;
    page.scale = 100;
    const printing::PrintPlan full = printing::planPrint(entrata);
    EXPECT_DOUBLE_EQ(full.scale, 1.0);
    EXPECT_GT(full.pages, 4) << "301 rows do not fit one page";
    page.fitToPage = true;
    const printing::PrintPlan fitted = printing::planPrint(entrata);
    EXPECT_LT(fitted.scale, 1.0);
    EXPECT_EQ(fitted.pages, 1);
    const printing::Sections sections = printing::headerSections(s("&LDitta&CTitolo && altro&RPagina"), {});
    EXPECT_EQ(sections.centre, s("Titolo & altro"));
    // The codes LibreOffice and Excel write, fonts and colours dropped.
    const printing::PageFacts facts{3, 12, QDateTime(QDate(2026, 12, 9), QTime(8, 5)), s("Protocollo.xls"), s("Entrata")};
    const printing::Sections coded = printing::headerSections(
        s("&L&\"Liberation Sans,Grassetto\"&14&KFF0000Comune&CPagina &P di &N&R&D &T &F &A"), facts);
    EXPECT_EQ(coded.left, s("Comune"));
    EXPECT_EQ(coded.centre, s("Pagina 3 di 12"));
    EXPECT_EQ(coded.right, s("09/12/2026 08:05 Protocollo.xls Entrata"));
}

TEST_F(ListPrintingTest, TheDailyRegisterOfADayPickedIsSavedUnderRegistriAndOpened)
{
    open(registerWorkbook(3));
    trigger("MnCoopertina");
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == QLatin1String("DailyRegister") && window->isVisible()) {
                window->findChild<QCalendarWidget*>(QStringLiteral("dailyRegisterDay"))->setSelectedDate(QDate(2026, 12, 8));
                window->findChild<QPushButton*>(QStringLiteral("makeDailyRegister"))->click();
            }
    });
    QTest::mouseClick(child<QPushButton>(*form, "dailyRegister"), Qt::LeftButton);
    const QString pdf = folder.filePath(s("Registri/Registro-giornaliero-2026-12-08.pdf"));
    EXPECT_EQ(desktop.documents, QStringList{pdf});
    EXPECT_TRUE(pdfText(pdf).contains(s("Registro giornaliero di protocollo")));
    EXPECT_EQ(readFileBytes(pdf + s(".sha256")).trimmed().size(), 64);
}
