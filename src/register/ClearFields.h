#pragma once

class QWidget;

namespace quadrilo::protocol {

// The part of ClearFields that needs no workbook: empties every named line
// edit, text box and editable combo box under root, on every panel, shown or
// not, and unticks the check boxes Check1, Check2, Check3, Check6 and Check7.
void clearEveryField(QWidget& root);

} // namespace quadrilo::protocol
