#pragma once

// The protocol panel of the main window (Frame1): the entry fields of the
// register in use, its commands (Frame6), the calendar frame (Frame2) and the
// register list (ListView1).

#include "desktop/PanelContext.h"
#include "register/Protocols.h"
#include "register/RegisterList.h"

#include <QDate>
#include <QGroupBox>

#include <optional>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QToolButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;
class QModelIndex;
class QVBoxLayout;

namespace quadrilo::protocol {

class ProtocolPanel final : public QGroupBox {
    Q_OBJECT
public:
    ProtocolPanel(PanelContext& context, QWidget* parent = nullptr);

    // The mode switch of the two menu entries, for the panel's own part: the
    // command frame shown, the register loaded into the list, the mode labels
    // set, the calendar hidden, the fields cleared, the next number shown.
    void openRegister(RegisterKind kind);
    // From the caption of Label37: "1" Entrata, "2" Uscita, otherwise none.
    std::optional<RegisterKind> registerInUse() const;
    // The register of the stored record shown in the fields, else the one in use.
    std::optional<RegisterKind> registerOfShownRecord() const { return m_loaded ? std::optional(m_loaded->kind) : registerInUse(); }
    // The next number of the register in use into the number field; with no
    // register in use the field stays as it is.
    void showNextNumber();
    // The sender/addressee field takes a name chosen in the contact picker.
    void setCorrespondent(const QString& name);
    // Where the contact picker (Frame8) lies, over the list.
    void setContactPicker(QWidget* picker);

    // The fields as they stand.
    ProtocolRecord record() const;

    QWidget* commandFrame() const { return m_commandFrame; }    // Frame6
    QWidget* calendarFrame() const { return m_calendarFrame; }  // Frame2
    QComboBox* correspondenceTypeCombo() const { return m_correspondenceType; }  // Combo1
    QComboBox* documentTypeCombo() const { return m_documentType; }              // Combo2
    QComboBox* sectorCombo() const { return m_sector; }                          // Combo7
    QComboBox* assigneeCombo() const { return m_assignee; }                      // Combo8
    QCalendarWidget* calendar() const { return m_calendar; }                     // Calendario
    QPushButton* exitButton() const { return m_exit; }                           // Command20
    QPushButton* newContactButton() const { return m_newContact; }               // Command15
    QPushButton* selectContactButton() const { return m_selectContact; }         // cmd14
    QPushButton* labelButton() const { return m_label; }                         // Command21
    QPushButton* scanButton() const { return m_scan; }                           // Command50
    QPushButton* attachmentsButton() const { return m_attachmentsView; }         // Command51
    QPushButton* attachFileButton() const { return m_attachFile; }               // Command52
    // A line added at the end of the note field.
    void appendToNote(const QString& line);
    void focusDate();
    QTreeView* registerView() const { return m_list; }                           // ListView1
    RegisterListModel& registerModel() { return m_listModel; }

private:
    void buildFields(QVBoxLayout* layout);
    void buildCommands(QVBoxLayout* layout);
    void Command16_Click();
    void Command17_Click();
    void Command18_Click();
    void Command19_Click();
    // A row of the register list into the fields.
    void ListView1_ItemClick(const QModelIndex& index);
    void Command24_Click();
    void Command26_Click();
    // Sorts the register in use by number, then, with Check3 ticked, by
    // sender/addressee; reloads the list and saves.
    void sortRegister(bool ascending);
    // Check1 and Check2: the calendar shown while one of them is ticked.
    void datePickerToggled(bool ticked);
    void Calendario_Click(QDate date);
    // Says why the record cannot be written and puts the focus on the field.
    void reportProblem(RecordProblem problem, RegisterKind kind);
    // The loaded record's row holds another record now: told, forgotten, the
    // list refilled; undone is what did not happen ("modificato").
    void reportRegisterChanged(const QString& undone);
    // The search fields over the list, and the calendar button of a date field.
    QHBoxLayout* buildSearch();
    QToolButton* calendarButton(QLineEdit* field);
    void applySearch();
    // "Trovati N di M" beside the search, or the register's count.
    void showCount();
    // The list filled again from the sheet (rebuilt, headers and widths too),
    // keeping its search and its place, with the record select chosen and in
    // view.
    void reloadList(std::optional<std::pair<RegisterKind, int>> select = std::nullopt, bool rebuild = false);
    // The record of that sheet row chosen in the list and in view, if it shows.
    void showRecord(RegisterKind kind, int sheetRow);

    // The stored record shown in the fields: its sheet row and its number as
    // the list showed it.
    struct LoadedRecord {
        int row;
        QString number;
        RegisterKind kind;
    };
    std::optional<LoadedRecord> m_loaded;

    PanelContext& m_context;
    RegisterListModel m_listModel;

    QLabel* m_title = nullptr;        // Label36
    QLabel* m_mode = nullptr;         // Label37, hidden
    QLineEdit* m_number = nullptr;    // Text1
    QLineEdit* m_date = nullptr;      // Text2
    QComboBox* m_correspondenceType = nullptr;
    QComboBox* m_documentType = nullptr;
    QLineEdit* m_documentDate = nullptr;  // Text3
    QLineEdit* m_correspondent = nullptr; // Text4
    QLineEdit* m_subject = nullptr;       // Text5
    QPlainTextEdit* m_note = nullptr;     // Text6
    QLineEdit* m_attachments = nullptr;   // Text70
    QComboBox* m_sector = nullptr;
    QComboBox* m_assignee = nullptr;

    QWidget* m_commandFrame = nullptr;
    QPushButton* m_insert = nullptr;  // Command16
    QPushButton* m_modify = nullptr;  // Command17
    QPushButton* m_clear = nullptr;   // Command18
    QPushButton* m_remove = nullptr;  // Command19
    QPushButton* m_exit = nullptr;
    QPushButton* m_label = nullptr;
    QPushButton* m_scan = nullptr;
    QPushButton* m_attachmentsView = nullptr;
    QPushButton* m_attachFile = nullptr;
    QPushButton* m_newContact = nullptr;
    QPushButton* m_selectContact = nullptr;
    QCheckBox* m_pickDate = nullptr;          // Check1
    QCheckBox* m_pickDocumentDate = nullptr;  // Check2
    QCheckBox* m_sortByName = nullptr;        // Check3
    QGroupBox* m_calendarFrame = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    QVBoxLayout* m_pickerArea = nullptr;
    QGridLayout* m_sideButtons = nullptr;  // contact and attachment buttons
    QTreeView* m_list = nullptr;
    QLineEdit* m_search = nullptr;         // Cerca
    QLineEdit* m_searchFrom = nullptr;     // Dal
    QLineEdit* m_searchTo = nullptr;       // Al
    QLineEdit* m_searchNumbers = nullptr;  // Numeri
    QCheckBox* m_bothRegisters = nullptr;
    QLabel* m_found = nullptr;
};

} // namespace quadrilo::protocol
