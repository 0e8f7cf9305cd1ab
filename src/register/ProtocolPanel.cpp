#include "register/ProtocolPanel.h"

#include "register/ClearFields.h"
#include "desktop/Controls.h"
#include "store/Sheet.h"
#include "store/TypedInput.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QWidgetAction>
#include <QToolButton>
#include <QScrollBar>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace quadrilo::protocol {

namespace layout = store::layout;

namespace {

constexpr int kNumberDigits = 5;

QString entrataOrUscita(RegisterKind kind)
{
    return kind == RegisterKind::Entrata ? QStringLiteral("Entrata") : QStringLiteral("Uscita");
}

} // namespace

ProtocolPanel::ProtocolPanel(PanelContext& context, QWidget* parent)
    : QGroupBox(kProductName, parent)
    , m_context(context)
    , m_listModel(this)
{
    setObjectName(QStringLiteral("Frame1"));
    auto* layout = new QVBoxLayout(this);

    m_title = new QLabel;
    m_title->setObjectName(QStringLiteral("Label36"));
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    m_title->setFont(titleFont);
    m_mode = new QLabel(this);
    m_mode->setObjectName(QStringLiteral("Label37"));
    m_mode->hide();
    layout->addWidget(m_title);

    buildFields(layout);
    buildCommands(layout);

    m_calendarFrame = new QGroupBox(QStringLiteral("Calendario"));
    m_calendarFrame->setObjectName(QStringLiteral("Frame2"));
    auto* calendarLayout = new QVBoxLayout(m_calendarFrame);
    m_calendar = new QCalendarWidget;
    m_calendar->setObjectName(QStringLiteral("Calendario"));
    m_calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    calendarLayout->addWidget(m_calendar);
    m_calendarFrame->hide();
    connect(m_pickDate, &QCheckBox::toggled, this, &ProtocolPanel::datePickerToggled);
    connect(m_pickDocumentDate, &QCheckBox::toggled, this, &ProtocolPanel::datePickerToggled);
    connect(m_calendar, &QCalendarWidget::clicked, this, &ProtocolPanel::Calendario_Click);
    // Enter on a day picks it too, for the keyboard.
    connect(m_calendar, &QCalendarWidget::activated, this, &ProtocolPanel::Calendario_Click);
    layout->addWidget(m_calendarFrame);

    m_pickerArea = new QVBoxLayout;
    layout->addLayout(m_pickerArea);

    auto* listCaption = new QLabel(QStringLiteral("Lista/ Seleziona  Protocolli"));
    m_list = new QTreeView;
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(false);
    m_list->setModel(&m_listModel);
    listCaption->setBuddy(m_list);
    m_list->setAccessibleName(listCaption->text());
    connect(m_list, &QTreeView::clicked, this, &ProtocolPanel::ListView1_ItemClick);
    // Enter on a row loads it too, for the keyboard.
    connect(m_list, &QTreeView::activated, this, &ProtocolPanel::ListView1_ItemClick);
    layout->addWidget(listCaption);
    layout->addLayout(buildSearch());
    layout->addWidget(m_list, 1);

    // Keyboard order: the fields as a record reads, the number last.
    QWidget* order[] = {m_date, m_correspondenceType, m_documentType, m_documentDate, m_correspondent,
                        m_subject, m_note, m_attachments, m_sector, m_assignee, m_number};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void ProtocolPanel::buildFields(QVBoxLayout* layout)
{
    m_number = makeLineEdit("Text1", kNumberDigits, true);
    m_number->setReadOnly(true);
    m_number->setStyleSheet(QStringLiteral("QLineEdit { background-color: rgb(192, 255, 192); }"));
    m_date = makeLineEdit("Text2", 10, true);
    m_correspondenceType = makeEditableCombo("Combo1");
    m_documentType = makeEditableCombo("Combo2");
    m_documentDate = makeLineEdit("Text3", 10, true);
    m_correspondent = makeLineEdit("Text4", 78, false);
    m_subject = makeLineEdit("Text5", 100, false);
    m_note = new QPlainTextEdit;
    m_note->setObjectName(QStringLiteral("Text6"));
    m_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_note->setTabChangesFocus(true);
    m_note->setFixedHeight(m_note->fontMetrics().lineSpacing() * 4 + 12);
    m_attachments = makeLineEdit("Text70", 10, true);
    m_sector = makeEditableCombo("Combo7");
    m_assignee = makeEditableCombo("Combo8");

    auto* grid = new QGridLayout;
    addCaptionedField(grid, 0, 0, QStringLiteral("Num.Prot."), m_number);
    m_pickDate = new QCheckBox;
    m_pickDate->setObjectName(QStringLiteral("Check1"));
    m_pickDate->setAccessibleName(QStringLiteral("Scegli la data dal calendario"));
    m_pickDocumentDate = new QCheckBox;
    m_pickDocumentDate->setObjectName(QStringLiteral("Check2"));
    m_pickDocumentDate->setAccessibleName(QStringLiteral("Scegli la data del documento dal calendario"));
    const auto dateWithPicker = [](QCheckBox* picker, QLineEdit* field) {
        auto* box = new QWidget;
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(picker);
        row->addWidget(field, 1);
        return box;
    };
    addCaptionedField(grid, 0, 1, QStringLiteral("Data"), dateWithPicker(m_pickDate, m_date))->setBuddy(m_date);
    m_date->setAccessibleName(QStringLiteral("Data"));
    addCaptionedField(grid, 0, 2, QStringLiteral("Tipo Corrispondenza"), m_correspondenceType);
    addCaptionedField(grid, 0, 3, QStringLiteral("Tipo Documento"), m_documentType);
    addCaptionedField(grid, 0, 4, QStringLiteral("Data Documento"), dateWithPicker(m_pickDocumentDate, m_documentDate))
        ->setBuddy(m_documentDate);
    m_documentDate->setAccessibleName(QStringLiteral("Data Documento"));
    addCaptionedField(grid, 2, 0, QStringLiteral("Contatto/Mittente/Destinatario"), m_correspondent, 3);
    addCaptionedField(grid, 2, 3, QStringLiteral("Oggetto"), m_subject, 2);
    addCaptionedField(grid, 4, 0, QStringLiteral("Note"), m_note, 4);
    m_sideButtons = new QGridLayout;
    m_sideButtons->setContentsMargins(0, 0, 0, 0);
    grid->addLayout(m_sideButtons, 5, 4);
    addCaptionedField(grid, 6, 0, QStringLiteral("Allegati"), m_attachments);
    addCaptionedField(grid, 6, 1, QStringLiteral("Settore di appartenenza"), m_sector, 2);
    addCaptionedField(grid, 6, 3, QStringLiteral("Assegnata a:"), m_assignee, 2);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(4, 1);
    layout->addLayout(grid);
}

void ProtocolPanel::buildCommands(QVBoxLayout* layout)
{
    m_commandFrame = new QWidget;
    m_commandFrame->setObjectName(QStringLiteral("Frame6"));
    auto* row = new QHBoxLayout(m_commandFrame);
    row->setContentsMargins(0, 0, 0, 0);
    m_insert = makeButton("Command16", QStringLiteral("&Protocolla"));
    m_modify = makeButton("Command17", QStringLiteral("&Modifica"));
    m_clear = makeButton("Command18", QStringLiteral("&Pulisci"));
    m_remove = makeButton("Command19", QStringLiteral("&Elimina"));
    m_label = makeButton("Command21", QStringLiteral("&StampaEtichetta"));
    m_exit = makeButton("Command20", QStringLiteral("&Esci"));
    for (QPushButton* button : {m_insert, m_modify, m_clear, m_remove, m_label, m_exit})
        row->addWidget(button);
    row->addStretch();

    m_sortByName = new QCheckBox(QStringLiteral("Ordina per Mittente/Destinatario"));
    m_sortByName->setObjectName(QStringLiteral("Check3"));
    auto* ascending = makeButton("Command24", QString());
    ascending->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    ascending->setAccessibleName(QStringLiteral("Ordina crescente"));
    ascending->setToolTip(ascending->accessibleName());
    auto* descending = makeButton("Command26", QString());
    descending->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    descending->setAccessibleName(QStringLiteral("Ordina decrescente"));
    descending->setToolTip(descending->accessibleName());
    // The sort box stands over its two buttons.
    auto* sorting = new QGridLayout;
    sorting->setContentsMargins(0, 0, 0, 0);
    sorting->addWidget(m_sortByName, 0, 0, 1, 2);
    sorting->addWidget(ascending, 1, 0);
    sorting->addWidget(descending, 1, 1);
    row->addLayout(sorting);
    connect(ascending, &QPushButton::clicked, this, &ProtocolPanel::Command24_Click);
    connect(descending, &QPushButton::clicked, this, &ProtocolPanel::Command26_Click);

    m_scan = makeButton("Command50", QStringLiteral("&Acquisisci documento"));
    m_attachmentsView = makeButton("Command51", QStringLiteral("&Visualizza Allegati"));

    m_newContact = makeButton("Command15", QStringLiteral("&Nuovo Contatto"));
    m_selectContact = makeButton("cmd14", QStringLiteral("&Seleziona Contatto"));
    // Beside the note, where they take no height from the list.
    m_sideButtons->addWidget(m_newContact, 0, 0);
    m_sideButtons->addWidget(m_selectContact, 0, 1);
    m_sideButtons->addWidget(m_scan, 1, 0);
    m_sideButtons->addWidget(m_attachmentsView, 1, 1);
    m_attachFile = makeButton("Command52", QStringLiteral("Allega &file"));
    m_sideButtons->addWidget(m_attachFile, 2, 0);
    layout->addWidget(m_commandFrame);

    connect(m_insert, &QPushButton::clicked, this, &ProtocolPanel::Command16_Click);
    connect(m_modify, &QPushButton::clicked, this, &ProtocolPanel::Command17_Click);
    connect(m_clear, &QPushButton::clicked, this, &ProtocolPanel::Command18_Click);
    connect(m_remove, &QPushButton::clicked, this, &ProtocolPanel::Command19_Click);
}

QHBoxLayout* ProtocolPanel::buildSearch()
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    const auto captioned = [&](const QString& caption, QWidget* field, int stretch) {
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        field->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
        row->addWidget(label);
        row->addWidget(field, stretch);
    };
    m_search = makeLineEdit("searchWords");
    m_search->setPlaceholderText(QStringLiteral("parole da trovare in qualunque colonna"));
    m_search->setClearButtonEnabled(true);
    captioned(QStringLiteral("&Cerca"), m_search, 3);
    m_searchFrom = makeLineEdit("searchFrom", 10, true);
    m_searchFrom->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
    captioned(QStringLiteral("Dal"), m_searchFrom, 1);
    row->addWidget(calendarButton(m_searchFrom));
    m_searchTo = makeLineEdit("searchTo", 10, true);
    m_searchTo->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
    captioned(QStringLiteral("Al"), m_searchTo, 1);
    row->addWidget(calendarButton(m_searchTo));
    m_searchNumbers = makeLineEdit("searchNumbers", 13, true);
    m_searchNumbers->setPlaceholderText(QStringLiteral("120-180"));
    captioned(QStringLiteral("Numeri"), m_searchNumbers, 1);
    m_bothRegisters = new QCheckBox(QStringLiteral("Entrambi i registri"));
    m_bothRegisters->setObjectName(QStringLiteral("searchBoth"));
    row->addWidget(m_bothRegisters);
    m_found = new QLabel;
    m_found->setObjectName(QStringLiteral("searchFound"));
    row->addWidget(m_found);
    connect(&m_listModel, &QAbstractItemModel::modelReset, this, &ProtocolPanel::showCount);
    for (QLineEdit* field : {m_search, m_searchFrom, m_searchTo, m_searchNumbers}) {
        field->setProperty(kKeptByClearFields, true);
        connect(field, &QLineEdit::textChanged, this, &ProtocolPanel::applySearch);
    }
    connect(m_bothRegisters, &QCheckBox::toggled, this, [this] { reloadList(std::nullopt, true); });
    return row;
}

