#include "frame/AsciiFrame.h"

namespace tavrin::frame {
namespace {

constexpr std::uint8_t kInvalid = 0xFF;
constexpr std::uint8_t kStart = ':';
constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kLf = '\n';

// ':' + address, function, byte count, LRC as pairs + CR LF.
constexpr std::size_t kFixedChars = 11;

std::uint8_t hexDigit(unsigned nibble) {
    return static_cast<std::uint8_t>(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}

} // namespace

AsciiFrame::AsciiFrame() : ModbusFrame(Framing::Ascii) {
    append(kStart);
}

std::uint8_t AsciiFrame::hexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<std::uint8_t>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<std::uint8_t>(c - 'a' + 10);
    }
    return kInvalid;
}

// The byte written by the two characters at pos and pos + 1; a missing or non-hex character
// makes the whole byte invalid.
std::uint8_t AsciiFrame::pairAt(std::size_t pos) const {
    if (pos + 1 >= length()) {
        return kInvalid;
    }
    const std::uint8_t high = hexValue(raw(pos));
    const std::uint8_t low = hexValue(raw(pos + 1));
    if (high == kInvalid || low == kInvalid) {
        return kInvalid;
    }
    return static_cast<std::uint8_t>((high << 4) | low);
}

std::uint8_t AsciiFrame::messageByte(std::size_t i) const {
    return pairAt(1 + 2 * i);
}

// Pairs between ':' and CR LF, less the LRC.
std::size_t AsciiFrame::messageBytesBeforeCheck() const {
    const std::size_t pairs = length() >= 3 ? (length() - 3) / 2 : 0;
    return pairs >= 1 ? pairs - 1 : 0;
}

void AsciiFrame::AddByte(std::uint8_t b) {
    m_lrcSum = static_cast<std::uint8_t>(m_lrcSum + b);
    append(hexDigit(b >> 4U));
    append(hexDigit(b & 0x0FU));
}

void AsciiFrame::Finish() {
    AddByte(static_cast<std::uint8_t>(-m_lrcSum));
    append(kCr);
    append(kLf);
    setState(Verdict::Good);
}

// n message bytes as pairs, the LRC pair, ':' and CR LF.
void AsciiFrame::SetExpectedLength(std::uint8_t n) {
    setExpectedLengthRaw(static_cast<std::uint8_t>(2U * n + 5U));
}

bool AsciiFrame::IsComplete() const {
    const std::size_t chars = length();
    if (chars <= 8 || raw(chars - 1) != kLf) {
        return false;
    }
    const std::uint8_t code = messageByte(1);
    // An exception reply, or a function code that is no hex pair: ':' + 4 pairs + CR LF.
    if ((code & 0x80U) != 0) {
        return chars == kFixedChars;
    }
    if (customFunction()) {
        return false;
    }
    const std::size_t expected = expectedLength();
    switch (code) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 17:
    case 20:
    case 21:
    case 23:
    case 100:
        return chars == 2U * messageByte(2) + kFixedChars;
    case 5:
    case 6:
    case 15:
    case 16:
        return chars == (expected != 0 ? expected : 17U);
    case 7:
        return chars == 11;
    case 8:
        return chars == 17;
    case 22:
        return chars == 21;
    default:
        // Device identification, the private id and custom replies end at the reply timeout.
        return false;
    }
}

Verdict AsciiFrame::Validate() {
    if (state() != static_cast<std::int32_t>(Verdict::Good)) {
        return static_cast<Verdict>(state());
    }
    const Verdict verdict = judge();
    setState(verdict);
    return verdict;
}

Verdict AsciiFrame::judge() const {
    const std::size_t chars = length();
    if (chars < 9) {
        return Verdict::BadLength;
    }
    if (raw(0) != kStart || raw(chars - 2) != kCr || raw(chars - 1) != kLf) {
        return Verdict::BadFraming;
    }
    const std::size_t pairs = (chars - 3) / 2;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        sum = static_cast<std::uint8_t>(sum + messageByte(i));
    }
    if (sum != 0) {
        return Verdict::BadChecksum;
    }
    // A non-hex character decodes as 0xFF and could still balance the LRC; such a reply
    // is corrupt all the same and must not pass as good data.
    if ((chars - 3) % 2 != 0) {
        return Verdict::BadFraming;
    }
    for (std::size_t pos = 1; pos < chars - 2; ++pos) {
        if (hexValue(raw(pos)) == kInvalid) {
            return Verdict::BadFraming;
        }
    }
    const std::uint8_t code = messageByte(1);
    if ((code & 0x80U) != 0) {
        return Verdict::Exception;
    }
    const bool counted =
        code == 1 || code == 2 || code == 3 || code == 4 || code == 20 || code == 100;
    if (expectedByteCount() != 0 && counted && messageByte(2) != expectedByteCount()) {
        return Verdict::BadByteCount;
    }
    return Verdict::Good;
}

} // namespace tavrin::frame
