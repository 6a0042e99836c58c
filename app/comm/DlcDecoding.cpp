#include "comm/DlcDecoding.h"

#include "config/ProgramValues.h"
#include "runtime/Format.h"
#include "runtime/NumericText.h"

#include <algorithm>
#include <cmath>

namespace torvik::comm {
namespace {

using runtime::formatNumber;
using runtime::Precision;

constexpr QChar kFillCharacter(0x00FF);
constexpr int kDlcSlots = 9;

bool validDlc(int dlc) {
    return dlc >= 0 && dlc < kDlcSlots;
}

// The device sends single-precision floats, so they are shown with the digits a single
// carries; arithmetic results are doubles.
QString floatText(float value, const DecodeSettings& settings) {
    return formatNumber(static_cast<double>(value), settings.ValueFormat, Precision::Single);
}

double scaledCount(std::int32_t count, const DecodeSettings& settings) {
    return static_cast<double>(count) / std::pow(10.0, settings.DP);
}

QString hexByte(std::int16_t value) {
    return runtime::hexText(value & 0xFF).rightJustified(2, u'0');
}

} // namespace

DecodeSettings DecodeSettings::from(const mdlFileMgr::ProgramValues& values) {
    return {values.setting.DP, values.setting.DataKind, values.setting.DataUnit,
            values.ValueFormat};
}

bool RatedValues::takeCapacity(int dlc, std::int32_t result, bool aborted, const ReplyData& reply) {
    if (result != 0 || aborted || !validDlc(dlc))
        return false;
    m_TeikakuCapacity[static_cast<std::size_t>(dlc)] = static_cast<double>(reply.floatSwap(0));
    return true;
}

bool RatedValues::takeOutput(int dlc, std::int32_t result, bool aborted, const ReplyData& reply,
                             const DecodeSettings& settings) {
    if (result != 0 || aborted || !validDlc(dlc))
        return false;
    m_TeikakuOutput[static_cast<std::size_t>(dlc)] = settings.counts()
                                                         ? scaledCount(reply.longSwap(0), settings)
                                                         : static_cast<double>(reply.floatSwap(0));
    return true;
}

QChar WordBCD2String(QStringView code) {
    if (!runtime::isNumeric(code))
        return kFillCharacter;
    const auto value = runtime::toInt16(code);
    if (!value || *value < 32 || *value >= 127)
        return kFillCharacter;
    return QChar(static_cast<char16_t>(*value));
}

std::int16_t Hex2Dec(QStringView digit) {
    if (runtime::isNumeric(digit))
        return runtime::toInt16(digit).value_or(0);
    if (digit.size() == 1 && digit[0] >= u'A' && digit[0] <= u'F')
        return static_cast<std::int16_t>(digit[0].unicode() - u'A' + 10);
    return 0;
}

QString measuredValueText(const ReplyData& reply, int dlc, const RatedValues& rated,
                          const DecodeSettings& settings) {
    if (!settings.counts())
        return floatText(reply.floatSwap(0), settings);
    const std::int32_t count = reply.longSwap(0);
    if (!settings.DataUnit)
        return QString::number(count);
    double value = scaledCount(count, settings);
    if (validDlc(dlc)) {
        const auto i = static_cast<std::size_t>(dlc);
        // Capacity over output first, then times the value: the order the readings on
        // existing records were computed in, which can differ in the last digit.
        if (rated.m_TeikakuOutput[i] != 0.0)
            value = rated.m_TeikakuCapacity[i] / rated.m_TeikakuOutput[i] * value;
    }
    return formatNumber(value, settings.ValueFormat);
}

QString statusText(const ReplyData& reply) {
    return hexByte(reply.byte(5)) + hexByte(reply.byte(4));
}

QString characterText(const ReplyData& reply, int registers) {
    QString text;
    text.reserve(2 * std::max(registers, 0));
    for (int k = 0; k < registers; ++k) {
        text += WordBCD2String(QString::number(reply.byte(2 * k + 1)));
        text += WordBCD2String(QString::number(reply.byte(2 * k)));
    }
    return text;
}

QString nameText(const ReplyData& reply) {
    return characterText(reply, 20);
}

QString hexText(const ReplyData& reply, int registers) {
    QString text;
    text.reserve(4 * std::max(registers, 0));
    for (int k = 0; k < registers; ++k)
        text += hexByte(reply.byte(2 * k + 1)) + hexByte(reply.byte(2 * k));
    return text;
}

QString floatValueText(const ReplyData& reply, const DecodeSettings& settings) {
    return floatText(reply.floatSwap(0), settings);
}

QString temperatureText(const ReplyData& reply, const DecodeSettings& settings) {
    return formatNumber(static_cast<double>(reply.word(0)) / 100.0, settings.ValueFormat);
}

QString ratedOutputText(const ReplyData& reply, const DecodeSettings& settings) {
    if (settings.counts())
        return QString::number(reply.longSwap(0));
    return floatText(reply.floatSwap(0), settings);
}

QString ratedCapacityText(const ReplyData& reply, const DecodeSettings& settings) {
    return floatValueText(reply, settings);
}

QString serialNumberText(const ReplyData& reply) {
    return QString::number(reply.longSwap(0));
}

QString registerText(const ReplyData& reply) {
    return QString::number(reply.word(0));
}

} // namespace torvik::comm
