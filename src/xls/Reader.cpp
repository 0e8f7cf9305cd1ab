#include "xls/Reader.h"

#include "xls/ByteReader.h"
#include "xls/CompoundFile.h"
#include "xls/NumberFormats.h"
#include "xls/RecordTypes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_set>

static_assert(std::endian::native == std::endian::little, "the BIFF reader assumes a little-endian host");

namespace quadrilo::xls {
namespace {

constexpr std::size_t kMaxSheets = 256;

struct Record {
    std::uint16_t type = 0;
    std::size_t offset = 0;               // of the header in the stream
    std::span<const std::uint8_t> data;
};

// Walks the record headers of the stream from a given offset.
class RecordStream {
public:
    RecordStream(std::span<const std::uint8_t> stream, std::size_t start) : m_stream(stream), m_pos(start) {}

    // False at the end of the stream; sets truncated() when a record is cut.
    bool next(Record& record)
    {
        if (m_stream.size() < 4 || m_pos > m_stream.size() - 4)
            return false;
        const std::uint16_t type = static_cast<std::uint16_t>(m_stream[m_pos] | (m_stream[m_pos + 1] << 8));
        const std::size_t size = static_cast<std::size_t>(m_stream[m_pos + 2] | (m_stream[m_pos + 3] << 8));
        if (size > m_stream.size() - m_pos - 4) {
            m_truncated = true;
            return false;
        }
        record.type = type;
        record.offset = m_pos;
        record.data = m_stream.subspan(m_pos + 4, size);
        m_pos += 4 + size;
        return true;
    }

    std::uint16_t peekType() const
    {
        if (m_stream.size() < 4 || m_pos > m_stream.size() - 4)
            return 0xFFFF;
        return static_cast<std::uint16_t>(m_stream[m_pos] | (m_stream[m_pos + 1] << 8));
    }

    bool truncated() const { return m_truncated; }
    std::size_t position() const { return m_pos; }

private:
    std::span<const std::uint8_t> m_stream;
    std::size_t m_pos;
    bool m_truncated = false;
};

QString decodeChars(std::span<const std::uint8_t> bytes, bool highByte)
{
    if (!highByte)
        return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QString text(static_cast<qsizetype>(bytes.size() / 2), Qt::Uninitialized);
    std::memcpy(text.data(), bytes.data(), (bytes.size() / 2) * 2);
    return text;
}

// A string split over a record and its CONTINUE records (SST, STRING).
class ChunkReader {
public:
    explicit ChunkReader(std::vector<std::span<const std::uint8_t>> chunks) : m_chunks(std::move(chunks)) {}

    bool failed() const { return m_failed; }
    bool atEnd()
    {
        settle();
        return m_chunk >= m_chunks.size();
    }

    std::uint8_t u8()
    {
        settle();
        if (m_chunk >= m_chunks.size()) {
            m_failed = true;
            return 0;
        }
        return m_chunks[m_chunk][m_pos++];
    }
    std::uint16_t u16()
    {
        const std::uint16_t lo = u8();
        return static_cast<std::uint16_t>(lo | (u8() << 8));
    }
    std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | (static_cast<std::uint32_t>(u16()) << 16);
    }
    void skip(std::size_t n)
    {
        while (n > 0 && !m_failed) {
            settle();
            if (m_chunk >= m_chunks.size()) {
                m_failed = true;
                return;
            }
            const std::size_t take = std::min(n, m_chunks[m_chunk].size() - m_pos);
            m_pos += take;
            n -= take;
        }
    }

    // cch characters; a chunk boundary inside them starts with a new flags byte.
    QString chars(std::size_t cch, bool highByte)
    {
        QString result;
        while (cch > 0 && !m_failed) {
            if (m_pos >= currentSize()) {
                if (m_chunk + 1 >= m_chunks.size()) {
                    m_failed = true;
                    break;
                }
                ++m_chunk;
                m_pos = 0;
                if (m_chunks[m_chunk].empty())
                    continue;
                // The characters go on in the next record, after a new flags byte.
                highByte = (m_chunks[m_chunk][m_pos++] & 0x01) != 0;
                continue;
            }
            const std::size_t width = highByte ? 2 : 1;
            const std::size_t available = (currentSize() - m_pos) / width;
            if (available == 0) {
                m_failed = true;   // a character cut in half
                break;
            }
            const std::size_t take = std::min(cch, available);
            const QString part = decodeChars(m_chunks[m_chunk].subspan(m_pos, take * width), highByte);
            if (result.isEmpty())
                result = part;
            else
                result += part;
            m_pos += take * width;
            cch -= take;
        }
        return result;
    }

private:
    std::size_t currentSize() const { return m_chunk < m_chunks.size() ? m_chunks[m_chunk].size() : 0; }
    void settle()
    {
        while (m_chunk < m_chunks.size() && m_pos >= m_chunks[m_chunk].size()) {
            ++m_chunk;
            m_pos = 0;
        }
    }

