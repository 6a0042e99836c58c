#include "frame/ParseReply.h"

#include "tavrin/TavrinEnums.h"

#include <algorithm>

namespace tavrin::frame {
namespace {

class AreaWriter {
public:
    AreaWriter(const ModbusFrame& reply, DataBytes& area)
        : m_reply(reply), m_payload(reply.GetPayload()), m_area(area) {}

    std::size_t payloadSize() const { return m_payload.size(); }

    // Payload bytes [from, from + count) to area bytes [to, ...), each pair swapped if asked.
    void copyBytes(std::size_t from, std::size_t count, std::size_t to, bool swapPairs = false) {
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t dst = to + (swapPairs ? k ^ 1U : k);
            if (dst < m_area.size() && from + k < m_payload.size()) {
                m_area[dst] = m_payload[from + k];
            }
        }
    }

    // Big-endian payload word at byte offset `from` into area word `to`.
    void copyWord(std::size_t from, std::size_t to) {
        if (to < kDataAreaWords && from + 1 < m_payload.size()) {
            setWordAt(m_area, to,
                      static_cast<std::uint16_t>((m_payload[from] << 8) | m_payload[from + 1]));
        }
    }

    void copyWords(std::size_t count, std::size_t firstPayloadWord) {
        for (std::size_t i = 0; i < std::min(count, kDataAreaWords); ++i) {
            copyWord(2 * (i + firstPayloadWord), i);
        }
    }

    void copyBits(std::size_t count) {
        for (std::size_t i = 0; i < std::min(count, 8 * m_payload.size()); ++i) {
            if (i / 8 < m_area.size() && m_reply.GetBit(i)) {
                m_area[i / 8] = static_cast<std::uint8_t>(m_area[i / 8] | (1U << (i % 8)));
            }
        }
    }

    // Sub-responses: length byte Ls, reference type, Ls - 1 data bytes, taken while fewer
    // than `wanted` words are filled.
    void copyFileRecords(std::int32_t wanted) {
        std::size_t filled = 0;
        std::size_t pos = 0;
        while (static_cast<std::int64_t>(filled) < wanted && pos < m_payload.size()) {
            const std::size_t length = m_payload[pos];
            const std::size_t words = length >= 1 ? (length - 1) / 2 : 0;
            for (std::size_t w = 0; w < words; ++w) {
                copyWord(pos + 2 + 2 * w, filled++);
            }
            pos += length + 1;
        }
    }

private:
    const ModbusFrame& m_reply;
    std::span<const std::uint8_t> m_payload;
    DataBytes& m_area;
};

std::int16_t clampQty(std::size_t n) {
    return static_cast<std::int16_t>(std::min<std::size_t>(n, 0x7FFF));
}

} // namespace

void ParseReply(const ReplyContext& request, const ModbusFrame& reply, DataBytes& area,
                std::int16_t& memQty) {
    // A reply replaces everything: what a write left behind must not read as fresh data.
    area.fill(0);
    AreaWriter out(reply, area);
    const std::size_t payload = out.payloadSize();
    const std::size_t count = static_cast<std::size_t>(std::max(request.elementCount, 0));

    if (reply.customFunction()) {
        out.copyBytes(0, payload, 0);
        if (memQty < 1) {
            memQty = clampQty(payload);
        }
        return;
    }
    switch (request.functionCode) {
    case 1:
    case 2:
        out.copyBits(count);
        break;
    case 7:
        out.copyBytes(0, 1, 0);
        break;
    case 3:
    case 4:
        if (request.addressType != ADDR_TYPE_ENRON_MODBUS) {
            out.copyWords(count, 0);
            break;
        }
        {
            // Enron values arrive high byte first like any register; the area is host order.
            const std::size_t byteCount = reply.GetByteCount();
            out.copyBytes(0, byteCount, 0, true);
            // The slave decides how many records it sends; MemQty tells the host: 20-byte
            // records at 32, 4-byte records at 700-999.
            if (request.mappedStart == 32) {
                memQty = clampQty(byteCount / 20);
            } else if (request.mappedStart >= 700 && request.mappedStart <= 999) {
                memQty = clampQty(byteCount / 4);
            }
        }
        break;
    case 8:
        out.copyBytes(0, 2, 0);
        break;
    case 17:
        setWordAt(area, 0, reply.GetByteCount());
        out.copyBytes(0, payload, 2);
        break;
    case 20:
        out.copyFileRecords(memQty);
        break;
    case 23:
        out.copyWords(count, 0);
        break;
    case 43:
        out.copyBytes(0, payload, 0);
        memQty = clampQty(payload);
        break;
    case 65:
        out.copyBytes(0, payload > 0 ? payload - 1 : 0, 0);
        memQty = clampQty(payload);
        break;
    case 100:
        if (reply.messageByteAt(3) == 4) {
            memQty = clampQty(count);
            // payload word 0 holds the sub-function and the counter
            out.copyWords(count, 1);
        } else if (reply.messageByteAt(3) == 5) {
            memQty = reply.messageByteAt(5);
        }
        break;
    default: // writes: the area stays cleared
        break;
    }
}

} // namespace tavrin::frame
