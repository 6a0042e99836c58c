// Cross-check with libmodbus over a pseudo-terminal: its master's requests must be the bytes
// our builder makes, and replies of its slave to our requests must validate and parse.
#include "CodecTestSupport.h"
#include "PseudoTerminal.h"
#include "frame/Reception.h"
#include "frame/ReplyResult.h"
#include "tavrin/TavrinEnums.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <modbus.h>

namespace tavrin::frame::test {
namespace {

using namespace std::chrono_literals;
using tavrin::test::PseudoTerminal;

// Generous: a loaded CI machine may be slow, and the waits end as soon as the bytes are there.
constexpr auto kDeadline = 3000ms;

struct ModbusDeleter {
    void operator()(modbus_t* ctx) const {
        modbus_close(ctx);
        modbus_free(ctx);
    }
};
using ModbusPtr = std::unique_ptr<modbus_t, ModbusDeleter>;

struct MappingDeleter {
    void operator()(modbus_mapping_t* m) const { modbus_mapping_free(m); }
};
using MappingPtr = std::unique_ptr<modbus_mapping_t, MappingDeleter>;

// An RTU context on the pseudo-terminal's slave side. Parity means nothing on a pty.
ModbusPtr openRtu(const PseudoTerminal& pty) {
    ModbusPtr ctx(modbus_new_rtu(pty.slavePath().c_str(), 9600, 'N', 8, 1));
    if (!ctx || modbus_set_slave(ctx.get(), 1) != 0 || modbus_connect(ctx.get()) != 0) {
        return nullptr;
    }
    return ctx;
}

struct MasterCase {
    const char* name;
    TransactionProperties request;
    std::function<int(modbus_t*)> send;
};

const std::uint16_t kWords[] = {0x1234, 0x5678, 0x9ABC};

std::vector<MasterCase> masterCases() {
    return {
        {"read coils", props(1, "00020", 19),
         [](modbus_t* c) {
             std::uint8_t dest[19];
             return modbus_read_bits(c, 19, 19, dest);
         }},
        {"read inputs", props(2, "10197", 22),
         [](modbus_t* c) {
             std::uint8_t dest[22];
             return modbus_read_input_bits(c, 196, 22, dest);
         }},
        {"read holding", props(3, "40001", 2),
         [](modbus_t* c) {
             std::uint16_t dest[2];
             return modbus_read_registers(c, 0, 2, dest);
         }},
        {"read input regs", props(4, "30009", 1),
         [](modbus_t* c) {
             std::uint16_t dest[1];
             return modbus_read_input_registers(c, 8, 1, dest);
         }},
        {"write coil", props(5, "00173"), [](modbus_t* c) { return modbus_write_bit(c, 172, 1); }},
        {"write register", props(6, "40002"),
         [](modbus_t* c) { return modbus_write_register(c, 1, kWords[0]); }},
        {"write coils", props(15, "00020", 16),
         [](modbus_t* c) {
             // the bits of sampleArea() bytes 0x34 0x12, lowest first
             std::uint8_t bits[16];
             modbus_set_bits_from_bytes(bits, 0, 8, std::array<std::uint8_t, 1>{0x34}.data());
             modbus_set_bits_from_bytes(bits, 8, 8, std::array<std::uint8_t, 1>{0x12}.data());
             return modbus_write_bits(c, 19, 16, bits);
         }},
        {"write registers", props(16, "40002", 3),
         [](modbus_t* c) { return modbus_write_registers(c, 1, 3, kWords); }},
        {"mask write", props(22, "40005"),
         [](modbus_t* c) { return modbus_mask_write_register(c, 4, 0x1234, 0x5678); }},
        {"read/write", props(23, "40004,6,40015,3"),
         [](modbus_t* c) {
             std::uint16_t dest[6];
             return modbus_write_and_read_registers(c, 14, 3, kWords, 3, 6, dest);
         }},
    };
}

TEST(CodecLibmodbus, MasterRequestsAreByteIdenticalToOurs) {
    const DataBytes area = sampleArea();
    for (const MasterCase& c : masterCases()) {
        SCOPED_TRACE(c.name);
        PseudoTerminal pty;
        ModbusPtr master = openRtu(pty);
        ASSERT_TRUE(master) << modbus_strerror(errno);
        // Nobody answers: the call ends at this short response timeout after sending.
        modbus_set_response_timeout(master.get(), 0, 20000);

        CodecState state;
        const Request ours = buildRequest(c.request, area, state);
        ASSERT_NE(ours.frame, nullptr);
        const Bytes expected = frameBytes(*ours.frame);

        EXPECT_EQ(c.send(master.get()), -1);
        const Bytes sent = pty.readUntil(
            kDeadline, [&](const Bytes& got) { return got.size() >= expected.size(); });
        EXPECT_EQ(sent, expected);
    }
}

// A libmodbus slave with recognisable values everywhere.
class LibmodbusSlave : public ::testing::Test {
protected:
    void SetUp() override {
        m_slave = openRtu(m_pty);
        ASSERT_TRUE(m_slave) << modbus_strerror(errno);
        // libmodbus pauses this long before an illegal-function reply
        modbus_set_response_timeout(m_slave.get(), 0, 10000);
        m_map.reset(modbus_mapping_new(64, 64, 64, 64));
        ASSERT_TRUE(m_map);
        for (int i = 0; i < 64; ++i) {
            const auto u = static_cast<unsigned>(i);
            m_map->tab_bits[i] = static_cast<std::uint8_t>(u % 3 == 0);
            m_map->tab_input_bits[i] = static_cast<std::uint8_t>(u % 5 == 1);
            m_map->tab_registers[i] = static_cast<std::uint16_t>(0x4000 + u * 0x0101);
            m_map->tab_input_registers[i] = static_cast<std::uint16_t>(0x3000 + u * 0x0103);
        }
    }

