#pragma once

// The contact panel of the main window (Frame3): the address book form, the
// contact chooser (Combo4) and the contact id counter field (Text10).

#include "app/seams/PanelContext.h"

#include <QGroupBox>

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

    QComboBox* chooser() const { return m_chooser; }           // Combo4
    QComboBox* contactTypeCombo() const { return m_type; }     // Combo3
    QPushButton* exitButton() const { return m_exit; }         // Command12

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Check6_Click(bool ticked);
    void Check7_Click(bool ticked);
    // Leaving the ID field stores a typed next id and locks the field again.
    void Text10_LostFocus();

    PanelContext& m_context;
    QComboBox* m_chooser = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_id = nullptr;
    QPushButton* m_exit = nullptr;
};

} // namespace quadrilo::contacts
