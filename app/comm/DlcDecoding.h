// Turning a load cell's reply registers into the texts the main screen shows and the data file
// records, and into the rated values behind the count-to-kilogram conversion.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

namespace torvik::mdlFileMgr {
struct ProgramValues;
}

namespace torvik::comm {

// The data area of the control whose transaction has just completed with result 0. The run
// hands in the control wrapper; tests hand in tables. Every index is the control's own: a
// 32-bit value at 0 is registers 0 (high half) and 1 (low half), byte 2k is the low byte and
// 2k+1 the high byte of register k. A read the control refuses gives 0.
class ReplyData {
public:
    virtual ~ReplyData() = default;
    virtual float floatSwap(int index) const = 0;       // GetDataFloatSwapM
    virtual std::int32_t longSwap(int index) const = 0; // GetDataLongSwapM
    virtual std::int16_t byte(int index) const = 0;     // GetDataByteM, 0..255
    virtual std::int16_t word(int index) const = 0;     // DataWord
    virtual bool bit(int index) const = 0;              // GetDataBitM
};

// The settings the decoders depend on, taken once from the program values.
struct DecodeSettings {
    std::int16_t DP = 2;                    // decimals of the value format
    QString DataKind = QStringLiteral("R"); // "N": the measured value is an integer count
    bool DataUnit = true;                   // with "N": convert counts to kilograms
    QString ValueFormat = QStringLiteral("##0.00");

    static DecodeSettings from(const mdlFileMgr::ProgramValues& values);
    bool counts() const { return DataKind == u"N"; }
};

// Rated capacity and rated output per DLC index 0..8. Both stay 0 until the rated-value reads
// fill them; they are never written to any file.
struct RatedValues {
    std::array<double, 9> m_TeikakuCapacity{};
    std::array<double, 9> m_TeikakuOutput{};

    // Store the reply of the rated-capacity ("30004") or rated-output ("30049") read of DLC
    // index dlc. A failed transaction, a reply that arrives after the run was aborted, or an
    // index outside 0..8 leaves the table as it was; returns whether it stored.
    bool takeCapacity(int dlc, std::int32_t result, bool aborted, const ReplyData& reply);
    bool takeOutput(int dlc, std::int32_t result, bool aborted, const ReplyData& reply,
                    const DecodeSettings& settings);
};

// One character for a byte value written as decimal text: codes 32 to 126 are themselves,
// anything else (control codes, 127 and above, text that is not a number) is the fill
// character code 255, which in a QString is U+00FF (ÿ). The text's value is rounded to a whole
// number first, half to even.
QChar WordBCD2String(QStringView code);

// The value of one hexadecimal digit: a numeric text gives its number, "A" to "F" 10 to 15,
// anything else (lower-case letters included) 0.
std::int16_t Hex2Dec(QStringView digit);

// Reply to "30001": the float in the value format; with counts, the plain count, or the count
// scaled by 10^DP and, once the rated output of this DLC is known, converted by capacity over
// output. An index outside 0..8 shows the scaled count unconverted.
QString measuredValueText(const ReplyData& reply, int dlc, const RatedValues& rated,
                          const DecodeSettings& settings);

// The third register of a "30001" read with the status option: four upper-case hexadecimal
// digits, high byte first ("0A05").
QString statusText(const ReplyData& reply);

// Two characters a register, high byte first, each through WordBCD2String: registers 0 to
// `registers` - 1.
QString characterText(const ReplyData& reply, int registers);

// Twenty registers of a name ("30008", "30028"): 40 characters, high byte of each register
// first, nothing trimmed.
QString nameText(const ReplyData& reply);

// Two upper-case hexadecimal digits a byte, high byte of each register first, no separators:
// registers 0 to `registers` - 1.
QString hexText(const ReplyData& reply, int registers);

// The float of registers 0 (high word) and 1 in the value format, with the digits a single
// carries.
QString floatValueText(const ReplyData& reply, const DecodeSettings& settings);

// "30048": hundredths of a degree as a signed register.
QString temperatureText(const ReplyData& reply, const DecodeSettings& settings);

// "30049" for display: the float in the value format, or the plain count with counts.
QString ratedOutputText(const ReplyData& reply, const DecodeSettings& settings);

// "30004" for display: the float in the value format.
QString ratedCapacityText(const ReplyData& reply, const DecodeSettings& settings);

// "30006"/"40002": the 32-bit serial number as plain decimal text.
QString serialNumberText(const ReplyData& reply);

// "40001", "40004": slave address and baud-rate setting as plain decimal text.
QString registerText(const ReplyData& reply);

} // namespace torvik::comm
