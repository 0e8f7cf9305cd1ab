#include "xls/Writer.h"

#include "xls/ByteWriter.h"
#include "xls/CompoundFile.h"
#include "xls/NumberFormats.h"
#include "xls/RecordTypes.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>

namespace quadrilo::xls {
namespace {

constexpr std::size_t kMaxTextLength = 32767;
constexpr std::size_t kMaxStyles = 4000;          // BIFF8 allows 4050 XF records in all
constexpr std::size_t kMinStreamSize = 4096;      // keeps the stream out of the mini stream
constexpr int kStyleXfCount = 15;

bool fitsLatin1(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// Appends records to the stream, patching each record's size when it ends.
class RecordWriter {
public:
    explicit RecordWriter(std::vector<std::uint8_t>& out) : m_out(out), m_w(out) {}

    ByteWriter& bytes() { return m_w; }
    std::size_t position() const { return m_out.size(); }

    void begin(std::uint16_t type)
    {
        m_start = m_out.size();
        m_w.u16(type);
        m_w.u16(0);
    }
    void end() { m_w.patchU16(m_start + 2, static_cast<std::uint16_t>(m_out.size() - m_start - 4)); }
    std::size_t currentDataSize() const { return m_out.size() - m_start - 4; }

    void record(std::uint16_t type, std::initializer_list<std::uint16_t> words)
    {
        begin(type);
        for (auto w : words)
            m_w.u16(w);
        end();
    }
    void recordF64(std::uint16_t type, double v)
    {
        begin(type);
        m_w.f64(v);
        end();
    }

    void string(const QString& text, bool shortLength)
    {
        if (shortLength)
            m_w.u8(static_cast<std::uint8_t>(text.size()));
        else
            m_w.u16(static_cast<std::uint16_t>(text.size()));
        chars(text);
    }
    // Flags byte and characters, compressed when every character allows it.
    void chars(const QString& text)
    {
        const bool compressed = fitsLatin1(text);
        m_w.u8(compressed ? 0x00 : 0x01);
        for (QChar c : text) {
            if (compressed)
                m_w.u8(static_cast<std::uint8_t>(c.unicode()));
            else
                m_w.u16(c.unicode());
        }
    }

private:
    std::vector<std::uint8_t>& m_out;
    ByteWriter m_w;
    std::size_t m_start = 0;
};

std::optional<std::uint32_t> encodeRk(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && value >= -536870912.0 && value < 536870912.0) {
        const auto n = static_cast<std::int32_t>(value);
        return (static_cast<std::uint32_t>(n) << 2) | 0x02u;
    }
    const auto bits = std::bit_cast<std::uint64_t>(value);
    if ((bits & 0x3FFFFFFFFull) == 0)
        return static_cast<std::uint32_t>(bits >> 32);
    return std::nullopt;
}

bool validSheetName(const QString& name)
{
    if (name.isEmpty() || name.size() > kMaxSheetNameLength)
        return false;
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return false;
    for (QChar c : name)
        if (QStringLiteral(":\\*?/[]").contains(c) || c.unicode() < 0x20)
            return false;
    return true;
}

struct Tables {
    std::vector<Font> fonts;                 // distinct fonts; index 0 = default
    std::vector<std::uint16_t> styleFont;    // style -> FONT index as stored (gap at 4)
    std::vector<std::pair<std::uint16_t, QString>> customFormats;
    std::vector<std::uint16_t> styleFormat;  // style -> format id
};

Tables buildTables(const Workbook& book)
{
    Tables t;
    t.fonts.push_back(book.styles.front().font);
    QHash<QString, std::uint16_t> customIds;
    for (const Style& style : book.styles) {
        auto it = std::find(t.fonts.begin(), t.fonts.end(), style.font);
        std::size_t index = static_cast<std::size_t>(it - t.fonts.begin());
        if (it == t.fonts.end())
            t.fonts.push_back(style.font);
        // Records 0-3 are the default font; record k >= 4 has index k + 1.
        t.styleFont.push_back(index == 0 ? 0 : static_cast<std::uint16_t>(index + 4));

        if (auto id = builtInNumberFormatId(style.numberFormat)) {
            t.styleFormat.push_back(*id);
            continue;
        }
        auto found = customIds.find(style.numberFormat);
        if (found == customIds.end()) {
            const auto id = static_cast<std::uint16_t>(kFirstCustomFormatId + t.customFormats.size());
            found = customIds.insert(style.numberFormat, id);
            t.customFormats.emplace_back(id, style.numberFormat);
        }
        t.styleFormat.push_back(found.value());
    }
    return t;
}

void writeFont(RecordWriter& rw, const Font& font)
{
    auto& w = rw.bytes();
    rw.begin(rt::Font);
    w.u16(font.heightTwips);
    w.u16(static_cast<std::uint16_t>((font.italic ? 0x0002 : 0) | (font.strikeOut ? 0x0008 : 0)));
    w.u16(font.color);
    w.u16(font.weight);
    w.u16(font.escapement);
    w.u8(font.underline);
    w.u8(font.family);
    w.u8(font.charset);
    w.u8(0);
    rw.string(font.name.left(255), true);
    rw.end();
}

void writeStyleXf(RecordWriter& rw, bool outline)
{
    auto& w = rw.bytes();
    rw.begin(rt::Xf);
    w.u16(0);
    w.u16(0);
    w.u16(0xFFF5);
    w.u8(0x20);
    w.u8(0);
    w.u8(0);
    w.u8(outline ? 0xF4 : 0x00);
    w.u32(0);
    w.u32(0);
    w.u16(0x20C0);
    rw.end();
}

void writeCellXf(RecordWriter& rw, const Style& style, std::uint16_t font, std::uint16_t format)
{
    auto& w = rw.bytes();
    rw.begin(rt::Xf);
    w.u16(font);
    w.u16(format);
    w.u16(static_cast<std::uint16_t>((style.locked ? 0x0001 : 0) | (style.formulaHidden ? 0x0002 : 0)));
    w.u8(static_cast<std::uint8_t>((static_cast<int>(style.horizontal) & 0x07) | (style.wrap ? 0x08 : 0)
                                   | ((static_cast<int>(style.vertical) & 0x07) << 4)));
    w.u8(style.rotation);
    w.u8(static_cast<std::uint8_t>((style.indent & 0x0F) | (style.shrinkToFit ? 0x10 : 0)
                                   | ((static_cast<int>(style.readingOrder) & 0x03) << 6)));
    w.u8(0xFC);   // every attribute group is the cell's own
    w.u32(style.borderLines);
    w.u32(style.borderColors);
    w.u16(style.fillColors);
    rw.end();
}

// Shared string table with CONTINUE records; bucket offsets feed EXTSST.
struct SstResult {
    std::vector<std::pair<std::uint32_t, std::uint16_t>> buckets;
    std::uint16_t perBucket = 8;
};

SstResult writeSst(std::vector<std::uint8_t>& out, const std::vector<QString>& strings, std::uint32_t total)
{
    SstResult result;
    result.perBucket = static_cast<std::uint16_t>(std::max<std::size_t>(8, (strings.size() + 127) / 128));
    ByteWriter w(out);
    std::size_t recordStart = out.size();
    auto open = [&](std::uint16_t type) {
        recordStart = out.size();
        w.u16(type);
        w.u16(0);
    };
    auto close = [&] { w.patchU16(recordStart + 2, static_cast<std::uint16_t>(out.size() - recordStart - 4)); };
    auto room = [&] { return rt::kMaxRecordData - (out.size() - recordStart - 4); };

    open(rt::Sst);
    w.u32(total);
    w.u32(static_cast<std::uint32_t>(strings.size()));
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const QString& text = strings[i];
        const bool compressed = fitsLatin1(text);
        const std::size_t width = compressed ? 1 : 2;
        if (room() < 3 + width) {
            close();
            open(rt::Continue);
        }
        if (i % result.perBucket == 0)
            result.buckets.emplace_back(static_cast<std::uint32_t>(out.size()),
                                        static_cast<std::uint16_t>(out.size() - recordStart));
        w.u16(static_cast<std::uint16_t>(text.size()));
        w.u8(compressed ? 0x00 : 0x01);
        qsizetype pos = 0;
        while (pos < text.size()) {
            std::size_t fit = room() / width;
            if (fit == 0) {
                close();
                open(rt::Continue);
                w.u8(compressed ? 0x00 : 0x01);
                fit = room() / width;
            }
            const qsizetype take = std::min<qsizetype>(static_cast<qsizetype>(fit), text.size() - pos);
            const QChar* chars = text.constData() + pos;
            if (compressed) {
                for (qsizetype k = 0; k < take; ++k)
                    out.push_back(static_cast<std::uint8_t>(chars[k].unicode()));
            } else {
                for (qsizetype k = 0; k < take; ++k)
                    w.u16(chars[k].unicode());
            }
            pos += take;
        }
    }
    close();
    return result;
}

void writeArea3d(ByteWriter& w, std::uint16_t sheet, int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    w.u8(0x3B);
    w.u16(sheet);
    w.u16(static_cast<std::uint16_t>(firstRow));
    w.u16(static_cast<std::uint16_t>(lastRow));
    w.u16(static_cast<std::uint16_t>(firstColumn));
    w.u16(static_cast<std::uint16_t>(lastColumn));
}

// A list of areas as one formula: a single area, or tMemFunc over areas joined by tList.
std::vector<std::uint8_t> areaListFormula(std::uint16_t sheet, const std::vector<CellRange>& areas)
{
    std::vector<std::uint8_t> tokens;
    ByteWriter w(tokens);
    if (areas.size() > 1) {
        w.u8(0x29);
        w.u16(static_cast<std::uint16_t>(areas.size() * 11 + (areas.size() - 1)));
    }
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const auto& a = areas[i];
        writeArea3d(w, sheet, a.firstRow, a.lastRow, a.firstColumn, a.lastColumn);
        if (i > 0)
            w.u8(0x10);
    }
    return tokens;
}

