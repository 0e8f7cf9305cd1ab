#pragma once

// The address book printed page by page on the current printer, in
// landscape, with the header row and the id and name columns on every page.

#include "desktop/PanelContext.h"

#include <QString>

#include <optional>

namespace quadrilo::printing {

// The question before page page of count.
QString pageQuestion(int page, int count);

// Lays out Cliente for printing and offers its pages one by one. Returns the
// pages printed once the pages were offered; nullopt when there was nothing
// to offer (no contacts, no zoom).
std::optional<int> printContactList(PanelContext& context, QWidget* parent);

} // namespace quadrilo::printing
