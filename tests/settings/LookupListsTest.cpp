// The lookup lists on the settings panel: choosing, inserting, modifying.

#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <map>
#include <string>

using namespace quadrilo;
using namespace quadrilo::testsupport;
using quadrilo::store::CellValue;
namespace layout = quadrilo::store::layout;
using Kind = RecordedBox::Kind;

namespace {

QStringList items(const QComboBox& combo)
{
    QStringList list;
    for (int i = 0; i < combo.count(); ++i)
        list << combo.itemText(i);
    return list;
}

const QString kYellow = s("QLineEdit { background-color: rgb(255, 255, 0); }");

class LookupListsTest : public MainWindowTest {
protected:
    QLineEdit* line(const char* name) { return child<QLineEdit>(*form, name); }
    QComboBox* combo(const char* name) { return child<QComboBox>(*form, name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(*form, name), Qt::LeftButton); }
    void choose(const char* selector, int position)
    {
        combo(selector)->setCurrentIndex(position);
        emit combo(selector)->activated(position);
    }
    void openWithTypes(const QStringList& types)
    {
        store::Workbook workbook = makeArchive();
        auto varie = *workbook.sheet(layout::kVarie);
        for (qsizetype i = 0; i < types.size(); ++i)
            if (!types[i].isEmpty())
                varie.setText(static_cast<int>(i) + 2, 1, types[i]);
        varie.setText(2, 5, s("Fornitore"));
        open(workbook);
        trigger("MnImpostazioni");
    }
    store::Sheet varie() { return sheet(layout::kVarie); }
};

} // namespace

TEST_F(LookupListsTest, EachListIsALineOfCaptionSelectorAndEditBox)
{
    openWithTypes({});
    form->resize(1100, 900);
    QApplication::processEvents();
    QWidget& panel = *form->frame(4);
    const auto rect = [&](const char* name) { return rectIn(panel, *child<QWidget>(panel, name)); };
    const auto label = [&](const char* text) -> QRect {
        for (QLabel* found : panel.findChildren<QLabel*>())
            if (found->text() == s(text))
                return rectIn(panel, *found);
        ADD_FAILURE() << "no caption " << text;
        return {};
    };
    const auto sameLine = [](const QRect& a, const QRect& b) { return std::abs(a.center().y() - b.center().y()) < a.height(); };

    const char* const lists[][3] = {{"Combo9", "Text34", "Tipo Corrispondenza"},
                                    {"Combo10", "Text35", "Tipo Documento"},
                                    {"Combo11", "Text36", "Settore di appartenenza"},
                                    {"Combo12", "Text37", "Assegnata a :"},
                                    {"Combo13", "Text38", "Tipo Contatto"}};
    for (size_t i = 0; i < std::size(lists); ++i) {
        const auto& [selector, editBox, caption] = lists[i];
        SCOPED_TRACE(selector);
        EXPECT_FALSE(combo(selector)->isEditable()) << "chosen, not typed";
        EXPECT_TRUE(sameLine(rect(selector), rect(editBox)));
        EXPECT_GT(rect(editBox).left(), rect(selector).right());
        EXPECT_EQ(captionOf(panel, combo(selector))->text(), s(caption));
        EXPECT_TRUE(sameLine(rect(selector), rectIn(panel, *captionOf(panel, combo(selector)))));
        if (i > 0) {
            EXPECT_GT(rect(selector).top(), rect(lists[i - 1][0]).bottom());
        }
    }
    EXPECT_LT(label("Sezione Protocollo").bottom(), rect("Combo9").top());
    EXPECT_GT(label("Sezione Contatti").top(), rect("Combo12").bottom());
    EXPECT_LT(label("Sezione Contatti").bottom(), rect("Combo13").top());
    EXPECT_LE(label("Seleziona ").bottom(), rect("Combo9").top());
    EXPECT_LT(std::abs(label("Seleziona ").left() - rect("Combo9").left()), 8);
    EXPECT_LT(std::abs(label("Inserisci/Modifica").left() - rect("Text34").left()), 8);

    // The buttons, in a block to the right of the lists.
    EXPECT_TRUE(sameLine(rect("Command1"), rect("Combo9")));
    EXPECT_TRUE(sameLine(rect("Command9"), rect("Combo9")));
    EXPECT_TRUE(sameLine(rect("Command3"), rect("Combo11")));
    EXPECT_TRUE(sameLine(rect("Command13"), rect("Combo11")));
    EXPECT_TRUE(sameLine(rect("Command2"), label("Sezione Contatti")));
    EXPECT_GT(rect("Command9").left(), rect("Command1").right());
    for (const char* button : {"Command1", "Command9", "Command3", "Command13", "Command2"})
        EXPECT_GT(rect(button).left(), rect("Text34").right()) << button;
    const char* const captions[][2] = {
        {"Command1", "Inserisci"}, {"Command9", "Modifica"}, {"Command3", "&Pulisci"}, {"Command13", "&Stampa"}, {"Command2", "&Esci"}};
    for (const auto& [name, text] : captions)
        EXPECT_EQ(child<QPushButton>(panel, name)->text(), s(text));
}