    std::vector<std::span<const std::uint8_t>> m_chunks;
    std::size_t m_chunk = 0;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

// XLUnicodeRichExtendedString from a chunked reader (SST entries, STRING).
QString readRichString(ChunkReader& in, std::size_t cch, bool& rich)
{
    const std::uint8_t flags = in.u8();
    std::uint16_t runs = 0;
    std::uint32_t extSize = 0;
    if (flags & 0x08)
        runs = in.u16();
    if (flags & 0x04)
        extSize = in.u32();
    QString text = in.chars(cch, (flags & 0x01) != 0);
    if (runs > 0)
        rich = true;
    in.skip(std::size_t(runs) * 4);
    in.skip(extSize);
    return text;
}

// XLUnicodeString / ShortXLUnicodeString inside one record.
QString readString(ByteReader& in, bool shortLength)
{
    const std::size_t cch = shortLength ? in.u8() : in.u16();
    const std::uint8_t flags = in.u8();
    std::uint16_t runs = 0;
    std::uint32_t extSize = 0;
    if (flags & 0x08)
        runs = in.u16();
    if (flags & 0x04)
        extSize = in.u32();
    const bool highByte = (flags & 0x01) != 0;
    const auto bytes = in.bytes(cch * (highByte ? 2 : 1));
    if (in.failed())
        return {};
    QString text = decodeChars(bytes, highByte);
    in.skip(std::size_t(runs) * 4 + extSize);
    return text;
}

double decodeRk(std::uint32_t rk)
{
    double value;
    if (rk & 0x02)
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    else
        value = std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32);
    if (rk & 0x01)
        value /= 100.0;
    return value;
}

struct RawXf {
    std::uint16_t font = 0;
    std::uint16_t format = 0;
    std::uint16_t protection = 0;
    std::uint8_t alignment = 0;
    std::uint8_t rotation = 0;
    std::uint8_t indentFlags = 0;
    std::uint32_t borderLines = 0;
    std::uint32_t borderColors = 0;
    std::uint16_t fillColors = 0;
};

struct BoundSheet {
    QString name;
    std::uint32_t offset = 0;
    std::uint8_t visibility = 0;
    std::uint8_t type = 0;
    int modelIndex = -1;   // index in Workbook::sheets, -1 when dropped
};

struct BuiltInName {
    std::uint8_t code = 0;
    int sheet = 0;   // 1-based BOUNDSHEET index
    std::vector<CellRange> areas;
};

Error corrupt(std::string what, const Record& r) { return Error::make(ErrorCode::Corrupt, std::move(what), r.type, r.offset); }

class WorkbookParser {
public:
    WorkbookParser(std::span<const std::uint8_t> stream, Workbook& out, SheetReadCallback sheetRead)
        : m_stream(stream), m_book(out), m_sheetRead(std::move(sheetRead))
    {
    }

    Status parse()
    {
        if (auto s = parseGlobals(); !s)
            return s;
        for (auto& bs : m_sheets) {
            if (bs.type == 2) {
                m_book.dropped |= DroppedContent::Charts;
                continue;
            }
            if (bs.type == 1 || bs.type == 6) {
                m_book.dropped |= DroppedContent::Macros;
                continue;
            }
            if (bs.type != 0) {
                m_book.dropped |= DroppedContent::OtherStreams;
                continue;
            }
            bs.modelIndex = static_cast<int>(m_book.sheets.size());
            m_book.sheets.emplace_back();
            Sheet& sheet = m_book.sheets.back();
            sheet.name = bs.name;
            sheet.visibility = bs.visibility <= 2 ? static_cast<SheetVisibility>(bs.visibility) : SheetVisibility::Hidden;
            if (auto s = parseSheet(bs, sheet); !s)
                return s;
            if (m_sheetRead)
                m_sheetRead(static_cast<std::size_t>(bs.modelIndex), sheet, m_book);
        }
        applyNames();
        m_book.activeSheet = 0;
        if (m_activeTab < m_sheets.size() && m_sheets[m_activeTab].modelIndex >= 0)
            m_book.activeSheet = m_sheets[m_activeTab].modelIndex;
        return success();
    }

private:
    Status parseGlobals()
    {
        RecordStream records(m_stream, 0);
        Record r;
        if (!records.next(r) || r.type != rt::Bof)
            return Error::make(ErrorCode::Corrupt, "workbook stream does not start with BOF");
        bool sawEof = false;
        while (records.next(r)) {
            ByteReader in(r.data);
            switch (r.type) {
            case rt::Eof:
                sawEof = true;
                break;
            case rt::DateMode:
                m_book.dateSystem = in.u16() == 1 ? DateSystem::Date1904 : DateSystem::Date1900;
                break;
            case rt::Window1:
                in.skip(10);
                m_activeTab = in.u16();
                break;
            case rt::Font: {
                Font font;
                font.heightTwips = in.u16();
                const std::uint16_t flags = in.u16();
                font.italic = flags & 0x0002;
                font.strikeOut = flags & 0x0008;
                font.color = in.u16();
                font.weight = in.u16();
                font.escapement = in.u16();
                font.underline = in.u8();
                font.family = in.u8();
                font.charset = in.u8();
                in.skip(1);
                font.name = readString(in, true);
                if (in.failed())
                    return corrupt("short FONT record", r);
                m_fonts.push_back(std::move(font));
                break;
            }
            case rt::Format: {
                const std::uint16_t id = in.u16();
                QString format = readString(in, false);
                if (in.failed())
                    return corrupt("short FORMAT record", r);
                m_formats.emplace_back(id, std::move(format));
                break;
            }
            case rt::Xf: {
                RawXf xf;
                xf.font = in.u16();
                xf.format = in.u16();
                xf.protection = in.u16();
                xf.alignment = in.u8();
                xf.rotation = in.u8();
                xf.indentFlags = in.u8();
                in.skip(1);
                xf.borderLines = in.u32();
                xf.borderColors = in.u32();
                xf.fillColors = in.u16();
                if (in.failed())
                    return corrupt("short XF record", r);
                m_xfs.push_back(xf);
                break;
            }
            case rt::BoundSheet: {
                BoundSheet bs;
                bs.offset = in.u32();
                bs.visibility = in.u8() & 0x03;
                bs.type = in.u8();
                bs.name = readString(in, true);
                if (in.failed())
                    return corrupt("short BOUNDSHEET record", r);
                if (m_sheets.size() >= kMaxSheets)
                    return Error::make(ErrorCode::TooLarge, "more than 256 sheets", r.type, r.offset);
                m_sheets.push_back(std::move(bs));
                break;
            }
            case rt::Sst:
                if (auto s = parseSst(r, records); !s)
                    return s;
                break;
            case rt::Name:
                parseName(r);
                break;
            case rt::Protect:
            case rt::WindowProtect:
                if (in.u16() != 0)
                    m_book.dropped |= DroppedContent::Protection;
                break;
            case rt::Password:
                if (in.u16() != 0)
                    m_book.dropped |= DroppedContent::Protection;
                break;
            default:
                break;
            }
            if (sawEof)
                break;
        }
        if (!sawEof)
            return Error::make(ErrorCode::Corrupt, records.truncated() ? "truncated record in workbook globals"
                                                                       : "workbook globals end without EOF",
                               0, records.position());
        buildStyles();
        return success();
    }