    // Sends our request, lets the slave answer it, and concludes the reply as the engine does.
    int transact(const TransactionProperties& p, DataBytes& area, std::int16_t& memQty) {
        CodecState state;
        Request request = buildRequest(p, area, state);
        if (!request.frame) {
            return request.result;
        }
        memQty = request.memQty.value_or(p.memQty);
        if (!m_pty.write(frameBytes(*request.frame))) {
            return RES_AX_COMM_WRITE;
        }
        // The slave side: one indication in, one reply out.
        std::vector<std::uint8_t> query(MODBUS_RTU_MAX_ADU_LENGTH);
        if (!tavrin::test::waitReadable(modbus_get_socket(m_slave.get()), kDeadline)) {
            ADD_FAILURE() << "the slave saw no request";
            return -1;
        }
        const int length = modbus_receive(m_slave.get(), query.data());
        if (length <= 0 || modbus_reply(m_slave.get(), query.data(), length, m_map.get()) < 0) {
            ADD_FAILURE() << "the slave did not take the request: " << modbus_strerror(errno);
            return -1;
        }
        ModbusFrame& reply = *request.frame;
        reply.Reset();
        bool whole = false;
        m_pty.readUntil(kDeadline, [&](const Bytes& got) {
            whole = whole || (!got.empty() && acceptByte(reply, got.back()));
            return whole;
        });
        return whole ? concludeReply(request.reply, reply, area, memQty)
                     : concludeTimeout(request.reply, reply, area, memQty);
    }