QToolButton* ProtocolPanel::calendarButton(QLineEdit* field)
{
    auto* button = new QToolButton;
    button->setText(QStringLiteral("..."));
    button->setAccessibleName(QStringLiteral("Scegli dal calendario: ") + field->accessibleName());
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    auto* calendar = new QCalendarWidget;
    calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    calendar->setFirstDayOfWeek(Qt::Monday);
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(calendar);
    menu->addAction(action);
    button->setMenu(menu);
    connect(calendar, &QCalendarWidget::clicked, this, [field, menu](QDate date) {
        field->setText(date.toString(kDateFormat));
        menu->hide();
    });
    return button;
}

void ProtocolPanel::applySearch()
{
    const RegisterSearch search = parseSearch(m_search->text(), m_searchFrom->text(), m_searchTo->text(), m_searchNumbers->text());
    // A field whose text sets no bound is marked, not silently passed over.
    const auto mark = [](QLineEdit* field, bool unread, const QString& why) {
        field->setStyleSheet(unread ? QStringLiteral("QLineEdit { background-color: rgb(255, 210, 210); }") : QString());
        field->setToolTip(unread ? why : QString());
    };
    const QString dateHint = QStringLiteral("Data non valida: scriverla come giorno/mese/anno, per esempio 07/12/2026");
    mark(m_searchFrom, !m_searchFrom->text().trimmed().isEmpty() && !search.from, dateHint);
    mark(m_searchTo, !m_searchTo->text().trimmed().isEmpty() && !search.to, dateHint);
    mark(m_searchNumbers, !m_searchNumbers->text().trimmed().isEmpty() && !search.lowestNumber,
         QStringLiteral("Scrivere un numero (120) o due numeri separati da un trattino (120-180)"));
    // Emptied when the window came back from another one: a search means the register.
    if (!search.isEmpty() && m_listModel.recordCount() == 0 && registerInUse())
        reloadList(std::nullopt, true);
    m_listModel.setSearch(search);
}

