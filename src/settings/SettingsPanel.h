#pragma once

// The settings panel of the main window (Frame4): the lookup lists, each with
// its selector (Combo9 to Combo13) and its edit box (Text34 to Text38).

#include "desktop/PanelContext.h"

#include <QGroupBox>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace quadrilo::settings {

class SettingsPanel final : public QGroupBox {
    Q_OBJECT
public:
    // The lists in the order of their columns A to E of Varie.
    static constexpr int kListCount = 5;

    SettingsPanel(PanelContext& context, QWidget* parent = nullptr);

    // Selector of the list of column (1 = A ... 5 = E).
    QComboBox* selector(int column) const { return m_selectors[static_cast<size_t>(column - 1)]; }
    QLineEdit* editBox(int column) const { return m_editBoxes[static_cast<size_t>(column - 1)]; }
    QPushButton* exitButton() const { return m_exit; }  // Command2
    QPushButton* printButton() const { return m_print; }  // Command13

    // Where the counter settings ("Utilità") lie, under the lists.
    void setUtilitySection(QWidget* section);

    // As "&Impostazioni" opens the panel: the edit boxes disabled.
    void disableEditBoxes();
    // As "&Esci" leaves it: every selector enabled, the edit boxes back to the
    // window colour.
    void resetEditing();

private:
    // Choosing an entry in the selector of column: that list is edited.
    void selectorChosen(int column);
    void Command1_Click();
    void Command9_Click();
    void Command3_Click();
    void setSelectorsEnabled(bool enabled);
    void setEditing(QLineEdit* box, bool editing);

    PanelContext& m_context;
    std::array<QComboBox*, kListCount> m_selectors{};   // Combo9 .. Combo13
    std::array<QLineEdit*, kListCount> m_editBoxes{};   // Text34 .. Text38
    QPushButton* m_exit = nullptr;
    QPushButton* m_print = nullptr;
    QVBoxLayout* m_layout = nullptr;
};

} // namespace quadrilo::settings