    PseudoTerminal m_pty;
    ModbusPtr m_slave;
    MappingPtr m_map;
};

TEST_F(LibmodbusSlave, ReadRepliesFillTheArea) {
    struct Case {
        const char* name;
        TransactionProperties request;
        std::function<DataBytes(const modbus_mapping_t&)> expected;
    };
    const auto bitsFrom = [](const std::uint8_t* table, int first, int count) {
        DataBytes area{};
        for (int i = 0; i < count; ++i) {
            if (table[first + i] != 0) {
                const auto u = static_cast<std::size_t>(i);
                area[u / 8] = static_cast<std::uint8_t>(area[u / 8] | (1U << (u % 8)));
            }
        }
        return area;
    };
    const auto wordsFrom = [](const std::uint16_t* table, int first, int count) {
        DataBytes area{};
        for (int i = 0; i < count; ++i) {
            setWordAt(area, static_cast<std::size_t>(i), table[first + i]);
        }
        return area;
    };
    const Case cases[] = {
        {"coils", props(1, "00004", 19),
         [&](const modbus_mapping_t& m) { return bitsFrom(m.tab_bits, 3, 19); }},
        {"inputs", props(2, "10002", 33),
         [&](const modbus_mapping_t& m) { return bitsFrom(m.tab_input_bits, 1, 33); }},
        {"holding", props(3, "40011", 5),
         [&](const modbus_mapping_t& m) { return wordsFrom(m.tab_registers, 10, 5); }},
        {"input registers", props(4, "30001", 60),
         [&](const modbus_mapping_t& m) { return wordsFrom(m.tab_input_registers, 0, 60); }},
        {"read/write", props(23, "40003,4,40002,3"),
         [&](const modbus_mapping_t& m) {
             // written first, then read back
             EXPECT_EQ(m.tab_registers[1], 0x1234);
             EXPECT_EQ(m.tab_registers[3], 0x9ABC);
             return wordsFrom(m.tab_registers, 2, 4);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataBytes area = sampleArea();
        std::int16_t memQty = 0;
        EXPECT_EQ(transact(c.request, area, memQty), RES_AX_SUCCESS);
        EXPECT_EQ(area, c.expected(*m_map));
    }
}

TEST_F(LibmodbusSlave, WritesReachTheSlaveAndClearTheArea) {
    const struct {
        const char* name;
        TransactionProperties request;
        std::function<void(const modbus_mapping_t&)> check;
    } cases[] = {
        {"coil", props(5, "00002"), [](const modbus_mapping_t& m) { EXPECT_EQ(m.tab_bits[1], 1); }},
        {"register", props(6, "40021"),
         [](const modbus_mapping_t& m) { EXPECT_EQ(m.tab_registers[20], 0x1234); }},
        {"coils", props(15, "00033", 12),
         [](const modbus_mapping_t& m) {
             // bits of 0x34 then the low four of 0x12
             const int bits[] = {0, 0, 1, 0, 1, 1, 0, 0, 0, 1, 0, 0};
             for (int i = 0; i < 12; ++i) {
                 EXPECT_EQ(m.tab_bits[32 + i], bits[i]) << i;
             }
         }},
        {"registers", props(16, "40031", 4),
         [](const modbus_mapping_t& m) {
             EXPECT_EQ(m.tab_registers[30], 0x1234);
             EXPECT_EQ(m.tab_registers[33], 0xDEF0);
         }},
        {"mask", props(22, "40041"),
         [](const modbus_mapping_t& m) {
             // (current AND 0x1234) OR (0x5678 AND NOT 0x1234)
             const unsigned before = 0x4000 + 40 * 0x0101;
             EXPECT_EQ(m.tab_registers[40], (before & 0x1234U) | (0x5678U & ~0x1234U & 0xFFFFU));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataBytes area = sampleArea();
        std::int16_t memQty = 0;
        EXPECT_EQ(transact(c.request, area, memQty), RES_AX_SUCCESS);
        EXPECT_EQ(area, DataBytes{});
        c.check(*m_map);
    }
}

TEST_F(LibmodbusSlave, ExceptionsAndSlaveIdArrive) {
    DataBytes area = sampleArea();
    std::int16_t memQty = 0;
    // beyond the 64 registers of the map
    EXPECT_EQ(transact(props(3, "40060", 10), area, memQty), RES_MB_ILLEGAL_DATA_ADDRESS);
    EXPECT_EQ(area, sampleArea());
    // a code libmodbus does not serve: the exception reply ends the wait for an open reply
    EXPECT_EQ(transact(props(65, "0"), area, memQty), RES_MB_ILLEGAL_FUNCTION);

    ASSERT_EQ(transact(props(17, "0"), area, memQty), RES_AX_SUCCESS);
    // byte count, slave id, run indicator 0xFF, then "LMB" and the version
    EXPECT_GE(wordAt(area, 0), 5);
    EXPECT_EQ(area[3], 0xFF);
    EXPECT_EQ(std::string(area.begin() + 4, area.begin() + 7), "LMB");
}

} // namespace
} // namespace tavrin::frame::test
