// A control's data area as the decoders read it.
#pragma once

#include "comm/DlcDecoding.h"
#include "comm/TavrinControl.h"

namespace torvik::comm {

class ControlReply final : public ReplyData {
public:
    explicit ControlReply(TavrinControl& control) : m_control(control) {}

    float floatSwap(int index) const override {
        return m_control.GetDataFloatSwapM(static_cast<std::int16_t>(index)).value;
    }
    std::int32_t longSwap(int index) const override {
        return m_control.GetDataLongSwapM(static_cast<std::int16_t>(index)).value;
    }
    std::int16_t byte(int index) const override {
        return m_control.GetDataByteM(static_cast<std::int16_t>(index)).value;
    }
    std::int16_t word(int index) const override {
        return m_control.DataWord(static_cast<std::int16_t>(index)).value;
    }
    bool bit(int index) const override {
        return m_control.GetDataBitM(static_cast<std::int16_t>(index)).value;
    }

private:
    TavrinControl& m_control;
};

} // namespace torvik::comm
