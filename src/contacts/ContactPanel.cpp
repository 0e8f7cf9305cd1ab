#include "contacts/ContactPanel.h"

#include "app/seams/Controls.h"
#include "contacts/ContactLists.h"
#include "store/Layout.h"
#include "store/Sheet.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QIntValidator>
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

QPlainTextEdit* makeBox(const char* name)
{
    auto* box = new QPlainTextEdit;
    box->setObjectName(QString::fromLatin1(name));
    box->setTabChangesFocus(true);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 12);
    return box;
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

    m_chooser = makeEditableCombo("Combo4");
    m_type = makeEditableCombo("Combo3");
    m_id = makeLineEdit("Text10", 0, true);
    m_id->setReadOnly(true);
    m_id->setStyleSheet(QStringLiteral("QLineEdit { background-color: rgb(224, 224, 224); }"));
    auto* name = makeLineEdit("Text26");
    name->setToolTip(QStringLiteral(
        "Occorre Selezionare il Cliente , se non presente bisogna accedere alla Maschera Assegnazione Cliente"));
    auto* resetCounter = new QCheckBox(QStringLiteral("Azzera Contatore "));
    resetCounter->setObjectName(QStringLiteral("Check6"));
    auto* changeId = new QCheckBox(QStringLiteral("Cambia IDProgressivo"));
    changeId->setObjectName(QStringLiteral("Check7"));
    connect(resetCounter, &QCheckBox::toggled, this, &ContactPanel::Check6_Click);
    connect(changeId, &QCheckBox::toggled, this, &ContactPanel::Check7_Click);
    // Only whole numbers can be typed as the next id.
    m_id->setValidator(new QIntValidator(1, 999999, m_id));
    m_id->installEventFilter(this);

    auto* grid = new QGridLayout;
    addCaptionedField(grid, 0, 0, QStringLiteral("Seleziona Contatto"), m_chooser, 3);
    addCaptionedField(grid, 0, 3, QStringLiteral("Data"), makeLineEdit("Text18", 10, true));
    grid->addWidget(resetCounter, 0, 4);
    grid->addWidget(changeId, 1, 4);
    addCaptionedField(grid, 2, 0, QStringLiteral("INSERISCI-Ragione Sociale/Cognome-Nome"), name, 3);
    addCaptionedField(grid, 2, 3, QStringLiteral("Tipo Contatto"), m_type);
    addCaptionedField(grid, 2, 4, QStringLiteral("ID Progressivo"), m_id);
    addCaptionedField(grid, 4, 0, QStringLiteral("Indirizzo"), makeLineEdit("Text25"), 2);
    addCaptionedField(grid, 4, 2, QStringLiteral("C.A.P."), makeLineEdit("Text24", 5));
    addCaptionedField(grid, 4, 3, QStringLiteral("Località"), makeLineEdit("Text23"));
    addCaptionedField(grid, 4, 4, QStringLiteral("(PR)"), makeLineEdit("Text22", 2, true));
    addCaptionedField(grid, 6, 0, QStringLiteral("Telefono"), makeLineEdit("Text21"));
    addCaptionedField(grid, 6, 1, QStringLiteral("Fax"), makeLineEdit("Text20"));
    addCaptionedField(grid, 6, 2, QStringLiteral("Cellullare"), makeLineEdit("Text15"));
    addCaptionedField(grid, 6, 3, QStringLiteral("E-Mail"), makeLineEdit("Text16"), 2);
    addCaptionedField(grid, 8, 0, QStringLiteral("Codice Fiscale"), makeLineEdit("Text19", 16));
    addCaptionedField(grid, 8, 1, QStringLiteral("Partita IVA"), makeLineEdit("Text11", 11));
    addCaptionedField(grid, 8, 2, QStringLiteral("Referente/Legale Rappresentante"), makeLineEdit("Text7"), 3);
    addCaptionedField(grid, 10, 0, QStringLiteral("Annotazioni"), makeBox("Text12"), 5);
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

void ContactPanel::Check6_Click(bool ticked)
{
    if (!ticked)
        return;
    const auto& cell = layout::kContactIdCounter;
    if (auto sheet = m_context.workbook().sheet(cell.sheet))
        sheet->setNumber(cell.row, cell.column, 1);
    showContactCounter();
    findChild<QCheckBox*>(QStringLiteral("Check6"))->setChecked(false);
    m_context.saveWorkbook();
}

void ContactPanel::Check7_Click(bool ticked)
{
    if (!ticked)
        return;
    m_id->setReadOnly(false);
    m_context.dialogs.message(this, QStringLiteral(" Brenvaldo"),
                              QStringLiteral("Ora puoi Cambiare il Progressivo compilando il campo ID PROGRESSIVO"),
                              MessageIcon::Information);
    m_id->clear();
    m_id->setFocus();
    findChild<QCheckBox*>(QStringLiteral("Check7"))->setChecked(false);
}

bool ContactPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Another window taking the focus (a message box) is not leaving the field.
    if (watched == m_id && event->type() == QEvent::FocusOut && !m_id->isReadOnly()
        && static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason)
        Text10_LostFocus();
    return QGroupBox::eventFilter(watched, event);
}

void ContactPanel::Text10_LostFocus()
{
    const QString text = m_id->text();
    m_id->setReadOnly(true);
    if (text.isEmpty())
        return;
    const auto& cell = layout::kContactIdCounter;
    if (auto sheet = m_context.workbook().sheet(cell.sheet))
        sheet->setNumber(cell.row, cell.column, text.toDouble());
    m_context.saveWorkbook();
}

} // namespace quadrilo::contacts
