// "&Excel": the workbook handed to its own window behind the host password.

#include "settings/WorkbookWindow.h"
#include "support/MainWindowFixture.h"

#include <QTabWidget>
#include <QTableView>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

store::Workbook withHostPassword(const char* password)
{
    store::Workbook workbook = makeArchive();
    if (*password)
        workbook.sheet(layout::kVarie)->setText(2, 22, s(password));
    workbook.sheet(layout::kEntrata)->setNumber(2, 1, 1);
    workbook.sheet(layout::kEntrata)->setText(2, 6, s("ALFA"));
    return workbook;
}

class WorkbookWindowTest : public MainWindowTest {
protected:
    settings::WorkbookWindow* handOver(const char* password)
    {
        dialogs.answerInput(s(password));
        trigger("MnExcel");
        return form->workbookWindow();
    }
    QAbstractItemModel* sheetModel(settings::WorkbookWindow& window, const char* name)
    {
        auto* view = window.findChild<QTableView*>(s(name));
        return view ? view->model() : nullptr;
    }
};

} // namespace

TEST_F(WorkbookWindowTest, AWrongPasswordKeepsTheProgramGoing)
{
    open(withHostPassword("excel"));
    trigger("MenuClienti");
    EXPECT_EQ(handOver("Excel"), nullptr);
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::Input, s("Quadrilo"), s("Digita  la Password  di Accesso"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s("Quadrilo"), s("ERRORE: La Password  di Accesso è ERRATA"), MessageIcon::Information}));
    for (int frame = 1; frame <= 8; ++frame)
        EXPECT_TRUE(form->frame(frame)->isHidden()) << frame;
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ended, 0);
}

TEST_F(WorkbookWindowTest, TheRightPasswordHandsTheWorkbookOver)
{
    open(withHostPassword("excel"));
    settings::WorkbookWindow* window = handOver("excel");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ended, 0) << "the program lasts while the workbook window is open";
    QStringList tabs;
    for (int i = 0; i < window->tabs()->count(); ++i)
        tabs << window->tabs()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{s("Entrata"), s("Uscita"), s("Cliente"), s("Varie")}));
    EXPECT_EQ(window->tabs()->tabText(window->tabs()->currentIndex()), s("Entrata"));
    QAbstractItemModel* entrata = sheetModel(*window, "Entrata");
    ASSERT_NE(entrata, nullptr);
    EXPECT_EQ(entrata->headerData(0, Qt::Horizontal).toString(), s("A\nN.Prot."));
    EXPECT_EQ(entrata->headerData(0, Qt::Vertical).toInt(), 2);
    EXPECT_EQ(entrata->index(0, 5).data().toString(), s("ALFA"));
}

TEST_F(WorkbookWindowTest, AnEmptyHostPasswordTakesAnEmptyAnswer)
{
    open(withHostPassword(""));
    EXPECT_NE(handOver(""), nullptr);
}

TEST_F(WorkbookWindowTest, TypedCellsAreNumbersDatesOrTextsAsASpreadsheetReadsThem)
{
    open(withHostPassword("excel"));
    settings::WorkbookWindow* window = handOver("excel");
    ASSERT_NE(window, nullptr);
    QAbstractItemModel* entrata = sheetModel(*window, "Entrata");
    QAbstractItemModel* cliente = sheetModel(*window, "Cliente");
    ASSERT_TRUE(entrata && cliente);
    const auto put = [](QAbstractItemModel* model, int row, int column, const char* text) {
        return model->setData(model->index(row - 2, column - 1), s(text), Qt::EditRole);
    };
    ASSERT_TRUE(put(entrata, 3, 1, "12"));
    ASSERT_TRUE(put(entrata, 3, 2, "7/12/2026"));
    ASSERT_TRUE(put(entrata, 3, 7, "Oggetto 12"));
    ASSERT_TRUE(put(entrata, 3, 8, "1,5"));
    ASSERT_TRUE(put(entrata, 2, 6, ""));
    ASSERT_TRUE(put(cliente, 2, 9, "0612345"));  // a text-format column
    auto sheetE = sheet(layout::kEntrata);
    EXPECT_EQ(sheetE.value(3, 1), CellValue::fromNumber(12));
    EXPECT_EQ(sheetE.value(3, 2).date(), QDate(2026, 12, 7));
    EXPECT_EQ(sheetE.value(3, 7), CellValue::fromText(s("Oggetto 12")));
    EXPECT_EQ(sheetE.value(3, 8), CellValue::fromNumber(1.5));
    EXPECT_TRUE(sheetE.isEmpty(2, 6));
    EXPECT_EQ(sheet(layout::kCliente).value(2, 9), CellValue::fromText(s("0612345")));
    EXPECT_EQ(entrata->index(1, 1).data().toString(), s("07/12/2026"));
}

TEST_F(WorkbookWindowTest, ClosingAsksToSaveAndEndsTheProgram)
{
    for (const bool saveIt : {true, false}) {
        SCOPED_TRACE(saveIt);
        TearDown();
        dialogs.clear();
        ended = 0;
        open(withHostPassword("excel"));
        settings::WorkbookWindow* window = handOver("excel");
        ASSERT_NE(window, nullptr);
        QAbstractItemModel* entrata = sheetModel(*window, "Entrata");
        entrata->setData(entrata->index(0, 6), s("scritto a mano"), Qt::EditRole);
        saveIt ? dialogs.answerYes() : dialogs.answerNo();
        EXPECT_TRUE(window->close());
        EXPECT_EQ(dialogs.texts().last(), s("Salvare le modifiche a Protocollo.xls prima di chiudere ?"));
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(store::WorkbookSession::isFileInUse(workbookPath));
        EXPECT_EQ(readArchive(workbookPath).sheet(layout::kEntrata)->text(2, 7), saveIt ? s("scritto a mano") : QString());
    }
}

TEST_F(WorkbookWindowTest, SavingFromTheWindowKeepsItOpen)
{
    open(withHostPassword("excel"));
    settings::WorkbookWindow* window = handOver("excel");
    ASSERT_NE(window, nullptr);
    QAbstractItemModel* varie = sheetModel(*window, "Varie");
    varie->setData(varie->index(0, 0), s("Raccomandata"), Qt::EditRole);
    window->findChild<QAction*>(s("Salva"))->trigger();
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kVarie)->text(2, 1), s("Raccomandata"));
    EXPECT_TRUE(window->close()) << "nothing left to ask";
    EXPECT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(ended, 1);
}