void ProtocolPanel::showCount()
{
    const int shown = m_listModel.rowCount();
    const int all = m_listModel.recordCount();
    m_found->setText(m_listModel.search().isEmpty() ? QStringLiteral("%1 protocolli").arg(all)
                                                    : QStringLiteral("Trovati %1 di %2").arg(shown).arg(all));
}

void ProtocolPanel::reloadList(std::optional<std::pair<RegisterKind, int>> select, bool rebuild)
{
    const auto kind = registerInUse();
    if (!kind)
        return;
    // The list keeps its search and its place.
    const int scrolled = m_list->verticalScrollBar()->value();
    if (rebuild)
        loadRegisterList(*m_list, m_listModel, m_context.workbook(), *kind, m_bothRegisters->isChecked());
    else
        refreshRegisterList(m_listModel, m_context.workbook(), *kind, m_bothRegisters->isChecked());
    m_list->doItemsLayout();   // the scroll bar's range, before the place is put back
    m_list->verticalScrollBar()->setValue(scrolled);
    if (select)
        showRecord(select->first, select->second);
}

void ProtocolPanel::showRecord(RegisterKind kind, int sheetRow)
{
    if (const auto row = m_listModel.listRowOf(kind, sheetRow)) {
        const QModelIndex index = m_listModel.index(*row, 0);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_list->scrollTo(index);
    }
}

