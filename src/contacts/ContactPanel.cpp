#include "contacts/ContactPanel.h"

#include "contacts/ContactLists.h"
#include "store/Layout.h"
#include "store/Sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quadrilo::contacts {

namespace layout = store::layout;

namespace {

QLineEdit* makeLine(const char* name, int maxLength = 0, bool centred = false)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    if (centred)
        edit->setAlignment(Qt::AlignCenter);
    return edit;
}

QPlainTextEdit* makeBox(const char* name)
{
    auto* box = new QPlainTextEdit;
    box->setObjectName(QString::fromLatin1(name));
    box->setTabChangesFocus(true);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 12);
    return box;
}

QPushButton* makeButton(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// Each caption stands just above its field and is its buddy.
void addField(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field, int columnSpan = 1)
{
    if (!caption.isEmpty()) {
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        grid->addWidget(label, row, column, 1, columnSpan);
    }
    grid->addWidget(field, row + 1, column, 1, columnSpan);
}

} // namespace

ContactPanel::ContactPanel(PanelContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Gestione Contatto"), parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Frame3"));
    auto* layout = new QVBoxLayout(this);

    auto* buttons = new QHBoxLayout;
    // The address book commands are not part of this program yet: only the
    // exit works.
    for (auto [name, caption] : {std::pair{"Command70", "Inserisci "}, std::pair{"Command10", "&Modifica"},
                                 std::pair{"Command11", "&Pulisci"}, std::pair{"Command73", "&Elimina"},
                                 std::pair{"Command72", "&Stampa"}}) {
        auto* button = makeButton(name, QString::fromUtf8(caption));
        button->setEnabled(false);
        buttons->addWidget(button);
    }
    m_exit = makeButton("Command12", QStringLiteral("&Esci"));
    buttons->addWidget(m_exit);
    buttons->addStretch();
    layout->addLayout(buttons);

    m_chooser = new QComboBox;
    m_chooser->setObjectName(QStringLiteral("Combo4"));
    m_chooser->setEditable(true);
    m_chooser->setInsertPolicy(QComboBox::NoInsert);
    m_type = new QComboBox;
    m_type->setObjectName(QStringLiteral("Combo3"));
    m_type->setEditable(true);
    m_type->setInsertPolicy(QComboBox::NoInsert);
    m_id = makeLine("Text10", 0, true);
    m_id->setReadOnly(true);
    m_id->setStyleSheet(QStringLiteral("QLineEdit { background-color: rgb(224, 224, 224); }"));
    auto* name = makeLine("Text26");
    name->setToolTip(QStringLiteral(
        "Occorre Selezionare il Cliente , se non presente bisogna accedere alla Maschera Assegnazione Cliente"));
    auto* resetCounter = new QCheckBox(QStringLiteral("Azzera Contatore "));
    resetCounter->setObjectName(QStringLiteral("Check6"));
    auto* changeId = new QCheckBox(QStringLiteral("Cambia IDProgressivo"));
    changeId->setObjectName(QStringLiteral("Check7"));
    resetCounter->setEnabled(false);
    changeId->setEnabled(false);

    auto* grid = new QGridLayout;
    addField(grid, 0, 0, QStringLiteral("Seleziona Contatto"), m_chooser, 3);
    addField(grid, 0, 3, QStringLiteral("Data"), makeLine("Text18", 10, true));
    grid->addWidget(resetCounter, 0, 4);
    grid->addWidget(changeId, 1, 4);
    addField(grid, 2, 0, QStringLiteral("INSERISCI-Ragione Sociale/Cognome-Nome"), name, 3);
    addField(grid, 2, 3, QStringLiteral("Tipo Contatto"), m_type);
    addField(grid, 2, 4, QStringLiteral("ID Progressivo"), m_id);
    addField(grid, 4, 0, QStringLiteral("Indirizzo"), makeLine("Text25"), 2);
    addField(grid, 4, 2, QStringLiteral("C.A.P."), makeLine("Text24", 5));
    addField(grid, 4, 3, QStringLiteral("Località"), makeLine("Text23"));
    addField(grid, 4, 4, QStringLiteral("(PR)"), makeLine("Text22", 2, true));
    addField(grid, 6, 0, QStringLiteral("Telefono"), makeLine("Text21"));
    addField(grid, 6, 1, QStringLiteral("Fax"), makeLine("Text20"));
    addField(grid, 6, 2, QStringLiteral("Cellullare"), makeLine("Text15"));
    addField(grid, 6, 3, QStringLiteral("E-Mail"), makeLine("Text16"), 2);
    addField(grid, 8, 0, QStringLiteral("Codice Fiscale"), makeLine("Text19", 16));
    addField(grid, 8, 1, QStringLiteral("Partita IVA"), makeLine("Text11", 11));
    addField(grid, 8, 2, QStringLiteral("Referente/Legale Rappresentante"), makeLine("Text7"), 3);
    addField(grid, 10, 0, QStringLiteral("Annotazioni"), makeBox("Text12"), 5);
    auto* note = makeBox("Text13");
    note->setAccessibleName(QStringLiteral("Nota"));
    grid->addWidget(note, 12, 0, 1, 5);
    layout->addLayout(grid);
    layout->addStretch();
}

void ContactPanel::fillContactList()
{
    contacts::fillContactList(*m_chooser, m_context.workbook());
}

void ContactPanel::ensureContactCounter()
{
    const auto& cell = layout::kContactIdCounter;
    auto sheet = m_context.workbook().sheet(cell.sheet);
    if (sheet && sheet->isEmpty(cell.row, cell.column))
        sheet->setNumber(cell.row, cell.column, 1);
}

void ContactPanel::showContactCounter()
{
    const auto& cell = layout::kContactIdCounter;
    const auto sheet = m_context.workbook().sheet(cell.sheet);
    m_id->setText(sheet ? sheet->text(cell.row, cell.column) : QString());
}

} // namespace quadrilo::contacts
