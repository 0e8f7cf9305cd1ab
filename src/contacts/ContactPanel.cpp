#include "contacts/ContactPanel.h"

#include "desktop/Controls.h"
#include "contacts/ContactLists.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "store/TypedInput.h"

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

// ForceUpperCase: the text in capitals, the caret where it was.
void forceUpperCase(QLineEdit& field)
{
    const QString upper = field.text().toUpper();
    if (upper == field.text())
        return;
    const int caret = field.cursorPosition();
    field.setText(upper);
    field.setCursorPosition(caret);
}

QString textOf(const QWidget* widget)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(widget))
        return line->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    if (const auto* box = qobject_cast<const QPlainTextEdit*>(widget))
        return box->toPlainText();
    return {};
}

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
    auto* insert = makeButton("Command70", QStringLiteral("Inserisci "));
    auto* modify = makeButton("Command10", QStringLiteral("&Modifica"));
    auto* clear = makeButton("Command11", QStringLiteral("&Pulisci"));
    auto* remove = makeButton("Command73", QStringLiteral("&Elimina"));
    auto* print = makeButton("Command72", QStringLiteral("&Stampa"));
    m_print = print;
    m_exit = makeButton("Command12", QStringLiteral("&Esci"));
    for (QPushButton* button : {insert, modify, clear, remove, print, m_exit})
        buttons->addWidget(button);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(insert, &QPushButton::clicked, this, &ContactPanel::Command70_Click);
    connect(modify, &QPushButton::clicked, this, &ContactPanel::Command10_Click);
    connect(clear, &QPushButton::clicked, this, &ContactPanel::Command11_Click);
    connect(remove, &QPushButton::clicked, this, &ContactPanel::Command73_Click);

    m_chooser = makeEditableCombo("Combo4");
    connect(m_chooser, &QComboBox::activated, this, &ContactPanel::Combo4_Click);
    m_type = makeEditableCombo("Combo3");
    m_id = makeLineEdit("Text10", 0, true);
    m_id->setReadOnly(true);
    m_id->setStyleSheet(QStringLiteral("QLineEdit { background-color: rgb(224, 224, 224); }"));
    m_name = makeLineEdit("Text26");
    m_name->setToolTip(QStringLiteral(
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

    auto* fiscalCode = makeLineEdit("Text19", 16);
    // Names and fiscal codes are kept in capitals, whatever is typed.
    for (QLineEdit* upper : {m_name, fiscalCode})
        connect(upper, &QLineEdit::textChanged, upper, [upper] { forceUpperCase(*upper); });

    namespace col = store::layout::contact;
    const auto field = [this](int column, QWidget* widget) {
        m_fields[static_cast<size_t>(column - 1)] = widget;
        return widget;
    };
    field(col::kId, m_id);
    auto* grid = new QGridLayout;
    addCaptionedField(grid, 0, 0, QStringLiteral("Seleziona Contatto"), m_chooser, 3);
    addCaptionedField(grid, 0, 3, QStringLiteral("Data"), field(col::kDate, makeLineEdit("Text18", 10, true)));
    grid->addWidget(resetCounter, 0, 4);
    grid->addWidget(changeId, 1, 4);
    addCaptionedField(grid, 2, 0, QStringLiteral("INSERISCI-Ragione Sociale/Cognome-Nome"), field(col::kName, m_name), 3);
    addCaptionedField(grid, 2, 3, QStringLiteral("Tipo Contatto"), field(col::kType, m_type));
    addCaptionedField(grid, 2, 4, QStringLiteral("ID Progressivo"), m_id);
    addCaptionedField(grid, 4, 0, QStringLiteral("Indirizzo"), field(col::kAddress, makeLineEdit("Text25")), 2);
    addCaptionedField(grid, 4, 2, QStringLiteral("C.A.P."), field(col::kPostalCode, makeLineEdit("Text24", 5)));
    addCaptionedField(grid, 4, 3, QStringLiteral("Località"), field(col::kTown, makeLineEdit("Text23")));
    addCaptionedField(grid, 4, 4, QStringLiteral("(PR)"), field(col::kProvince, makeLineEdit("Text22", 2, true)));
    addCaptionedField(grid, 6, 0, QStringLiteral("Telefono"), field(col::kTelephone, makeLineEdit("Text21")));
    addCaptionedField(grid, 6, 1, QStringLiteral("Fax"), field(col::kFax, makeLineEdit("Text20")));
    addCaptionedField(grid, 6, 2, QStringLiteral("Cellullare"), field(col::kMobile, makeLineEdit("Text15")));
    addCaptionedField(grid, 6, 3, QStringLiteral("E-Mail"), field(col::kEmail, makeLineEdit("Text16")), 2);
    addCaptionedField(grid, 8, 0, QStringLiteral("Codice Fiscale"), field(col::kFiscalCode, fiscalCode));
    addCaptionedField(grid, 8, 1, QStringLiteral("Partita IVA"), field(col::kVatNumber, makeLineEdit("Text11", 11)));
    addCaptionedField(grid, 8, 2, QStringLiteral("Referente/Legale Rappresentante"), field(col::kReference, makeLineEdit("Text7")), 3);
    addCaptionedField(grid, 10, 0, QStringLiteral("Annotazioni"), field(col::kRemarks, makeBox("Text12")), 5);
    auto* note = makeBox("Text13");
    note->setAccessibleName(QStringLiteral("Nota"));
    grid->addWidget(field(col::kNote, note), 12, 0, 1, 5);
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

ContactTexts ContactPanel::fields() const
{
    ContactTexts texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = textOf(m_fields[i]);
    return texts;
}

void ContactPanel::setFields(const ContactTexts& texts)
{
    // B to Q first, then the ID, as a contact is shown.
    for (size_t i = 1; i < texts.size(); ++i)
        showStoredText(m_fields[i], texts[i]);
    showStoredText(m_fields[0], texts[0]);
}

bool ContactPanel::fieldsFit()
{
    for (const QString& text : fields())
        if (text.size() > store::Sheet::kMaxTextLength) {
            m_context.dialogs.message(
                this, kProductName,
                QStringLiteral(" ERRORE- Un campo supera i %1 caratteri che una cella può contenere !").arg(store::Sheet::kMaxTextLength),
                MessageIcon::None);
            return false;
        }
    return true;
}

void ContactPanel::Command70_Click()
{
    if (m_name->text().isEmpty()) {
        m_context.dialogs.message(this, kProductName, QStringLiteral(" ERRORE- Il Campo RAGIONE/COGNOME deve essere compilato"),
                                  MessageIcon::None);
        m_name->setFocus();
        return;
    }
    if (!fieldsFit())
        return;
    if (!m_context.dialogs.askYesNo(this, QStringLiteral("Brenvaldo"), QStringLiteral(" Vuoi Inserire questo Cliente ?"))) {
        m_context.clearFields();
        return;
    }
    store::Workbook& workbook = m_context.workbook();
    auto sheet = workbook.sheet(layout::kCliente);
    // The first row without an id, even when its other columns hold data.
    const auto row = sheet ? sheet->firstEmptyRow(layout::contact::kId) : std::nullopt;
    if (!row) {
        m_context.dialogs.message(this, kProductName,
                                  QStringLiteral(" ERRORE- La rubrica è piena: il foglio Cliente non ha più righe libere !"),
                                  MessageIcon::Stop);
        return;
    }
    const long long id = contactCounter(workbook);
    m_id->setText(QString::number(id));
    writeContactFields(*sheet, *row, fields());
    sheet->setNumber(*row, layout::contact::kId, static_cast<double>(id));
    setContactCounter(workbook, id + 1);
    sortContacts(workbook);
    saveThenTell(m_context, this, kProductName, QStringLiteral(" Contatto aggiunto"), MessageIcon::Information);
    m_context.clearFields();
    fillContactList();
}

void ContactPanel::Combo4_Click(int position)
{
    if (position < 0 || m_chooser->currentText().isEmpty())
        return;
    const auto sheet = m_context.workbook().sheet(layout::kCliente);
    if (sheet)
        setFields(readContact(*sheet, position + 2));
}

void ContactPanel::Command10_Click()
{
    // The row is the chosen entry's; with no entry chosen (a text typed by
    // hand) there is no row, and the header row is never written.
    const int position = m_chooser->currentIndex();
    if (m_chooser->currentText().isEmpty() || position < 0 || m_chooser->itemText(position) != m_chooser->currentText()) {
        m_context.dialogs.message(this, kProductName, QStringLiteral(" Il campo :  CLIENTE  , deve essere compilato"),
                                  MessageIcon::Information);
        m_chooser->setFocus();
        return;
    }
    if (!fieldsFit())
        return;
    auto sheet = m_context.workbook().sheet(layout::kCliente);
    if (!sheet)
        return;
    const int row = position + 2;
    writeContactFields(*sheet, row, fields());
    // The ID is written when it is a number; an emptied ID field would leave
    // the row without one, to be written over by the next new contact.
    bool isNumber = false;
    const double id = m_id->text().toDouble(&isNumber);
    if (isNumber)
        sheet->setNumber(row, layout::contact::kId, id);
    saveThenTell(m_context, this, kProductName, QStringLiteral("Cliente modificato"), MessageIcon::None);
    m_context.clearFields();
    fillContactList();
}

void ContactPanel::Command73_Click()
{
    if (m_name->text().isEmpty()) {
        m_context.dialogs.message(this, kProductName, QStringLiteral("Bisogna Selezionare il Contatto ......."),
                                  MessageIcon::Information);
        return;
    }
    if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral("Si vuole Eliminare il Contatto  Selezionato ?")))
        return;
    auto sheet = m_context.workbook().sheet(layout::kCliente);
    if (!sheet)
        return;
    sheet->activate();
    const QString idText = m_id->text();
    if (const auto row = findContactById(*sheet, store::leadingNumber(idText))) {
        sheet->select(store::CellRef{*row, layout::contact::kId});
        sheet->deleteRow(*row);
        saveThenTell(m_context, this, kProductName, QStringLiteral("Contatto eliminato"), MessageIcon::Information);
    } else {
        m_context.dialogs.message(this, kProductName,
                                  QStringLiteral(" ERRORE: Nessun contatto ha l'ID %1: nulla è stato eliminato !").arg(idText),
                                  MessageIcon::Stop);
    }
    m_context.clearFields();
    fillContactList();
}

void ContactPanel::Command11_Click()
{
    m_context.clearFields();
    fillContactList();
}

} // namespace quadrilo::contacts
