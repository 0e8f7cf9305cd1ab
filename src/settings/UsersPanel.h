#pragma once

// The users panel of the main window (Frame7): the owner data and the two
// access passwords of Varie!R2:W2.

#include "app/seams/PanelContext.h"

#include <QGroupBox>

#include <array>

class QLineEdit;

namespace quadrilo::settings {

class UsersPanel final : public QGroupBox {
    Q_OBJECT
public:
    UsersPanel(PanelContext& context, QWidget* parent = nullptr);

    // R2, S2, T2, U2, V2 and W2 of Varie into Text40, Text41, Text42, Text43,
    // Text8 and Text14.
    void showOwnerData();

private:
    PanelContext& m_context;
    std::array<QLineEdit*, 6> m_fields{};
};

} // namespace quadrilo::settings
