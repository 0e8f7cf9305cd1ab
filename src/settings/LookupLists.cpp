#include "settings/LookupLists.h"

#include "store/Layout.h"
#include "store/Sheet.h"

#include <QComboBox>
#include <QStringList>

namespace quadrilo::settings {

void fillLookupList(store::Workbook& workbook, int column, QComboBox& control)
{
    auto sheet = workbook.sheet(store::layout::kVarie);
    if (!sheet)
        return;
    sheet->activate();
    const QStringList entries = sheet->columnTextsDown(1, column);

    const QString shown = control.currentText();
    control.clear();
    control.addItems(entries);
    if (control.isEditable())
        control.setEditText(shown);
    else
        control.setCurrentIndex(-1);
}

} // namespace quadrilo::settings
