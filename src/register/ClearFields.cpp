#include "register/ClearFields.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace quadrilo::protocol {

namespace {

// Line edits that belong to a compound control (a combo box's or a spin box's
// own edit) are left to that control, and the search fields to the user.
bool isOwnField(const QWidget& widget)
{
    const QObject* parent = widget.parent();
    return !widget.objectName().isEmpty() && !qobject_cast<const QComboBox*>(parent)
        && !qobject_cast<const QAbstractSpinBox*>(parent) && !widget.property(kKeptByClearFields).toBool();
}

} // namespace

void clearEveryField(QWidget& root)
{
    for (QLineEdit* edit : root.findChildren<QLineEdit*>())
        if (isOwnField(*edit))
            edit->clear();
    for (QPlainTextEdit* edit : root.findChildren<QPlainTextEdit*>())
        if (isOwnField(*edit))
            edit->clear();
    for (QTextEdit* edit : root.findChildren<QTextEdit*>())
        if (isOwnField(*edit))
            edit->clear();
    for (QComboBox* combo : root.findChildren<QComboBox*>())
        if (combo->isEditable())
            combo->clearEditText();
    for (const char* name : {"Check1", "Check2", "Check3", "Check6", "Check7"})
        for (QCheckBox* box : root.findChildren<QCheckBox*>(QString::fromLatin1(name)))
            box->setChecked(false);
}

} // namespace quadrilo::protocol
