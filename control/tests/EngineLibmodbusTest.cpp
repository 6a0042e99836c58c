// The engine against an independent slave, libmodbus, so that no mistake shared by our codec
// and our simulator can hide: reads, a write read back, an exception. (A request to an absent
// slave is not tried here: libmodbus, as a slave on a shared bus, then takes the next frame
// for that slave's reply and ignores it.)
#include "EngineTestSupport.h"
#include "engine/PortSession.h"
#include "tavrin/TavrinEnums.h"

#include <gtest/gtest.h>
#include <modbus.h>

namespace tavrin::test {
namespace {

class EngineWithLibmodbus : public ::testing::Test {
protected:
    std::uint16_t run(const Transaction& t, DataArea& data) {
        std::int16_t qty = t.request.memQty;
        return m_session.run(portSettings(m_folder, 1), t, data, qty);
    }

    PortsFolder m_folder;
    LibmodbusSlave m_slave{m_folder.path() + "/" + m_folder.portName(1), 7};
    PortSession m_session; // after the slave: closes its port first
};

TEST_F(EngineWithLibmodbus, ReadsWritesAndGetsExceptions) {
    m_slave.map().tab_input_registers[0] = 0x4049;
    m_slave.map().tab_input_registers[1] = 0x0FDB; // 3.14159274f, high word first
    m_slave.start();

    DataArea data;
    ASSERT_EQ(run(readValue("7"), data), RES_AX_SUCCESS);
    EXPECT_EQ(data.dataFloatSwap(0).value(), 3.14159274F);

    DataArea out;
    ASSERT_TRUE(out.setDataWord(0, 0x0102).hasValue());
    ASSERT_TRUE(out.setDataWord(1, -1).hasValue());
    ASSERT_EQ(run(transaction(16, "7", "40011", 2), out), RES_AX_SUCCESS);
    DataArea back;
    ASSERT_EQ(run(transaction(3, "7", "40011", 2), back), RES_AX_SUCCESS);
    EXPECT_EQ(back.dataWord(0).value(), 0x0102);
    EXPECT_EQ(back.dataWord(1).value(), -1);

    // The map holds 64 registers: register 65 is outside it, which libmodbus answers with
    // exception 2.
    EXPECT_EQ(run(transaction(3, "7", "40065", 1), back), RES_MB_ILLEGAL_DATA_ADDRESS);
    EXPECT_EQ(m_slave.served(), 4U);
}

} // namespace
} // namespace tavrin::test
