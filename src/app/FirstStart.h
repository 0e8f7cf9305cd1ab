#pragma once

// The first start of an installed program whose folder holds no workbook yet:
// the user creates a new archive or brings an existing Protocollo.xls with
// its Prot folder (copied, never moved).

#include "desktop/Dialogs.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace quadrilo {

class FirstStart final : public QDialog {
    Q_OBJECT
public:
    FirstStart(Dialogs& dialogs, QString programFolder, QWidget* parent = nullptr);

    // The login name of the new archive's first user; empty for a brought one.
    QString firstUser() const;

private:
    void chooseFile();
    void proceed();
    bool create();
    bool bring();
    void showChoice();

    Dialogs& m_dialogs;
    QString m_folder;
    QRadioButton* m_create = nullptr;
    QRadioButton* m_bring = nullptr;
    QWidget* m_createFields = nullptr;
    QWidget* m_bringFields = nullptr;
    QLineEdit* m_login = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_repeated = nullptr;
    QLineEdit* m_areaPassword = nullptr;
    QLineEdit* m_excelPassword = nullptr;
    QLineEdit* m_file = nullptr;
};

} // namespace quadrilo