void ProtocolPanel::setContactPicker(QWidget* picker)
{
    m_pickerArea->addWidget(picker);
}

std::optional<RegisterKind> ProtocolPanel::registerInUse() const
{
    const QString mode = m_mode->text();
    if (mode == QLatin1String("1"))
        return RegisterKind::Entrata;
    if (mode == QLatin1String("2"))
        return RegisterKind::Uscita;
    return std::nullopt;
}

void ProtocolPanel::openRegister(RegisterKind kind)
{
    m_commandFrame->show();
    loadRegisterList(*m_list, m_listModel, m_context.workbook(), kind, m_bothRegisters->isChecked());
    m_title->setText(QStringLiteral(" Prot. in ") + entrataOrUscita(kind));
    m_mode->setText(kind == RegisterKind::Entrata ? QStringLiteral("1") : QStringLiteral("2"));
    m_calendarFrame->hide();
    show();
    m_date->setFocus();
    m_context.clearFields();
    ensureCounter(m_context.workbook(), kind);
    showNextNumber();
}

void ProtocolPanel::showNextNumber()
{
    if (const auto kind = registerInUse()) {
        m_loaded.reset();   // the number field no longer shows a stored record
        const QString number = QString::number(nextNumber(m_context.workbook(), *kind));
        // A number past the five digits shows whole, to be refused; cut, it
        // would repeat an earlier one.
        m_number->setMaxLength(std::max(kNumberDigits, static_cast<int>(number.size())));
        m_number->setText(number);
    }
}

