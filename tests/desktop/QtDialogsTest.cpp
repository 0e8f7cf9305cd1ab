// The Qt dialogs as the user meets them: titles kept as given, Italian
// buttons, the answer of the button pressed.

#include "support/TestSupport.h"
#include "desktop/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace quadrilo;

namespace {

using quadrilo::testsupport::s;

struct SeenBox {
    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Once the modal box is up, records it and presses the button with that text.
void pressWhenShown(const QString& buttonText, SeenBox& seen)
{
    QTimer::singleShot(0, [buttonText, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
            if (button->text() == buttonText)
                button->click();
        }
    });
}

} // namespace

TEST(QtDialogs, AYesNoBoxKeepsItsTitleAndAnswersThePressedButton)
{
    QtDialogs dialogs;
    SeenBox seen;
    pressWhenShown(s("&Sì"), seen);
    EXPECT_TRUE(dialogs.askYesNo(nullptr, s(" Quadrilo"), s(" Vuoi Inserire questo Protocollo in Entrata ?"), MessageIcon::None));
    EXPECT_EQ(seen.title, s(" Quadrilo"));
    EXPECT_EQ(seen.text, s(" Vuoi Inserire questo Protocollo in Entrata ?"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons.size(), 2);
    EXPECT_TRUE(seen.buttons.contains(s("&No")));

    SeenBox second;
    pressWhenShown(s("&No"), second);
    EXPECT_FALSE(dialogs.askYesNo(nullptr, s("Quadrilo"), s("?"), MessageIcon::None));
}

TEST(QtDialogs, AMessageHasOneOkButtonAndItsIcon)
{
    QtDialogs dialogs;
    const std::pair<MessageIcon, QMessageBox::Icon> icons[] = {{MessageIcon::Information, QMessageBox::Information},
                                                               {MessageIcon::Stop, QMessageBox::Critical},
                                                               {MessageIcon::None, QMessageBox::NoIcon}};
    for (const auto& [icon, expected] : icons) {
        SeenBox seen;
        pressWhenShown(s("OK"), seen);
        dialogs.message(nullptr, s("Quadrilo"), s(" Protocollo inserito "), icon);
        EXPECT_EQ(seen.buttons, QStringList{s("OK")});
        EXPECT_EQ(seen.icon, expected);
        EXPECT_EQ(seen.text, s(" Protocollo inserito "));
    }
    // A box without a title of its own shows the program's name.
    SeenBox untitled;
    pressWhenShown(s("OK"), untitled);
    dialogs.message(nullptr, QString(), s("Impossibile eseguire il programma"), MessageIcon::None);
    EXPECT_EQ(untitled.title, s("Quadrilo"));
}

TEST(QtDialogs, AnInputBoxGivesTheTextOrNothingWhenCancelled)
{
    QtDialogs dialogs;
    QTimer::singleShot(0, [] {
        auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->windowTitle(), s("Quadrilo"));
        input->findChild<QLineEdit*>()->setText(s("segreta"));
        input->accept();
    });
    EXPECT_EQ(dialogs.inputBox(nullptr, s("Quadrilo"), s("Password:"), QString()), std::optional<QString>(s("segreta")));

    QTimer::singleShot(0, [] {
        auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(input, nullptr);
        QStringList buttons;
        for (QPushButton* button : input->findChildren<QPushButton*>())
            buttons << button->text();
        EXPECT_TRUE(buttons.contains(s("Annulla")));
        input->reject();
    });
    EXPECT_EQ(dialogs.inputBox(nullptr, s("Quadrilo"), s("Password:"), QString()), std::nullopt);
}
