#pragma once

// The Italian sentences for what can go wrong with the workbook file.

#include "store/Session.h"
#include "xls/Error.h"
#include "xls/Workbook.h"

#include <QString>

namespace quadrilo::store {

// Why the file at path cannot be read, for a person.
QString readErrorText(const xls::Error& error, const QString& path);
QString sessionErrorText(const SessionError& error);
// What a system error (an errno value) means, in Italian, without a capital
// or a full stop: "spazio esaurito sul disco".
QString systemErrorText(int error);
// The kinds of content, in words: "formule, grafici".
QString droppedContentText(xls::DroppedContent dropped);
// Said after the first save of a file whose extra content was not kept.
QString keptOriginalText(xls::DroppedContent dropped, const QString& copyPath);

} // namespace quadrilo::store