    Status parseSst(const Record& first, RecordStream& records)
    {
        std::vector<std::span<const std::uint8_t>> chunks{first.data};
        Record r;
        while (records.peekType() == rt::Continue && records.next(r))
            chunks.push_back(r.data);
        ChunkReader in(std::move(chunks));
        in.u32();   // total references
        const std::uint32_t unique = in.u32();
        if (in.failed())
            return corrupt("short SST record", first);
        m_sst.reserve(std::min<std::size_t>(unique, m_stream.size() / 3));
        bool rich = false;
        for (std::uint32_t i = 0; i < unique; ++i) {
            if (in.atEnd())
                break;   // some writers overstate the count
            const std::uint16_t cch = in.u16();
            m_sst.push_back(readRichString(in, cch, rich));
            if (in.failed())
                return corrupt("damaged shared string table", first);
        }
        if (rich)
            m_book.dropped |= DroppedContent::RichText;
        return success();
    }

    void parseName(const Record& r)
    {
        ByteReader in(r.data);
        const std::uint16_t flags = in.u16();
        in.skip(1);
        const std::uint8_t cch = in.u8();
        const std::uint16_t cce = in.u16();
        in.skip(2);
        const std::uint16_t itab = in.u16();
        in.skip(4);
        const std::uint8_t nameFlags = in.u8();
        const auto nameBytes = in.bytes(std::size_t(cch) * ((nameFlags & 1) ? 2 : 1));
        const auto formula = in.bytes(cce);
        if (in.failed())
            return;
        const bool builtIn = flags & 0x0020;
        const std::uint8_t code = nameBytes.empty() ? 0xFF : nameBytes[0];
        if (!builtIn || (code != 0x06 && code != 0x07)) {
            if (builtIn && code == 0x0D)
                m_book.dropped |= DroppedContent::AutoFilter;
            else
                m_book.dropped |= DroppedContent::DefinedNames;
            return;
        }
        BuiltInName name;
        name.code = code;
        name.sheet = itab;
        ByteReader tokens(formula);
        while (!tokens.atEnd()) {
            const std::uint8_t token = tokens.u8();
            if (token == 0x3B || token == 0x5B || token == 0x7B) {   // tArea3d
                tokens.skip(2);
                CellRange range;
                range.firstRow = tokens.u16();
                range.lastRow = tokens.u16();
                range.firstColumn = tokens.u16() & 0x00FF;
                range.lastColumn = tokens.u16() & 0x00FF;
                name.areas.push_back(range);
            } else if (token == 0x3A || token == 0x5A || token == 0x7A) {   // tRef3d
                tokens.skip(2);
                CellRange range;
                range.firstRow = range.lastRow = tokens.u16();
                range.firstColumn = range.lastColumn = tokens.u16() & 0x00FF;
                name.areas.push_back(range);
            } else if (token == 0x29 || token == 0x49 || token == 0x69) {   // tMemFunc
                tokens.skip(2);
            } else if (token == 0x10 || token == 0x15) {   // tList, tParen
            } else {
                m_book.dropped |= DroppedContent::DefinedNames;
                return;
            }
            if (tokens.failed())
                return;
        }
        m_names.push_back(std::move(name));
    }