void writeBuiltInName(RecordWriter& rw, std::uint8_t code, std::size_t sheetIndex, const std::vector<std::uint8_t>& formula)
{
    auto& w = rw.bytes();
    rw.begin(rt::Name);
    w.u16(0x0020);
    w.u8(0);
    w.u8(1);
    w.u16(static_cast<std::uint16_t>(formula.size()));
    w.u16(0);
    w.u16(static_cast<std::uint16_t>(sheetIndex + 1));
    w.u32(0);
    w.u8(0);
    w.u8(code);
    w.bytes(formula);
    rw.end();
}

bool rowHasRecord(const Row& row)
{
    if (row.heightTwips != 0 || row.customHeight || row.hidden)
        return true;
    return std::any_of(row.cells.begin(), row.cells.end(), [](const Cell& c) { return !c.isEmpty() || c.style != 0; });
}

class SheetWriter {
public:
    SheetWriter(std::vector<std::uint8_t>& out, const Sheet& sheet, bool active,
                const std::vector<std::uint32_t>& sstIndexes, std::size_t& nextText)
        : m_out(out), m_rw(out), m_w(m_rw.bytes()), m_sheet(sheet), m_active(active), m_sstIndexes(sstIndexes),
          m_nextText(nextText)
    {
    }

    void write()
    {
        m_rw.begin(rt::Bof);
        m_w.u16(rt::kBiff8);
        m_w.u16(rt::kBofWorksheet);
        m_w.u16(0x0DBB);
        m_w.u16(0x07CC);
        m_w.u32(0x000000C1);
        m_w.u32(0x00000806);
        m_rw.end();

        std::vector<int> rows;
        for (std::size_t r = 0; r < m_sheet.rows.size(); ++r)
            if (rowHasRecord(m_sheet.rows[r]))
                rows.push_back(static_cast<int>(r));
        std::size_t blockCount = 0;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (i == 0 || rows[i] / 32 != rows[i - 1] / 32)
                ++blockCount;

        const std::size_t indexStart = m_rw.position();
        m_rw.begin(rt::Index);
        m_w.u32(0);
        m_w.u32(rows.empty() ? 0 : static_cast<std::uint32_t>(rows.front()));
        m_w.u32(rows.empty() ? 0 : static_cast<std::uint32_t>(rows.back() + 1));
        m_w.u32(0);   // DEFCOLWIDTH offset, patched
        m_w.zeros(blockCount * 4);
        m_rw.end();

        m_rw.record(rt::CalcMode, {1});
        m_rw.record(rt::CalcCount, {100});
        m_rw.record(rt::RefMode, {1});
        m_rw.record(rt::Iteration, {0});
        m_rw.recordF64(rt::Delta, 0.001);
        m_rw.record(rt::SaveRecalc, {1});
        writePageSetup();

        m_w.patchU32(indexStart + 4 + 12, static_cast<std::uint32_t>(m_rw.position()));
        m_rw.record(rt::DefColWidth, {m_sheet.defaultColumnWidth});
        if (m_sheet.standardWidth)
            m_rw.record(rt::StandardWidth, {*m_sheet.standardWidth});
        writeColumns();
        writeDimensions(rows);

        std::size_t block = 0;
        for (std::size_t i = 0; i < rows.size();) {
            std::size_t j = i;
            while (j < rows.size() && rows[j] / 32 == rows[i] / 32)
                ++j;
            const std::size_t dbCell = writeRowBlock(rows, i, j);
            m_w.patchU32(indexStart + 4 + 16 + block * 4, static_cast<std::uint32_t>(dbCell));
            ++block;
            i = j;
        }
        writeMergedCells();
        writeWindow();
        m_rw.begin(rt::Eof);
        m_rw.end();
    }

private:
    void writePageSetup()
    {
        const PageSetup& p = m_sheet.pageSetup;
        m_rw.record(rt::PrintHeaders, {p.printHeadings ? std::uint16_t(1) : std::uint16_t(0)});
        m_rw.record(rt::PrintGridlines, {p.printGridlines ? std::uint16_t(1) : std::uint16_t(0)});
        m_rw.record(rt::GridSet, {1});
        m_rw.begin(rt::Guts);
        m_w.zeros(8);
        m_rw.end();
        m_rw.record(rt::DefaultRowHeight, {0, m_sheet.defaultRowHeightTwips});
        m_rw.record(rt::WsBool, {static_cast<std::uint16_t>(0x04C1 | (p.fitToPage ? 0x0100 : 0))});
        writeBreaks(rt::HorizontalPageBreaks, p.rowBreaks, 0, 255);
        writeBreaks(rt::VerticalPageBreaks, p.columnBreaks, 0, 65535);
        writeHeaderFooter(rt::Header, p.header);
        writeHeaderFooter(rt::Footer, p.footer);
        m_rw.record(rt::HCenter, {p.centerHorizontally ? std::uint16_t(1) : std::uint16_t(0)});
        m_rw.record(rt::VCenter, {p.centerVertically ? std::uint16_t(1) : std::uint16_t(0)});
        m_rw.recordF64(rt::LeftMargin, p.leftMargin);
        m_rw.recordF64(rt::RightMargin, p.rightMargin);
        m_rw.recordF64(rt::TopMargin, p.topMargin);
        m_rw.recordF64(rt::BottomMargin, p.bottomMargin);
        m_rw.begin(rt::Setup);
        m_w.u16(p.paperSize);
        m_w.u16(p.scale);
        m_w.u16(p.firstPageNumber.value_or(1));
        m_w.u16(p.fitWidth);
        m_w.u16(p.fitHeight);
        m_w.u16(static_cast<std::uint16_t>((p.overThenDown ? 0x0001 : 0) | (p.orientation == Orientation::Portrait ? 0x0002 : 0)
                                           | (p.printerSettingsValid ? 0 : 0x0004) | (p.blackAndWhite ? 0x0008 : 0)
                                           | (p.draft ? 0x0010 : 0) | (p.printNotes ? 0x0020 : 0)
                                           | (p.firstPageNumber ? 0x0080 : 0) | ((p.printErrors & 0x03) << 10)));
        m_w.u16(p.horizontalResolution);
        m_w.u16(p.verticalResolution);
        m_w.f64(p.headerMargin);
        m_w.f64(p.footerMargin);
        m_w.u16(p.copies);
        m_rw.end();
    }

