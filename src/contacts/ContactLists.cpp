#include "contacts/ContactLists.h"

#include "desktop/PanelContext.h"
#include "store/Layout.h"
#include "store/Sheet.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTreeWidget>

namespace quadrilo::contacts {

namespace layout = store::layout;

QStringList contactNames(store::Workbook& workbook)
{
    const auto sheet = workbook.sheet(layout::kCliente);
    return sheet ? sheet->columnTextsDown(2, layout::contact::kName) : QStringList();
}

void fillContactList(QComboBox& chooser, store::Workbook& workbook)
{
    chooser.clear();
    if (auto sheet = workbook.sheet(layout::kCliente))
        sheet->activate();
    chooser.addItems(contactNames(workbook));
    chooser.setCurrentIndex(-1);
}

void fillContactPicker(QTreeWidget& picker, store::Workbook& workbook)
{
    picker.clear();
    auto sheet = workbook.sheet(layout::kCliente);
    picker.setColumnCount(1);
    picker.setHeaderLabels({sheet ? sheet->text(1, layout::contact::kName) : QString()});
    picker.header()->resizeSection(0, twipsToPixels(8000, picker));
    if (!sheet)
        return;
    sheet->activate();
    QList<QTreeWidgetItem*> items;
    for (const QString& name : contactNames(workbook))
        items << new QTreeWidgetItem(QStringList{name});
    picker.addTopLevelItems(items);
}

} // namespace quadrilo::contacts