    void applyNames()
    {
        for (const auto& name : m_names) {
            if (name.sheet < 1 || name.sheet > static_cast<int>(m_sheets.size()))
                continue;
            const int index = m_sheets[static_cast<std::size_t>(name.sheet - 1)].modelIndex;
            if (index < 0)
                continue;
            PageSetup& page = m_book.sheets[static_cast<std::size_t>(index)].pageSetup;
            if (name.code == 0x06) {
                page.printArea = name.areas;
                continue;
            }
            for (const auto& area : name.areas) {
                if (area.firstColumn == 0 && area.lastColumn == 0xFF)
                    page.titleRows = Span{area.firstRow, area.lastRow};
                else if (area.firstRow == 0 && area.lastRow == 0xFFFF)
                    page.titleColumns = Span{area.firstColumn, area.lastColumn};
            }
        }
    }

    const Font& fontAt(std::uint16_t index) const
    {
        static const Font fallback;
        std::size_t i = index >= 4 ? index - 1u : index;
        return i < m_fonts.size() ? m_fonts[i] : (m_fonts.empty() ? fallback : m_fonts[0]);
    }

    QString formatAt(std::uint16_t id) const
    {
        for (auto it = m_formats.rbegin(); it != m_formats.rend(); ++it)
            if (it->first == id)
                return it->second;
        return builtInNumberFormat(id);
    }

    Style styleOf(const RawXf& xf) const
    {
        Style style;
        style.font = fontAt(xf.font);
        style.numberFormat = formatAt(xf.format);
        style.locked = xf.protection & 0x0001;
        style.formulaHidden = xf.protection & 0x0002;
        style.horizontal = static_cast<HorizontalAlignment>(xf.alignment & 0x07);
        style.wrap = xf.alignment & 0x08;
        const int vertical = (xf.alignment >> 4) & 0x07;
        style.vertical = vertical <= 4 ? static_cast<VerticalAlignment>(vertical) : VerticalAlignment::Bottom;
        style.rotation = xf.rotation;
        style.indent = xf.indentFlags & 0x0F;
        style.shrinkToFit = xf.indentFlags & 0x10;
        const int order = (xf.indentFlags >> 6) & 0x03;
        style.readingOrder = order <= 2 ? static_cast<ReadingOrder>(order) : ReadingOrder::Context;
        style.borderLines = xf.borderLines;
        style.borderColors = xf.borderColors & ~(1u << 25);   // fHasXFExt: we write no XFEXT
        style.fillColors = xf.fillColors;
        return style;
    }

    void buildStyles()
    {
        const std::size_t defaultXf = m_xfs.size() > 15 ? 15 : 0;
        m_book.styles.clear();
        m_book.styles.push_back(m_xfs.empty() ? Style{} : styleOf(m_xfs[defaultXf]));
        // Cells refer to cell XFs; a cell pointing at a style XF gets the default.
        m_xfStyle.assign(m_xfs.size(), 0);
        for (std::size_t i = 0; i < m_xfs.size(); ++i)
            if (i != defaultXf && !(m_xfs[i].protection & 0x0004))
                m_xfStyle[i] = m_book.internStyle(styleOf(m_xfs[i]));
    }

    std::uint16_t cellStyle(std::uint16_t xf) const
    {
        if (xf < m_xfStyle.size())
            return m_xfStyle[xf];
        return 0;
    }

    // Rows and cells are stored densely, so a few bytes of a crafted file can
    // ask for much memory: what the slots would take is counted, and a file
    // past the budget is refused (TooLarge) instead of growing without bound.
    bool withinBudget(std::size_t rows, std::size_t cells)
    {
        m_slotBytes += rows * sizeof(Row) + cells * sizeof(Cell);
        m_overBudget = m_overBudget || m_slotBytes > kMaxSlotBytes;
        return !m_overBudget;
    }

    Row* rowAt(Sheet& sheet, std::uint16_t row)
    {
        if (sheet.rows.size() <= row) {
            if (!withinBudget(std::size_t(row) + 1 - sheet.rows.size(), 0))
                return nullptr;
            sheet.rows.resize(std::size_t(row) + 1);
        }
        return &sheet.rows[row];
    }

    // A cell over the budget is written into a scratch cell; the record loop
    // then stops with TooLarge.
    Cell& cellAt(Sheet& sheet, std::uint16_t row, std::uint16_t column)
    {
        Row* target = rowAt(sheet, row);
        if (!target)
            return m_scratch = Cell{};
        auto& cells = target->cells;
        if (cells.size() <= column) {
            if (!withinBudget(0, std::size_t(column) + 1 - cells.size()))
                return m_scratch = Cell{};
            cells.resize(std::size_t(column) + 1);
        }
        return cells[column];
    }

