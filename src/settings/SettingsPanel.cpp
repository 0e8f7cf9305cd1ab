#include "settings/SettingsPanel.h"

#include "app/seams/Controls.h"

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
    m_exit = makeButton("Command2", QStringLiteral("&Esci"));
    // Editing the lists and printing them are not part of this program yet.
    for (QPushButton* later : {insert, modify, clear, print})
        later->setEnabled(false);

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
    for (QComboBox* selector : m_selectors)
        selector->setEnabled(true);
    // The window colour is the style's own: no colour of ours.
    for (QLineEdit* box : m_editBoxes)
        box->setStyleSheet(QString());
}

} // namespace quadrilo::settings
