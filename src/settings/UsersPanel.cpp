#include "settings/UsersPanel.h"

#include "desktop/Controls.h"
#include "store/Layout.h"
#include "store/Sheet.h"
#include "store/TypedInput.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace quadrilo::settings {

namespace layout = store::layout;
namespace varie = store::layout::varie;

namespace {

struct OwnerField {
    const char* name;
    const char* caption;
    int maxLength;
    const layout::CellLocation* cell;
};

const OwnerField kOwnerFields[6] = {
    {"Text40", "Denominazione/Ragione sociale/Cognome nome", 70, &layout::kOwnerName},
    {"Text41", "Sede/Indirizzo/Città", 70, &layout::kOwnerSeat},
    {"Text42", "Codice Fiscale", 16, &layout::kOwnerFiscalCode},
    {"Text43", "Partita IVA", 11, &layout::kOwnerVatNumber},
    {"Text8", "Password Excel (max 8 caratteri)", 8, &layout::kHostPassword},
    {"Text14", "Password Accesso Area", 8, &layout::kUsersPassword},
};

// Column widths of the users list, in twips, K to P.
constexpr int kUserColumnTwips[6] = {400, 1500, 1500, 1500, 1000, 3000};

const QString kWrongPassword = QStringLiteral("ERRORE: La Password  di Accesso è ERRATA");

} // namespace

UsersPanel::UsersPanel(PanelContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Utente/Password"), parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Frame7"));
    auto* layout = new QVBoxLayout(this);

    // The users who may log in.
    layout->addWidget(new QLabel(QStringLiteral("Inserisci/Modifica Utenti Abilitati")));
    auto* userGrid = new QGridLayout;
    userGrid->addWidget(new QLabel(QStringLiteral("ID")), 0, 0);
    m_id = new QLabel;
    m_id->setObjectName(QStringLiteral("Label59"));
    userGrid->addWidget(m_id, 1, 0);
    const char* names[4] = {"Text44", "Text45", "Text46", "Text47"};
    const char* captions[4] = {"Cognome", "Nome", "UserID", "Password"};
    for (int i = 0; i < 4; ++i) {
        m_user[static_cast<size_t>(i)] = makeLineEdit(names[i]);
        addCaptionedField(userGrid, 0, i + 1, QString::fromLatin1(captions[i]), m_user[static_cast<size_t>(i)]);
    }
    layout->addLayout(userGrid);
    auto* userButtons = new QHBoxLayout;
    m_addOrModify = makeButton("Command7", QStringLiteral("&Abilita"));
    auto* remove = makeButton("Command23", QStringLiteral("&Cancella Utente"));
    auto* clear = makeButton("Command28", QStringLiteral("&Pulisci i campi"));
    auto* exit = makeButton("Command25", QStringLiteral("&Esci"));
    for (QPushButton* button : {m_addOrModify, remove, clear, exit})
        userButtons->addWidget(button);
    userButtons->addStretch();
    layout->addLayout(userButtons);
    auto* listCaption = new QLabel(QStringLiteral("Utenti Abilitati"));
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("ListView2"));
    m_list->setRootIsDecorated(false);
    m_list->setMinimumHeight(120);
    listCaption->setBuddy(m_list);
    m_list->setAccessibleName(listCaption->text());
    layout->addWidget(listCaption);
    layout->addWidget(m_list, 1);

    // The owner and the two access passwords.
    layout->addWidget(new QLabel(QStringLiteral("Anagrafica Utente ")));
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        auto* field = makeLineEdit(kOwnerFields[i].name, kOwnerFields[i].maxLength);
        auto* caption = new QLabel(QString::fromUtf8(kOwnerFields[i].caption));
        caption->setBuddy(field);
        grid->addWidget(caption, static_cast<int>(i), 0);
        grid->addWidget(field, static_cast<int>(i), 1);
        m_fields[i] = field;
    }
    auto* saveOwner = makeButton("cmd24", QStringLiteral("&Inserici/Modifica"));
    grid->addWidget(saveOwner, static_cast<int>(m_fields.size()), 1, Qt::AlignLeft);
    layout->addLayout(grid);

    connect(m_list, &QTreeWidget::itemClicked, this, &UsersPanel::ListView2_ItemClick);
    connect(m_list, &QTreeWidget::itemActivated, this, &UsersPanel::ListView2_ItemClick);
    connect(m_addOrModify, &QPushButton::clicked, this, &UsersPanel::Command7_Click);
    connect(remove, &QPushButton::clicked, this, &UsersPanel::Command23_Click);
    connect(clear, &QPushButton::clicked, this, &UsersPanel::Command28_Click);
    connect(exit, &QPushButton::clicked, this, &UsersPanel::Command25_Click);
    connect(saveOwner, &QPushButton::clicked, this, &UsersPanel::cmd24_Click);
}

