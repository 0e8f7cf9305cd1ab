#include "register/RegisterSearch.h"

#include "store/TypedInput.h"

#include <QRegularExpression>

#include <array>

namespace quadrilo::protocol {

namespace {

// The folded form of the first 0x250 characters (Latin letters with their
// accents), worked out once: most texts are made of these alone.
const std::array<char16_t, 0x250>& latinFolds()
{
    static const std::array<char16_t, 0x250> table = [] {
        std::array<char16_t, 0x250> folds{};
        for (char16_t c = 0; c < folds.size(); ++c) {
            const QString decomposed = QString(QChar(c)).normalized(QString::NormalizationForm_D);
            const QChar base = decomposed.isEmpty() ? QChar(c) : decomposed.front();
            folds[c] = base.toCaseFolded().unicode();
        }
        return folds;
    }();
    return table;
}

} // namespace

void appendFolded(QString& folded, const QString& text)
{
    const auto& folds = latinFolds();
    const qsizetype start = folded.size();
    folded.resize(start + text.size());
    QChar* out = folded.data() + start;
    qsizetype written = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < folds.size()) {
            out[written++] = QChar(folds[c]);
            continue;
        }
        // Beyond Latin: decomposed, the marks dropped (rare: the slow way).
        folded.resize(start + written);
        for (const QChar part : QString(QChar(c)).normalized(QString::NormalizationForm_D))
            if (part.category() != QChar::Mark_NonSpacing)
                folded.append(part.toCaseFolded());
        written = folded.size() - start;
        folded.resize(start + written + (text.size() - i - 1));
        out = folded.data() + start;
    }
    folded.resize(start + written);
}

QString foldForSearch(const QString& text)
{
    QString folded;
    appendFolded(folded, text);
    return folded;
}

bool RegisterSearch::narrows(const RegisterSearch& other) const
{
    // Each of other's words is within one of these: whatever holds these holds it.
    for (const QString& word : other.words)
        if (std::none_of(words.begin(), words.end(), [&](const QString& mine) { return mine.contains(word); }))
            return false;
    return from == other.from && to == other.to && lowestNumber == other.lowestNumber && highestNumber == other.highestNumber;
}

RegisterSearch parseSearch(const QString& words, const QString& from, const QString& to, const QString& numbers)
{
    RegisterSearch search;
    search.words = foldForSearch(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!from.trimmed().isEmpty())
        search.from = store::parseItalianDate(from);
    if (!to.trimmed().isEmpty())
        search.to = store::parseItalianDate(to);
    static const QRegularExpression range(QStringLiteral(R"(^\s*(\d+)\s*(?:-\s*(\d+)\s*)?$)"));
    if (const auto match = range.match(numbers); match.hasMatch()) {
        search.lowestNumber = match.captured(1).toDouble();
        search.highestNumber = match.captured(2).isEmpty() ? *search.lowestNumber : match.captured(2).toDouble();
        if (*search.highestNumber < *search.lowestNumber)
            std::swap(*search.lowestNumber, *search.highestNumber);
    }
    return search;
}

} // namespace quadrilo::protocol