    void writeBreaks(std::uint16_t type, const std::vector<std::uint16_t>& breaks, std::uint16_t from, std::uint16_t to)
    {
        constexpr std::size_t kPerRecord = 1000;
        for (std::size_t start = 0; start < breaks.size(); start += kPerRecord) {
            const std::size_t n = std::min(kPerRecord, breaks.size() - start);
            m_rw.begin(type);
            m_w.u16(static_cast<std::uint16_t>(n));
            for (std::size_t i = start; i < start + n; ++i) {
                m_w.u16(breaks[i]);
                m_w.u16(from);
                m_w.u16(to);
            }
            m_rw.end();
        }
    }

    void writeHeaderFooter(std::uint16_t type, const QString& text)
    {
        m_rw.begin(type);
        if (!text.isEmpty())
            m_rw.string(text, false);
        m_rw.end();
    }

    void writeColumns()
    {
        const std::uint16_t defaultWidth = defaultColumnWidthUnits(m_sheet);
        int c = 0;
        while (c < kMaxColumns) {
            const Column& column = m_sheet.columns[static_cast<std::size_t>(c)];
            if (column == Column{}) {
                ++c;
                continue;
            }
            int last = c;
            while (last + 1 < kMaxColumns && m_sheet.columns[static_cast<std::size_t>(last + 1)] == column)
                ++last;
            m_rw.begin(rt::ColInfo);
            m_w.u16(static_cast<std::uint16_t>(c));
            m_w.u16(static_cast<std::uint16_t>(last));
            m_w.u16(column.width != 0 ? column.width : defaultWidth);
            m_w.u16(static_cast<std::uint16_t>(kStyleXfCount + column.style));
            m_w.u16(static_cast<std::uint16_t>((column.hidden ? 0x0001 : 0) | (column.width != 0 ? 0x0002 : 0)));
            m_w.u16(0);
            m_rw.end();
            c = last + 1;
        }
    }