void UsersPanel::showOwnerData()
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const layout::CellLocation& cell = *kOwnerFields[i].cell;
        const auto sheet = m_context.workbook().sheet(cell.sheet);
        showStoredText(m_fields[i], sheet ? sheet->text(cell.row, cell.column) : QString());
    }
}

void UsersPanel::openArea()
{
    const QString typed = m_context.dialogs
                              .inputBox(this, kProductName, QStringLiteral("Digita  la Password  di Accesso Area Utenti"))
                              .value_or(QString());
    const auto sheet = m_context.workbook().sheet(layout::kVarie);
    const auto& cell = layout::kUsersPassword;
    const QString password = sheet ? sheet->text(cell.row, cell.column) : QString();
    if (typed == password) {
        // The boxes may have been emptied by another panel's clearing since:
        // what is shown is what the workbook holds.
        showOwnerData();
        show();
        refreshUsersList();
    }
    // An empty password opens the area, and is reported all the same.
    if (typed != password || typed.isEmpty())
        m_context.dialogs.message(this, kProductName, kWrongPassword, MessageIcon::None);
}

void UsersPanel::refreshUsersList()
{
    m_list->clear();
    auto sheet = m_context.workbook().sheet(layout::kVarie);
    if (!sheet)
        return;
    QStringList headers;
    for (int column = varie::kUserId; column <= varie::kUserAccess; ++column)
        headers << sheet->text(1, column);
    m_list->setHeaderLabels(headers);
    for (int i = 0; i < 6; ++i)
        m_list->header()->resizeSection(i, twipsToPixels(kUserColumnTwips[i], *m_list));
    sheet->activate();
    const int last = sheet->endDown(2, varie::kUserId);
    QList<QTreeWidgetItem*> items;
    for (int row = 2; row <= last && !sheet->isEmpty(row, varie::kUserId); ++row)
        items << new QTreeWidgetItem(sheet->rowTexts(row, varie::kUserId, varie::kUserAccess));
    m_list->addTopLevelItems(items);
}

void UsersPanel::ListView2_ItemClick(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_id->setText(item->text(0));
    for (int i = 0; i < 4; ++i)
        showStoredText(m_user[static_cast<size_t>(i)], item->text(i + 1));
    m_addOrModify->setText(QStringLiteral("&Modifica"));
}

std::optional<int> UsersPanel::findUser(const QString& id) const
{
    const auto sheet = m_context.workbook().sheet(layout::kVarie);
    if (!sheet || id.isEmpty())
        return std::nullopt;
    const int last = sheet->endDown(2, varie::kUserId);
    for (int row = 2; row <= last; ++row)
        if (!sheet->isEmpty(row, varie::kUserId) && sheet->text(row, varie::kUserId) == id)
            return row;
    return std::nullopt;
}

bool UsersPanel::hasOtherLogin(const store::Sheet& sheet, int row)
{
    const int last = sheet.lastUsedRow();
    for (int other = 2; other <= last; ++other)
        if (other != row && !sheet.isEmpty(other, varie::kUserLogin) && !sheet.isEmpty(other, varie::kUserPassword))
            return true;
    return false;
}

void UsersPanel::setAddMode()
{
    m_id->clear();
    m_addOrModify->setText(QStringLiteral("&Abilita"));
}

