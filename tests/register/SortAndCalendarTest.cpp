// Sorting the register in use and picking dates from the calendar, driven
// offscreen.

#include "register/ProtocolPanel.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;

namespace {

void addRecord(store::Sheet sheet, int row, int number, const char* name)
{
    sheet.setNumber(row, 1, number);
    sheet.setText(row, 6, s(name));
    sheet.setText(row, 12, s("E"));
}

class SortAndCalendarTest : public MainWindowTest {
protected:
    QString column(const QString& sheetName, int columnNumber, int firstRow, int lastRow)
    {
        QStringList texts;
        for (int row = firstRow; row <= lastRow; ++row)
            texts << sheet(sheetName).text(row, columnNumber);
        return texts.join(QLatin1Char(' '));
    }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(*form, name), Qt::LeftButton); }
    QCheckBox* box(const char* name) { return child<QCheckBox>(*form, name); }
};

store::Workbook unsorted(const QString& register_)
{
    store::Workbook workbook = makeArchive();
    auto sheet = *workbook.sheet(register_);
    addRecord(sheet, 2, 3, "BETA");
    addRecord(sheet, 3, 1, "alfa");
    addRecord(sheet, 4, 2, "BETA");
    addRecord(sheet, 5, 4, "Zeta");
    return workbook;
}

} // namespace

TEST_F(SortAndCalendarTest, TwoPictureButtonsUnderTheBox)
{
    openDefault();
    trigger("MenuClienti");
    form->resize(1100, 900);
    QApplication::processEvents();
    QWidget& panel = *form->frame(1);
    for (const char* name : {"Command24", "Command26"}) {
        auto* button = child<QPushButton>(*form, name);
        EXPECT_TRUE(button->text().isEmpty()) << name;
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_FALSE(button->accessibleName().isEmpty()) << name;
        EXPECT_LE(rectIn(panel, *box("Check3")).bottom(), rectIn(panel, *button).top()) << name;
    }
    EXPECT_EQ(box("Check3")->text(), s("Ordina per Mittente/Destinatario"));
    EXPECT_LT(rectIn(panel, *child<QPushButton>(*form, "Command24")).left(),
              rectIn(panel, *child<QPushButton>(*form, "Command26")).left());
}

TEST_F(SortAndCalendarTest, ByNumberBothWaysKeepingTheHeader)
{
    open(unsorted(layout::kEntrata));
    trigger("MenuClienti");
    click("Command24");
    EXPECT_EQ(column(layout::kEntrata, 1, 1, 5), s("N.Prot. 1 2 3 4"));
    EXPECT_EQ(column(layout::kEntrata, 6, 2, 5), s("alfa BETA BETA Zeta"));
    EXPECT_EQ(column(layout::kEntrata, 12, 2, 5), s("E E E E")) << "rows move whole";
    auto* list = child<QTreeView>(*form, "ListView1");
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), s("1"));

    click("Command26");
    EXPECT_EQ(column(layout::kEntrata, 1, 1, 5), s("N.Prot. 4 3 2 1"));
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), s("4"));
    expectSavedAsShown();
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(SortAndCalendarTest, BySenderThenNumber)
{
    for (const auto& [menu, name] : {std::pair{"MenuClienti", layout::kEntrata}, std::pair{"MenuArchiviazione", layout::kUscita}}) {
        SCOPED_TRACE(menu);
        TearDown();
        open(unsorted(name));
        trigger(menu);
        box("Check3")->setChecked(true);
        click("Command26");
        EXPECT_EQ(column(name, 6, 2, 5), s("Zeta BETA BETA alfa"));
        EXPECT_EQ(column(name, 1, 2, 5), s("4 3 2 1")) << "within a name, by number from the highest";
        click("Command24");
        EXPECT_EQ(column(name, 6, 2, 5), s("alfa BETA BETA Zeta"));
        EXPECT_EQ(column(name, 1, 2, 5), s("1 2 3 4"));
        EXPECT_EQ(column(name, 6, 1, 1), name == layout::kUscita ? s("Destinatario") : s("Mittente"));
        expectSavedAsShown();
        EXPECT_TRUE(box("Check3")->isChecked()) << "the box stays as left";
    }
}