    void writeDimensions(const std::vector<int>& rows)
    {
        int firstRow = -1, lastRow = -1, firstColumn = kMaxColumns, lastColumn = -1;
        for (int r : rows) {
            const auto& cells = m_sheet.rows[static_cast<std::size_t>(r)].cells;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                if (cells[c].isEmpty() && cells[c].style == 0)
                    continue;
                if (firstRow < 0)
                    firstRow = r;
                lastRow = r;
                firstColumn = std::min(firstColumn, static_cast<int>(c));
                lastColumn = std::max(lastColumn, static_cast<int>(c));
            }
        }
        m_rw.begin(rt::Dimensions);
        if (firstRow < 0) {
            m_w.zeros(14);
        } else {
            m_w.u32(static_cast<std::uint32_t>(firstRow));
            m_w.u32(static_cast<std::uint32_t>(lastRow + 1));
            m_w.u16(static_cast<std::uint16_t>(firstColumn));
            m_w.u16(static_cast<std::uint16_t>(lastColumn + 1));
            m_w.u16(0);
        }
        m_rw.end();
    }

    // ROW records, then the cells, then DBCELL; returns the DBCELL offset.
    std::size_t writeRowBlock(const std::vector<int>& rows, std::size_t from, std::size_t to)
    {
        const std::size_t firstRowRecord = m_rw.position();
        for (std::size_t i = from; i < to; ++i) {
            const Row& row = m_sheet.rows[static_cast<std::size_t>(rows[i])];
            int firstCell = -1, lastCell = -1;
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                if (row.cells[c].isEmpty() && row.cells[c].style == 0)
                    continue;
                if (firstCell < 0)
                    firstCell = static_cast<int>(c);
                lastCell = static_cast<int>(c);
            }
            m_rw.begin(rt::Row);
            m_w.u16(static_cast<std::uint16_t>(rows[i]));
            m_w.u16(static_cast<std::uint16_t>(firstCell < 0 ? 0 : firstCell));
            m_w.u16(static_cast<std::uint16_t>(firstCell < 0 ? 0 : lastCell + 1));
            m_w.u16(row.heightTwips != 0 ? row.heightTwips : m_sheet.defaultRowHeightTwips);
            m_w.u16(0);
            m_w.u16(0);
            m_w.u8(static_cast<std::uint8_t>((row.hidden ? 0x20 : 0) | (row.customHeight ? 0x40 : 0)));
            m_w.u8(0x01);
            m_w.u16(static_cast<std::uint16_t>(kStyleXfCount));
            m_rw.end();
        }
        std::vector<std::size_t> rowStarts;
        for (std::size_t i = from; i < to; ++i) {
            rowStarts.push_back(m_rw.position());
            writeCells(static_cast<std::uint16_t>(rows[i]), m_sheet.rows[static_cast<std::size_t>(rows[i])]);
        }
        const std::size_t dbCell = m_rw.position();
        m_rw.begin(rt::DbCell);
        m_w.u32(static_cast<std::uint32_t>(dbCell - firstRowRecord));
        std::size_t previous = firstRowRecord + 20;
        for (std::size_t start : rowStarts) {
            m_w.u16(static_cast<std::uint16_t>(start - previous));
            previous = start;
        }
        m_rw.end();
        return dbCell;
    }

    // One cell record in a single append: header, row, column, XF, then the value.
    template <std::size_t N>
    void cellRecord(std::uint16_t type, std::uint16_t r, std::uint16_t column, std::uint16_t xf, const std::uint8_t (&value)[N])
    {
        std::uint8_t bytes[10 + N] = {static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(type >> 8),
                                      static_cast<std::uint8_t>(6 + N), 0,
                                      static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(r >> 8),
                                      static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(column >> 8),
                                      static_cast<std::uint8_t>(xf), static_cast<std::uint8_t>(xf >> 8)};
        std::memcpy(bytes + 10, value, N);
        m_out.insert(m_out.end(), bytes, bytes + sizeof bytes);
    }

    static void littleEndian(std::uint8_t* out, std::uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            out[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

    void writeCells(std::uint16_t r, const Row& row)
    {
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            const Cell& cell = row.cells[c];
            const auto xf = static_cast<std::uint16_t>(kStyleXfCount + cell.style);
            const auto column = static_cast<std::uint16_t>(c);
            switch (cell.kind) {
            case CellKind::Empty:
                if (cell.style != 0)
                    m_rw.record(rt::Blank, {r, column, xf});
                break;
            case CellKind::Text: {
                std::uint8_t index[4];
                littleEndian(index, m_sstIndexes[m_nextText++], 4);
                cellRecord(rt::LabelSst, r, column, xf, index);
                break;
            }
            case CellKind::Number:
                if (auto rk = encodeRk(cell.number)) {
                    std::uint8_t value[4];
                    littleEndian(value, *rk, 4);
                    cellRecord(rt::Rk, r, column, xf, value);
                } else {
                    std::uint8_t value[8];
                    littleEndian(value, std::bit_cast<std::uint64_t>(cell.number), 8);
                    cellRecord(rt::Number, r, column, xf, value);
                }
                break;
            case CellKind::Boolean:
            case CellKind::Error: {
                const std::uint8_t value[2] = {cell.code, static_cast<std::uint8_t>(cell.kind == CellKind::Error ? 1 : 0)};
                cellRecord(rt::BoolErr, r, column, xf, value);
                break;
            }
            }
        }
    }

    void writeMergedCells()
    {
        constexpr std::size_t kPerRecord = 1000;
        const auto& merged = m_sheet.mergedCells;
        for (std::size_t start = 0; start < merged.size(); start += kPerRecord) {
            const std::size_t n = std::min(kPerRecord, merged.size() - start);
            m_rw.begin(rt::MergedCells);
            m_w.u16(static_cast<std::uint16_t>(n));
            for (std::size_t i = start; i < start + n; ++i) {
                m_w.u16(static_cast<std::uint16_t>(merged[i].firstRow));
                m_w.u16(static_cast<std::uint16_t>(merged[i].lastRow));
                m_w.u16(static_cast<std::uint16_t>(merged[i].firstColumn));
                m_w.u16(static_cast<std::uint16_t>(merged[i].lastColumn));
            }
            m_rw.end();
        }
    }

    void writeSelection(std::uint8_t pane, int row, int column)
    {
        m_rw.begin(rt::Selection);
        m_w.u8(pane);
        m_w.u16(static_cast<std::uint16_t>(row));
        m_w.u16(static_cast<std::uint16_t>(column));
        m_w.u16(0);
        m_w.u16(1);
        m_w.u16(static_cast<std::uint16_t>(row));
        m_w.u16(static_cast<std::uint16_t>(row));
        m_w.u8(static_cast<std::uint8_t>(column));
        m_w.u8(static_cast<std::uint8_t>(column));
        m_rw.end();
    }

    void writeWindow()
    {
        const bool frozen = m_sheet.frozenRows > 0 || m_sheet.frozenColumns > 0;
        std::uint16_t flags = 0x0004 | 0x0010 | 0x0020 | 0x0080;
        if (m_sheet.showGridlines)
            flags |= 0x0002;
        if (frozen)
            flags |= 0x0008 | 0x0100;
        if (m_active)
            flags |= 0x0200 | 0x0400;
        m_rw.begin(rt::Window2);
        m_w.u16(flags);
        m_w.u16(static_cast<std::uint16_t>(frozen ? 0 : m_sheet.topRow));
        m_w.u16(static_cast<std::uint16_t>(frozen ? 0 : m_sheet.leftColumn));
        m_w.u16(64);
        m_w.u16(0);
        m_w.u16(0);
        m_w.u16(m_sheet.zoom == 100 ? 0 : m_sheet.zoom);
        m_w.u16(0);
        m_w.u16(0);
        m_rw.end();
        if (m_sheet.zoom != 100)
            m_rw.record(rt::Scl, {m_sheet.zoom, 100});

        if (!frozen) {
            writeSelection(3, m_sheet.activeRow, m_sheet.activeColumn);
            return;
        }
        const int top = std::max(m_sheet.topRow, m_sheet.frozenRows);
        const int left = std::max(m_sheet.leftColumn, m_sheet.frozenColumns);
        std::uint8_t activePane = 0;
        if (m_sheet.frozenColumns == 0)
            activePane = 2;
        else if (m_sheet.frozenRows == 0)
            activePane = 1;
        m_rw.begin(rt::Pane);
        m_w.u16(static_cast<std::uint16_t>(m_sheet.frozenColumns));
        m_w.u16(static_cast<std::uint16_t>(m_sheet.frozenRows));
        m_w.u16(static_cast<std::uint16_t>(top));
        m_w.u16(static_cast<std::uint16_t>(left));
        m_w.u8(activePane);
        m_w.u8(0);
        m_rw.end();
        writeSelection(3, 0, 0);
        if (m_sheet.frozenColumns > 0 && m_sheet.frozenRows > 0) {
            writeSelection(1, 0, left);
            writeSelection(2, top, 0);
        }
        writeSelection(activePane, m_sheet.activeRow, m_sheet.activeColumn);
    }

    std::vector<std::uint8_t>& m_out;
    RecordWriter m_rw;
    ByteWriter& m_w;
    const Sheet& m_sheet;
    bool m_active;
    const std::vector<std::uint32_t>& m_sstIndexes;   // string index of every text cell, in writing order
    std::size_t& m_nextText;
};

} // namespace

