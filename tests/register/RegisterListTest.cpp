// LoadRegisterList and RefreshRegisterList over hand-made registers.

#include "register/RegisterList.h"
#include "desktop/PanelContext.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "support/WindowTestSupport.h"

#include <QHeaderView>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace quadrilo;
using namespace quadrilo::protocol;
namespace layout = quadrilo::store::layout;
using layout::RegisterKind;

namespace {

using quadrilo::testsupport::s;

QStringList headers(const QAbstractItemModel& model)
{
    QStringList list;
    for (int column = 0; column < model.columnCount(); ++column)
        list << model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    return list;
}

QStringList rowTexts(const QAbstractItemModel& model, int row)
{
    QStringList list;
    for (int column = 0; column < model.columnCount(); ++column)
        list << model.index(row, column).data().toString();
    return list;
}

void addRecord(store::Sheet& sheet, int row, int number, const QString& name)
{
    sheet.setNumber(row, 1, number);
    sheet.setDate(row, 2, QDate(2026, 1, number));
    sheet.setText(row, 3, s("PEC"));
    sheet.setText(row, 4, s("Lettera"));
    sheet.setDate(row, 5, QDate(2025, 12, 31));
    sheet.setText(row, 6, name);
    sheet.setText(row, 7, s("Oggetto ") + QString::number(number));
    sheet.setText(row, 8, s("nota"));
    sheet.setText(row, 9, s("2"));
    sheet.setText(row, 10, s("Ragioneria"));
    sheet.setText(row, 11, s("Rossi"));
    sheet.setText(row, 12, s("E"));
}

class RegisterListTest : public testing::Test {
protected:
    store::Workbook workbook = testsupport::makeArchive();
    store::Sheet entrata = *workbook.sheet(layout::kEntrata);
    QTreeView view;
    RegisterListModel model;

    void SetUp() override { view.setModel(&model); }
};

} // namespace

TEST_F(RegisterListTest, AnEmptyRegisterHasItsElevenHeadersAndNoItems)
{
    loadRegisterList(view, model, workbook, RegisterKind::Entrata);
    EXPECT_EQ(headers(model), (QStringList{s("N.Prot."), s("Data"), s("Tipo Corrispondenza"), s("Tipo Documento"),
                                          s("Data Doc."), s("Mittente"), s("Oggetto"), s("Nota"), s("Allegati"),
                                          s("Settore"), s("Assegnato")}));
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(RegisterListTest, WidthsAreTheTwipsAtTheScreensResolution)
{
    loadRegisterList(view, model, workbook, RegisterKind::Entrata);
    const int dpi = view.logicalDpiX();
    const int twips[] = {900, 1200, 1500, 1500, 1200, 2000, 2000, 2000, 1000, 1000, 1000};
    for (int column = 0; column < 11; ++column)
        EXPECT_EQ(view.header()->sectionSize(column), (twips[column] * dpi + 720) / 1440) << column;
    EXPECT_EQ(twipsToPixels(1440, view), dpi);
}

TEST_F(RegisterListTest, ItemsFollowTheSheetUpToTheFirstEmptyNumber)
{
    addRecord(entrata, 2, 1, s("ALFA"));
    addRecord(entrata, 3, 2, s("BETA"));
    addRecord(entrata, 4, 3, s("GAMMA"));
    addRecord(entrata, 6, 5, s("below the gap"));
    workbook.sheet(layout::kVarie)->activate();
    loadRegisterList(view, model, workbook, RegisterKind::Entrata);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(rowTexts(model, 0), (QStringList{s("1"), s("01/01/2026"), s("PEC"), s("Lettera"), s("31/12/2025"), s("ALFA"),
                                              s("Oggetto 1"), s("nota"), s("2"), s("Ragioneria"), s("Rossi")}));
    EXPECT_EQ(rowTexts(model, 2)[5], s("GAMMA"));
    EXPECT_EQ(workbook.data().activeSheet, 0) << "the register's sheet becomes the active one";
}

TEST_F(RegisterListTest, ASingleRecordAndAnEmptyColumnE)
{
    addRecord(entrata, 2, 1, s("ALFA"));
    entrata.clear(2, 5);
    loadRegisterList(view, model, workbook, RegisterKind::Entrata);
    ASSERT_EQ(model.rowCount(), 1);
    const QStringList texts = rowTexts(model, 0);
    EXPECT_EQ(texts[4], QString());
    EXPECT_EQ(texts[5], s("ALFA"));
    EXPECT_EQ(texts[10], s("Rossi"));
}

TEST_F(RegisterListTest, RefreshKeepsTheHeadersOfTheLastLoad)
{
    addRecord(entrata, 2, 1, s("ALFA"));
    loadRegisterList(view, model, workbook, RegisterKind::Entrata);
    entrata.setText(1, 6, s("Cambiato"));
    addRecord(entrata, 3, 2, s("BETA"));
    refreshRegisterList(model, workbook, RegisterKind::Entrata);
    EXPECT_EQ(headers(model)[5], s("Mittente"));
    EXPECT_EQ(model.rowCount(), 2);
    loadRegisterList(view, model, workbook, RegisterKind::Entrata);
    EXPECT_EQ(headers(model)[5], s("Cambiato"));
}

TEST_F(RegisterListTest, SwitchingRegisterReplacesItemsAndTheSixthHeader)
{
    addRecord(entrata, 2, 1, s("ALFA"));
    auto uscita = *workbook.sheet(layout::kUscita);
    addRecord(uscita, 2, 7, s("ZETA"));
    addRecord(uscita, 3, 8, s("ETA"));
    loadRegisterList(view, model, workbook, RegisterKind::Entrata);
    ASSERT_EQ(model.rowCount(), 1);
    loadRegisterList(view, model, workbook, RegisterKind::Uscita);
    EXPECT_EQ(headers(model)[5], s("Destinatario"));
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(rowTexts(model, 0)[0], s("7"));
    EXPECT_EQ(rowTexts(model, 1)[5], s("ETA"));
}

TEST_F(RegisterListTest, AMissingSheetGivesAnEmptyListInsteadOfFailing)
{
    store::Workbook bare;
    bare.addSheet(s("Altro"));
    loadRegisterList(view, model, bare, RegisterKind::Entrata);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
}
