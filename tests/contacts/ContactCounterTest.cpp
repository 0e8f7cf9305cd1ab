// The contact id counter on the contact panel: reset, and typed by hand.

#include "support/MainWindowFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;

namespace {

class ContactCounterTest : public MainWindowTest {
protected:
    QLineEdit* idField() { return child<QLineEdit>(*form, "Text10"); }
    QCheckBox* box(const char* name) { return child<QCheckBox>(*form, name); }
    CellValue counter() { return sheet(layout::kCliente).value(1, 256); }

    void openWithCounter(double value)
    {
        store::Workbook workbook = makeArchive();
        workbook.sheet(layout::kCliente)->setNumber(1, 256, value);
        open(workbook);
        trigger("MnContatti");
    }
};

} // namespace

TEST_F(ContactCounterTest, AzzeraContatoreResetsToOne)
{
    openWithCounter(57);
    EXPECT_EQ(idField()->text(), s("57"));
    box("Check6")->click();
    EXPECT_EQ(counter(), CellValue::fromNumber(1));
    EXPECT_EQ(idField()->text(), s("1"));
    EXPECT_FALSE(box("Check6")->isChecked()) << "the box unticks itself";
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kCliente)->value(1, 256), CellValue::fromNumber(1));
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(ContactCounterTest, CambiaIdProgressivoLetsTheNextIdBeTyped)
{
    openWithCounter(57);
    form->activateWindow();
    EXPECT_TRUE(idField()->isReadOnly());
    box("Check7")->click();
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{RecordedBox::Kind::Message, s(" Brenvaldo"), s("Ora puoi Cambiare il Progressivo compilando il campo ID PROGRESSIVO"),
                           MessageIcon::Information}));
    EXPECT_FALSE(idField()->isReadOnly());
    EXPECT_TRUE(idField()->text().isEmpty());
    EXPECT_FALSE(box("Check7")->isChecked());

    QTest::keyClicks(idField(), s("12x0"));  // only digits get in
    EXPECT_EQ(idField()->text(), s("120"));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(idField(), &leave);
    EXPECT_EQ(counter(), CellValue::fromNumber(120));
    EXPECT_TRUE(idField()->isReadOnly());
    expectSavedAsShown();
}

TEST_F(ContactCounterTest, LeavingTheIdFieldEmptyKeepsTheCounter)
{
    openWithCounter(57);
    box("Check7")->click();
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(idField(), &leave);
    EXPECT_EQ(counter(), CellValue::fromNumber(57));
    EXPECT_TRUE(idField()->isReadOnly());
    EXPECT_TRUE(idField()->text().isEmpty());
}