void ProtocolPanel::appendToNote(const QString& line)
{
    // A cell's lines are parted by line feeds.
    m_note->setPlainText(m_note->toPlainText() + QLatin1Char('\n') + line);
}

void ProtocolPanel::focusDate()
{
    m_date->setFocus();
}

void ProtocolPanel::setCorrespondent(const QString& name)
{
    m_correspondent->setText(name);
}

ProtocolRecord ProtocolPanel::record() const
{
    return ProtocolRecord{m_number->text(),
                          m_date->text(),
                          m_correspondenceType->currentText(),
                          m_documentType->currentText(),
                          m_documentDate->text(),
                          m_correspondent->text(),
                          m_subject->text(),
                          m_note->toPlainText(),
                          m_attachments->text(),
                          m_sector->currentText(),
                          m_assignee->currentText()};
}

void ProtocolPanel::reportProblem(RecordProblem problem, RegisterKind kind)
{
    QString text;
    QWidget* focus = m_date;
    switch (problem) {
    case RecordProblem::None:
        return;
    case RecordProblem::MissingRequired:
        text = QStringLiteral(" ERRORE- I Campi DATA /MITTENTE - DESTINATARIO/OGGETTO  devono essere sempre compilati !");
        break;
    case RecordProblem::BadDate:
        text = QStringLiteral(" ERRORE- Il Campo DATA non contiene una data valida: scriverla come giorno/mese/anno, per esempio 07/12/2026 !");
        break;
    case RecordProblem::BadDocumentDate:
        text = QStringLiteral(" ERRORE- Il Campo DATA DOCUMENTO non contiene una data valida: scriverla come giorno/mese/anno, per esempio 07/12/2026, oppure lasciarlo vuoto !");
        focus = m_documentDate;
        break;
    case RecordProblem::TextTooLong:
        text = QStringLiteral(" ERRORE- Un campo supera i %1 caratteri che una cella può contenere !").arg(store::Sheet::kMaxTextLength);
        focus = m_note;
        break;
    case RecordProblem::NumberOutOfRange:
        text = QStringLiteral(" ERRORE- Il Num.Prot. deve essere compreso tra 1 e %1: occorre impostare il progressivo in Impostazioni !")
                   .arg(kMaxProtocolNumber);
        break;
    case RecordProblem::RegisterFull:
        text = QStringLiteral(" ERRORE- Il registro in %1 è pieno: il foglio %2 non ha più righe libere !")
                   .arg(entrataOrUscita(kind), layout::registerSheetName(kind));
        break;
    }
    m_context.dialogs.message(this, kProductName, text, MessageIcon::None);
    focus->setFocus();
}

