#include "settings/SettingsPanel.h"

#include "desktop/Controls.h"
#include "settings/LookupLists.h"
#include "store/Layout.h"
#include "store/Sheet.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quadrilo::settings {

namespace {

struct ListRow {
    const char* selector;
    const char* editBox;
    const char* caption;
};
// Columns A to E of Varie.
constexpr ListRow kRows[SettingsPanel::kListCount] = {
    {"Combo9", "Text34", "Tipo Corrispondenza"},
    {"Combo10", "Text35", "Tipo Documento"},
    {"Combo11", "Text36", "Settore di appartenenza"},
    {"Combo12", "Text37", "Assegnata a :"},
    {"Combo13", "Text38", "Tipo Contatto"},
};

} // namespace

SettingsPanel::SettingsPanel(PanelContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Impostazioni"), parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Frame4"));
    auto* layout = new QVBoxLayout(this);
    m_layout = layout;
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Sezione Protocollo")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Seleziona ")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Inserisci/Modifica")), 0, 2);

    auto* insert = makeButton("Command1", QStringLiteral("Inserisci"));
    auto* modify = makeButton("Command9", QStringLiteral("Modifica"));
    auto* clear = makeButton("Command3", QStringLiteral("&Pulisci"));
    auto* print = makeButton("Command13", QStringLiteral("&Stampa"));
    m_print = print;
    m_exit = makeButton("Command2", QStringLiteral("&Esci"));
    connect(insert, &QPushButton::clicked, this, &SettingsPanel::Command1_Click);
    connect(modify, &QPushButton::clicked, this, &SettingsPanel::Command9_Click);
    connect(clear, &QPushButton::clicked, this, &SettingsPanel::Command3_Click);

    for (int i = 0; i < kListCount; ++i) {
        // List E sits under its own caption.
        const int row = i < 4 ? i + 1 : i + 2;
        if (i == 4)
            grid->addWidget(new QLabel(QStringLiteral("Sezione Contatti")), 5, 0);
        auto* selector = new QComboBox;
        selector->setObjectName(QString::fromLatin1(kRows[i].selector));
        selector->setEditable(false);
        auto* editBox = new QLineEdit;
        editBox->setObjectName(QString::fromLatin1(kRows[i].editBox));
        auto* caption = new QLabel(QString::fromUtf8(kRows[i].caption));
        caption->setBuddy(selector);
        editBox->setAccessibleName(caption->text());
        grid->addWidget(caption, row, 0);
        grid->addWidget(selector, row, 1);
        grid->addWidget(editBox, row, 2);
        m_selectors[static_cast<size_t>(i)] = selector;
        m_editBoxes[static_cast<size_t>(i)] = editBox;
        connect(selector, &QComboBox::activated, this, [this, i] { selectorChosen(i + 1); });
    }
    grid->addWidget(insert, 1, 3);
    grid->addWidget(modify, 1, 4);
    grid->addWidget(clear, 3, 3);
    grid->addWidget(print, 3, 4);
    grid->addWidget(m_exit, 5, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addStretch();
}

void SettingsPanel::setUtilitySection(QWidget* section)
{
    m_layout->insertWidget(m_layout->count() - 1, section);
}

void SettingsPanel::disableEditBoxes()
{
    for (QLineEdit* box : m_editBoxes)
        box->setEnabled(false);
}

void SettingsPanel::resetEditing()
{
    setSelectorsEnabled(true);
    for (QLineEdit* box : m_editBoxes)
        setEditing(box, false);
}

void SettingsPanel::setSelectorsEnabled(bool enabled)
{
    for (QComboBox* selector : m_selectors)
        selector->setEnabled(enabled);
}

void SettingsPanel::setEditing(QLineEdit* box, bool editing)
{
    // Yellow while a chosen value is edited; otherwise the style's own colour.
    box->setStyleSheet(editing ? QStringLiteral("QLineEdit { background-color: rgb(255, 255, 0); }") : QString());
}

void SettingsPanel::selectorChosen(int column)
{
    QComboBox* chosen = selector(column);
    if (chosen->currentText().isEmpty())
        return;
    QLineEdit* box = editBox(column);
    box->setEnabled(true);
    box->setText(chosen->currentText());
    setEditing(box, true);
    box->setFocus();
    for (QComboBox* other : m_selectors)
        other->setEnabled(other == chosen);
}

void SettingsPanel::Command1_Click()
{
    for (int column = 1; column <= kListCount; ++column) {
        QLineEdit* box = editBox(column);
        const QString value = box->text();
        if (value.isEmpty())
            continue;
        if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral(" Vuoi effettuare l'inserimento ?"))) {
            box->clear();
            box->setFocus();
            return;
        }
        auto sheet = m_context.workbook().sheet(store::layout::kVarie);
        const auto row = sheet ? sheet->firstEmptyRow(column) : std::nullopt;
        if (!row) {
            m_context.dialogs.message(this, kProductName,
                                      QStringLiteral(" ERRORE- L'elenco è pieno: la colonna non ha più celle libere !"),
                                      MessageIcon::Stop);
            return;
        }
        sheet->setText(*row, column, value);
        saveThenTell(m_context, this, kProductName, QStringLiteral("Operazione eseguita !"), MessageIcon::Information);
        m_context.clearFields();
        setSelectorsEnabled(true);
        setEditing(box, false);
        box->setEnabled(false);
        fillLookupList(m_context.workbook(), column, *selector(column));
        if (m_context.lookupListsChanged)
            m_context.lookupListsChanged();
    }
}

void SettingsPanel::Command9_Click()
{
    for (int column = 1; column <= kListCount; ++column) {
        QComboBox* chosen = selector(column);
        QLineEdit* box = editBox(column);
        const QString value = box->text();
        const int position = chosen->currentIndex();
        if (position < 0 || value.isEmpty())
            continue;
        if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral("Vuoi modificare il campo ? ")))
            return;
        // Position 0 is the header of row 1, which the next activation writes back.
        if (auto sheet = m_context.workbook().sheet(store::layout::kVarie))
            sheet->setText(position + 1, column, value);
        saveThenTell(m_context, this, kProductName, QStringLiteral("Operazione eseguita !"), MessageIcon::Information);
        m_context.clearFields();
        setEditing(box, false);
        setSelectorsEnabled(true);
        fillLookupList(m_context.workbook(), column, *chosen);
        if (m_context.lookupListsChanged)
            m_context.lookupListsChanged();
    }
}

void SettingsPanel::Command3_Click()
{
    m_context.clearFields();
    resetEditing();
}

} // namespace quadrilo::settings