void UsersPanel::Command7_Click()
{
    for (QLineEdit* field : m_user)
        if (field->text().isEmpty()) {
            m_context.dialogs.message(this, kProductName,
                                      QStringLiteral(" ERRORE- Tutti i  campi devono essere compilati per Abilitare gli Utenti"),
                                      MessageIcon::Information);
            return;
        }
    auto sheet = m_context.workbook().sheet(layout::kVarie);
    if (!sheet)
        return;
    const auto writeUser = [&](int row) {
        for (int i = 0; i < 4; ++i)
            sheet->setText(row, varie::kUserSurname + i, m_user[static_cast<size_t>(i)]->text());
    };

    if (m_addOrModify->text() == QLatin1String("&Abilita")) {
        if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral(" Vuoi Abilitare questo Utente ?"))) {
            m_user[0]->setFocus();
            return;
        }
        // Under the next id, in the first row without a first name (an emptied one included).
        const auto row = layout::addUser(m_context.workbook(), layout::UserEntry{m_user[0]->text(), m_user[1]->text(),
                                                                                 m_user[2]->text(), m_user[3]->text()});
        if (!row) {
            m_context.dialogs.message(this, kProductName,
                                      QStringLiteral(" ERRORE- L'elenco degli utenti è pieno: il foglio Varie non ha più righe libere !"),
                                      MessageIcon::Stop);
            return;
        }
        m_id->clear();
        saveThenTell(m_context, this, QStringLiteral(" Quadrilo"), QStringLiteral("Operazione eseguita !"), MessageIcon::Information);
        refreshUsersList();
        return;
    }

    if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral("Vuoi modificare l'Utente  selezionato  ?")))
        return;
    sheet->activate();
    if (const auto row = findUser(m_id->text()))
        writeUser(*row);
    refreshUsersList();
    setAddMode();
    m_context.saveWorkbook();
}

void UsersPanel::Command23_Click()
{
    // With no user chosen there is nothing to delete: no row is touched.
    if (m_id->text().isEmpty()) {
        m_context.dialogs.message(this, kProductName, QStringLiteral(" ERRORE: Selezionare prima l'Utente dall'elenco !"),
                                  MessageIcon::Information);
        return;
    }
    auto sheet = m_context.workbook().sheet(layout::kVarie);
    if (!sheet)
        return;
    const auto row = findUser(m_id->text());
    // Without a user who can log in nobody could ever enter the program again.
    if (row && !hasOtherLogin(*sheet, *row)) {
        m_context.dialogs.message(
            this, kProductName,
            QStringLiteral(" ERRORE: Non si può eliminare l'ultimo Utente abilitato: nessuno potrebbe più entrare nel programma !"),
            MessageIcon::Stop);
        return;
    }
    if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral("Vuoi eliminare l'Utente  selezionato  ?")))
        return;
    if (row && !m_context.loggedInUser.isEmpty() && sheet->text(*row, varie::kUserLogin) == m_context.loggedInUser
        && !m_context.dialogs.askYesNo(this, kProductName,
                                       QStringLiteral("L'Utente selezionato è quello con cui si è entrati nel programma: "
                                                      "dopo l'uscita non potrà più entrare con il nome %1.\n"
                                                      "Vuoi eliminarlo ugualmente ?")
                                           .arg(m_context.loggedInUser)))
        return;
    sheet->activate();
    if (row)
        for (int column = varie::kUserId; column <= varie::kUserPassword; ++column)
            sheet->clear(*row, column);
    refreshUsersList();
    for (QLineEdit* field : m_user)
        field->clear();
    setAddMode();
    m_context.saveWorkbook();
}

void UsersPanel::Command28_Click()
{
    for (QLineEdit* field : m_user)
        field->clear();
}

void UsersPanel::Command25_Click()
{
    sortUsers(m_context.workbook());
    for (QLineEdit* field : m_user)
        field->clear();
    hide();
    m_context.saveWorkbook();
}

void UsersPanel::cmd24_Click()
{
    if (m_fields[0]->text().isEmpty()) {
        m_context.dialogs.message(this, QStringLiteral(" Quadrilo"), QStringLiteral("ERRORE- Il Campo non può esser vuoto  !"),
                                  MessageIcon::Information);
        return;
    }
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const layout::CellLocation& cell = *kOwnerFields[i].cell;
        QString text = m_fields[i]->text();
        if (&cell == &layout::kOwnerFiscalCode)
            text = text.toUpper();
        if (auto sheet = m_context.workbook().sheet(cell.sheet))
            sheet->setText(cell.row, cell.column, text);
    }
    saveThenTell(m_context, this, QStringLiteral(" Quadrilo"),
                 QStringLiteral("Operazione eseguita !\nATTENZIONE , prima di uscire trascrivere il luogo sicuro le "
                                "Password Accesso al foglio di EXCEL\n e la Password Accesso AREA UTENTI "),
                 MessageIcon::Information);
}

void sortUsers(store::Workbook& workbook)
{
    auto sheet = workbook.sheet(layout::kVarie);
    if (!sheet)
        return;
    sheet->activate();
    // Every row of the table, however many: emptied rows go last.
    const int last = std::max(3, sheet->lastUsedRow());
    sheet->sort(store::RangeRef::cells(2, varie::kUserId, last, varie::kUserAccess), varie::kUserId, true, false);
}

} // namespace quadrilo::settings