void ProtocolPanel::Command16_Click()
{
    const auto kind = registerInUse();
    if (!kind)
        return;
    const ProtocolRecord fields = record();
    if (const RecordProblem problem = checkRecord(fields, m_context.workbook(), *kind); problem != RecordProblem::None) {
        reportProblem(problem, *kind);
        return;
    }
    if (!m_context.dialogs.askYesNo(this, QStringLiteral(" Quadrilo"),
                                    QStringLiteral(" Vuoi Inserire questo Protocollo in %1 ?").arg(entrataOrUscita(*kind)))) {
        m_context.clearFields();
        return;
    }

    store::Workbook& workbook = m_context.workbook();
    auto sheet = workbook.sheet(layout::registerSheetName(*kind));
    const int row = sheet ? firstFreeRow(*sheet).value_or(0) : 0;
    const bool written = row > 0 && writeNewRecord(*sheet, row, fields, *kind);
    if (written) {
        setCounter(workbook, *kind, fields.number.toLongLong());
        saveThenTell(m_context, this, kProductName, QStringLiteral(" Protocollo inserito "), MessageIcon::Information);
    } else {
        m_context.saveWorkbook();
        m_context.dialogs.message(this, kProductName,
                                  QStringLiteral(" ERRORE- Il Protocollo non è stato scritto per intero nel foglio %1: controllare la riga %2 !")
                                      .arg(layout::registerSheetName(*kind))
                                      .arg(row),
                                  MessageIcon::Stop);
    }
    m_context.clearFields();
    // The new record after the last: the list takes it without reading the register again.
    if (written && sheet->isEmpty(row + 1, layout::reg::kNumber) && m_listModel.appendRecord(readRegisterRow(*sheet, row, *kind)))
        showRecord(*kind, row);
    else
        reloadList(written ? std::optional(std::pair(*kind, row)) : std::nullopt);
    showNextNumber();
    // Ready for the next entry.
    m_date->setFocus();
}

void ProtocolPanel::Command18_Click()
{
    m_context.clearFields();
    m_insert->setEnabled(true);
}

void ProtocolPanel::ListView1_ItemClick(const QModelIndex& index)
{
    if (!index.isValid() || index.row() >= m_listModel.rowCount())
        return;
    m_insert->setEnabled(false);
    const RegisterListModel::RowTexts& texts = m_listModel.rowTexts(index.row());
    // Numbers may repeat after a counter was set back: the record is the one
    // of the row chosen, not the first with its number.
    const RegisterRecord& chosen = m_listModel.record(index.row());
    m_loaded = LoadedRecord{chosen.sheetRow, texts[0], chosen.kind};
    // Columns A to K, in the order of the sheet.
    QWidget* fields[] = {m_number,  m_date, m_correspondenceType, m_documentType, m_documentDate, m_correspondent,
                         m_subject, m_note, m_attachments,        m_sector,       m_assignee};
    for (size_t i = 0; i < std::size(fields); ++i)
        showStoredText(fields[i], texts[i]);
}

void ProtocolPanel::Command17_Click()
{
    const auto kind = registerInUse();
    if (!kind)
        return;
    const ProtocolRecord fields = record();
    // Missing fields are told first, then a record not loaded, then the rest.
    const RecordProblem problem = checkFields(fields, m_context.workbook().dateSystem());
    if (problem == RecordProblem::MissingRequired) {
        reportProblem(problem, *kind);
        return;
    }
    if (!m_loaded) {
        m_context.dialogs.message(
            this, kProductName,
            QStringLiteral(" ERRORE- Si può modificare solo una registrazione  già inserita , seleziona prima la registrazione !"),
            MessageIcon::None);
        m_date->setFocus();
        return;
    }
    if (problem != RecordProblem::None) {
        reportProblem(problem, *kind);
        return;
    }
    // Uscita gives the button back when nothing is modified; Entrata keeps it off.
    const auto giveBackInsert = [&] {
        if (*kind == RegisterKind::Uscita)
            m_insert->setEnabled(true);
    };
    if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral("Vuoi modificare protocollo  selezionato  ?"))) {
        giveBackInsert();
        return;
    }
    // The record's own register: with both registers listed it may be the other one.
    const RegisterKind recordKind = m_loaded->kind;
    auto sheet = m_context.workbook().sheet(layout::registerSheetName(recordKind));
    if (!sheet || sheet->isEmpty(2, layout::reg::kNumber)) {
        m_context.dialogs.message(this, kProductName, QStringLiteral(" ERRORE: Non ci sono protocolli registrati "),
                                  MessageIcon::Information);
        giveBackInsert();
        return;
    }
    sheet->activate();
    if (!holdsNumberText(*sheet, m_loaded->row, m_loaded->number)) {
        reportRegisterChanged(QStringLiteral("modificato"));
        giveBackInsert();
        return;
    }
    const int row = m_loaded->row;
    writeRecord(*sheet, row, fields);
    saveThenTell(m_context, this, recordKind == RegisterKind::Entrata ? QStringLiteral("Brenvaldo") : kProductName,
                 QStringLiteral("Protocollo  Modificato"), MessageIcon::Information);
    m_context.clearFields();
    reloadList(std::pair(recordKind, row));
    m_insert->setEnabled(true);
}

