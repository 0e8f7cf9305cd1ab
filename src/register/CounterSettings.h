#pragma once

// The "Utilità" section of the settings panel: the last number used of each
// register, set by hand.

#include "desktop/PanelContext.h"
#include "store/Layout.h"

#include <QGroupBox>

class QLineEdit;

namespace quadrilo::protocol {

class CounterSettings final : public QGroupBox {
    Q_OBJECT
public:
    CounterSettings(PanelContext& context, QWidget* parent = nullptr);

private:
    void Command27_Click();
    void Command14_Click();
    // "&Esegui" beside box, for the register's counter.
    void setCounterFrom(QLineEdit* box, store::layout::RegisterKind kind);

    PanelContext& m_context;
    QLineEdit* m_entrata = nullptr;  // Text33
    QLineEdit* m_uscita = nullptr;   // Text27
};

// The highest protocol number stored in the register, 0 when there is none.
long long highestNumber(store::Workbook& workbook, store::layout::RegisterKind kind);

} // namespace quadrilo::protocol
