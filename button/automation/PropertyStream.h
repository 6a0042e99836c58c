// The persisted form of a control: a version word, then its properties in a fixed order,
// little-endian, so a saved form loads on any machine. A reader never reads past the end:
// a short or damaged stream fails the load instead of inventing values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace plinth::automation {

class PropertyWriter {
public:
    void writeU32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(v >> shift));
        }
    }
    void writeI2(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        m_bytes.push_back(static_cast<std::uint8_t>(u & 0xFFu));
        m_bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    void writeI4(std::int32_t v) { writeU32(static_cast<std::uint32_t>(v)); }
    // Booleans are stored as the platform's 16-bit True (-1) / False (0).
    void writeBool(bool v) { writeI2(v ? std::int16_t{-1} : std::int16_t{0}); }
    // UTF-8 bytes behind a 32-bit byte count.
    void writeString(const std::string& v) {
        writeU32(static_cast<std::uint32_t>(v.size()));
        m_bytes.insert(m_bytes.end(), v.begin(), v.end());
    }

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

class PropertyReader {
public:
    explicit PropertyReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool readU32(std::uint32_t& v) {
        if (m_bytes.size() - m_pos < 4) {
            return false;
        }
        v = 0;
        for (int k = 0; k < 4; ++k) {
            v |= static_cast<std::uint32_t>(m_bytes[m_pos++]) << (8 * k);
        }
        return true;
    }
    bool readI2(std::int16_t& v) {
        if (m_bytes.size() - m_pos < 2) {
            return false;
        }
        const auto u = static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        m_pos += 2;
        v = static_cast<std::int16_t>(u);
        return true;
    }
    bool readI4(std::int32_t& v) {
        std::uint32_t u = 0;
        if (!readU32(u)) {
            return false;
        }
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool readBool(bool& v) {
        std::int16_t raw = 0;
        if (!readI2(raw)) {
            return false;
        }
        v = raw != 0;
        return true;
    }
    bool readString(std::string& v) {
        std::uint32_t size = 0;
        if (!readU32(size) || m_bytes.size() - m_pos < size) {
            return false;
        }
        const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos);
        v.assign(first, first + static_cast<std::ptrdiff_t>(size));
        m_pos += size;
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace plinth::automation
