#pragma once

// The controls of the panels, made the same way everywhere: each carries the
// name the program gives it as its objectName, and each caption is the buddy
// of its field.

#include <QString>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace quadrilo {

// maxLength 0: no limit.
QLineEdit* makeLineEdit(const char* name, int maxLength = 0, bool centred = false);
// A drop-down that also takes typed text, kept as typed.
QComboBox* makeEditableCombo(const char* name);
QPushButton* makeButton(const char* name, const QString& caption);
// Shows a stored text in a line edit, editable combo or text box. A line
// edit shows it whole, even beyond the length a user may type.
void showStoredText(QWidget* field, const QString& text);
// The caption in row, the field below it in row + 1; an empty caption adds
// the field alone. Returns the caption, or nullptr.
QLabel* addCaptionedField(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field, int columnSpan = 1);

} // namespace quadrilo
