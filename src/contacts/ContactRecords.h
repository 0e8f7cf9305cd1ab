#pragma once

// The address book in sheet Cliente: the rows of contacts, their ids and the
// counter of the next one.

#include "store/Layout.h"
#include "store/Sheet.h"
#include "store/Workbook.h"

#include <QString>

#include <array>
#include <optional>

namespace quadrilo::contacts {

// The texts of columns A to Q of one contact, A first.
using ContactTexts = std::array<QString, store::layout::contact::kHeaderCount>;

// Cliente!IV1, the id the next contact receives (its leading number; 0 when empty).
long long contactCounter(store::Workbook& workbook);
void setContactCounter(store::Workbook& workbook, long long id);

// The first row from row 2, through the run of ids that starts there, whose
// id is the number id.
std::optional<int> findContactById(const store::Sheet& sheet, double id);

// The displayed texts of A to Q.
ContactTexts readContact(const store::Sheet& sheet, int row);
// Columns B to Q as the texts typed, exactly; A is left alone.
bool writeContactFields(store::Sheet& sheet, int row, const ContactTexts& texts);

// SortContacts: every contact row, A to Q, ordered by name (Italian,
// case-insensitive, stable); the header row stays.
void sortContacts(store::Workbook& workbook);

} // namespace quadrilo::contacts
