#pragma once

// The printing panel of the main window (Frame5).

#include "printing/ListPrinting.h"

#include <QGroupBox>

class QPushButton;

namespace quadrilo::printing {

class PrintPanel final : public QGroupBox {
    Q_OBJECT
public:
    explicit PrintPanel(QWidget* parent = nullptr);

    QPushButton* exitButton() const { return m_exit; }  // Command5
    QPushButton* dailyRegisterButton() const { return m_daily; }

signals:
    // A list button was pressed.
    void printRequested(quadrilo::printing::ListCode code);

private:
    QPushButton* m_exit = nullptr;
    QPushButton* m_daily = nullptr;
};

} // namespace quadrilo::printing
