// Setting the protocol counters by hand on the settings panel.

#include "support/MainWindowFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

class CounterSettingsTest : public MainWindowTest {
protected:
    QLineEdit* line(const char* name) { return child<QLineEdit>(*form, name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(*form, name), Qt::LeftButton); }
    CellValue counter(int column) { return sheet(layout::kVarie).value(1, column); }
};

} // namespace

TEST_F(CounterSettingsTest, TypingAValueMakesItTheLastNumberUsed)
{
    openDefault();
    trigger("MnImpostazioni");
    QTest::keyClicks(line("Text33"), s("100"));
    dialogs.answerYes();
    click("Command27");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0],
              (RecordedBox{Kind::YesNo, s("Quadrilo"), s("Vuoi  modificare  il numero ID progressivo del Protocollo in ENTRATA  ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1],
              (RecordedBox{Kind::Message, s("Quadrilo"), s(" Operazione eseguita il nuovo numero ID progressivo del Protocollo   è 100"),
                           MessageIcon::Information}));
    EXPECT_EQ(counter(256), CellValue::fromNumber(100));
    EXPECT_TRUE(line("Text33")->text().isEmpty());
    expectSavedAsShown();

    trigger("MenuClienti");
    EXPECT_EQ(line("Text1")->text(), s("101"));
}

TEST_F(CounterSettingsTest, UscitaAndTheNoAnswer)
{
    store::Workbook workbook = makeArchive();
    workbook.sheet(layout::kVarie)->setNumber(1, 255, 7);
    open(workbook);
    trigger("MnImpostazioni");
    line("Text27")->setText(s("20"));
    dialogs.answerNo();
    click("Command14");
    EXPECT_EQ(dialogs.texts(), QStringList{s("Vuoi  modificare  il numero ID progressivo del Protocollo in USCITA  ?")});
    EXPECT_TRUE(line("Text27")->text().isEmpty());
    EXPECT_EQ(counter(255), CellValue::fromNumber(7));

    dialogs.clear();
    line("Text27")->setText(s("20"));
    dialogs.answerYes();
    click("Command14");
    EXPECT_EQ(counter(255), CellValue::fromNumber(20));
    EXPECT_TRUE(sheet(layout::kVarie).isEmpty(1, 256)) << "Entrata untouched";
    expectSavedAsShown();
}

TEST_F(CounterSettingsTest, EmptyAndBadValuesAreRefused)
{
    openDefault();
    trigger("MnImpostazioni");
    click("Command27");
    EXPECT_EQ(dialogs.texts(), QStringList{s(" ERRORE :Il campo    numero ID progressivo del Protocollo deve essere compilato ! ")});
    EXPECT_EQ(form->focusWidget(), line("Text33"));
    for (const char* bad : {"dieci", "12a", "-1", "99999", "1.5"}) {
        SCOPED_TRACE(bad);
        dialogs.clear();
        line("Text33")->setText(s(bad));
        click("Command27");
        EXPECT_EQ(dialogs.texts(),
                  QStringList{s(" ERRORE :Il numero ID progressivo del Protocollo deve essere un numero intero da 0 a 99998 ! ")});
        EXPECT_EQ(line("Text33")->text(), s(bad)) << "kept for correcting";
    }
    EXPECT_TRUE(sheet(layout::kVarie).isEmpty(1, 256));
}

TEST_F(CounterSettingsTest, SettingTheCounterBelowStoredNumbersAsksFirst)
{
    store::Workbook workbook = makeArchive();
    auto entrata = *workbook.sheet(layout::kEntrata);
    entrata.setNumber(2, 1, 41);
    entrata.setNumber(3, 1, 42);
    workbook.sheet(layout::kVarie)->setNumber(1, 256, 42);
    open(workbook);
    trigger("MnImpostazioni");
    line("Text33")->setText(s("0"));
    dialogs.answerYes();
    dialogs.answerNo();
    click("Command27");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[1].text,
              s("Attenzione: nel registro in Entrata c'è già il protocollo numero 42: i prossimi protocolli ripeteranno numeri già usati. Vuoi continuare ?"));
    EXPECT_EQ(counter(256), CellValue::fromNumber(42));

    // A new year starting from 1 again.
    dialogs.clear();
    line("Text33")->setText(s("0"));
    dialogs.answerYes();
    dialogs.answerYes();
    click("Command27");
    EXPECT_EQ(counter(256), CellValue::fromNumber(0));
    EXPECT_EQ(dialogs.boxes().size(), 3u);
}
