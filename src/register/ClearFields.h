#pragma once

class QWidget;

namespace quadrilo::protocol {

// A property that keeps a field out of ClearFields (the search over the list
// is the user's, not a record's).
inline constexpr const char* kKeptByClearFields = "keptByClearFields";

// The part of ClearFields that needs no workbook: empties every named line
// edit, text box and editable combo box under root, on every panel, shown or
// not (but those with the property kKeptByClearFields), and unticks the check boxes Check1, Check2, Check3, Check6 and Check7.
void clearEveryField(QWidget& root);

} // namespace quadrilo::protocol
