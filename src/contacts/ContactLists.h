#pragma once

// The lists of contacts other panels offer: names of sheet Cliente, column B,
// from row 2 down to the first empty name, in sheet order.

#include "store/Workbook.h"

#include <QStringList>

class QComboBox;
class QTreeWidget;

namespace quadrilo::contacts {

// The names of Cliente!B2 downwards; duplicates are kept, each at its place.
QStringList contactNames(store::Workbook& workbook);
// FillContactList: the contact chooser gets the names; sheet Cliente is
// selected.
void fillContactList(QComboBox& chooser, store::Workbook& workbook);
// FillContactPicker: one column headed by the text of Cliente!B1, 8000 twips
// wide, one item per name.
void fillContactPicker(QTreeWidget& picker, store::Workbook& workbook);

} // namespace quadrilo::contacts
