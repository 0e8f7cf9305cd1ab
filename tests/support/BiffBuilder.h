#pragma once

// Builds small BIFF8 workbook streams record by record, for tests of the reader.

#include "xls/ByteWriter.h"
#include "xls/CompoundFile.h"
#include "xls/RecordTypes.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace quadrilo::testing {

using Bytes = std::vector<std::uint8_t>;

class BiffBuilder {
public:
    // A record with raw data.
    BiffBuilder& record(std::uint16_t type, const Bytes& data = {})
    {
        xls::ByteWriter w(m_stream);
        w.u16(type);
        w.u16(static_cast<std::uint16_t>(data.size()));
        w.bytes(data);
        return *this;
    }
    BiffBuilder& bof(std::uint16_t substream, std::uint16_t version = 0x0600)
    {
        return record(xls::rt::Bof, concat({u16(version), u16(substream), u16(0x0DBB), u16(0x07CC), u32(0), u32(6)}));
    }
    BiffBuilder& eof() { return record(xls::rt::Eof); }
    // BOUNDSHEET whose offset is filled in by the next sheetStart().
    BiffBuilder& boundSheet(const QString& name)
    {
        m_boundSheets.push_back(m_stream.size() + 4);
        return record(xls::rt::BoundSheet, concat({u32(0), Bytes{0, 0}, shortString(name)}));
    }
    // Starts the next sheet's substream, patching its BOUNDSHEET.
    BiffBuilder& sheetStart()
    {
        xls::ByteWriter w(m_stream);
        w.patchU32(m_boundSheets.at(m_nextSheet++), static_cast<std::uint32_t>(m_stream.size()));
        return bof(0x0010);
    }
    // The globals every workbook needs: BOF, fonts, 16 XFs.
    BiffBuilder& minimalGlobals()
    {
        bof(0x0005);
        for (int i = 0; i < 5; ++i)
            record(xls::rt::Font, concat({u16(200), u16(0), u16(0x7FFF), u16(400), u16(0), Bytes{0, 0, 0, 0}, shortString(QStringLiteral("Arial"))}));
        for (int i = 0; i < 16; ++i)
            record(xls::rt::Xf, xf(i < 15));
        return *this;
    }

    const Bytes& stream() const { return m_stream; }
    // The stream as a whole .xls file.
    Bytes file() const { return xls::writeCompoundFile(m_stream).value(); }

    static Bytes u16(std::uint16_t v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}; }
    static Bytes u32(std::uint32_t v)
    {
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
                static_cast<std::uint8_t>(v >> 24)};
    }
    static Bytes f64(double v)
    {
        Bytes out;
        xls::ByteWriter(out).f64(v);
        return out;
    }
    static Bytes concat(std::initializer_list<Bytes> parts)
    {
        Bytes out;
        for (const auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    }
    static Bytes latin1(const char* text, bool shortLength = false)
    {
        Bytes out;
        const std::size_t n = std::char_traits<char>::length(text);
        if (shortLength)
            out.push_back(static_cast<std::uint8_t>(n));
        else
            out = u16(static_cast<std::uint16_t>(n));
        out.push_back(0);
        out.insert(out.end(), text, text + n);
        return out;
    }
    static Bytes shortString(const QString& text)
    {
        Bytes out{static_cast<std::uint8_t>(text.size()), 1};
        for (QChar c : text) {
            out.push_back(static_cast<std::uint8_t>(c.unicode()));
            out.push_back(static_cast<std::uint8_t>(c.unicode() >> 8));
        }
        return out;
    }
    static Bytes xf(bool styleXf, std::uint16_t format = 0)
    {
        return concat({u16(0), u16(format), u16(styleXf ? 0xFFF5 : 0x0001), Bytes{0x20, 0, 0, 0}, u32(0), u32(0), u16(0x20C0)});
    }
    // A cell record header: row, column, XF.
    static Bytes cell(std::uint16_t row, std::uint16_t column, std::uint16_t xf = 15)
    {
        return concat({u16(row), u16(column), u16(xf)});
    }

private:
    Bytes m_stream;
    std::vector<std::size_t> m_boundSheets;
    std::size_t m_nextSheet = 0;
};

} // namespace quadrilo::testing
