// A control instance as the port release sees it.
#pragma once

#include "comm/PortRelease.h"
#include "comm/TavrinControl.h"

namespace torvik::comm {

class TavrinControlHandle final : public ControlHandle {
public:
    explicit TavrinControlHandle(TavrinControl& control) : m_control(control) {}

    bool busy() const override { return m_control.Busy(); }
    void disconnect() override { m_control.Disconnect(); }

private:
    TavrinControl& m_control;
};

} // namespace torvik::comm
