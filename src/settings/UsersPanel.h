#pragma once

// The users panel of the main window (Frame7): the users who may log in
// (Varie!K:P), the owner data and the two access passwords (Varie!R2:W2).

#include "desktop/PanelContext.h"
#include "store/Sheet.h"

#include <QGroupBox>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quadrilo::settings {

class UsersPanel final : public QGroupBox {
    Q_OBJECT
public:
    UsersPanel(PanelContext& context, QWidget* parent = nullptr);

    // R2, S2, T2, U2, V2 and W2 of Varie into Text40, Text41, Text42, Text43,
    // Text8 and Text14.
    void showOwnerData();
    // "&Utenti/Password": asks the users-area password; the panel opens on
    // the right one.
    void openArea();
    // RefreshUsersList: ListView2 rebuilt from Varie!K:P.
    void refreshUsersList();

    QTreeWidget* usersList() const { return m_list; }  // ListView2

private:
    void ListView2_ItemClick(QTreeWidgetItem* item);
    void Command7_Click();
    void Command23_Click();
    void Command28_Click();
    void Command25_Click();
    void cmd24_Click();
    void setAddMode();
    // The row of the user whose id, as displayed, is id; nullopt when none.
    std::optional<int> findUser(const QString& id) const;
    // Whether a row other than row holds a user who can log in.
    static bool hasOtherLogin(const store::Sheet& sheet, int row);

    PanelContext& m_context;
    std::array<QLineEdit*, 6> m_fields{};   // Text40 .. Text14
    std::array<QLineEdit*, 4> m_user{};     // Text44 .. Text47
    QLabel* m_id = nullptr;                 // Label59
    QPushButton* m_addOrModify = nullptr;   // Command7
    QTreeWidget* m_list = nullptr;
};

// The table's rows K2:P down to the last used row, ordered by id; emptied
// rows go to the end.
void sortUsers(store::Workbook& workbook);

} // namespace quadrilo::settings
