#pragma once

// Finding protocols: what the user types into the search fields over the
// register list, and whether a record answers it. Case and accents do not
// count ("forli" finds "Forlì").

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace quadrilo::protocol {

// The text in the form searches compare: lower case, accents and other marks
// dropped.
QString foldForSearch(const QString& text);
// The same, added at the end of folded.
void appendFolded(QString& folded, const QString& text);

struct RegisterSearch {
    QStringList words;                 // folded, each must occur in some column
    std::optional<QDate> from;         // registration dates, both ends included
    std::optional<QDate> to;
    std::optional<double> lowestNumber;
    std::optional<double> highestNumber;

    bool isEmpty() const { return words.isEmpty() && !from && !to && !lowestNumber && !highestNumber; }
    // Whether every record that answers this also answers other (this one
    // only narrows it), so that only other's answers need looking at.
    bool narrows(const RegisterSearch& other) const;
    bool operator==(const RegisterSearch&) const = default;
};

// The search fields as typed: words; dates "7/12/2026" (a text that is no
// date sets no bound); numbers "120" or "120-180".
RegisterSearch parseSearch(const QString& words, const QString& from, const QString& to, const QString& numbers);

} // namespace quadrilo::protocol
