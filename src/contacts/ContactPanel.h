#pragma once

// The contact panel of the main window (Frame3): the address book form, the
// contact chooser (Combo4) and the contact id counter field (Text10).

#include "desktop/PanelContext.h"
#include "contacts/ContactRecords.h"

#include <QGroupBox>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quadrilo::contacts {

class ContactPanel final : public QGroupBox {
    Q_OBJECT
public:
    ContactPanel(PanelContext& context, QWidget* parent = nullptr);

    // FillContactList on the chooser.
    void fillContactList();
    // Cliente!IV1, the id the next contact receives, into the ID field.
    void showContactCounter();
    // Writes 1 into an empty contact id counter.
    void ensureContactCounter();

    // The fields as they stand, A (the ID field) to Q.
    ContactTexts fields() const;

    QComboBox* chooser() const { return m_chooser; }           // Combo4
    QComboBox* contactTypeCombo() const { return m_type; }     // Combo3
    QPushButton* exitButton() const { return m_exit; }         // Command12
    QPushButton* printButton() const { return m_print; }       // Command72

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Command70_Click();
    void Command10_Click();
    void Command11_Click();
    void Command73_Click();
    void Combo4_Click(int position);
    void Check6_Click(bool ticked);
    void Check7_Click(bool ticked);
    // Leaving the ID field stores a typed next id and locks the field again.
    void Text10_LostFocus();
    void setFields(const ContactTexts& texts);
    // A field longer than a cell holds, or nothing; told to the user.
    bool fieldsFit();

    PanelContext& m_context;
    // The controls of columns A to Q.
    std::array<QWidget*, store::layout::contact::kHeaderCount> m_fields{};
    QComboBox* m_chooser = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_name = nullptr;  // Text26
    QPushButton* m_exit = nullptr;
    QPushButton* m_print = nullptr;
};

} // namespace quadrilo::contacts