    Status parseSheet(const BoundSheet& bs, Sheet& sheet)
    {
        if (bs.offset >= m_stream.size())
            return Error::make(ErrorCode::Corrupt, "sheet offset beyond the stream", rt::BoundSheet, bs.offset);
        if (!m_sheetOffsets.insert(bs.offset).second)
            return Error::make(ErrorCode::Corrupt, "two sheets at the same offset", rt::BoundSheet, bs.offset);
        RecordStream records(m_stream, bs.offset);
        Record r;
        if (!records.next(r) || r.type != rt::Bof || r.data.size() < 4 || (r.data[2] | (r.data[3] << 8)) == rt::kBofGlobals)
            return Error::make(ErrorCode::Corrupt, "sheet does not start with its BOF", rt::Bof, bs.offset);

        int depth = 1;
        bool frozen = false;
        int activePane = 3;
        bool pendingString = false;
        std::uint16_t pendingRow = 0;
        std::uint16_t pendingColumn = 0;
        std::uint16_t pendingStyle = 0;
        struct Selection {
            int pane, row, column;
        };
        std::vector<Selection> selections;

        while (depth > 0) {
            if (!records.next(r))
                return Error::make(ErrorCode::Corrupt, records.truncated() ? "truncated record in sheet" : "sheet ends without EOF",
                                   0, records.position());
            if (r.type == rt::Bof) {
                ++depth;
                m_book.dropped |= DroppedContent::Charts;
                continue;
            }
            if (r.type == rt::Eof) {
                --depth;
                continue;
            }
            if (depth > 1)
                continue;
            if (pendingString && r.type != rt::String && r.type != rt::ShrFmla && r.type != rt::Array && r.type != 0x0236)
                pendingString = false;

            ByteReader in(r.data);
            switch (r.type) {
            case rt::LabelSst: {
                const std::uint16_t row = in.u16(), column = in.u16(), xf = in.u16();
                const std::uint32_t index = in.u32();
                if (in.failed() || column >= kMaxColumns)
                    return corrupt("bad LABELSST record", r);
                if (index >= m_sst.size())
                    return corrupt("LABELSST beyond the shared string table", r);
                Cell& cell = cellAt(sheet, row, column);
                cell.kind = m_sst[index].isEmpty() ? CellKind::Empty : CellKind::Text;
                cell.text = m_sst[index];
                cell.style = cellStyle(xf);
                break;
            }
            case rt::Label:
            case rt::RString: {
                const std::uint16_t row = in.u16(), column = in.u16(), xf = in.u16();
                QString text = readString(in, false);
                if (in.failed() || column >= kMaxColumns)
                    return corrupt("bad LABEL record", r);
                if (r.type == rt::RString)
                    m_book.dropped |= DroppedContent::RichText;
                Cell& cell = cellAt(sheet, row, column);
                cell.kind = text.isEmpty() ? CellKind::Empty : CellKind::Text;
                cell.text = std::move(text);
                cell.style = cellStyle(xf);
                break;
            }
            case rt::Number:
            case rt::Rk: {
                const std::uint16_t row = in.u16(), column = in.u16(), xf = in.u16();
                const double value = r.type == rt::Number ? in.f64() : decodeRk(in.u32());
                if (in.failed() || column >= kMaxColumns)
                    return corrupt("bad number record", r);
                setNumber(cellAt(sheet, row, column), value, cellStyle(xf));
                break;
            }
            case rt::MulRk: {
                if (r.data.size() < 6 || (r.data.size() - 6) % 6 != 0)
                    return corrupt("bad MULRK size", r);
                const std::uint16_t row = in.u16(), first = in.u16();
                const std::size_t count = (r.data.size() - 6) / 6;
                if (first + count > kMaxColumns)
                    return corrupt("MULRK beyond column IV", r);
                for (std::size_t i = 0; i < count; ++i) {
                    const std::uint16_t xf = in.u16();
                    const double value = decodeRk(in.u32());
                    setNumber(cellAt(sheet, row, static_cast<std::uint16_t>(first + i)), value, cellStyle(xf));
                }
                break;
            }
            case rt::Blank: {
                const std::uint16_t row = in.u16(), column = in.u16(), xf = in.u16();
                if (in.failed() || column >= kMaxColumns)
                    return corrupt("bad BLANK record", r);
                Cell& cell = cellAt(sheet, row, column);
                cell = Cell{};
                cell.style = cellStyle(xf);
                break;
            }
            case rt::MulBlank: {
                if (r.data.size() < 6 || (r.data.size() - 6) % 2 != 0)
                    return corrupt("bad MULBLANK size", r);
                const std::uint16_t row = in.u16(), first = in.u16();
                const std::size_t count = (r.data.size() - 6) / 2;
                if (first + count > kMaxColumns)
                    return corrupt("MULBLANK beyond column IV", r);
                for (std::size_t i = 0; i < count; ++i) {
                    Cell& cell = cellAt(sheet, row, static_cast<std::uint16_t>(first + i));
                    cell = Cell{};
                    cell.style = cellStyle(in.u16());
                }
                break;
            }
            case rt::BoolErr: {
                const std::uint16_t row = in.u16(), column = in.u16(), xf = in.u16();
                const std::uint8_t value = in.u8(), isError = in.u8();
                if (in.failed() || column >= kMaxColumns)
                    return corrupt("bad BOOLERR record", r);
                Cell& cell = cellAt(sheet, row, column);
                cell = Cell{};
                cell.kind = isError ? CellKind::Error : CellKind::Boolean;
                cell.code = isError ? value : (value ? 1 : 0);
                cell.style = cellStyle(xf);
                break;
            }
            case rt::Formula: {
                const std::uint16_t row = in.u16(), column = in.u16(), xf = in.u16();
                const auto result = in.bytes(8);
                if (in.failed() || column >= kMaxColumns)
                    return corrupt("bad FORMULA record", r);
                m_book.dropped |= DroppedContent::Formulas;
                Cell& cell = cellAt(sheet, row, column);
                cell = Cell{};
                cell.style = cellStyle(xf);
                if (result[6] == 0xFF && result[7] == 0xFF) {
                    switch (result[0]) {
                    case 0x00:
                        pendingString = true;
                        pendingRow = row;
                        pendingColumn = column;
                        pendingStyle = cell.style;
                        break;
                    case 0x01:
                        cell.kind = CellKind::Boolean;
                        cell.code = result[2] ? 1 : 0;
                        break;
                    case 0x02:
                        cell.kind = CellKind::Error;
                        cell.code = result[2];
                        break;
                    default:
                        break;   // empty string
                    }
                } else {
                    ByteReader value(result);
                    cell.kind = CellKind::Number;
                    cell.number = value.f64();
                }
                break;
            }
            case rt::String: {
                if (!pendingString)
                    break;
                pendingString = false;
                std::vector<std::span<const std::uint8_t>> chunks{r.data};
                Record c;
                while (records.peekType() == rt::Continue && records.next(c))
                    chunks.push_back(c.data);
                ChunkReader chunked(std::move(chunks));
                const std::uint16_t cch = chunked.u16();
                bool rich = false;
                QString text = readRichString(chunked, cch, rich);
                if (chunked.failed())
                    return corrupt("bad STRING record", r);
                Cell& cell = cellAt(sheet, pendingRow, pendingColumn);
                cell.kind = text.isEmpty() ? CellKind::Empty : CellKind::Text;
                cell.text = std::move(text);
                cell.style = pendingStyle;
                break;
            }
            case rt::Row: {
                const std::uint16_t row = in.u16();
                in.skip(2);
                const std::uint16_t lastColumn = in.u16();
                const std::uint16_t height = in.u16() & 0x7FFF;
                in.skip(4);
                const std::uint16_t flags = in.u16();
                if (in.failed())
                    return corrupt("short ROW record", r);
                Row* target = rowAt(sheet, row);
                if (!target)
                    break;
                target->customHeight = flags & 0x0040;
                target->hidden = flags & 0x0020;
                target->heightTwips = (target->customHeight || height != sheet.defaultRowHeightTwips) ? height : 0;
                if (withinBudget(0, std::min<std::uint16_t>(lastColumn, kMaxColumns)))
                    target->cells.reserve(std::min<std::uint16_t>(lastColumn, kMaxColumns));
                break;
            }
            case rt::ColInfo: {
                const std::uint16_t first = in.u16(), last = in.u16(), width = in.u16(), xf = in.u16(), flags = in.u16();
                if (in.failed())
                    return corrupt("short COLINFO record", r);
                // A width equal to the default that was not set by hand is the default.
                const bool ownWidth = (flags & 0x0002) || width != defaultColumnWidthUnits(sheet);
                for (int c = first; c <= std::min<int>(last, kMaxColumns - 1); ++c) {
                    Column& column = sheet.columns[static_cast<std::size_t>(c)];
                    column.width = ownWidth ? width : 0;
                    column.style = cellStyle(xf);
                    column.hidden = flags & 0x0001;
                }
                break;
            }
            case rt::DefColWidth:
                sheet.defaultColumnWidth = in.u16();
                break;
            case rt::StandardWidth:
                sheet.standardWidth = in.u16();
                break;
            case rt::DefaultRowHeight:
                in.skip(2);
                if (const std::uint16_t h = in.u16(); !in.failed() && h > 0)
                    sheet.defaultRowHeightTwips = h;
                break;
            case rt::Window2: {
                const std::uint16_t flags = in.u16();
                sheet.topRow = in.u16();
                sheet.leftColumn = in.u16();
                frozen = flags & 0x0008;
                sheet.showGridlines = flags & 0x0002;
                break;
            }
            case rt::Pane: {
                const std::uint16_t x = in.u16(), y = in.u16(), top = in.u16(), left = in.u16();
                const std::uint8_t pane = in.u8();
                if (in.failed())
                    break;
                activePane = pane;
                if (frozen) {
                    sheet.frozenColumns = x;
                    sheet.frozenRows = y;
                    sheet.topRow = top;
                    sheet.leftColumn = left;
                }
                break;
            }
            case rt::Selection: {
                const std::uint8_t pane = in.u8();
                const std::uint16_t row = in.u16(), column = in.u16();
                if (!in.failed())
                    selections.push_back({pane, row, column});
                break;
            }
            case rt::Scl: {
                const std::uint16_t num = in.u16(), den = in.u16();
                if (!in.failed() && den != 0 && num != 0)
                    sheet.zoom = static_cast<std::uint16_t>(std::clamp<unsigned>(num * 100u / den, 10, 400));
                break;
            }
            case rt::Header:
            case rt::Footer: {
                QString text = r.data.empty() ? QString() : readString(in, false);
                (r.type == rt::Header ? sheet.pageSetup.header : sheet.pageSetup.footer) = text;
                break;
            }
            case rt::LeftMargin: sheet.pageSetup.leftMargin = marginOr(in, sheet.pageSetup.leftMargin); break;
            case rt::RightMargin: sheet.pageSetup.rightMargin = marginOr(in, sheet.pageSetup.rightMargin); break;
            case rt::TopMargin: sheet.pageSetup.topMargin = marginOr(in, sheet.pageSetup.topMargin); break;
            case rt::BottomMargin: sheet.pageSetup.bottomMargin = marginOr(in, sheet.pageSetup.bottomMargin); break;
            case rt::HCenter: sheet.pageSetup.centerHorizontally = in.u16() != 0; break;
            case rt::VCenter: sheet.pageSetup.centerVertically = in.u16() != 0; break;
            case rt::PrintGridlines: sheet.pageSetup.printGridlines = in.u16() != 0; break;
            case rt::PrintHeaders: sheet.pageSetup.printHeadings = in.u16() != 0; break;
            case rt::WsBool: sheet.pageSetup.fitToPage = (in.u16() & 0x0100) != 0; break;
            case rt::Setup: parseSetup(in, sheet.pageSetup); break;
            case rt::HorizontalPageBreaks:
            case rt::VerticalPageBreaks: {
                const std::uint16_t count = in.u16();
                auto& breaks = r.type == rt::HorizontalPageBreaks ? sheet.pageSetup.rowBreaks : sheet.pageSetup.columnBreaks;
                breaks.clear();
                for (std::uint16_t i = 0; i < count && in.has(6); ++i) {
                    breaks.push_back(in.u16());
                    in.skip(4);
                }
                std::sort(breaks.begin(), breaks.end());
                breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
                break;
            }
            case rt::MergedCells: {
                const std::uint16_t count = in.u16();
                for (std::uint16_t i = 0; i < count && in.has(8); ++i) {
                    CellRange range;
                    range.firstRow = in.u16();
                    range.lastRow = in.u16();
                    range.firstColumn = in.u16();
                    range.lastColumn = in.u16();
                    if (range.firstRow <= range.lastRow && range.firstColumn <= range.lastColumn && range.lastColumn < kMaxColumns)
                        sheet.mergedCells.push_back(range);
                }
                break;
            }
            case rt::Note: m_book.dropped |= DroppedContent::Comments; break;
            case rt::Obj: {
                in.skip(4);   // ftCmo header
                if (in.u16() != 0x19)
                    m_book.dropped |= DroppedContent::Pictures;
                break;
            }
            case rt::Hlink: m_book.dropped |= DroppedContent::Hyperlinks; break;
            case rt::Dv:
            case rt::DVal: m_book.dropped |= DroppedContent::DataValidation; break;
            case rt::CondFmt:
            case rt::Cf: m_book.dropped |= DroppedContent::ConditionalFormats; break;
            case rt::AutoFilterInfo:
            case rt::AutoFilter: m_book.dropped |= DroppedContent::AutoFilter; break;
            case rt::Protect:
            case rt::ObjProtect:
            case rt::ScenProtect:
            case rt::Password:
                if (in.u16() != 0)
                    m_book.dropped |= DroppedContent::Protection;
                break;
            default:
                break;
            }
            if (m_overBudget)
                return Error::make(ErrorCode::TooLarge, "more cells than a workbook may hold here", r.type, r.offset);
        }

        for (const auto& s : selections) {
            if (s.pane == activePane || (selections.size() == 1)) {
                sheet.activeRow = s.row;
                sheet.activeColumn = s.column;
            }
        }
        return success();
    }

