// Request frames: layout per function, address conventions, refusals, the scattered counter.
#include "CodecTestSupport.h"
#include "frame/AddressMap.h"
#include "frame/Checksum.h"
#include "frame/ReplyResult.h"
#include "tavrin/TavrinEnums.h"

#include <gtest/gtest.h>
#include <set>

namespace tavrin::frame::test {
namespace {

struct RequestCase {
    const char* name;
    std::int32_t function;
    const char* memStart;
    std::int16_t memQty;
    std::int16_t addressType;
    const char* rtu;
    const char* ascii;
};

// Expected frames from peers/codec_vectors.py: standard requests built by pymodbus's request
// classes and framers, the others laid out by hand and framed with pymodbus's CRC and LRC.
// Node 1, data area sampleArea().
const RequestCase kRequests[] = {
    {"read coils", 1, "00020", 19, 0, "01 01 00 13 00 13 8C 02", ":010100130013D8\r\n"},
    {"read inputs", 2, "10197", 22, 0, "01 02 00 C4 00 16 B8 39", ":010200C4001623\r\n"},
    {"read holding", 3, "40001", 2, 0, "01 03 00 00 00 02 C4 0B", ":010300000002FA\r\n"},
    {"read input regs", 4, "30009", 1, 0, "01 04 00 08 00 01 B0 08", ":010400080001F2\r\n"},
    {"write coil", 5, "00173", 1, 0, "01 05 00 AC FF 00 4C 1B", ":010500ACFF004F\r\n"},
    {"write register", 6, "40002", 1, 0, "01 06 00 01 12 34 D5 7D", ":010600011234B2\r\n"},
    {"exception status", 7, "40001", 1, 0, "01 07 41 E2", ":0107F8\r\n"},
    {"diagnostic echo", 8, "0", 1, 0, "01 08 00 00 12 34 ED 7C", ":010800001234B1\r\n"},
    {"write coils", 15, "00020", 16, 0, "01 0F 00 13 00 10 02 34 12 76 4E",
     ":010F0013001002341285\r\n"},
    {"write registers", 16, "40002", 3, 0, "01 10 00 01 00 03 06 12 34 56 78 9A BC FF 73",
     ":01100001000306123456789ABC7B\r\n"},
    {"report slave id", 17, "40001", 1, 0, "01 11 C0 2C", ":0111EE\r\n"},
    {"read file record", 20, "6,4,1,2,6,3,9,2", 1, 0,
     "01 14 0E 06 00 04 00 01 00 02 06 00 03 00 09 00 02 F4 FD",
     ":01140E0600040001000206000300090002BC\r\n"},
    {"write file record", 21, "6,4,7,3", 1, 0,
     "01 15 0D 06 00 04 00 07 00 03 12 34 56 78 9A BC E7 52",
     ":01150D06000400070003123456789ABC5F\r\n"},
    {"mask write", 22, "40005", 1, 0, "01 16 00 04 12 34 56 78 7C F2", ":0116000412345678D1\r\n"},
    {"read/write", 23, "40004,6,40015,3", 1, 0,
     "01 17 00 03 00 06 00 0E 00 03 06 12 34 56 78 9A BC 6A C3",
     ":011700030006000E000306123456789ABC5E\r\n"},
    {"device id", 4314, "1,0", 1, 0, "01 2B 0E 01 00 70 77", ":012B0E0100C5\r\n"},
    {"private id", 65, "40001", 1, 0, "01 41 C0 10", ":0141BE\r\n"},
    {"illegal function", 0, "40001", 1, 0, "01 00 00 20", ":0100FF\r\n"},
    {"scattered read", 100, "40001,40010", 1, 0, "01 64 06 04 00 00 00 00 09 A7 39",
     ":01640604000000000988\r\n"},
    {"scattered write", 10005, "40001,40010", 1, 0, "01 64 0A 05 01 00 00 12 34 00 09 56 78 11 4B",
     ":01640A050100001234000956786E\r\n"},
    {"custom bytes", 255, "3,0,1,0,a,0xff", 1, 0, "01 03 00 01 00 0A FF 4C EF",
     ":01030001000AFFF2\r\n"},
    {"enron 6 trigger", 6, "1000", 1, 3, "01 06 03 E8 E1 67", ":010603E80E\r\n"},
    {"enron 6 short", 6, "3500", 1, 3, "01 06 0D AC 12 34 46 30", ":01060DAC1234FA\r\n"},
    {"enron 6 long", 6, "5000", 1, 3, "01 06 13 88 12 34 56 78 7E 4F", ":01061388123456784A\r\n"},
    {"enron 16 trigger", 16, "1000", 2, 3, "01 10 03 E8 00 02 C1 B8", ":011003E8000202\r\n"},
    {"enron 16 short", 16, "3500", 2, 3, "01 10 0D AC 00 02 04 12 34 56 78 DA 26",
     ":01100DAC000204123456781C\r\n"},
    {"enron 16 long", 16, "5000", 2, 3, "01 10 13 88 00 02 08 12 34 56 78 9A BC DE F0 61 65",
     ":01101388000208123456789ABCDEF012\r\n"},
};

TEST(CodecRequest, FramesMatchThoseOfAnIndependentPeer) {
    const DataBytes area = sampleArea();
    for (const RequestCase& c : kRequests) {
        for (std::int16_t mode : kFramings) {
            SCOPED_TRACE(std::string(c.name) + (mode == DATA_MODE_MB_RTU ? " rtu" : " ascii"));
            CodecState state;
            const Request r = buildRequest(
                props(c.function, c.memStart, c.memQty, c.addressType, mode), area, state);
            ASSERT_EQ(r.result, RES_AX_SUCCESS);
            ASSERT_NE(r.frame, nullptr);
            EXPECT_EQ(frameBytes(*r.frame),
                      mode == DATA_MODE_MB_RTU ? hexBytes(c.rtu) : textBytes(c.ascii));
            EXPECT_EQ(r.frame->state(), 1);
        }
    }
}

TEST(CodecChecksum, CrcCheckValue) {
    const Bytes text = textBytes("123456789");
    EXPECT_EQ(crc16(text), 0x4B37);
}

TEST(CodecRequest, BadChecksumModeAddsOneToTheCrcHighByte) {
    const DataBytes area{};
    CodecState state;
    const Request r = buildRequest(props(3, "40001", 2, 0, DATA_MODE_MB_RTU_BAD), area, state);
    ASSERT_NE(r.frame, nullptr);
    EXPECT_EQ(frameBytes(*r.frame), hexBytes("01 03 00 00 00 02 C4 0C"));
}

TEST(CodecRequest, UnknownDataModeIsRefused) {
    const DataBytes area{};
    for (std::int16_t mode : {std::int16_t{-1}, std::int16_t{3}, std::int16_t{255}}) {
        CodecState state;
        const Request r = buildRequest(props(3, "40001", 2, 0, mode), area, state);
        EXPECT_EQ(r.result, RES_AX_INVALID_FUNCTION) << mode;
        EXPECT_EQ(r.frame, nullptr);
    }
}

TEST(CodecRequest, FunctionNumbersOutsideTheSetAreRefused) {
    const DataBytes area{};
    for (std::int32_t function : {9, 18, 24, 43, 101, 256, 10004}) {
        CodecState state;
        EXPECT_EQ(buildRequest(props(function, "40001"), area, state).result,
                  RES_AX_INVALID_FUNCTION)
            << function;
    }
}

struct AddressCase {
    std::int32_t addressType;
    std::uint8_t code;
    std::int64_t number;
    std::uint16_t address;
};

// Hand-derived from the reference conventions: 5-digit Modicon tables start at 00001,
// 10001, 30001, 40001; 6-digit ones at 000001, 100001, 300001, 400001.
const AddressCase kAddresses[] = {
    {0, 1, 1, 0},          {0, 5, 20, 19},        {0, 15, 9999, 9998},   {0, 2, 10001, 0},
    {0, 4, 30009, 8},      {0, 3, 40001, 0},      {0, 6, 40002, 1},      {0, 16, 49999, 9998},
    {0, 22, 40005, 4},     {0, 23, 40001, 0},     {0, 100, 40010, 9},    {0, 8, 10, 10},
    {0, 20, 7, 7},         {0, 3, 30001, 0xD8F0}, // below its table: wraps to 16 bits
    {4, 1, 1, 0},          {4, 2, 100001, 0},     {4, 4, 300009, 8},     {4, 3, 400001, 0},
    {4, 3, 465537, 0},     {4, 17, 5, 5},         {2, 3, 40001, 40000},  {2, 2, 1, 0},
    {2, 8, 1, 0},          {1, 3, 40001, 0x9C41}, {3, 3, 40001, 0x9C41}, {3, 16, 5000, 5000},
    {7, 3, 40001, 0x9C41}, {-1, 4, 7, 7},         {1, 3, -1, 0xFFFF},
};

TEST(CodecAddress, MapAddressFollowsTheReferenceConventions) {
    for (const AddressCase& c : kAddresses) {
        EXPECT_EQ(MapAddress(c.addressType, c.code, c.number), c.address)
            << "type " << c.addressType << " code " << int{c.code} << " number " << c.number;
    }
}

TEST(CodecRequest, AddressTypeDecidesTheRegisterOfReference40001) {
    const DataBytes area{};
    const std::pair<std::int16_t, const char*> cases[] = {
        {0, "01 03 00 00"}, {1, "01 03 9C 41"}, {2, "01 03 9C 40"}, {3, "01 03 9C 41"}};
    for (const auto& [type, head] : cases) {
        CodecState state;
        const Request r = buildRequest(props(3, "40001", 2, type), area, state);
        ASSERT_NE(r.frame, nullptr);
        const Bytes expected = hexBytes(head);
        EXPECT_EQ(Bytes(r.frame->bytes().begin(), r.frame->bytes().begin() + 4), expected) << type;
    }
}

TEST(CodecRequest, TextIsReadAsLeadingDigits) {
    const DataBytes area{};
    CodecState state;
    const Request r = buildRequest(props(3, "  40003xyz", 2, 0, 0, " 257 nodes"), area, state);
    ASSERT_NE(r.frame, nullptr);
    // node 257 -> low 8 bits 1; reference 40003 -> address 2
    EXPECT_EQ(frameBytes(*r.frame).at(0), 1);
    EXPECT_EQ(frameBytes(*r.frame).at(3), 2);
}

TEST(CodecRequest, SingleCoilIsOnForAnyNonzeroWord) {
    const std::uint16_t words[] = {0x0001, 0x0100, 0x8000, 0x0000};
    for (std::uint16_t word : words) {
        DataBytes area{};
        setWordAt(area, 0, word);
        CodecState state;
        const Request r = buildRequest(props(5, "00001"), area, state);
        ASSERT_NE(r.frame, nullptr);
        const Bytes frame = frameBytes(*r.frame);
        EXPECT_EQ(frame.at(4), word != 0 ? 0xFF : 0x00) << word;
        EXPECT_EQ(frame.at(5), 0x00);
    }
}

TEST(CodecRequest, ScatteredCounterAdvancesAndAWriteResetsIt) {
    const DataBytes area = sampleArea();
    CodecState state;
    const auto counterSent = [&](std::int32_t function, const char* node = "1") {
        const Request r = buildRequest(props(function, "40001", 1, 0, 0, node), area, state);
        return r.frame ? int{frameBytes(*r.frame).at(4)} : -1;
    };
    EXPECT_EQ(counterSent(100), 0);
    EXPECT_EQ(counterSent(100), 1);
    EXPECT_EQ(counterSent(100, "0"), -1); // a refused read sends and counts nothing
    EXPECT_EQ(counterSent(10005), 1);     // a write always sends 1
    EXPECT_EQ(counterSent(100), 2);
    EXPECT_EQ(counterSent(100), 3);
}

TEST(CodecRequest, CounterWrapsAtEightBits) {
    const DataBytes area{};
    CodecState state{255};
    const Request r = buildRequest(props(100, "40001"), area, state);
    ASSERT_NE(r.frame, nullptr);
    EXPECT_EQ(frameBytes(*r.frame).at(4), 255);
    EXPECT_EQ(state.transactionCounter, 0);
}

// Reads and the functions without data refuse the broadcast address; writes go out.
TEST(CodecRequest, BroadcastOnlyForWrites) {
    const DataBytes area = sampleArea();
    const std::pair<std::int32_t, const char*> functions[] = {
        {0, "40001"},    {1, "1"},        {2, "10001"},  {3, "40001"},
        {4, "30001"},    {5, "1"},        {6, "40001"},  {7, "40001"},
        {8, "0"},        {15, "1"},       {16, "40001"}, {17, "40001"},
        {20, "6,1,0,1"}, {21, "6,1,0,1"}, {22, "40001"}, {23, "40001,1,40001,1"},
        {65, "40001"},   {100, "40001"},  {255, "3"},    {4314, "1,0"},
        {10005, "40001"}};
    const std::set<std::int32_t> broadcastable = {5, 6, 15, 16, 21, 22, 23, 255, 10005};
    for (const auto& [function, memStart] : functions) {
        for (const char* node : {"0", "256"}) {
            CodecState state;
            const Request r = buildRequest(props(function, memStart, 1, 0, 0, node), area, state);
            if (broadcastable.contains(function)) {
                EXPECT_EQ(r.result, RES_AX_SUCCESS) << function;
                EXPECT_EQ(r.node, 0);
            } else {
                EXPECT_EQ(r.result, RES_AX_ILLEGAL_BROADCAST_FUNCTION) << function;
                EXPECT_EQ(r.frame, nullptr);
            }
        }
    }
}

TEST(CodecRequest, ListsMissingTheirItemsAreRefused) {
    const DataBytes area{};
    const std::pair<std::int32_t, const char*> cases[] = {
        {23, "40001,2,40010"}, {23, "40001"},     {4314, "1"}, {4314, ""},
        {20, "6,4,1"},         {21, "6,4,1,2,6"}, {20, ""},
    };
    for (const auto& [function, memStart] : cases) {
        CodecState state;
        const Request r = buildRequest(props(function, memStart), area, state);
        EXPECT_EQ(r.result, RES_AX_BAD_MEMSTART_FORMAT) << function << " " << memStart;
        EXPECT_EQ(r.frame, nullptr);
        EXPECT_FALSE(r.memQty);
    }
}

// A request may never read beyond the data area nor announce more bytes than a byte count
// can say; such requests are refused and leave MemQty as the host set it.
TEST(CodecRequest, RequestsLargerThanTheAreaAreRefused) {
    const DataBytes area{};
    struct Case {
        std::int32_t function;
        const char* memStart;
        std::int16_t memQty;
        int result;
    };
    std::string refs63;
    for (int i = 0; i < 63; ++i) {
        refs63 += (i ? ",4000" : "4000") + std::to_string(i % 10);
    }
    const std::string refs64 = refs63 + ",40001";
    std::string refs127 = refs63 + "," + refs63 + ",40001";
    const Case cases[] = {
        {16, "40001", 127, RES_AX_SUCCESS},
        {16, "40001", 128, RES_AX_INVALID_FUNCTION},
        {16, "40001", -1, RES_AX_INVALID_FUNCTION},
        {15, "1", 2040, RES_AX_SUCCESS}, // 255 data bytes
        {15, "1", 2041, RES_AX_INVALID_FUNCTION},
        {21, "6,1,0,124", 1, RES_AX_SUCCESS}, // 7 + 248 bytes
        {21, "6,1,0,125", 1, RES_AX_BAD_MEMSTART_FORMAT},
        {21, "6,1,0,-1", 1, RES_AX_BAD_MEMSTART_FORMAT},
        {23, "40001,1,40001,127", 1, RES_AX_SUCCESS},
        {23, "40001,1,40001,128", 1, RES_AX_BAD_MEMSTART_FORMAT},
        {10005, refs63.c_str(), 1, RES_AX_SUCCESS},
        {10005, refs64.c_str(), 1, RES_AX_BAD_MEMSTART_FORMAT},
        {100, refs127.c_str(), 1, RES_AX_BAD_MEMSTART_FORMAT},
    };
    for (const Case& c : cases) {
        for (std::int16_t mode : kFramings) {
            CodecState state;
            const Request r =
                buildRequest(props(c.function, c.memStart, c.memQty, 0, mode), area, state);
            EXPECT_EQ(r.result, c.result) << c.function << " qty " << c.memQty;
            EXPECT_EQ(r.frame != nullptr, c.result == RES_AX_SUCCESS);
            if (r.frame) {
                EXPECT_FALSE(r.frame->overflowed());
            } else {
                EXPECT_FALSE(r.memQty);
            }
        }
    }
}

TEST(CodecRequest, CustomBytesThatOutgrowTheBufferAreRefused) {
    const DataBytes area{};
    std::string list = "3";
    for (int i = 0; i < 300; ++i) {
        list += ",FF";
    }
    CodecState state;
    EXPECT_EQ(buildRequest(props(255, list, 1, 0, DATA_MODE_MB_ASCII), area, state).result,
              RES_AX_BAD_MEMSTART_FORMAT);
    EXPECT_EQ(buildRequest(props(255, list, 1, 0, DATA_MODE_MB_RTU), area, state).result,
              RES_AX_SUCCESS);
}

// What ParseReply and validation get from the builder. Byte counts are hand-derived from the
// reply layouts: (N-1) div 8 + 1 bytes of coils, 2N of registers, 2n+2 for scattered reads.
TEST(CodecRequest, ReplyExpectations) {
    const DataBytes area = sampleArea();
    struct Case {
        std::int32_t function;
        const char* memStart;
        std::int16_t memQty;
        std::int16_t addressType;
        std::uint8_t byteCount;
        std::int32_t count;
        std::optional<std::int16_t> memQtyAfter;
    };
    const Case cases[] = {
        {1, "1", 0, 0, 1, 0, {}},
        {1, "1", 19, 0, 3, 19, {}},
        {2, "10001", 16, 0, 2, 16, {}},
        {3, "40001", 2, 0, 4, 2, {}},
        {4, "30001", 200, 0, 144, 200, {}}, // 400 wraps to 8 bits
        {3, "40001", 2, 3, 0, 2, {}},
        {7, "40001", 1, 0, 0, 8, {}},
        {16, "40001", 2, 0, 0, 2, {}},
        {20, "6,4,1,2,6,3,9,2", 1, 0, 12, 4, 4},
        {21, "6,4,7,3", 9, 0, 0, 3, 3},
        {23, "40004,6,40015,3", 1, 0, 12, 6, {}},
        {100, "40001,40002,40003", 1, 0, 8, 3, {}},
        {10005, "40001,40002", 1, 0, 6, 2, {}},
    };
    for (const Case& c : cases) {
        CodecState state;
        const Request r =
            buildRequest(props(c.function, c.memStart, c.memQty, c.addressType), area, state);
        ASSERT_NE(r.frame, nullptr) << c.function;
        EXPECT_EQ(r.frame->expectedByteCount(), c.byteCount) << c.function;
        EXPECT_EQ(r.reply.elementCount, c.count) << c.function;
        EXPECT_EQ(r.memQty, c.memQtyAfter) << c.function;
    }
}

} // namespace
} // namespace tavrin::frame::test
