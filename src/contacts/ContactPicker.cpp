#include "contacts/ContactPicker.h"

#include "contacts/ContactLists.h"
#include "store/Layout.h"
#include "store/Sheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quadrilo::contacts {

ContactPicker::ContactPicker(PanelContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Seleziona Contatto"), parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Frame8"));
    auto* layout = new QVBoxLayout(this);
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("ListView3"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setColumnCount(1);
    m_list->setMinimumHeight(120);
    auto* hint = new QLabel(QStringLiteral("Clicca sul contatto da selezionare e poi ESCI"));
    hint->setBuddy(m_list);
    m_list->setAccessibleName(title());
    m_exit = new QPushButton(QStringLiteral("&Esci"));
    m_exit->setObjectName(QStringLiteral("Command6"));
    layout->addWidget(m_list);
    auto* row = new QHBoxLayout;
    row->addWidget(hint, 1);
    row->addWidget(m_exit);
    layout->addLayout(row);

    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item)
            emit contactChosen(item->text(0));
    });
    // Enter on an item chooses it too, for the keyboard.
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item)
            emit contactChosen(item->text(0));
    });
}

void ContactPicker::open()
{
    show();
    const auto sheet = m_context.workbook().sheet(store::layout::kCliente);
    if (!sheet || sheet->isEmpty(2, store::layout::contact::kName)) {
        m_context.dialogs.message(this, kProductName, QStringLiteral("ERRORE: Non c'è alcun Cliente inserito !"),
                                  MessageIcon::Information);
        hide();
        return;
    }
    fillContactPicker(*m_list, m_context.workbook());
}

} // namespace quadrilo::contacts
