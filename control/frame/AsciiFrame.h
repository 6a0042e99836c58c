// ASCII framing: ':' + two hex characters per byte + LRC + CR LF.
#pragma once

#include "frame/ModbusFrame.h"

namespace tavrin::frame {

class AsciiFrame final : public ModbusFrame {
public:
    AsciiFrame();

    Verdict Validate() override;
    void AddByte(std::uint8_t b) override;
    void Finish() override;
    bool IsComplete() const override;
    void SetExpectedLength(std::uint8_t n) override;

    // The value of one hex character, or 0xFF for any other character.
    static std::uint8_t hexValue(std::uint8_t c);

private:
    std::uint8_t messageByte(std::size_t i) const override;
    std::size_t messageBytesBeforeCheck() const override;
    Verdict judge() const;
    std::uint8_t pairAt(std::size_t pos) const;

    std::uint8_t m_lrcSum = 0;
};

} // namespace tavrin::frame
