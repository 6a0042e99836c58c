#include "comm/CustomDisplay.h"

#include "config/Conversions.h"
#include "runtime/Format.h"
#include "runtime/NumericText.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace torvik::comm {
namespace {

// What the control's views of its data area reach: bytes 0 to 253 (registers 0 to 126) and
// bits 0 to 2031. A register or bit beyond them would read as 0, not as what the reply held.
constexpr int kAreaRegisters = 127;
constexpr int kAreaBits = 2032;

QString bitsText(const ReplyData& reply, int n) {
    QString text;
    text.reserve(3 * n);
    for (int i = 0; i < n; ++i)
        text += reply.bit(i) ? QStringLiteral("01 ") : QStringLiteral("00 ");
    return text;
}

QString realText(const ReplyData& reply, const QString& length, const DecodeSettings& settings) {
    if (length == u"2")
        return floatValueText(reply, settings);
    if (length != u"4")
        return {};
    std::array<std::uint8_t, 8> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(reply.byte(static_cast<int>(i)));
    return runtime::formatNumber(mdlFileMgr::CVD(bytes), u"##0.00000000");
}

// The hexadecimal text read as one number, digit by digit from the left, in decimal digits
// (least significant first) so that no width limits it.
QString integerText(const ReplyData& reply, int n) {
    const QString hex = hexText(reply, n);
    std::vector<int> digits{0};
    for (qsizetype j = 0; j < hex.size(); ++j) {
        int carry = Hex2Dec(QStringView(hex).mid(j, 1));
        for (int& d : digits) {
            const int v = d * 16 + carry;
            d = v % 10;
            carry = v / 10;
        }
        for (; carry > 0; carry /= 10)
            digits.push_back(carry % 10);
    }
    while (digits.size() > 1 && digits.back() == 0)
        digits.pop_back();
    QString text;
    text.reserve(static_cast<qsizetype>(digits.size()));
    for (auto d = digits.rbegin(); d != digits.rend(); ++d)
        text += QChar(u'0' + *d);
    const QString largest = QString::fromLatin1(kLargestCustomInteger);
    if (text.size() > largest.size() || (text.size() == largest.size() && text > largest))
        return {};
    return text;
}

} // namespace

QString customText(const ReplyData& reply, CustomFormat format, const QString& length,
                   const DecodeSettings& settings) {
    const auto value = runtime::toDouble(length);
    const int limit = format == CustomFormat::Bits ? kAreaBits : kAreaRegisters;
    if (!value || !(*value >= 1 && *value <= limit) || *value != std::floor(*value))
        return {};
    const int n = static_cast<int>(*value);
    switch (format) {
    case CustomFormat::Bits:
        return bitsText(reply, n);
    case CustomFormat::Hexadecimal:
        return hexText(reply, n);
    case CustomFormat::Real:
        return realText(reply, length, settings);
    case CustomFormat::Integer:
        return integerText(reply, n);
    case CustomFormat::Ascii:
        return characterText(reply, n);
    }
    return {};
}

} // namespace torvik::comm
