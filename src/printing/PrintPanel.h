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

signals:
    // A list button was pressed.
    void printRequested(quadrilo::printing::ListCode code);

private:
    QPushButton* m_exit = nullptr;
};

} // namespace quadrilo::printing