    static double marginOr(ByteReader& in, double fallback)
    {
        const double v = in.f64();
        return in.failed() || !(v >= 0 && v < 100) ? fallback : v;
    }

    static void parseSetup(ByteReader& in, PageSetup& page)
    {
        const std::uint16_t paper = in.u16(), scale = in.u16(), pageStart = in.u16(), fitWidth = in.u16(),
                            fitHeight = in.u16(), flags = in.u16(), hres = in.u16(), vres = in.u16();
        const double headerMargin = in.f64(), footerMargin = in.f64();
        const std::uint16_t copies = in.u16();
        if (in.failed())
            return;
        page.paperSize = paper;
        page.scale = scale;
        page.fitWidth = fitWidth;
        page.fitHeight = fitHeight;
        page.overThenDown = flags & 0x0001;
        page.orientation = (flags & 0x0002) ? Orientation::Portrait : Orientation::Landscape;
        page.printerSettingsValid = !(flags & 0x0004);
        page.blackAndWhite = flags & 0x0008;
        page.draft = flags & 0x0010;
        page.printNotes = flags & 0x0020;
        page.firstPageNumber = (flags & 0x0080) ? std::optional<std::uint16_t>(pageStart) : std::nullopt;
        page.printErrors = static_cast<std::uint8_t>((flags >> 10) & 0x03);
        page.horizontalResolution = hres;
        page.verticalResolution = vres;
        if (headerMargin >= 0 && headerMargin < 100)
            page.headerMargin = headerMargin;
        if (footerMargin >= 0 && footerMargin < 100)
            page.footerMargin = footerMargin;
        page.copies = copies;
    }