TEST_F(LookupListsTest, AHeaderOnlyListOffersTheHeader)
{
    openWithTypes({});
    EXPECT_EQ(items(*combo("Combo9")), QStringList{s("TipoCorrispondenza")});
    EXPECT_EQ(items(*combo("Combo1")), QStringList{s("TipoCorrispondenza")});
}

TEST_F(LookupListsTest, ChoosingAnEntryEditsThatListAlone)
{
    openWithTypes({s("Posta"), s("PEC"), s("Fax")});
    EXPECT_FALSE(line("Text34")->isEnabled());
    choose("Combo9", 2);
    EXPECT_TRUE(line("Text34")->isEnabled());
    EXPECT_EQ(line("Text34")->text(), s("PEC"));
    EXPECT_EQ(line("Text34")->styleSheet(), kYellow);
    EXPECT_EQ(form->focusWidget(), line("Text34"));
    EXPECT_TRUE(combo("Combo9")->isEnabled());
    for (const char* other : {"Combo10", "Combo11", "Combo12", "Combo13"})
        EXPECT_FALSE(combo(other)->isEnabled()) << other;
}

TEST_F(LookupListsTest, InsertingFillsTheFirstEmptyCellAndSaves)
{
    openWithTypes({s("Posta"), s("PEC"), QString(), s("dopo il vuoto")});
    EXPECT_EQ(items(*combo("Combo9")), (QStringList{s("TipoCorrispondenza"), s("Posta"), s("PEC")}));
    choose("Combo9", 1);
    line("Text34")->setText(s("Corriere"));
    dialogs.answerYes();
    click("Command1");
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(dialogs.boxes()[0], (RecordedBox{Kind::YesNo, s("Quadrilo"), s(" Vuoi effettuare l'inserimento ?"), MessageIcon::None}));
    EXPECT_EQ(dialogs.boxes()[1], (RecordedBox{Kind::Message, s("Quadrilo"), s("Operazione eseguita !"), MessageIcon::Information}));
    EXPECT_EQ(varie().text(4, 1), s("Corriere")) << "the gap is filled";
    EXPECT_EQ(varie().text(2, 1), s("Posta")) << "the chosen value stays";
    EXPECT_EQ(items(*combo("Combo9")),
              (QStringList{s("TipoCorrispondenza"), s("Posta"), s("PEC"), s("Corriere"), s("dopo il vuoto")}));
    EXPECT_EQ(items(*combo("Combo1")), items(*combo("Combo9"))) << "the protocol panel offers it at once";
    EXPECT_FALSE(line("Text34")->isEnabled());
    EXPECT_TRUE(line("Text34")->styleSheet().isEmpty());
    for (const char* selector : {"Combo9", "Combo10", "Combo11", "Combo12", "Combo13"})
        EXPECT_TRUE(combo(selector)->isEnabled()) << selector;
    EXPECT_EQ(readArchive(workbookPath).sheet(layout::kVarie)->text(4, 1), s("Corriere"));

    trigger("Norme");
    returnFrom(*notes);
    EXPECT_EQ(items(*combo("Combo1")).size(), 5);
    EXPECT_EQ(items(*combo("Combo9")).size(), 5) << "reloading never repeats an entry";
}

TEST_F(LookupListsTest, OneInsertionPerCommandInTheOrderAToE)
{
    openWithTypes({s("Posta")});
    line("Text34")->setEnabled(true);
    line("Text38")->setEnabled(true);
    line("Text34")->setText(s("PEC"));
    line("Text38")->setText(s("Cliente"));
    dialogs.answerYes();
    click("Command1");
    EXPECT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_EQ(varie().text(3, 1), s("PEC"));
    EXPECT_EQ(varie().text(3, 5), QString()) << "the second text was discarded";
}

TEST_F(LookupListsTest, NoToAnInsertionEmptiesTheBoxAndKeepsEditing)
{
    openWithTypes({s("Posta")});
    choose("Combo9", 1);
    dialogs.answerNo();
    click("Command1");
    EXPECT_TRUE(line("Text34")->text().isEmpty());
    EXPECT_TRUE(line("Text34")->isEnabled());
    EXPECT_EQ(line("Text34")->styleSheet(), kYellow);
    EXPECT_TRUE(varie().isEmpty(3, 1));
}