void ProtocolPanel::Command19_Click()
{
    const auto kind = registerInUse();
    if (!kind)
        return;
    if (m_correspondent->text().isEmpty() || (!m_number->text().isEmpty() && !m_loaded)) {
        m_context.dialogs.message(this, kProductName, QStringLiteral("ERRORE: Bisogna Selezionare una registrazione !"),
                                  MessageIcon::None);
        return;
    }
    if (m_number->text().isEmpty()) {
        m_context.dialogs.message(this, kProductName, QStringLiteral("Bisogna selezionare  il protocollo......"),
                                  MessageIcon::Information);
        return;
    }
    if (!m_context.dialogs.askYesNo(this, kProductName, QStringLiteral("Si vuole eliminare il protocollo  selezionato ?")))
        return;
    const RegisterKind recordKind = m_loaded->kind;
    auto sheet = m_context.workbook().sheet(layout::registerSheetName(recordKind));
    if (!sheet || !holdsNumber(*sheet, m_loaded->row, store::leadingNumber(m_loaded->number))) {
        reportRegisterChanged(QStringLiteral("eliminato"));
        return;
    }
    sheet->activate();
    sheet->select(store::CellRef{m_loaded->row, layout::reg::kNumber});
    sheet->deleteRow(m_loaded->row);
    saveThenTell(m_context, this, recordKind == RegisterKind::Entrata ? QStringLiteral(" Brenvaldo") : QStringLiteral(" Quadrilo"),
                 QStringLiteral("Operazione eseguita"), MessageIcon::Information);
    m_context.clearFields();
    reloadList(std::nullopt, true);
}

void ProtocolPanel::reportRegisterChanged(const QString& undone)
{
    m_context.dialogs.message(this, kProductName,
                              QStringLiteral(" ERRORE: Il registro è cambiato dopo la scelta del protocollo %1: "
                                             "selezionarlo di nuovo dalla lista. Nulla è stato %2 !")
                                  .arg(m_loaded->number, undone),
                              MessageIcon::Stop);
    m_loaded.reset();
    reloadList();
}

void ProtocolPanel::Command24_Click()
{
    sortRegister(true);
}

void ProtocolPanel::Command26_Click()
{
    sortRegister(false);
}

void ProtocolPanel::sortRegister(bool ascending)
{
    const auto kind = registerInUse();
    if (!kind)
        return;
    auto sheet = m_context.workbook().sheet(layout::registerSheetName(*kind));
    if (!sheet)
        return;
    sheet->activate();
    // The whole register moves, however long: every row of A to L below the header.
    const int lastRow = std::max(2, sheet->lastUsedRow());
    const store::RangeRef block{{1, layout::reg::kNumber}, {lastRow, layout::reg::kMarker}};
    sheet->sort(block, layout::reg::kNumber, ascending, true);
    if (m_sortByName->isChecked())
        sheet->sort(block, layout::reg::kCorrespondent, ascending, true);
    sheet->select(store::CellRef{15, 1});
    reloadList(std::nullopt, true);
    m_list->scrollToTop();
    m_context.saveWorkbook();
}

void ProtocolPanel::datePickerToggled(bool ticked)
{
    if (ticked) {
        m_calendarFrame->show();
        m_calendar->show();
    } else {
        m_calendarFrame->hide();
    }
}

void ProtocolPanel::Calendario_Click(QDate date)
{
    const QString text = date.toString(kDateFormat);
    if (m_pickDate->isChecked()) {
        m_date->setText(text);
        m_pickDate->setChecked(false);
    }
    if (m_pickDocumentDate->isChecked()) {
        m_documentDate->setText(text);
        m_pickDocumentDate->setChecked(false);
    }
}

} // namespace quadrilo::protocol
