#pragma once

// The contact picker over the protocol panel (Frame8): the list of contact
// names (ListView3), from which a click hands a name to the protocol panel.

#include "desktop/PanelContext.h"

#include <QGroupBox>

class QPushButton;
class QTreeWidget;

namespace quadrilo::contacts {

class ContactPicker final : public QGroupBox {
    Q_OBJECT
public:
    ContactPicker(PanelContext& context, QWidget* parent = nullptr);

    // "&Seleziona Contatto": shows the picker with the contacts, or says
    // there are none and stays hidden.
    void open();

    QTreeWidget* list() const { return m_list; }        // ListView3
    QPushButton* exitButton() const { return m_exit; }  // Command6

signals:
    // A contact of the list was clicked.
    void contactChosen(const QString& name);

private:
    PanelContext& m_context;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_exit = nullptr;
};

} // namespace quadrilo::contacts
