#include "desktop/Controls.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quadrilo {

namespace {

// The limit a line edit has for typing, kept beside the one it shows with.
const char* const kTypedMaxLength = "typedMaxLength";

} // namespace

QLineEdit* makeLineEdit(const char* name, int maxLength, bool centred)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
        edit->setProperty(kTypedMaxLength, maxLength);
        // A longer stored text widened the limit to show whole: once the
        // field is emptied, typing has its own limit again.
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, maxLength](const QString& text) {
            if (text.isEmpty() && edit->maxLength() != maxLength)
                edit->setMaxLength(maxLength);
        });
    }
    if (centred)
        edit->setAlignment(Qt::AlignCenter);
    return edit;
}

QComboBox* makeEditableCombo(const char* name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // A completion that ignored case would rewrite "comune" into "Comune"
    // when the field loses the focus.
    combo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    // Long entries do not widen the field beyond the window.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(10);
    return combo;
}

QPushButton* makeButton(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void showStoredText(QWidget* field, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        const int typedLimit = line->property(kTypedMaxLength).toInt();
        if (typedLimit > 0)
            line->setMaxLength(std::max(typedLimit, static_cast<int>(text.size())));
        line->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(field)) {
        combo->setEditText(text);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(field)) {
        box->setPlainText(text);
    }
}

QLabel* addCaptionedField(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field, int columnSpan)
{
    QLabel* label = nullptr;
    if (!caption.isEmpty()) {
        label = new QLabel(caption);
        label->setBuddy(field);
        // A screen reader names a field after its buddy only when they are siblings.
        if (field->accessibleName().isEmpty())
            field->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        grid->addWidget(label, row, column, 1, columnSpan);
    }
    grid->addWidget(field, row + 1, column, 1, columnSpan);
    return label;
}

} // namespace quadrilo
