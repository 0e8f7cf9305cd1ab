#pragma once

// Bounds-checked little-endian reads over a byte span. A read past the end
// sets the failed flag and returns zero; callers check failed() once per record.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace quadrilo::xls {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_failed ? 0 : m_data.size() - m_pos; }
    std::size_t size() const { return m_data.size(); }
    bool failed() const { return m_failed; }
    bool atEnd() const { return remaining() == 0; }

    bool has(std::size_t n) const { return !m_failed && m_data.size() - m_pos >= n; }

    void skip(std::size_t n)
    {
        if (!need(n))
            return;
        m_pos += n;
    }
    void seek(std::size_t pos)
    {
        if (pos > m_data.size())
            m_failed = true;
        else
            m_pos = pos;
    }

    std::uint8_t u8()
    {
        if (!need(1))
            return 0;
        return m_data[m_pos++];
    }
    std::uint16_t u16()
    {
        if (!need(2))
            return 0;
        std::uint16_t v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    std::uint32_t u32()
    {
        if (!need(4))
            return 0;
        std::uint32_t v = static_cast<std::uint32_t>(m_data[m_pos]) | (static_cast<std::uint32_t>(m_data[m_pos + 1]) << 8)
            | (static_cast<std::uint32_t>(m_data[m_pos + 2]) << 16) | (static_cast<std::uint32_t>(m_data[m_pos + 3]) << 24);
        m_pos += 4;
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64()
    {
        std::uint64_t lo = u32();
        std::uint64_t hi = u32();
        return lo | (hi << 32);
    }
    double f64() { return std::bit_cast<double>(u64()); }

    std::span<const std::uint8_t> bytes(std::size_t n)
    {
        if (!need(n))
            return {};
        auto s = m_data.subspan(m_pos, n);
        m_pos += n;
        return s;
    }

private:
    bool need(std::size_t n)
    {
        if (m_failed || m_data.size() - m_pos < n) {
            m_failed = true;
            return false;
        }
        return true;
    }

    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

} // namespace quadrilo::xls
