// RTU framing: raw bytes closed by a CRC-16, low byte first.
#pragma once

#include "frame/ModbusFrame.h"

namespace tavrin::frame {

class RtuFrame final : public ModbusFrame {
public:
    RtuFrame() : ModbusFrame(Framing::Rtu) {}

    Verdict Validate() override;
    void AddByte(std::uint8_t b) override;
    void Finish() override;
    bool IsComplete() const override;
    void SetExpectedLength(std::uint8_t n) override;

private:
    std::uint8_t messageByte(std::size_t i) const override { return raw(i); }
    std::size_t messageBytesBeforeCheck() const override;
    bool deviceIdComplete() const;
};

} // namespace tavrin::frame