Status validateForWriting(const Workbook& book)
{
    if (book.sheets.empty())
        return Error::make(ErrorCode::InvalidContent, "a workbook needs at least one sheet");
    if (book.styles.empty() || book.styles.size() > kMaxStyles)
        return Error::make(ErrorCode::TooLarge, "too many cell styles");
    if (book.sheets.size() > 256)
        return Error::make(ErrorCode::TooLarge, "too many sheets");
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        const Sheet& sheet = book.sheets[i];
        if (!validSheetName(sheet.name))
            return Error::make(ErrorCode::InvalidContent, "invalid sheet name: " + sheet.name.toStdString());
        for (std::size_t j = 0; j < i; ++j)
            if (book.sheets[j].name.compare(sheet.name, Qt::CaseInsensitive) == 0)
                return Error::make(ErrorCode::InvalidContent, "two sheets named " + sheet.name.toStdString());
        if (sheet.rows.size() > kMaxRows)
            return Error::make(ErrorCode::TooLarge, "more than 65536 rows in " + sheet.name.toStdString());
        if (sheet.pageSetup.header.size() > 255 || sheet.pageSetup.footer.size() > 255)
            return Error::make(ErrorCode::TooLarge, "page header or footer longer than 255 characters");
        for (const Row& row : sheet.rows) {
            if (row.cells.size() > kMaxColumns)
                return Error::make(ErrorCode::TooLarge, "more than 256 columns in " + sheet.name.toStdString());
            for (const Cell& cell : row.cells) {
                if (cell.style >= book.styles.size())
                    return Error::make(ErrorCode::InvalidContent, "cell with an unknown style");
                if (cell.kind == CellKind::Text && static_cast<std::size_t>(cell.text.size()) > kMaxTextLength)
                    return Error::make(ErrorCode::TooLarge, "a cell text longer than 32767 characters");
            }
        }
        for (const Column& column : sheet.columns)
            if (column.style >= book.styles.size())
                return Error::make(ErrorCode::InvalidContent, "column with an unknown style");
    }
    return success();
}