TEST_F(LookupListsTest, ModifyingRewritesTheChosenRow)
{
    openWithTypes({s("Posta"), s("PEC"), s("Fax")});
    choose("Combo9", 2);
    line("Text34")->setText(s("Posta certificata"));
    dialogs.answerYes();
    click("Command9");
    EXPECT_EQ(dialogs.texts(), (QStringList{s("Vuoi modificare il campo ? "), s("Operazione eseguita !")}));
    EXPECT_EQ(varie().text(3, 1), s("Posta certificata"));
    EXPECT_EQ(items(*combo("Combo9"))[2], s("Posta certificata"));
    EXPECT_TRUE(line("Text34")->isEnabled()) << "open: enabled, normal colour, empty";
    EXPECT_TRUE(line("Text34")->styleSheet().isEmpty());
    EXPECT_TRUE(line("Text34")->text().isEmpty());
    expectSavedAsShown();

    dialogs.clear();
    choose("Combo9", 1);
    line("Text34")->setText(s("altro"));
    dialogs.answerNo();
    click("Command9");
    EXPECT_EQ(line("Text34")->text(), s("altro"));
    EXPECT_EQ(varie().text(2, 1), s("Posta"));
}

TEST_F(LookupListsTest, TheHeaderEntryComesBackAtTheNextActivation)
{
    openWithTypes({s("Posta")});
    choose("Combo9", 0);
    EXPECT_EQ(line("Text34")->text(), s("TipoCorrispondenza"));
    line("Text34")->setText(s("Tipi"));
    dialogs.answerYes();
    click("Command9");
    EXPECT_EQ(dialogs.texts(), (QStringList{s("Vuoi modificare il campo ? "), s("Operazione eseguita !")}));
    EXPECT_EQ(varie().text(1, 1), s("Tipi"));
    EXPECT_EQ(items(*combo("Combo9")), (QStringList{s("Tipi"), s("Posta")}));
    expectSavedAsShown();

    // The lists are read before the headers are written back: they show the
    // header again from the activation after.
    trigger("Norme");
    returnFrom(*notes);
    EXPECT_EQ(varie().text(1, 1), s("TipoCorrispondenza"));
    EXPECT_EQ(items(*combo("Combo9")), (QStringList{s("Tipi"), s("Posta")}));
    trigger("Norme");
    returnFrom(*notes);
    EXPECT_EQ(items(*combo("Combo9")), (QStringList{s("TipoCorrispondenza"), s("Posta")}));
    EXPECT_EQ(items(*combo("Combo1")), (QStringList{s("TipoCorrispondenza"), s("Posta")}));
}

TEST_F(LookupListsTest, ActivationsNeverRepeatAnEntryAndKeepTheTypedTexts)
{
    openWithTypes({s("Posta"), s("PEC")});
    trigger("MenuClienti");
    combo("Combo1")->setEditText(s("scritto a mano"));
    combo("Combo7")->setCurrentIndex(0);
    const char* const controls[] = {"Combo9", "Combo10", "Combo11", "Combo12", "Combo13",
                                    "Combo1", "Combo2",  "Combo7",  "Combo8",  "Combo3"};
    std::map<std::string, QStringList> first;
    for (const char* name : controls)
        first[name] = items(*combo(name));
    for (int time = 0; time < 3; ++time) {
        trigger("Norme");
        returnFrom(*notes);
    }
    for (const char* name : controls)
        EXPECT_EQ(items(*combo(name)), first[name]) << name;
    EXPECT_EQ(items(*combo("Combo1")), (QStringList{s("TipoCorrispondenza"), s("Posta"), s("PEC")}));
    EXPECT_EQ(items(*combo("Combo3")), (QStringList{s("TipoContatto"), s("Fornitore")}));
    EXPECT_EQ(combo("Combo1")->currentText(), s("scritto a mano"));
    EXPECT_EQ(combo("Combo7")->currentText(), s("Settore"));
}

TEST_F(LookupListsTest, PulisciAndEsciReopenTheLists)
{
    openWithTypes({s("Posta")});
    choose("Combo13", 1);
    EXPECT_EQ(line("Text38")->text(), s("Fornitore"));
    click("Command3");
    EXPECT_TRUE(line("Text38")->text().isEmpty());
    EXPECT_TRUE(line("Text38")->isEnabled());
    EXPECT_TRUE(line("Text38")->styleSheet().isEmpty());
    EXPECT_TRUE(combo("Combo9")->isEnabled());
    click("Command2");
    EXPECT_TRUE(form->frame(4)->isHidden());
}

TEST_F(LookupListsTest, AValueChosenOnTheProtocolPanelIsStoredAsShown)
{
    openWithTypes({});
    trigger("MenuClienti");
    auto* type = combo("Combo1");
    type->setCurrentIndex(0);
    child<QLineEdit>(*form, "Text2")->setText(s("7/12/2026"));
    child<QLineEdit>(*form, "Text4")->setText(s("ALFA"));
    child<QLineEdit>(*form, "Text5")->setText(s("Oggetto"));
    dialogs.answerYes();
    click("Command16");
    EXPECT_EQ(sheet(layout::kEntrata).text(2, 3), s("TipoCorrispondenza"));
}
