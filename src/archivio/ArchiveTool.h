#pragma once

// quadrilo-archivio: creates, lists and copies Protocollo.xls workbooks from the
// command line, through the same code the program uses.

#include <QStringList>

#include <cstdio>

namespace quadrilo::archivio {

// Runs one command; returns the process exit status (0 ok, 1 failure, 2 usage).
int run(const QStringList& arguments, std::FILE* out, std::FILE* err);

} // namespace quadrilo::archivio
