#include "store/Workbook.h"

#include "store/Sheet.h"

namespace quadrilo::store {

bool Workbook::State::isDateStyle(std::uint16_t index)
{
    if (index >= data.styles.size())
        index = 0;
    if (dateStyles.size() < data.styles.size())
        dateStyles.resize(data.styles.size(), -1);
    std::int8_t& known = dateStyles[index];
    if (known < 0)
        known = xls::isDateFormat(data.styles[index].numberFormat) ? 1 : 0;
    return known == 1;
}

const xls::Style& Workbook::State::style(std::uint16_t index) const
{
    return index < data.styles.size() ? data.styles[index] : data.styles.front();
}

Workbook::Workbook() : Workbook(xls::Workbook{}) {}

Workbook::Workbook(xls::Workbook data) : m_state(std::make_unique<State>())
{
    m_state->data = std::move(data);
    if (m_state->data.styles.empty())
        m_state->data.styles.emplace_back();
    m_state->scrollAreas.resize(m_state->data.sheets.size());
}

Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&& other) noexcept = default;
Workbook& Workbook::operator=(Workbook&& other) noexcept = default;

const xls::Workbook& Workbook::data() const
{
    return m_state->data;
}

xls::Workbook& Workbook::data()
{
    // The caller may change styles in place: forget what we know of them.
    m_state->dateStyles.clear();
    return m_state->data;
}

xls::Workbook Workbook::takeData()
{
    xls::Workbook taken = std::move(m_state->data);
    m_state->data = xls::Workbook{};
    m_state->scrollAreas.clear();
    m_state->dateStyles.clear();
    return taken;
}

int Workbook::sheetCount() const
{
    return static_cast<int>(m_state->data.sheets.size());
}

std::optional<Sheet> Workbook::sheet(const QString& name)
{
    const auto& sheets = m_state->data.sheets;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (sheets[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return Sheet(m_state.get(), static_cast<int>(i));
    }
    return std::nullopt;
}

std::optional<Sheet> Workbook::sheetAt(int index)
{
    if (index < 0 || index >= sheetCount())
        return std::nullopt;
    return Sheet(m_state.get(), index);
}

std::vector<Sheet> Workbook::sheets()
{
    std::vector<Sheet> result;
    result.reserve(m_state->data.sheets.size());
    for (int i = 0; i < sheetCount(); ++i)
        result.push_back(Sheet(m_state.get(), i));
    return result;
}

std::optional<Sheet> Workbook::addSheet(const QString& name)
{
    if (checkSheetName(name) != SheetNameError::None)
        return std::nullopt;
    xls::Sheet sheet;
    sheet.name = name;
    m_state->data.sheets.push_back(std::move(sheet));
    m_state->scrollAreas.resize(m_state->data.sheets.size());
    m_state->modified = true;
    return Sheet(m_state.get(), sheetCount() - 1);
}

SheetNameError Workbook::checkSheetName(const QString& name, int ignoreIndex) const
{
    return checkName(*m_state, name, ignoreIndex);
}

SheetNameError Workbook::checkName(const State& state, const QString& name, int ignoreIndex)
{
    if (name.isEmpty())
        return SheetNameError::Empty;
    if (name.size() > xls::kMaxSheetNameLength)
        return SheetNameError::TooLong;
    for (const QChar c : name) {
        if (c == u':' || c == u'\\' || c == u'*' || c == u'?' || c == u'/' || c == u'[' || c == u']')
            return SheetNameError::InvalidCharacter;
    }
    if (name.startsWith(u'\'') || name.endsWith(u'\''))
        return SheetNameError::Apostrophe;
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        return SheetNameError::Reserved;
    const auto& sheets = state.data.sheets;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (static_cast<int>(i) != ignoreIndex && sheets[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return SheetNameError::Duplicate;
    }
    return SheetNameError::None;
}

xls::DateSystem Workbook::dateSystem() const
{
    return m_state->data.dateSystem;
}

xls::DroppedContent Workbook::droppedContent() const
{
    return m_state->data.dropped;
}

bool Workbook::isModified() const
{
    return m_state->modified;
}

void Workbook::setModified(bool modified)
{
    m_state->modified = modified;
}

} // namespace quadrilo::store