    static void setNumber(Cell& cell, double value, std::uint16_t style)
    {
        cell = Cell{};
        cell.kind = CellKind::Number;
        cell.number = value;
        cell.style = style;
    }

    std::span<const std::uint8_t> m_stream;
    Workbook& m_book;
    SheetReadCallback m_sheetRead;
    std::size_t m_slotBytes = 0;
    bool m_overBudget = false;
    Cell m_scratch;
    std::vector<Font> m_fonts;
    std::vector<std::pair<std::uint16_t, QString>> m_formats;
    std::vector<RawXf> m_xfs;
    std::vector<std::uint16_t> m_xfStyle;
    std::vector<BoundSheet> m_sheets;
    std::vector<QString> m_sst;
    std::vector<BuiltInName> m_names;
    std::unordered_set<std::uint32_t> m_sheetOffsets;
    std::size_t m_activeTab = 0;
};

// The offset of the FILEPASS record among the globals, if any.
Result<std::optional<std::size_t>> findFilePass(std::span<const std::uint8_t> stream)
{
    RecordStream records(stream, 0);
    Record r;
    if (!records.next(r))
        return Error::make(ErrorCode::Corrupt, "empty workbook stream");
    if (r.type == rt::Bof2 || r.type == rt::Bof3 || r.type == rt::Bof4)
        return Error::make(ErrorCode::UnsupportedVersion, "Excel 4 or older workbook", r.type, r.offset);
    if (r.type != rt::Bof || r.data.size() < 4)
        return Error::make(ErrorCode::Corrupt, "workbook stream does not start with BOF", r.type, r.offset);
    ByteReader bof(r.data);
    const std::uint16_t version = bof.u16();
    const std::uint16_t type = bof.u16();
    if (version < rt::kBiff8)
        return Error::make(ErrorCode::UnsupportedVersion, "Excel 95 (BIFF5) or older workbook", r.type, r.offset);
    if (type != rt::kBofGlobals)
        return Error::make(ErrorCode::Corrupt, "first substream is not the workbook globals", r.type, r.offset);
    while (records.next(r)) {
        if (r.type == rt::FilePass)
            return std::optional<std::size_t>(r.offset);
        if (r.type == rt::Eof)
            break;
    }
    return std::optional<std::size_t>();
}

// Decrypts and parses the Workbook stream of a container.
Result<ReadResult> readContainer(ContainerContent& container, const ReadOptions& options)
{
    std::vector<std::uint8_t>& stream = container.workbookStream;

    auto filePass = findFilePass(stream);
    if (!filePass)
        return filePass.error();

    ReadResult result;
    if (filePass->has_value()) {
        std::vector<QString> passwords;
        if (!options.password.isEmpty())
            passwords.push_back(options.password);
        if (options.password != kDefaultExcelPassword)
            passwords.push_back(kDefaultExcelPassword);
        auto outcome = decryptWorkbookStream(stream, **filePass, passwords);
        if (!outcome)
            return outcome.error();
        result.encryption = outcome->scheme;
        result.defaultPasswordUsed = outcome->password == kDefaultExcelPassword && options.password != kDefaultExcelPassword;
    } else if (options.requireEncryption) {
        return Error::make(ErrorCode::NotEncrypted, "the workbook has no password");
    }

    if (container.hasMacros)
        result.workbook.dropped |= DroppedContent::Macros;
    if (container.hasEmbeddedObjects)
        result.workbook.dropped |= DroppedContent::Pictures;
    WorkbookParser parser(stream, result.workbook, options.sheetRead);
    if (auto status = parser.parse(); !status)
        return status.error();
    if (result.workbook.sheets.empty())
        return Error::make(ErrorCode::Corrupt, "the workbook has no worksheet");
    return result;
}

} // namespace

Result<ReadResult> readWorkbook(std::span<const std::uint8_t> fileBytes, const ReadOptions& options)
{
    auto container = readCompoundFile(fileBytes);
    if (!container)
        return container.error();
    return readContainer(*container, options);
}

Result<ReadResult> readWorkbookFile(const QString& path, const ReadOptions& options)
{
    auto container = [&]() -> Result<ContainerContent> {
        auto bytes = readFileBytes(path);
        if (!bytes)
            return bytes.error();
        return readCompoundFile(*bytes);
    }();  // the file's bytes are freed before the parse
    if (!container)
        return container.error();
    return readContainer(*container, options);
}

} // namespace quadrilo::xls