Result<std::vector<std::uint8_t>> writeWorkbookStream(const Workbook& book, const WriteOptions& options)
{
    if (auto valid = validateForWriting(book); !valid)
        return valid.error();

    std::optional<StreamEncryptor> encryptor;
    if (!options.password.isEmpty())
        encryptor.emplace(options.password, options.random ? options.random : systemRandom());

    // Shared strings, in order of first use; each text cell's index in writing order.
    std::vector<QString> strings;
    std::vector<std::uint32_t> textIndexes;
    QHash<QString, std::uint32_t> sstIndex;
    std::size_t cellCount = 0;
    std::size_t textBytes = 0;
    for (const Sheet& sheet : book.sheets)
        for (const Row& row : sheet.rows) {
            cellCount += row.cells.size();
            for (const Cell& cell : row.cells)
                if (cell.kind == CellKind::Text) {
                    auto it = sstIndex.find(cell.text);
                    if (it == sstIndex.end()) {
                        it = sstIndex.insert(cell.text, static_cast<std::uint32_t>(strings.size()));
                        strings.push_back(cell.text);
                        textBytes += static_cast<std::size_t>(cell.text.size()) * 2 + 3;
                    }
                    textIndexes.push_back(it.value());
                }
        }
    const auto sstTotal = static_cast<std::uint32_t>(textIndexes.size());

    const Tables tables = buildTables(book);
    std::vector<std::uint8_t> out;
    out.reserve((1 << 16) + cellCount * 18 + textBytes + textBytes / 8000 * 5);
    RecordWriter rw(out);
    ByteWriter& w = rw.bytes();

    rw.begin(rt::Bof);
    w.u16(rt::kBiff8);
    w.u16(rt::kBofGlobals);
    w.u16(0x0DBB);
    w.u16(0x07CC);
    w.u32(0x000000C1);
    w.u32(0x00000806);
    rw.end();
    if (encryptor) {
        rw.begin(rt::FilePass);
        w.bytes(encryptor->filePassData());
        rw.end();
    }
    rw.record(rt::InterfaceHdr, {0x04B0});
    rw.record(rt::Mms, {0});
    rw.begin(rt::InterfaceEnd);
    rw.end();
    rw.begin(rt::WriteAccess);
    rw.string(options.author.left(50), false);
    while (rw.currentDataSize() < 112)
        w.u8(0x20);
    rw.end();
    rw.record(rt::CodePage, {0x04B0});
    rw.record(rt::Dsf, {0});
    rw.begin(rt::TabId);
    for (std::size_t i = 0; i < book.sheets.size(); ++i)
        w.u16(static_cast<std::uint16_t>(i + 1));
    rw.end();
    rw.record(rt::FnGroupCount, {14});
    rw.record(rt::WindowProtect, {0});
    rw.record(rt::Protect, {0});
    rw.record(rt::Password, {0});
    rw.record(rt::Prot4Rev, {0});
    rw.record(rt::Prot4RevPass, {0});
    const auto active = static_cast<std::uint16_t>(std::clamp<int>(book.activeSheet, 0, static_cast<int>(book.sheets.size()) - 1));
    rw.record(rt::Window1, {0, 0, 0x4000, 0x2000, 0x0038, active, 0, 1, 600});
    rw.record(rt::Backup, {0});
    rw.record(rt::HideObj, {0});
    rw.record(rt::DateMode, {book.dateSystem == DateSystem::Date1904 ? std::uint16_t(1) : std::uint16_t(0)});
    rw.record(rt::Precision, {1});
    rw.record(rt::RefreshAll, {0});
    rw.record(rt::BookBool, {0});

    // Excel wants at least five FONT records: four copies of the default, then the rest.
    for (int i = 0; i < 4; ++i)
        writeFont(rw, tables.fonts.front());
    for (std::size_t i = 1; i < tables.fonts.size(); ++i)
        writeFont(rw, tables.fonts[i]);
    if (tables.fonts.size() == 1)
        writeFont(rw, tables.fonts.front());
    for (const auto& [id, format] : tables.customFormats) {
        rw.begin(rt::Format);
        w.u16(id);
        rw.string(format.left(255), false);
        rw.end();
    }
    for (int i = 0; i < kStyleXfCount; ++i)
        writeStyleXf(rw, i != 0);
    for (std::size_t i = 0; i < book.styles.size(); ++i)
        writeCellXf(rw, book.styles[i], tables.styleFont[i], tables.styleFormat[i]);
    rw.record(rt::Style, {0x8000, 0xFF00});
    rw.record(rt::UsesElfs, {0});

    std::vector<std::size_t> boundSheetAt;
    for (const Sheet& sheet : book.sheets) {
        boundSheetAt.push_back(out.size());
        rw.begin(rt::BoundSheet);
        w.u32(0);
        w.u8(static_cast<std::uint8_t>(sheet.visibility));
        w.u8(0);
        rw.string(sheet.name, true);
        rw.end();
    }
    rw.record(rt::Country, {39, 39});

    const bool anyNames = std::any_of(book.sheets.begin(), book.sheets.end(), [](const Sheet& s) {
        return !s.pageSetup.printArea.empty() || s.pageSetup.titleRows || s.pageSetup.titleColumns;
    });
    if (anyNames) {
        rw.record(rt::SupBook, {static_cast<std::uint16_t>(book.sheets.size()), 0x0401});
        rw.begin(rt::ExternSheet);
        w.u16(static_cast<std::uint16_t>(book.sheets.size()));
        for (std::size_t i = 0; i < book.sheets.size(); ++i) {
            w.u16(0);
            w.u16(static_cast<std::uint16_t>(i));
            w.u16(static_cast<std::uint16_t>(i));
        }
        rw.end();
        for (std::size_t i = 0; i < book.sheets.size(); ++i) {
            const PageSetup& page = book.sheets[i].pageSetup;
            const auto ixti = static_cast<std::uint16_t>(i);
            if (!page.printArea.empty())
                writeBuiltInName(rw, 0x06, i, areaListFormula(ixti, page.printArea));
            std::vector<CellRange> titles;
            if (page.titleColumns)
                titles.push_back(CellRange{0, 0xFFFF, page.titleColumns->first, page.titleColumns->last});
            if (page.titleRows)
                titles.push_back(CellRange{page.titleRows->first, page.titleRows->last, 0, 0xFF});
            if (!titles.empty())
                writeBuiltInName(rw, 0x07, i, areaListFormula(ixti, titles));
        }
    }

    const SstResult sst = writeSst(out, strings, sstTotal);
    rw.begin(rt::ExtSst);
    w.u16(sst.perBucket);
    for (const auto& [offset, inRecord] : sst.buckets) {
        w.u32(offset);
        w.u16(inRecord);
        w.u16(0);
    }
    rw.end();
    rw.begin(rt::Eof);
    rw.end();

    std::size_t nextText = 0;
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        w.patchU32(boundSheetAt[i] + 4, static_cast<std::uint32_t>(out.size()));
        SheetWriter(out, book.sheets[i], static_cast<int>(i) == active, textIndexes, nextText).write();
    }
    if (out.size() > 0x7FFFFFFF)
        return Error::make(ErrorCode::TooLarge, "workbook stream larger than 2 GiB");
    if (out.size() < kMinStreamSize)
        out.resize(kMinStreamSize, 0);

    if (encryptor)
        if (auto status = encryptor->encrypt(out); !status)
            return status.error();
    return out;
}

Result<std::vector<std::uint8_t>> writeWorkbook(const Workbook& book, const WriteOptions& options)
{
    auto stream = writeWorkbookStream(book, options);
    if (!stream)
        return stream.error();
    return writeCompoundFile(*stream);
}

} // namespace quadrilo::xls