TEST_F(SortAndCalendarTest, ALongRegisterIsSortedWhole)
{
    store::Workbook workbook = makeArchive();
    auto sheet = *workbook.sheet(layout::kEntrata);
    const int records = 2500;
    for (int i = 0; i < records; ++i)
        addRecord(sheet, i + 2, records - i, "X");
    open(workbook);
    trigger("MenuClienti");
    click("Command24");
    EXPECT_EQ(this->sheet(layout::kEntrata).value(2, 1), CellValue::fromNumber(1));
    EXPECT_EQ(this->sheet(layout::kEntrata).value(2001, 1), CellValue::fromNumber(2000));
    EXPECT_EQ(this->sheet(layout::kEntrata).value(records + 1, 1), CellValue::fromNumber(records));
    expectSavedAsShown();
}

TEST_F(SortAndCalendarTest, TheCalendarFillsTheTickedDateFields)
{
    openDefault();
    trigger("MenuClienti");
    auto* calendarFrame = form->frame(2);
    auto* calendar = child<QCalendarWidget>(*form, "Calendario");
    EXPECT_TRUE(calendarFrame->isHidden());

    box("Check1")->setChecked(true);
    EXPECT_FALSE(calendarFrame->isHidden());
    EXPECT_FALSE(calendar->isHidden());
    calendar->setSelectedDate(QDate(2026, 12, 7));
    emit calendar->clicked(QDate(2026, 12, 7));
    EXPECT_EQ(child<QLineEdit>(*form, "Text2")->text(), s("07/12/2026"));
    EXPECT_TRUE(child<QLineEdit>(*form, "Text3")->text().isEmpty());
    EXPECT_FALSE(box("Check1")->isChecked());
    EXPECT_TRUE(calendarFrame->isHidden());

    box("Check1")->setChecked(true);
    box("Check2")->setChecked(true);
    emit calendar->clicked(QDate(2027, 1, 2));
    EXPECT_EQ(child<QLineEdit>(*form, "Text2")->text(), s("02/01/2027"));
    EXPECT_EQ(child<QLineEdit>(*form, "Text3")->text(), s("02/01/2027"));

    emit calendar->clicked(QDate(2027, 3, 3));  // neither ticked: nothing
    EXPECT_EQ(child<QLineEdit>(*form, "Text2")->text(), s("02/01/2027"));

    box("Check2")->setChecked(true);
    click("Command18");  // Pulisci unticks and hides
    EXPECT_FALSE(box("Check2")->isChecked());
    EXPECT_TRUE(calendarFrame->isHidden());
}

TEST_F(SortAndCalendarTest, ClickingADayWithTheMouse)
{
    openDefault();
    trigger("MenuClienti");
    box("Check1")->setChecked(true);
    auto* calendar = child<QCalendarWidget>(*form, "Calendario");
    calendar->setCurrentPage(2026, 12);
    calendar->setSelectedDate(QDate(2026, 12, 1));
    form->resize(1100, 1000);
    QApplication::processEvents();
    auto* days = calendar->findChild<QAbstractItemView*>();
    ASSERT_NE(days, nullptr);
    // Find the cell of 7 December on the grid and click it.
    QModelIndex seven;
    for (int r = 0; r < days->model()->rowCount() && !seven.isValid(); ++r)
        for (int c = 0; c < days->model()->columnCount(); ++c) {
            const QModelIndex index = days->model()->index(r, c);
            if (index.data().toString() == s("7") && r < 4) {
                seven = index;
                break;
            }
        }
    ASSERT_TRUE(seven.isValid());
    QTest::mouseClick(days->viewport(), Qt::LeftButton, {}, days->visualRect(seven).center());
    EXPECT_EQ(child<QLineEdit>(*form, "Text2")->text(), s("07/12/2026"));
}
