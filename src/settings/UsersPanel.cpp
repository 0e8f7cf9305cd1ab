#include "settings/UsersPanel.h"

#include "store/Layout.h"
#include "store/Sheet.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace quadrilo::settings {

namespace layout = store::layout;

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

} // namespace

UsersPanel::UsersPanel(PanelContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Utente/Password"), parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Frame7"));
    auto* grid = new QGridLayout(this);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        auto* field = new QLineEdit;
        field->setObjectName(QString::fromLatin1(kOwnerFields[i].name));
        field->setMaxLength(kOwnerFields[i].maxLength);
        auto* caption = new QLabel(QString::fromUtf8(kOwnerFields[i].caption));
        caption->setBuddy(field);
        grid->addWidget(caption, static_cast<int>(i), 0);
        grid->addWidget(field, static_cast<int>(i), 1);
        m_fields[i] = field;
    }
    grid->setRowStretch(static_cast<int>(m_fields.size()), 1);
}

void UsersPanel::showOwnerData()
{
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const layout::CellLocation& cell = *kOwnerFields[i].cell;
        const auto sheet = m_context.workbook().sheet(cell.sheet);
        // The stored text is shown whole, even beyond the length a user may type.
        const QString text = sheet ? sheet->text(cell.row, cell.column) : QString();
        m_fields[i]->setMaxLength(std::max(kOwnerFields[i].maxLength, static_cast<int>(text.size())));
        m_fields[i]->setText(text);
    }
}

} // namespace quadrilo::settings
